// The serial-flash byte steps.
#include "transport/flash.h"

#include "transport/engine.h"

namespace zeq::link {

int flash_select(DeviceRecord* dev) {
    return write_word(dev, wire::kPortFlashCs, 0);
}

int flash_release(DeviceRecord* dev) {
    return write_word(dev, wire::kPortFlashCs, 1);
}

int flash_byte_out(DeviceRecord* dev, uint8_t byte) {
    return write_word(dev, wire::kPortFlashData, byte);
}

int flash_byte_in(DeviceRecord* dev, uint8_t* byte) {
    // Shifting a byte in takes a dummy byte out; the card keeps what came back in register 60.
    int rc = write_word(dev, wire::kPortFlashData, 0);
    if (rc != ZEQ_OK) return rc;
    uint16_t word = 0xFFFF;
    rc = read_u16(dev, wire::kPortFlashData, &word);
    *byte = static_cast<uint8_t>(word & 0xFF);
    return rc;
}

int flash_read(DeviceRecord* dev, uint32_t address, uint8_t* out, uint32_t n) {
    int rc = flash_select(dev);
    if (rc == ZEQ_OK) rc = flash_byte_out(dev, kFlashRead);
    for (int shift = 16; rc == ZEQ_OK && shift >= 0; shift -= 8)
        rc = flash_byte_out(dev, static_cast<uint8_t>(address >> shift));
    for (uint32_t i = 0; rc == ZEQ_OK && i < n; ++i) rc = flash_byte_in(dev, &out[i]);
    if (rc == ZEQ_OK) rc = flash_release(dev);
    return rc;
}

int flash_status(DeviceRecord* dev, uint8_t* status) {
    *status = 0xFF;
    int rc = flash_select(dev);
    if (rc == ZEQ_OK) rc = flash_byte_out(dev, kFlashReadStatus);
    uint8_t byte = 0xFF;
    if (rc == ZEQ_OK) rc = flash_byte_in(dev, &byte);
    if (rc == ZEQ_OK) rc = flash_release(dev);
    if (rc == ZEQ_OK) *status = byte;
    return rc;
}

}  // namespace zeq::link
