// Maintenance exports: the card's serial flash (signature, erase, page program, read, user
// information page), the internal register window, the machine-data snapshot and the byte
// bit-reversal used for PCI firmware images.
//
// The flash and internal-register calls do not take the exchange lock: a flash sequence spans
// many bridge calls (a chip erase waits for minutes) and must not block the other cards. Their
// frames are built on the stack, so they never touch the record's frame buffer that a locked
// engine exchange may be using.
#include "transport/maintenance.h"

#include <algorithm>
#include <array>

#include "transport/engine.h"
#include "transport/flash.h"
#include "zeqlink.h"

namespace zeq::link {
namespace {

constexpr uint32_t kFlashAddressLimit = 0x1000000;  // addresses are sent as three bytes
constexpr uint32_t kFlashPageSize = 256;
constexpr uint32_t kUserInfoSize = 256;
constexpr int kMaxPage = 0xFFFF;  // page * 256 + 8 must fit three bytes
// The password record: length byte at the base, characters from base + 8, all inside the
// 256-byte page below the user information page.
constexpr uint32_t kPasswordCharsOffset = kFlashPassword - kFlashPasswordLength;
constexpr uint32_t kPasswordMaxChars = kFlashPageSize - kPasswordCharsOffset;
constexpr uint8_t kErasedByte = 0xFF;

constexpr int kMaxInternalReg = wire::kMaxInternalRegister;
constexpr uint16_t kInternalAddressFlag = wire::kInternalAddressFlag;

constexpr uint32_t kMachineDataBytes = wire::kMachineDataBytes;  // four axes of 10 bytes
constexpr uint32_t kMachineDataGroup = 10;

// The process-wide machine-data table: the last snapshot read from any device.
ZEQ_MCDATA g_machineData{};

// Appends one 4-byte frame to a transfer being assembled.
class FrameWriter {
  public:
    explicit FrameWriter(uint8_t* out) : m_out(out) {}
    void word(int reg, uint16_t value) {
        m_out[m_n++] = static_cast<uint8_t>(wire::kFrameWrite | reg);
        m_out[m_n++] = 0x01;
        m_out[m_n++] = static_cast<uint8_t>(value & 0xFF);
        m_out[m_n++] = static_cast<uint8_t>(value >> 8);
    }
    void select() { word(wire::kPortFlashCs, 0); }
    void release() { word(wire::kPortFlashCs, 1); }
    void byteOut(uint8_t b) { word(wire::kPortFlashData, b); }
    void address(uint32_t a) {
        byteOut(static_cast<uint8_t>(a >> 16));
        byteOut(static_cast<uint8_t>(a >> 8));
        byteOut(static_cast<uint8_t>(a));
    }
    uint32_t size() const { return m_n; }

  private:
    uint8_t* m_out;
    uint32_t m_n = 0;
};

int flash_address_bytes(DeviceRecord* dev, uint32_t a) {
    int rc = flash_byte_out(dev, static_cast<uint8_t>(a >> 16));
    if (rc == ZEQ_OK) rc = flash_byte_out(dev, static_cast<uint8_t>(a >> 8));
    if (rc == ZEQ_OK) rc = flash_byte_out(dev, static_cast<uint8_t>(a));
    return rc;
}

// Write enable, one command byte (plus an address when given), release, then the busy wait.
int flash_erase(DeviceRecord* dev, uint8_t command, const uint32_t* address) {
    int rc = flash_write_enable(dev);
    if (rc == ZEQ_OK) rc = flash_select(dev);
    if (rc == ZEQ_OK) rc = flash_byte_out(dev, command);
    if (rc == ZEQ_OK && address) rc = flash_address_bytes(dev, *address);
    if (rc == ZEQ_OK) rc = flash_release(dev);
    if (rc == ZEQ_OK) rc = flash_wait_ready(dev, kFlashBusyLimit);
    return rc;
}

bool flash_range_ok(int address, int count) {
    return address >= 0 && count >= 0 && static_cast<uint32_t>(address) < kFlashAddressLimit &&
           static_cast<uint32_t>(count) <= kFlashAddressLimit - static_cast<uint32_t>(address);
}

bool user_range_ok(int offset, int count) {
    return offset >= 0 && count >= 0 && static_cast<uint32_t>(offset) <= kUserInfoSize &&
           static_cast<uint32_t>(count) <= kUserInfoSize - static_cast<uint32_t>(offset);
}

void store(int* out, int value) {
    if (out) *out = value;
}

}  // namespace

int flash_write_enable(DeviceRecord* dev) {
    int rc = flash_select(dev);
    if (rc == ZEQ_OK) rc = flash_byte_out(dev, kFlashWriteEnable);
    if (rc == ZEQ_OK) rc = flash_release(dev);
    return rc;
}

int flash_wait_ready(DeviceRecord* dev, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (int reads = 1;; ++reads) {
        uint8_t status = 0xFF;
        const int rc = flash_status(dev, &status);
        if (rc != ZEQ_OK) {
            if (reads >= 3) return rc;
        } else if ((status & 0x01) == 0) {
            return ZEQ_OK;
        }
        if (std::chrono::steady_clock::now() >= deadline) return ZEQ_ERR_TIMEOUT;
    }
}

int flash_page_program(DeviceRecord* dev, uint32_t address, const uint8_t* data, uint32_t count) {
    std::array<uint8_t, kPageProgramBytes> transfer;
    FrameWriter w(transfer.data());
    w.select();
    w.byteOut(kFlashWriteEnable);
    w.release();
    w.select();
    w.byteOut(kFlashPageProgram);
    w.address(address);
    for (uint32_t i = 0; i < kFlashPageSize; ++i) w.byteOut(i < count ? data[i] : kErasedByte);
    w.release();
    return send_frame(dev, transfer.data(), w.size());
}

}  // namespace zeq::link

