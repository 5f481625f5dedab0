// Named register addresses of the card, one per row of the register map (system_params.inc):
// card::reg::mcspos is the word address of `mcspos` (axis rows: the offset in the axis's
// register block; global rows: an address in the block of axis 0).
//
// Wider values occupy consecutive words from their address, low word first (32-bit: a, a+1;
// 48-bit: a, a+1, a+2).
#pragma once

namespace zeq::card::reg {

#define ZEQ_PARAM(name, format, address, kind, readOnly, global) \
    inline constexpr int name = address;
#include "card/system_params.inc"
#undef ZEQ_PARAM

// Address 163 as the host uses it: the gear-sync flag word (`homeSTpos` shares the address).
inline constexpr int gearsync = homeSTpos;

// The event instruction loaded through `eventbase`: four 32-bit words at eventbase + 2 * k.
inline constexpr int kEventBaseWords = 4;

// Every address fits the command word's 10 bits.
inline constexpr int kMaxAddress = 1023;

}  // namespace zeq::card::reg
