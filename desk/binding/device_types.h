// Types that cross the bound device library's interface besides plain numbers: the handle and
// the bridge EEPROM block of the public header, and the records of the calls the IDE binds.
#pragma once

#include <cstdint>

#include "link/include/zeqlink.h"

namespace zeq::desk {

// The card type: which device library is loaded.
enum CardType : int {
    kCardUsb = 0,  // libzeqlink
    kCardPci = 1,  // libzeqbus, the PCI sibling with the same exported names
};

// One PCI card as the PCI library's device search reports it: three 32-bit words, the second
// being the card's identifier.
struct PciCardEntry {
    std::uint32_t word[3];
};
static_assert(sizeof(PciCardEntry) == 12);

// The record the PCI device search fills: the card count, then one entry per card.
struct PciDeviceList {
    static constexpr int kMaxCards = 16;
    std::int32_t count;
    PciCardEntry card[kMaxCards];
};

// The machine-data table (axes 0..3) the library fills.
using McData = ZEQ_MCDATA;

// One item of a multi-axis straight line.
using LinearItem = ZEQ_LINEAR_ITEM;

}  // namespace zeq::desk