using namespace zeq::link;

int ZEQ_ReserveWFWE(ZEQ_HANDLE handle) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    return flash_wait_ready(dev, kFlashBusyLimit);
}

int ZEQ_ReserveRID(ZEQ_HANDLE handle, int* code) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    uint8_t signature = 0xFF;
    int rc = flash_select(dev);
    if (rc == ZEQ_OK) rc = flash_byte_out(dev, kFlashSignature);
    for (int i = 0; i < 3 && rc == ZEQ_OK; ++i) rc = flash_byte_out(dev, 0x00);  // dummy bytes
    if (rc == ZEQ_OK) rc = flash_byte_in(dev, &signature);
    if (rc == ZEQ_OK) rc = flash_release(dev);
    store(code, rc);
    return rc == ZEQ_OK ? signature : 0xFF;
}

int ZEQ_ReserveEC(ZEQ_HANDLE handle) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    return flash_erase(dev, kFlashChipErase, nullptr);
}

int ZEQ_ReserveEP(ZEQ_HANDLE handle, int page) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (page < 0 || page > kMaxPage) return ZEQ_ERR_ARGUMENT;
    // Any address inside the sector selects it; the card's tools address byte 8 of the page.
    const uint32_t address = static_cast<uint32_t>(page) * kFlashPageSize + 8;
    return flash_erase(dev, kFlashSectorErase, &address);
}

int ZEQ_ReserveWEB(ZEQ_HANDLE handle, int address, int count, const uint8_t* data) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    // A page program wraps at the end of its 256-byte page: bytes beyond it would land at the
    // start of the same page, so such a request is refused.
    if (!flash_range_ok(address, count) || (count > 0 && !data) ||
        (static_cast<uint32_t>(address) % kFlashPageSize) + static_cast<uint32_t>(count) >
            kFlashPageSize)
        return ZEQ_ERR_ARGUMENT;
    return flash_page_program(dev, static_cast<uint32_t>(address), data,
                              static_cast<uint32_t>(count));
}

int ZEQ_ReserveREB(ZEQ_HANDLE handle, int address, uint8_t* buffer, int count) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (!flash_range_ok(address, count) || (count > 0 && !buffer)) return ZEQ_ERR_ARGUMENT;
    return flash_read(dev, static_cast<uint32_t>(address), buffer, static_cast<uint32_t>(count));
}

int ZEQ_WriteUserInfo(ZEQ_HANDLE handle, int offset, const uint8_t* data, int count) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (!user_range_ok(offset, count) || (count > 0 && !data)) return ZEQ_ERR_ARGUMENT;

    // The sector erase clears 64 KiB, and the card password record (0x3E700) shares the sector
    // with the user page: keep the record (length byte, the seven bytes after it and the
    // characters) and program it back after the erase.
    std::array<uint8_t, kFlashPageSize> record;
    uint32_t recordBytes = 0;
    int rc = flash_read(dev, kFlashPasswordLength, record.data(), 1);
    if (rc != ZEQ_OK) return rc;
    if (record[0] != kErasedByte) {
        recordBytes = kPasswordCharsOffset + std::min<uint32_t>(record[0], kPasswordMaxChars);
        rc = flash_read(dev, kFlashPasswordLength, record.data(), recordBytes);
        if (rc != ZEQ_OK) return rc;
    }

    const uint32_t address = kFlashUserInfo + static_cast<uint32_t>(offset);
    rc = ZEQ_ReserveEP(handle, static_cast<int>(address / kFlashPageSize));
    if (rc != ZEQ_OK) return rc;

    if (recordBytes > 0) {
        rc = flash_page_program(dev, kFlashPasswordLength, record.data(), recordBytes);
        if (rc == ZEQ_OK) rc = flash_wait_ready(dev, kFlashBusyLimit);
        if (rc != ZEQ_OK) return rc;
    }
    rc = flash_page_program(dev, address, data, static_cast<uint32_t>(count));
    if (rc == ZEQ_OK) rc = flash_wait_ready(dev, kFlashBusyLimit);
    return rc;
}

