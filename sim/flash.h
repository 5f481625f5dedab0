// The card's serial configuration flash, driven one byte at a time through the chip-select
// port (56) and the data port (60). It answers the common serial-flash command set: 0x05 read
// status (bit 0 write in progress, bit 1 write enabled), 0x06 write enable, 0x04 write disable,
// 0x02 page program, 0x03 read, 0xD8 sector erase (64 KiB), 0xC7 chip erase, 0xAB signature.
// Program and erase take card time; while they run only the status command is answered.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace zeq::sim {

class SerialFlash {
  public:
    static constexpr uint32_t kSize = 0x80000;   // 4 Mbit
    static constexpr uint8_t kSignature = 0x12;  // electronic signature of a 4 Mbit part
    static constexpr uint32_t kSectorSize = 0x10000;
    static constexpr uint32_t kPageSize = 256;

    // Card time (ns) that each operation keeps the write-in-progress bit set.
    uint64_t pageProgramNs = 700'000;
    uint64_t sectorEraseNs = 50'000'000;
    uint64_t chipEraseNs = 400'000'000;

    SerialFlash() : mem_(kSize, 0xFF) {}

    void select();
    // Ends the command; program and erase start here, as on a real part.
    void release(uint64_t now);
    // Shifts `out` into the part; returns the byte the part shifts out at the same time.
    uint8_t shift(uint8_t out, uint64_t now);

    bool selected() const { return selected_; }
    bool busy(uint64_t now) const { return now < busyUntil_; }
    uint8_t status(uint64_t now) const {
        return static_cast<uint8_t>((busy(now) ? 0x01 : 0) | (wel_ ? 0x02 : 0));
    }

    uint8_t peek(uint32_t addr) const { return mem_[addr % kSize]; }
    void poke(uint32_t addr, uint8_t value) { mem_[addr % kSize] = value; }
    void erase_all() { std::fill(mem_.begin(), mem_.end(), 0xFF); }
    // The whole array, for keeping it across processes.
    const std::vector<uint8_t>& contents() const { return mem_; }
    // Replaces the array; false (nothing changed) unless `bytes` holds exactly kSize bytes.
    bool load(const std::vector<uint8_t>& bytes) {
        if (bytes.size() != kSize) return false;
        mem_ = bytes;
        return true;
    }

  private:
    std::vector<uint8_t> mem_;
    std::array<uint8_t, kPageSize> page_{};
    bool selected_ = false;
    bool wel_ = false;
    bool ignore_ = false;  // command arrived while busy: ignored until release
    uint8_t cmd_ = 0;
    uint32_t count_ = 0;  // bytes shifted in since select
    uint32_t addr_ = 0;
    uint64_t busyUntil_ = 0;
};

}  // namespace zeq::sim
