// Insertion into and removal from the list of open devices (open, close and close-all only).
#pragma once

#include <cstddef>
#include <memory>

#include "transport/device.h"

namespace zeq::link {

// Gives the record a fresh handle and inserts it behind the head of the list.
DeviceRecord* register_device(std::unique_ptr<DeviceRecord> rec);
// Unlinks the record of `handle`; nullptr when it is not open.
std::unique_ptr<DeviceRecord> unregister_device(ZEQ_HANDLE handle);
// The handle at the head of the list, 0 when empty.
ZEQ_HANDLE head_device();
size_t open_device_count();
// Closes every open device, head first (what happens when the library is unloaded).
void close_all_devices();

}  // namespace zeq::link
