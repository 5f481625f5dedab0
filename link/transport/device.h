// Device records, the list of open devices and the process-wide exchange lock.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "transport/bridge.h"
#include "zeqlink.h"

namespace zeq::link {

constexpr int kMaxScaleAxes = 16;
constexpr int kFrameBufferSize = 1024;
constexpr int kIdentSize = 20;

// The path planner's state of a record. Its layout belongs to the planner (path/path_state.h);
// the record only owns it, with the deleter the planner gave when it made it.
struct PathState;
using PathStateOwner = std::unique_ptr<PathState, void (*)(PathState*)>;

// One open card. Created by an open function, freed by ZEQ_Close (or the close-all when the
// library is unloaded).
struct DeviceRecord {
    DeviceRecord();
    ~DeviceRecord();

    ZEQ_HANDLE handle = 0;
    std::unique_ptr<bridge::Port> link;
    int16_t axisCount = 4;
    double distScale[kMaxScaleAxes];        // counts per user distance unit, per axis
    double timeScale = 1.0;                 // card ticks per user time unit
    PathStateOwner path{nullptr, nullptr};  // made by the planner at its first use
    char ident[kIdentSize];                 // the maker's identification text
    uint8_t frame[kFrameBufferSize];        // every outgoing frame is assembled here
};

// The record of an open handle, or nullptr (the caller returns ZEQ_ERR_HANDLE). The record stays
// valid until ZEQ_Close of that handle.
DeviceRecord* find_device(ZEQ_HANDLE handle);

// The process-wide lock around every command exchange of every card. Recursive, like the
// critical section it stands for, though no exchange re-enters it.
std::recursive_mutex& exchange_lock();
using ExchangeGuard = std::lock_guard<std::recursive_mutex>;

}  // namespace zeq::link
