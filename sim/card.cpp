// Card state, card time and the execution of command blocks.
#include "sim/card.h"

#include <algorithm>

#include "card/wire.h"
#include "sim/regs.h"

namespace zeq::sim {

namespace {

// Firmware identity of the virtual card: a USB card (kind 0) with firmware dated 2018-06-15.
constexpr uint16_t kYearDigit = 8;
constexpr uint16_t kFwDate = 0x0615;
constexpr uint32_t kSysclk = 100'000'000;

// Number of value words after the command word, by operation (bits 15..13).
constexpr int kValueWords[8] = {0, 0, 0, 0, 1, 2, 3, 0};

// Registers the host cannot write (per word address).
bool read_only(int addr) {
    switch (addr) {
        case reg::profiling:
        case reg::smoothing:
        case reg::contouring:
        case reg::moving:
        case reg::motion:
        case reg::outsettle:
        case reg::outtrack:
        case reg::poserr:
        case reg::curpos:
        case reg::curpos + 1:
        case reg::curvel:
        case reg::curvel + 1:
        case reg::cappos:
        case reg::cappos + 1:
        case reg::clkdiv:
        case reg::fwversion:
        case reg::sysclk:
        case reg::sysclk + 1:
        case reg::naxis:
        case reg::hwversion:
            return true;
        default:
            return false;
    }
}

}  // namespace

SimCard::SimCard(int index, int naxis)
    : index_(index), naxis_(std::clamp(naxis, 1, RegisterFile::kAxes)) {
    fifo_[kImmediate].words.resize(256);
    fifo_[kImmediate].rb.resize(256);
    fifo_[kQueue].words.resize(1024);
    fifo_[kQueue].rb.resize(256);
    eeprom_.description = "ZEQ-SIM" + std::to_string(index);
    eeprom_.serial = "ZEQSIM" + std::to_string(index);
    wallBase_ = std::chrono::steady_clock::now();
    motion_.set_sink(this);
    power_on_regs();
}

void SimCard::event_write(int axis, int addr, const uint16_t* words, int n) {
    apply_write(axis, addr, words, n);
}

void SimCard::set_home_switch(int axis, int32_t pos) {
    std::lock_guard lk(mu_);
    motion_.set_home_switch(axis, pos);
}

void SimCard::power_on_regs() {
    regs_.clear();
    regs_.set16(0, reg::naxis, static_cast<uint16_t>(naxis_));
    regs_.set16(0, reg::hwversion, static_cast<uint16_t>((naxis_ << 8) | kYearDigit));
    regs_.set16(0, reg::fwversion, kFwDate);
    regs_.set32(0, reg::sysclk, kSysclk);
    regs_.set16(0, reg::clkdiv, static_cast<uint16_t>(kSysclk / 1'000'000'000.0 * tickNs_));
    motion_.set_tick_ns(tickNs_);
    motion_.power_on(naxis_);
}

void SimCard::card_reset() {
    std::lock_guard lk(mu_);
    reset_locked();
}

void SimCard::reset_locked() {
    for (auto& f : fifo_) {
        f.words.clear();
        f.rb.clear();
        f.partN = 0;
        f.ackPending = false;
        f.executed = f.refused = 0;
    }
    contour_.clear();
    contourBusy_ = false;
    graph_.clear();
    internalSel_ = 0;
    power_on_regs();
    // After a reset the immediate FIFO takes blocks but runs them only once it is started
    // (register 8 ← 0).
    immediateRunning_ = false;
}

// ---- card time ------------------------------------------------------------------------------

void SimCard::sync_clock() {
    if (clock_ == ClockMode::Step) {
        advance(stepNs_);
        return;
    }
    auto wall = std::chrono::steady_clock::now() - wallBase_;
    auto ns =
        static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(wall).count());
    if (ns > now_) advance(ns - now_);
}

bool SimCard::idle() const {
    return motion_.idle() && fifo_[kQueue].words.empty() &&
           (fifo_[kImmediate].words.empty() || !immediateRunning_);
}

void SimCard::advance(uint64_t ns) {
    now_ += ns;
    subTick_ += ns;
    if (subTick_ < tickNs_) return;
    uint64_t n = subTick_ / tickNs_;
    subTick_ %= tickNs_;
    // A card with nothing to do only counts ticks (and keeps sampling its constant positions),
    // so that catching up a long idle stretch of wall time costs nothing.
    while (n > 0 && !idle()) {
        tick();
        --n;
    }
    if (n == 0) return;
    regs_.set32(0, reg::ticks, static_cast<uint32_t>(regs_.u32(0, reg::ticks) + n));
    if (graphOn_) {
        const uint64_t k = std::min<uint64_t>(n, graph_.capacity() / 16 + 1);
        for (uint64_t i = 0; i < k; ++i) sample_graph();
    }
}

void SimCard::sample_graph() {
    for (int a = 0; a < 4; ++a) {
        const uint32_t p = regs_.u32(a, reg::curpos);
        for (int b = 0; b < 4; ++b) graph_.push_overwrite(static_cast<uint8_t>(p >> (8 * b)));
    }
}

void SimCard::tick() {
    regs_.set32(0, reg::ticks, regs_.u32(0, reg::ticks) + 1);
    motion_.tick();
    // The queue runs after the motion step, so a wait on a motion flag ends in the tick where
    // the flag falls.
    run_all();
    if (graphOn_) sample_graph();
}

// ---- command execution ----------------------------------------------------------------------

void SimCard::command_word(int which, uint16_t w) {
    CmdFifo& f = fifo_[which];
    if (f.partN == 0) {
        f.partNeed = 2 + kValueWords[w >> card::wire::kCommandOpShift];
        f.ackPending = true;
    }
    f.part[f.partN++] = w;
    if (f.partN < f.partNeed) return;
    const int need = f.partNeed;
    f.partN = 0;
    uint16_t sum = 0;
    for (int i = 0; i < need - 1; ++i) sum = static_cast<uint16_t>(sum + f.part[i]);
    bool take = sum == f.part[need - 1] && f.words.free() >= static_cast<size_t>(need - 1);
    if (take && faults_.drop > 0) {
        --faults_.drop;
        take = false;
    }
    if (!take) {
        ++f.refused;
        return;  // the acknowledge bit stays set: the host sends the block again
    }
    for (int i = 0; i < need - 1; ++i) f.words.push(f.part[i]);
    f.ackPending = false;
    run_fifo(which);
}

void SimCard::run_all() {
    run_fifo(kImmediate);
    run_fifo(kQueue);
}

void SimCard::run_fifo(int which) {
    CmdFifo& f = fifo_[which];
    if (which == kImmediate && !immediateRunning_) return;
    while (!f.words.empty()) {
        const uint16_t cmd = f.words.peek(0);
        const int op = cmd >> card::wire::kCommandOpShift;
        const int axis = (cmd >> card::wire::kCommandAxisShift) & card::wire::kCommandAxisMask;
        const int addr = cmd & card::wire::kCommandAddressMask;
        const int nv = kValueWords[op];
        switch (op) {
            case 0:
            case 1:
            case 2: {  // reads of 16, 32, 48 bits
                const int n = op + 1;
                // A full read-back FIFO holds the command until the host makes room.
                if (f.rb.free() < static_cast<size_t>(n + 1)) return;
                uint16_t sum = cmd;
                for (int i = 0; i < n; ++i) {
                    uint16_t v = regs_.u16(axis, addr + i);
                    f.rb.push(v);
                    sum = static_cast<uint16_t>(sum + v);
                }
                if (faults_.badsum > 0) {
                    --faults_.badsum;
                    sum = static_cast<uint16_t>(sum ^ 0x5A5A);
                }
                f.rb.push(sum);
                f.words.drop(1);
                break;
            }
            case 3: {  // wait token
                const uint16_t filt = regs_.u16(0, reg::waitfilt);
                if ((regs_.u16(axis, addr) & filt) != (regs_.u16(0, reg::waitequ) & filt)) return;
                f.words.drop(1);
                break;
            }
            case 7:  // wait to zero
                if (regs_.u16(axis, addr) != 0) return;
                f.words.drop(1);
                break;
            default: {  // writes of 16, 32, 48 bits
                if (f.words.size() < static_cast<size_t>(1 + nv)) return;  // cannot happen
                uint16_t v[3];
                for (int i = 0; i < nv; ++i) v[i] = f.words.peek(1 + i);
                f.words.drop(1 + nv);
                ++f.executed;
                apply_write(axis, addr, v, nv);
                continue;
            }
        }
        ++f.executed;
    }
}

void SimCard::apply_write(int axis, int addr, const uint16_t* v, int n) {
    for (int i = 0; i < n; ++i) {
        int a = (addr + i) & 1023;
        if (!read_only(a)) regs_.set16(axis, a, v[i]);
    }
    if (axis == 0) {
        switch (addr) {
            case reg::clrififo:
                if (v[0] != 0) {
                    fifo_[kImmediate].words.clear();
                    fifo_[kImmediate].partN = 0;
                }
                regs_.set16(0, reg::clrififo, 0);
                return;
            case reg::clrqfifo:
                if (v[0] != 0) {
                    fifo_[kQueue].words.clear();
                    fifo_[kQueue].partN = 0;
                }
                regs_.set16(0, reg::clrqfifo, 0);
                return;
            case reg::cfifocnt:
                // Writing the count clears the contour FIFO.
                contour_.clear();
                regs_.set16(0, reg::cfifocnt, 0);
                return;
            default:
                break;
        }
    }
    motion_.on_write(axis, static_cast<uint16_t>(addr));
}

// ---- white-box API --------------------------------------------------------------------------

int SimCard::naxis() {
    std::lock_guard lk(mu_);
    return naxis_;
}

void SimCard::set_naxis(int n) {
    std::lock_guard lk(mu_);
    naxis_ = std::clamp(n, 1, RegisterFile::kAxes);
    regs_.set16(0, reg::naxis, static_cast<uint16_t>(naxis_));
    regs_.set16(0, reg::hwversion, static_cast<uint16_t>((naxis_ << 8) | kYearDigit));
    motion_.set_naxis(naxis_);
}

uint16_t SimCard::reg16(int axis, int addr) {
    std::lock_guard lk(mu_);
    return regs_.u16(axis, addr);
}
int32_t SimCard::reg32(int axis, int addr) {
    std::lock_guard lk(mu_);
    return regs_.s32(axis, addr);
}
int64_t SimCard::reg48(int axis, int addr) {
    std::lock_guard lk(mu_);
    return regs_.s48(axis, addr);
}

void SimCard::write16(int axis, int addr, uint16_t v) {
    std::lock_guard lk(mu_);
    apply_write(axis, addr, &v, 1);
    run_all();
}
void SimCard::write32(int axis, int addr, int32_t v) {
    std::lock_guard lk(mu_);
    uint16_t w[2] = {static_cast<uint16_t>(v),
                     static_cast<uint16_t>(static_cast<uint32_t>(v) >> 16)};
    apply_write(axis, addr, w, 2);
    run_all();
}
void SimCard::write48(int axis, int addr, int64_t v) {
    std::lock_guard lk(mu_);
    auto u = static_cast<uint64_t>(v);
    uint16_t w[3] = {static_cast<uint16_t>(u), static_cast<uint16_t>(u >> 16),
                     static_cast<uint16_t>(u >> 32)};
    apply_write(axis, addr, w, 3);
    run_all();
}
void SimCard::poke16(int axis, int addr, uint16_t v) {
    std::lock_guard lk(mu_);
    regs_.set16(axis, addr, v);
}

uint8_t SimCard::flash_byte(uint32_t addr) {
    std::lock_guard lk(mu_);
    return flash_.peek(addr);
}
void SimCard::set_flash_byte(uint32_t addr, uint8_t v) {
    std::lock_guard lk(mu_);
    flash_.poke(addr, v);
}
std::vector<uint8_t> SimCard::flash_image() {
    std::lock_guard lk(mu_);
    return flash_.contents();
}
bool SimCard::set_flash_image(const std::vector<uint8_t>& bytes) {
    std::lock_guard lk(mu_);
    return flash_.load(bytes);
}
bool SimCard::flash_busy() {
    std::lock_guard lk(mu_);
    return flash_.busy(now_);
}

uint16_t SimCard::internal_reg(uint16_t r) {
    std::lock_guard lk(mu_);
    return internal_[r & card::wire::kMaxInternalRegister];
}
void SimCard::set_internal_reg(uint16_t r, uint16_t v) {
    std::lock_guard lk(mu_);
    internal_[r & card::wire::kMaxInternalRegister] = v;
}

bool SimCard::set_faults(std::string_view text, std::string* error) {
    std::lock_guard lk(mu_);
    return faults_.apply(text, error);
}
void SimCard::clear_faults() {
    std::lock_guard lk(mu_);
    faults_.clear();
}
Faults SimCard::faults() {
    std::lock_guard lk(mu_);
    return faults_;
}

uint64_t SimCard::executed(int which) {
    std::lock_guard lk(mu_);
    return fifo_[which ? kQueue : kImmediate].executed;
}
uint64_t SimCard::refused(int which) {
    std::lock_guard lk(mu_);
    return fifo_[which ? kQueue : kImmediate].refused;
}
size_t SimCard::fifo_words(int which) {
    std::lock_guard lk(mu_);
    return fifo_[which ? kQueue : kImmediate].words.size();
}
size_t SimCard::readback_words(int which) {
    std::lock_guard lk(mu_);
    return fifo_[which ? kQueue : kImmediate].rb.size();
}
size_t SimCard::contour_words() {
    std::lock_guard lk(mu_);
    return contour_.size();
}
void SimCard::set_depths(size_t immediate, size_t queue, size_t readback, size_t contour) {
    std::lock_guard lk(mu_);
    fifo_[kImmediate].words.resize(std::max<size_t>(immediate, 8));
    fifo_[kQueue].words.resize(std::max<size_t>(queue, 8));
    fifo_[kImmediate].rb.resize(std::max<size_t>(readback, 8));
    fifo_[kQueue].rb.resize(std::max<size_t>(readback, 8));
    contour_.resize(std::max<size_t>(contour, 256));
    regs_.set16(0, reg::cfifocnt, 0);
}

void SimCard::set_clock(ClockMode mode, uint64_t stepNs) {
    std::lock_guard lk(mu_);
    if (clock_ == ClockMode::Step && mode == ClockMode::Real) {
        // Real time resumes from the current card time.
        wallBase_ = std::chrono::steady_clock::now() - std::chrono::nanoseconds(now_);
    }
    clock_ = mode;
    if (stepNs > 0) stepNs_ = stepNs;
}
ClockMode SimCard::clock_mode() {
    std::lock_guard lk(mu_);
    return clock_;
}
uint64_t SimCard::now_ns() {
    std::lock_guard lk(mu_);
    return now_;
}
void SimCard::advance_ns(uint64_t ns) {
    std::lock_guard lk(mu_);
    advance(ns);
    if (clock_ == ClockMode::Real) wallBase_ -= std::chrono::nanoseconds(ns);
}
void SimCard::run_ticks(uint64_t n) {
    std::lock_guard lk(mu_);
    if (n == 0) return;
    uint64_t ns = n * tickNs_ - subTick_;
    advance(ns);
    if (clock_ == ClockMode::Real) wallBase_ -= std::chrono::nanoseconds(ns);
}
void SimCard::set_tick_ns(uint64_t ns) {
    std::lock_guard lk(mu_);
    tickNs_ = std::max<uint64_t>(ns, 1000);
    subTick_ = 0;
    motion_.set_tick_ns(tickNs_);
    regs_.set16(0, reg::clkdiv, static_cast<uint16_t>(kSysclk / 1'000'000'000.0 * tickNs_));
}
uint64_t SimCard::tick_ns() {
    std::lock_guard lk(mu_);
    return tickNs_;
}
void SimCard::set_latency_us(uint32_t us) {
    std::lock_guard lk(mu_);
    latencyUs_ = us;
}
uint32_t SimCard::latency_us() {
    std::lock_guard lk(mu_);
    if (latencyUs_ >= 0) return static_cast<uint32_t>(latencyUs_);
    // Unless set: the round trip of a USB card with the real clock, none with the step clock.
    return clock_ == ClockMode::Real ? kUsbLatencyUs : 0;
}
void SimCard::set_graph_capture(bool on) {
    std::lock_guard lk(mu_);
    graphOn_ = on;
    if (!on) graph_.clear();
}
size_t SimCard::graph_bytes() {
    std::lock_guard lk(mu_);
    return graph_.size();
}

}  // namespace zeq::sim
