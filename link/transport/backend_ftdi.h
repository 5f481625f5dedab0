// The bridge backend over libftdi1 (libusb), for FTDI bridges on systems without FTDI's own
// driver library.
//
// It sees the FTDI chips with the vendor id 0x0403 and the common FT232/FT245 (0x6001, 0x6014,
// 0x6015) and FT2232/FT4232 (0x6010, 0x6011) product ids; of a multi-channel chip it drives
// channel A. A device is listed with its USB description and serial number (blank when the
// device cannot be opened to read them, e.g. without permission) and a location id folded from
// its bus number and port path (fold_usb_location). It is opened in the chip's default (reset)
// mode as a plain byte stream, with the latency timer at 2 ms so that a one-byte status reply of
// the card is not held back by the chip for its default 16 ms.
//
// Reads wait up to the read time-out for the requested count and return what arrived, with a
// short count and ZEQ_FT_OK, like FTDI's driver. A time-out of 0 stands for libftdi's own default
// (5 s), so that no call blocks without bound. A libftdi context is not safe for two threads at
// once, so every call on a port holds the port's own lock for its length. The EEPROM calls map
// ZEQ_EEPROM_DATA onto the chip's decoded EEPROM: manufacturer, description and serial-number
// strings, vendor and product ids, maximum power, self-powered and remote-wake-up;
// ManufacturerId and PnP have no counterpart here (read back as "" and 0, ignored when
// programming).
//
// Compiled only with ZEQ_HAVE_LIBFTDI; without it make_ftdi_backend() returns nullptr. The
// mapping helpers below are always built (they are pure and tested on every build).
#pragma once

#include <memory>
#include <string>

#include "transport/bridge.h"

namespace zeq::bridge {

// The backend, or nullptr when the library was built without libftdi1.
std::unique_ptr<Backend> make_ftdi_backend();

// The libftdi calls whose failures the backend maps onto FT_ statuses.
enum class FtdiCall {
    open,       // ftdi_usb_open_dev
    read,       // ftdi_read_data (libusb error codes)
    write,      // ftdi_write_data
    purge,      // ftdi_tciflush / ftdi_tcoflush
    reset,      // ftdi_usb_reset
    latency,    // ftdi_set_latency_timer
    eeRead,     // ftdi_read_eeprom, ftdi_eeprom_decode
    eeProgram,  // ftdi_eeprom_build, ftdi_write_eeprom
    close,      // ftdi_usb_close
};

// The FT_ status for the result `rc` of a libftdi call (0 or more is ZEQ_FT_OK).
Status ftdi_status(FtdiCall call, int rc);

// The location id of a USB device: bits 31..24 the bus number, 23..16 the root-hub port, then one
// hex digit per hub port below it (15..12, 11..8, 7..4, 3..0), most significant first. Bus 1,
// ports 3.2 gives 0x01032000. A hub port above 15 or a sixth level and deeper is folded into the
// digits by exclusive or, so such rare topologies may share an id.
uint32_t fold_usb_location(uint8_t bus, const uint8_t* ports, int depth);

// The head of an FTDI EEPROM image as the bridge's EEPROM block carries it.
struct FtdiEepromHead {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t maxPowerMa = 0;  // the image stores 2 mA units
    bool selfPowered = false;
    bool remoteWakeup = false;
    std::string manufacturer;
    std::string description;
    std::string serial;
};

// Decodes the head of an EEPROM image of `size` bytes (64, 128 or 256; libftdi reports -1 for a
// blank EEPROM). The three string descriptors are found through their offset and length bytes
// (0x0E..0x13, offsets taken modulo the size) and must lie inside the image; their UTF-16
// characters above 0xFF read as '?'. false for a blank image, an unknown size or a descriptor
// outside the image.
bool decode_ftdi_eeprom(const uint8_t* image, int size, FtdiEepromHead* out);

}  // namespace zeq::bridge
