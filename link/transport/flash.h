// The card's serial flash, driven byte by byte through port registers 56 (chip select) and 60
// (data byte). Each step is its own send (and read); the first failing step ends a sequence with
// its code and leaves the chip select as it was at that moment.
#pragma once

#include <cstdint>

#include "transport/device.h"

namespace zeq::link {

// Flash commands of the common serial-flash command set.
enum FlashCommand : uint8_t {
    kFlashReadStatus = 0x05,  // status register; bit 0 = write in progress
    kFlashWriteEnable = 0x06,
    kFlashPageProgram = 0x02,
    kFlashRead = 0x03,
    kFlashSectorErase = 0xD8,
    kFlashChipErase = 0xC7,
    kFlashSignature = 0xAB,  // release from deep power-down, read electronic signature
};

// Flash addresses the system uses.
constexpr uint32_t kFlashPasswordLength = 0x3E700;  // one byte; 0xFF = no password set
constexpr uint32_t kFlashPassword = 0x3E708;        // the password characters
constexpr uint32_t kFlashUserInfo = 0x3E800;        // the 256-byte user information page

int flash_select(DeviceRecord* dev);                  // B8 01 00 00
int flash_release(DeviceRecord* dev);                 // B8 01 01 00
int flash_byte_out(DeviceRecord* dev, uint8_t byte);  // BC 01 bb 00
int flash_byte_in(DeviceRecord* dev, uint8_t* byte);  // BC 01 00 00, then FC 01 + 2 bytes
// select, 0x03, three address bytes (most significant first), n x byte in, release.
int flash_read(DeviceRecord* dev, uint32_t address, uint8_t* out, uint32_t n);
// select, 0x05, byte in, release. *status reads 0xFF when a step fails.
int flash_status(DeviceRecord* dev, uint8_t* status);

}  // namespace zeq::link
