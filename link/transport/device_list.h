// The combined device list (real bridges first, then the virtual cards) and the D2XX-style
// list and open calls over it. Every Port it hands out is wrapped for ZEQLINK_TRACE.
#pragma once

#include <memory>

#include "transport/bridge.h"

namespace zeq::link {

// FT_ListDevices semantics over the combined list: ZEQ_FT_LIST_NUMBER_ONLY (arg1 = uint32_t*
// count), ZEQ_FT_LIST_BY_INDEX | OPEN_BY_DESCRIPTION/SERIAL_NUMBER/LOCATION (arg1 = index cast
// to a pointer, arg2 = char[64] or uint32_t*), ZEQ_FT_LIST_ALL (arg1 = array of char* buffers or
// uint32_t locations, arg2 = uint32_t* count).
bridge::Status list_devices(void* arg1, void* arg2, uint32_t flags);
// FT_Open by index of the combined list.
bridge::Status open_device(int index, std::unique_ptr<bridge::Port>* out);
// FT_OpenEx: by serial number, description or location (flags ZEQ_FT_OPEN_BY_*).
bridge::Status open_device_ex(void* arg, uint32_t flags, std::unique_ptr<bridge::Port>* out);

}  // namespace zeq::link
