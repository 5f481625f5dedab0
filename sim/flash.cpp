#include "sim/flash.h"

#include <algorithm>

namespace zeq::sim {

void SerialFlash::select() {
    selected_ = true;
    ignore_ = false;
    cmd_ = 0;
    count_ = 0;
    addr_ = 0;
}

uint8_t SerialFlash::shift(uint8_t out, uint64_t now) {
    if (!selected_) return 0xFF;  // data line floats high while deselected
    const uint32_t n = count_++;
    if (n == 0) {
        cmd_ = out;
        // A busy part answers nothing but its status register.
        ignore_ = busy(now) && out != 0x05;
        if (cmd_ == 0x02) page_.fill(0xFF);
        return 0xFF;
    }
    if (ignore_) return 0xFF;
    switch (cmd_) {
        case 0x05:
            return status(now);
        case 0x03:
            if (n <= 3) {
                addr_ = (addr_ << 8) | out;
                return 0xFF;
            }
            return mem_[(addr_ + (n - 4)) % kSize];
        case 0x02:
            if (n <= 3) {
                addr_ = (addr_ << 8) | out;
                return 0xFF;
            }
            // Bytes past the end of the page wrap to its start, as on the real part.
            page_[(addr_ + (n - 4)) % kPageSize] &= out;
            return 0xFF;
        case 0xD8:
            if (n <= 3) addr_ = (addr_ << 8) | out;
            return 0xFF;
        case 0xAB:
            return n >= 4 ? kSignature : 0xFF;
        default:
            return 0xFF;
    }
}

void SerialFlash::release(uint64_t now) {
    if (!selected_) return;
    selected_ = false;
    if (ignore_ || count_ == 0) return;
    switch (cmd_) {
        case 0x06:
            if (count_ == 1) wel_ = true;
            break;
        case 0x04:
            wel_ = false;
            break;
        case 0x02:
            if (wel_ && count_ >= 5) {
                uint32_t base = (addr_ % kSize) & ~(kPageSize - 1);
                for (uint32_t i = 0; i < kPageSize; ++i) mem_[base + i] &= page_[i];
                busyUntil_ = now + pageProgramNs;
            }
            wel_ = false;
            break;
        case 0xD8:
            if (wel_ && count_ >= 4) {
                uint32_t base = (addr_ % kSize) & ~(kSectorSize - 1);
                std::fill(mem_.begin() + base, mem_.begin() + base + kSectorSize, 0xFF);
                busyUntil_ = now + sectorEraseNs;
            }
            wel_ = false;
            break;
        case 0xC7:
            if (wel_ && count_ == 1) {
                erase_all();
                busyUntil_ = now + chipEraseNs;
            }
            wel_ = false;
            break;
        default:
            break;
    }
}

}  // namespace zeq::sim
