// One virtual ZEQ card: the wire protocol seen through the bridge, the command FIFOs with their
// read-back FIFOs, the register file, the serial flash, the contour and graph port, the
// bridge's EEPROM, fault injection and card time. Every public member takes the card's lock,
// so a test thread may inspect a card while a bridge port is in use.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "sim/faults.h"
#include "sim/flash.h"
#include "sim/motion.h"
#include "sim/register_file.h"
#include "sim/ring.h"

namespace zeq::sim {

enum class ClockMode { Real, Step };

// The bridge's EEPROM as the virtual bridge keeps it.
struct BridgeEeprom {
    uint16_t vendorId = 0x0403;
    uint16_t productId = 0x6001;
    std::string manufacturer = "ZEQ";
    std::string manufacturerId = "ZQ";
    std::string description;
    std::string serial;
    uint16_t maxPower = 100;
    uint16_t pnp = 1;
    uint16_t selfPowered = 0;
    uint16_t remoteWakeup = 0;
};

class SimCard final : private WriteSink {
  public:
    // FIFO indexes of the white-box API.
    static constexpr int kImmediate = 0;
    static constexpr int kQueue = 1;

    SimCard(int index, int naxis);
    SimCard(const SimCard&) = delete;
    SimCard& operator=(const SimCard&) = delete;

    int index() const { return index_; }

    // ---- bridge side (used by the port) --------------------------------------------------
    // Counts one bridge call against the unplug fault and brings card time up to date.
    // False when the device has vanished.
    bool begin_call();
    void bridge_write(const uint8_t* data, size_t n);
    size_t bridge_read(uint8_t* out, size_t n);
    void bridge_purge(uint32_t mask);
    void bridge_reset();  // the bridge's own reset: its buffers, not the card
    size_t rx_available();
    BridgeEeprom eeprom();
    void set_eeprom(const BridgeEeprom& e);
    // Open bookkeeping: one port per card at a time.
    bool try_open();
    void mark_closed();
    bool is_open();

    // ---- white-box API ------------------------------------------------------------------
    int naxis();
    void set_naxis(int n);  // 1..8; also rewrites `naxis` and `hwversion`

    uint16_t reg16(int axis, int addr);
    int32_t reg32(int axis, int addr);
    int64_t reg48(int axis, int addr);
    // Stores words as a write command would, with the card's side effects (starting a move,
    // clearing a FIFO …); read-only registers keep their value.
    void write16(int axis, int addr, uint16_t v);
    void write32(int axis, int addr, int32_t v);
    void write48(int axis, int addr, int64_t v);
    // Stores a word with no side effects and no read-only check.
    void poke16(int axis, int addr, uint16_t v);

    uint8_t flash_byte(uint32_t addr);
    void set_flash_byte(uint32_t addr, uint8_t v);
    bool flash_busy();
    // The whole flash array, and its replacement (false unless the size is the flash's).
    std::vector<uint8_t> flash_image();
    bool set_flash_image(const std::vector<uint8_t>& bytes);

    uint16_t internal_reg(uint16_t r);
    void set_internal_reg(uint16_t r, uint16_t v);

    // Adds faults (the syntax of ZEQLINK_SIM_FAULTS). False when the text is not understood.
    bool set_faults(std::string_view text, std::string* error = nullptr);
    void clear_faults();
    Faults faults();

    // Command blocks executed by a FIFO since power-on or the last card reset.
    uint64_t executed(int fifo);
    // Command blocks a FIFO refused (bad checksum, dropped, no room).
    uint64_t refused(int fifo);
    // Words waiting in a command FIFO / in its read-back FIFO.
    size_t fifo_words(int fifo);
    size_t readback_words(int fifo);
    size_t contour_words();
    // Depths in words (default: immediate 256, queue 1024, read-back 256, contour 8192).
    void set_depths(size_t immediate, size_t queue, size_t readback, size_t contour);

    // Card time.
    void set_clock(ClockMode mode, uint64_t stepNs);
    ClockMode clock_mode();
    uint64_t now_ns();
    void advance_ns(uint64_t ns);
    void run_ticks(uint64_t n);
    void set_tick_ns(uint64_t ns);
    uint64_t tick_ns();
    // Modelled latency of every bridge call. Until set: kUsbLatencyUs with the real clock, 0
    // with the step clock.
    static constexpr uint32_t kUsbLatencyUs = 1000;
    void set_latency_us(uint32_t us);
    uint32_t latency_us();

    // The simulated home switch of an axis (the position of its edge; default 0).
    void set_home_switch(int axis, int32_t pos);

    // Graph capture: on (default) records the 32-bit `curpos` of axes 0..3 every tick.
    void set_graph_capture(bool on);
    size_t graph_bytes();

    // Card reset as by the reset frame (7F 5A).
    void card_reset();

  private:
    struct CmdFifo {
        Ring<uint16_t> words;  // taken blocks: command word and value words
        Ring<uint16_t> rb;     // read-back FIFO
        std::array<uint16_t, 5> part{};
        int partN = 0;
        int partNeed = 0;
        bool ackPending = false;  // last block not taken
        uint64_t executed = 0;
        uint64_t refused = 0;
    };

    void event_write(int axis, int addr, const uint16_t* words, int n) override;
    void power_on_regs();
    void reset_locked();
    void sync_clock();
    void advance(uint64_t ns);
    void tick();
    void sample_graph();
    bool idle() const;
    void parse();
    void write_transfer(uint8_t reg, const uint8_t* data, size_t n);
    void read_transfer(uint8_t reg, size_t n);
    uint8_t status_query(uint8_t reg);
    void command_word(int fifo, uint16_t w);
    void run_fifo(int fifo);
    void run_all();
    void apply_write(int axis, int addr, const uint16_t* v, int n);
    void contour_block(const uint8_t* data, size_t n);
    void machine_data(uint8_t* out);
    uint8_t fifo_status();
    uint8_t data_status() const;
    void reply(const uint8_t* p, size_t n);

    std::mutex mu_;
    const int index_;
    int naxis_;
    bool open_ = false;
    bool unplugged_ = false;

    RegisterFile regs_;
    Ring<int16_t> contour_{8192};
    Motion motion_{regs_, contour_};
    CmdFifo fifo_[2];
    bool immediateRunning_ = true;
    bool contourBusy_ = false;
    SerialFlash flash_;
    uint8_t lastFlashIn_ = 0xFF;
    std::vector<uint16_t> internal_ = std::vector<uint16_t>(0x8000, 0);
    uint16_t internalSel_ = 0;
    Ring<uint8_t> graph_{4096};
    bool graphOn_ = true;
    BridgeEeprom eeprom_;
    Faults faults_;

    std::vector<uint8_t> in_;  // bytes written, not yet a whole frame
    std::vector<uint8_t> rx_;  // replies waiting for the host
    size_t rxHead_ = 0;

    ClockMode clock_ = ClockMode::Real;
    uint64_t stepNs_ = 100'000;
    uint64_t now_ = 0;  // card time, ns
    uint64_t tickNs_ = 100'000;
    uint64_t subTick_ = 0;    // ns since the last tick
    int64_t latencyUs_ = -1;  // -1: the clock's default
    std::chrono::steady_clock::time_point wallBase_;
};

}  // namespace zeq::sim
