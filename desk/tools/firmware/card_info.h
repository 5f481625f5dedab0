// What the firmware dialog knows of a card: `hwversion` (bits 0-3 year digit of the firmware
// date, bits 4-7 card kind, 0 = USB, bits 8-11 axis count) and `fwversion` (month in the high
// byte, day in the low byte), and the flash layout that follows from the card kind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "binding/device_types.h"

namespace zeq::desk::firmware {

enum class CardKind { Usb = 0, Pci = 1 };

// The password record: length byte at the base, the password's bytes at base + 8.
struct PasswordRecord {
    std::uint32_t base;
    int page;  // base / 256
};
PasswordRecord passwordRecordOf(CardKind kind);

struct CardInfo {
    std::uint16_t hwversion = 0;
    std::uint16_t fwversion = 0;

    int yearDigit() const { return hwversion & 0xF; }
    CardKind kind() const { return (hwversion & 0xF0) ? CardKind::Pci : CardKind::Usb; }
    int axisCount() const { return (hwversion >> 8) & 0xF; }
    // Cards with firmware 0x1001 on hardware 0x2400 or 0x2600 have neither the update nor the
    // password function.
    bool canUpdate() const;

    std::string versionText() const;  // "%04X" of hwversion
    std::string kindText() const;     // "USB" / "PCI"
    std::string dateText() const;     // "201%X/%02X/%02X"
};

// Reads `hwversion` and `fwversion` through the immediate FIFO. 0 or the failing status.
// Calls the card: a worker's business in the window.
int readCardInfo(ZEQ_HANDLE handle, CardInfo& out);

// The information lines as the dialog shows them, and the update capability.
std::vector<std::string> cardInfoLines(const CardInfo& info);

}  // namespace zeq::desk::firmware
