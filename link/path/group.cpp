// Coordinated groups, the contour FIFO and the graph capture buffer.
#include "path/group.h"

#include <cstring>
#include <mutex>
#include <new>

#include "card/names.h"
#include "path/path_state.h"
#include "transport/engine.h"
#include "zeqlink.h"

namespace zeq::link {
namespace {

constexpr uint8_t kContourHeader = wire::kFrameWrite | wire::kPortContour;
using wire::kDataContourBusy;
using wire::kDataContourFull;
using wire::kDataGraphReady;
constexpr int kContourSends = 5;
constexpr int kBusyPolls = 30;
constexpr int kGraphMaxBytes = wire::kMaxTransferBytes;
constexpr int kGo = 0xFFFF;

void free_path_state(PathState* st) {
    delete st;
}

// Guards the making of a record's path state against two first calls at once.
std::mutex& path_state_mutex() {
    static std::mutex m;
    return m;
}

// Status codes after which an exchange cannot go on.
inline bool fatal(int rc) {
    return rc == ZEQ_ERR_HANDLE || rc == ZEQ_ERR_TIMEOUT;
}

// Waits for the contour port to take the block just sent: ZEQ_OK, ZEQ_ERR_HANDLE /
// ZEQ_ERR_TIMEOUT, or ZEQ_ERR_CHECKSUM.
int wait_contour_taken(DeviceRecord* dev) {
    for (int i = 0; i < kBusyPolls; ++i) {
        uint8_t status = 0xFF;
        const int rc = status_query(dev, wire::kQueryDataStatus, &status);
        if (fatal(rc)) return rc;
        if (!(status & kDataContourBusy)) return ZEQ_OK;
    }
    return ZEQ_ERR_CHECKSUM;
}

// Assembles a contour block: 90, 2n+3, n, the n words, their 16-bit sum (all little-endian).
// Returns its size in bytes.
uint32_t assemble_contour(uint8_t* f, const int16_t* words, int count) {
    f[0] = kContourHeader;
    f[1] = static_cast<uint8_t>(2 * count + 3);
    f[2] = static_cast<uint8_t>(count & 0xFF);
    f[3] = static_cast<uint8_t>(count >> 8);
    uint16_t sum = 0;
    for (int i = 0; i < count; ++i) {
        const uint16_t w = static_cast<uint16_t>(words[i]);
        f[4 + 2 * i] = static_cast<uint8_t>(w & 0xFF);
        f[5 + 2 * i] = static_cast<uint8_t>(w >> 8);
        sum = static_cast<uint16_t>(sum + w);
    }
    f[4 + 2 * count] = static_cast<uint8_t>(sum & 0xFF);
    f[5 + 2 * count] = static_cast<uint8_t>(sum >> 8);
    return static_cast<uint32_t>(2 * count + 6);
}

}  // namespace

int group_letter_address(int letter) {
    static const char kLetters[] = "XYZABCDEFGHIJKLM";
    const int c = letter & 0xFF;
    const int upper = static_cast<unsigned char>(card::ascii_upper(static_cast<char>(c)));
    for (int i = 0; kLetters[i] != '\0'; ++i)
        if (kLetters[i] == upper) return reg::group_x + i;
    return -1;
}

PathState* device_path(DeviceRecord* dev, bool make) {
    if (!dev) return nullptr;
    std::lock_guard<std::mutex> guard(path_state_mutex());
    if (!dev->path && make)
        dev->path = PathStateOwner(new (std::nothrow) PathState(), free_path_state);
    return dev->path.get();
}

}  // namespace zeq::link

using namespace zeq::link;

ZEQ_API int ZEQ_EnableGroup(ZEQ_HANDLE handle, int flag, int selector) {
    if (!find_device(handle)) return ZEQ_ERR_HANDLE;
    if (int rc = ZEQ_CheckFIFONotHalfFull(handle, selector)) return rc;
    return ZEQ_SetParam16(handle, reg::startgroup, (flag & 0xFF) ? kGo : 0, 0, selector);
}

