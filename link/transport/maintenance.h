// Flash sequences shared by the maintenance exports, and the bound of a flash busy wait.
#pragma once

#include <chrono>
#include <cstdint>

#include "transport/device.h"

namespace zeq::link {

// Longest time a flash busy wait lasts. A whole-chip erase of the largest configuration flash
// the cards carry (4 MiB) takes well under that.
constexpr std::chrono::milliseconds kFlashBusyLimit = std::chrono::minutes(2);

// Size of the page program transfer: write enable (3 frames), select, 0x02, three address bytes,
// 256 data bytes and release, 4 bytes per frame.
constexpr uint32_t kPageProgramBytes = (3 + 2 + 3 + 256 + 1) * 4;
static_assert(kPageProgramBytes == 1060);

// Polls the flash status until its write-in-progress bit clears. The first two failed status
// reads count as busy; from the third on, a failure ends the wait with its code. 0 when ready,
// ZEQ_ERR_TIMEOUT when the flash is still busy after `limit`.
int flash_wait_ready(DeviceRecord* dev, std::chrono::milliseconds limit);

// select, 0x06, release.
int flash_write_enable(DeviceRecord* dev);

// The page program: write enable and 0x02, the address and 256 data bytes (data[i] for i < count,
// else 0xFF), sent as one bridge write. No wait afterwards.
int flash_page_program(DeviceRecord* dev, uint32_t address, const uint8_t* data, uint32_t count);

}  // namespace zeq::link
