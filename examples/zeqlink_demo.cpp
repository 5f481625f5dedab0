// A first session with a card: open it, write parameters through both command FIFOs, read them
// back and print what happened. With no card plugged in it uses a virtual card (ZEQLINK_SIM).
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "zeqlink.h"

namespace {

constexpr int kMcstgpos = 12;  // target position of the main profile generator (32-bit)
constexpr int kNaxis = 634;    // number of axes (16-bit, global)

int check(const char* what, int rc) {
    std::printf("%-50s -> %d%s\n", what, rc, rc == ZEQ_OK ? "" : "  (failed)");
    return rc;
}

}  // namespace

int main() {
    if (!std::getenv("ZEQLINK_SIM")) setenv("ZEQLINK_SIM", "1", 1);

    uint32_t count = 0;
    if (check("ZEQ_ListDevices (number of devices)",
              ZEQ_ListDevices(&count, nullptr, ZEQ_FT_LIST_NUMBER_ONLY)) != ZEQ_OK ||
        count == 0) {
        std::fprintf(stderr, "no device found\n");
        return 1;
    }
    for (uint32_t i = 0; i < count; ++i) {
        char name[64] = {};
        ZEQ_ListDevices(reinterpret_cast<void*>(uintptr_t{i}), name,
                        ZEQ_FT_LIST_BY_INDEX | ZEQ_FT_OPEN_BY_DESCRIPTION);
        std::printf("  device %u: %s\n", i, name);
    }

    ZEQ_HANDLE h = 0;
    if (check("ZEQ_Open(0)", ZEQ_Open(0, &h)) != ZEQ_OK) return 1;

    uint16_t naxis = 0;
    check("ZEQ_GetParam16(naxis, axis 0, immediate)", ZEQ_GetParam16(h, kNaxis, &naxis, 0, 0));
    std::printf("  the card has %u axes\n", naxis);

    int failures = 0;
    for (int axis = 0; axis < naxis && axis < 4; ++axis) {
        const int selector = axis % 2;  // alternate the immediate (0) and queue (1) FIFO
        const int value = 1000 * (axis + 1) * (axis % 2 ? -1 : 1);
        char what[80];
        std::snprintf(what, sizeof what, "ZEQ_SetParam32(mcstgpos, axis %d, %s FIFO)", axis,
                      selector ? "queue" : "immediate");
        failures += check(what, ZEQ_SetParam32(h, kMcstgpos, value, axis, selector)) != ZEQ_OK;
        int32_t back = 0;
        std::snprintf(what, sizeof what, "ZEQ_GetParam32(mcstgpos, axis %d)", axis);
        failures += check(what, ZEQ_GetParam32(h, kMcstgpos, &back, axis, 0)) != ZEQ_OK;
        std::printf("  wrote %d, read back %" PRId32 "%s\n", value, back,
                    back == value ? "" : "  (mismatch)");
        failures += back != value;
    }

    // A deferred read through the queue FIFO: request, wait for the reply, fetch it.
    failures += check("ZEQ_GetParamCMD16(naxis, queue)", ZEQ_GetParamCMD16(h, kNaxis, 0, 1)) != 0;
    failures += check("ZEQ_IsRBFIFONoEmpty(queue)", ZEQ_IsRBFIFONoEmpty(h, 1)) != 0;
    uint16_t again = 0;
    failures +=
        check("ZEQ_GetRFIFOData16(naxis, queue)", ZEQ_GetRFIFOData16(h, kNaxis, &again, 0, 1)) != 0;
    std::printf("  naxis through the queue FIFO: %u\n", again);

    check("ZEQ_Close", ZEQ_Close(h));
    std::printf(
        failures ? "demo finished with %d failure(s)\n" : "demo finished: all exchanges ok\n",
        failures);
    return failures ? 1 : 0;
}