ZEQ_API int ZEQ_ExitGroup(ZEQ_HANDLE handle, int selector) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (int rc = ZEQ_CheckFIFONotHalfFull(handle, selector)) return rc;
    // The group stops whether or not this write is acknowledged once the FIFO is cleared.
    (void)ZEQ_SetParam16(handle, reg::startgroup, 0, 0, selector);
    const int rc = ZEQ_SetParam16(handle, reg::cfifocnt, 0, 0, selector);
    if (PathState* st = rc == ZEQ_OK ? device_path(dev, false) : nullptr) st->initialised = false;
    return rc;
}

ZEQ_API int ZEQ_ClearCFIFO(ZEQ_HANDLE handle, int selector) {
    if (!find_device(handle)) return ZEQ_ERR_HANDLE;
    if (int rc = ZEQ_CheckFIFONotHalfFull(handle, selector)) return rc;
    return ZEQ_SetParam16(handle, reg::cfifocnt, 0, 0, selector);
}

ZEQ_API int ZEQ_MapAxis2Group(ZEQ_HANDLE handle, int letter, int axis, int selector) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (axis < 0 || axis >= dev->axisCount) return ZEQ_ERR_AXIS;
    const int address = group_letter_address(letter);
    if (address < 0) return ZEQ_ERR_ARGUMENT;
    if (int rc = ZEQ_CheckFIFONotHalfFull(handle, selector)) return rc;
    return ZEQ_SetParam16(handle, address, axis, 0, selector);
}

ZEQ_API int ZEQ_SetGroupAxisNum(ZEQ_HANDLE handle, int count, int selector) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (count < 0 || count > dev->axisCount) return ZEQ_ERR_ARGUMENT;
    if (int rc = ZEQ_CheckFIFONotHalfFull(handle, selector)) return rc;
    return ZEQ_SetParam16(handle, reg::groupnum, count, 0, selector);
}

ZEQ_API int ZEQ_GetCFIFOCnt(ZEQ_HANDLE handle, int* count, int selector) {
    if (!find_device(handle)) return ZEQ_ERR_HANDLE;
    if (!count) return ZEQ_ERR_ARGUMENT;
    if (int rc = ZEQ_CheckFIFONotHalfFull(handle, selector)) return rc;
    uint16_t value = 0;
    const int rc = ZEQ_GetParam16(handle, reg::cfifocnt, &value, 0, selector);
    *count = value;
    return rc;
}

ZEQ_API int ZEQ_PutContourData(ZEQ_HANDLE handle, const int16_t* words, int count) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (!words || count < 1 || count > kContourMaxWords) return ZEQ_ERR_ARGUMENT;

    ExchangeGuard guard(exchange_lock());
    uint8_t status = 0xFF;
    int rc = status_query(dev, wire::kQueryDataStatus, &status);
    if (fatal(rc)) return rc;
    // A status that could not be read counts as full: nothing is sent into a FIFO that may be.
    if (status & kDataContourFull) return ZEQ_ERR_FIFO_FULL;

    const uint32_t size = assemble_contour(dev->frame, words, count);
    for (int send = 0; send < kContourSends; ++send) {
        // The status polls reuse the frame buffer: the block is assembled again for each send.
        if (send > 0) assemble_contour(dev->frame, words, count);
        rc = send_frame(dev, dev->frame, size);
        // A refused or short write never reached the card whole: report it, do not wait on it.
        if (rc != ZEQ_OK) return rc;
        rc = wait_contour_taken(dev);
        if (rc == ZEQ_OK || fatal(rc)) return rc;
    }
    return rc == ZEQ_ERR_CHECKSUM ? ZEQ_ERR_CHECKSUM : ZEQ_ERR_TIMEOUT;
}

ZEQ_API int ZEQ_GetGraphData(ZEQ_HANDLE handle, void* buffer, int count) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (!buffer || count < 1 || count > kGraphMaxBytes) return ZEQ_ERR_ARGUMENT;

    ExchangeGuard guard(exchange_lock());
    (void)ZEQ_Purge(handle, ZEQ_PURGE_RX);
    uint8_t status = 0xFF;
    if (int rc = status_query(dev, wire::kQueryDataStatus, &status)) return rc;
    if (!(status & kDataGraphReady)) return ZEQ_ERR_GRAPH_NOT_READY;
    return read_bytes(dev, wire::kPortContour, buffer, static_cast<uint32_t>(count));
}