int ZEQ_ReadUserInfo(ZEQ_HANDLE handle, int offset, uint8_t* buffer, int count) {
    if (!find_device(handle)) return ZEQ_ERR_HANDLE;
    if (!user_range_ok(offset, count)) return ZEQ_ERR_ARGUMENT;
    return ZEQ_ReserveREB(handle, static_cast<int>(kFlashUserInfo) + offset, buffer, count);
}

uint16_t ZEQ_ReserveGR(ZEQ_HANDLE handle, int reg, int* code) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) {
        store(code, ZEQ_ERR_HANDLE);
        return 0xFFFF;
    }
    if (reg < 0 || reg > kMaxInternalReg) {
        store(code, ZEQ_ERR_ARGUMENT);
        return 0xFFFF;
    }
    // The address word goes out twice, then the 2-byte read transfer of the data register, all
    // in one write: 88 01 lo hi 88 01 lo hi CC 01.
    const uint16_t word = static_cast<uint16_t>(reg) | kInternalAddressFlag;
    std::array<uint8_t, 10> frame;
    FrameWriter w(frame.data());
    w.word(wire::kPortControl, word);
    w.word(wire::kPortControl, word);
    frame[8] = static_cast<uint8_t>(wire::kFrameRead | wire::kPortInternal);
    frame[9] = 0x01;
    int rc = send_frame(dev, frame.data(), static_cast<uint32_t>(frame.size()));
    if (rc != ZEQ_OK) {
        store(code, rc);
        return 0xFFFF;
    }
    uint8_t reply[2] = {0xFF, 0xFF};
    uint32_t got = 0;
    if (ZEQ_Read(handle, reply, 2, &got) != ZEQ_OK || got != 2) {
        store(code, ZEQ_ERR_TIMEOUT);
        return 0xFFFF;
    }
    notify_read(2);
    store(code, ZEQ_OK);
    return static_cast<uint16_t>(reply[0] | (reply[1] << 8));
}

int ZEQ_ReserveWR(ZEQ_HANDLE handle, int reg, uint16_t value) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (reg < 0 || reg > kMaxInternalReg) return ZEQ_ERR_ARGUMENT;
    // The card latches the address word; a lost address write shows in the data write's result
    // only, as the card answers neither.
    (void)write_word(dev, wire::kPortControl, static_cast<uint16_t>(reg) | kInternalAddressFlag);
    return write_word(dev, wire::kPortInternal, value);
}

const char* ZEQ_ReserveGInfo(ZEQ_HANDLE handle) {
    DeviceRecord* dev = find_device(handle);
    return dev ? dev->ident : nullptr;
}

int ZEQ_GetMCData(ZEQ_HANDLE handle, ZEQ_MCDATA** table) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (!table) return ZEQ_ERR_ARGUMENT;
    {
        ExchangeGuard guard(exchange_lock());
        const uint8_t request[2] = {static_cast<uint8_t>(wire::kFrameRead | wire::kPortContour),
                                    static_cast<uint8_t>(kMachineDataBytes - 1)};
        int rc = send_frame(dev, request, sizeof request);
        if (rc != ZEQ_OK) return rc;
        uint8_t block[kMachineDataBytes];
        uint32_t got = 0;
        if (ZEQ_Read(handle, block, kMachineDataBytes, &got) != ZEQ_OK || got != kMachineDataBytes)
            return ZEQ_ERR_RECEIVE;
        for (int axis = 0; axis < 4; ++axis) {
            const uint8_t* g = block + axis * kMachineDataGroup;
            ZEQ_MCDATA_AXIS& a = g_machineData.axis[axis];
            a.encp = static_cast<int32_t>(
                static_cast<uint32_t>(g[0]) | (static_cast<uint32_t>(g[1]) << 8) |
                (static_cast<uint32_t>(g[2]) << 16) | (static_cast<uint32_t>(g[3]) << 24));
            a.moving = static_cast<uint16_t>(g[4] | (g[5] << 8));
            a.error = static_cast<uint16_t>(g[6] | (g[7] << 8));
            a.aio = static_cast<uint16_t>(g[8] | (g[9] << 8));
        }
    }
    *table = &g_machineData;
    notify_read(1);
    return ZEQ_OK;
}

int ZEQ_Reverse(int byte) {
    uint8_t in = static_cast<uint8_t>(byte);
    uint8_t out = 0;
    for (int i = 0; i < 8; ++i) {
        out = static_cast<uint8_t>((out << 1) | (in & 1));
        in = static_cast<uint8_t>(in >> 1);
    }
    return out;
}
