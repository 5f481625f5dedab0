// Raw bridge I/O of an already validated record, with the status mappings of ZEQ_Read and
// ZEQ_Write.
#pragma once

#include <cstdint>

#include "transport/device.h"

namespace zeq::link {

int map_read_status(bridge::Status st);
int map_write_status(bridge::Status st);
int link_read(DeviceRecord* dev, void* buffer, uint32_t count, uint32_t* done);
int link_write(DeviceRecord* dev, const void* buffer, uint32_t count, uint32_t* done);

}  // namespace zeq::link
