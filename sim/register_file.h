// The card's register file: 1024 words per axis for the eight axes a command word can address.
// A 32-bit value occupies words a, a+1 and a 48-bit value words a, a+1, a+2, low word first.
// Global registers live in the block of axis 0.
#pragma once

#include <cstdint>
#include <cstring>

namespace zeq::sim {

struct RegisterFile {
    static constexpr int kAxes = 8;
    static constexpr int kWords = 1024;

    uint16_t w[kAxes][kWords] = {};

    void clear() { std::memset(w, 0, sizeof w); }

    uint16_t u16(int axis, int addr) const { return w[axis & 7][addr & 1023]; }
    int16_t s16(int axis, int addr) const { return static_cast<int16_t>(u16(axis, addr)); }
    uint32_t u32(int axis, int addr) const {
        return u16(axis, addr) | (static_cast<uint32_t>(u16(axis, addr + 1)) << 16);
    }
    int32_t s32(int axis, int addr) const { return static_cast<int32_t>(u32(axis, addr)); }
    // The 48-bit value sign-extended from bit 47.
    int64_t s48(int axis, int addr) const {
        uint64_t v = u32(axis, addr) | (static_cast<uint64_t>(u16(axis, addr + 2)) << 32);
        return static_cast<int64_t>(v << 16) >> 16;
    }

    void set16(int axis, int addr, uint16_t v) { w[axis & 7][addr & 1023] = v; }
    void set32(int axis, int addr, uint32_t v) {
        set16(axis, addr, static_cast<uint16_t>(v));
        set16(axis, addr + 1, static_cast<uint16_t>(v >> 16));
    }
    void set48(int axis, int addr, int64_t v) {
        auto u = static_cast<uint64_t>(v);
        set16(axis, addr, static_cast<uint16_t>(u));
        set16(axis, addr + 1, static_cast<uint16_t>(u >> 16));
        set16(axis, addr + 2, static_cast<uint16_t>(u >> 32));
    }
};

}  // namespace zeq::sim
