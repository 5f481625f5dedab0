// The motion model of the virtual card, stepped once per servo tick. Every axis is ideal: the
// encoder follows the command. Positions are kept internally in 1/65536 counts so that S16.16
// velocities and accelerations add up exactly; the host sees them through the register file,
// which the model rewrites every tick. sim/README.md describes each register.
#pragma once

#include <array>
#include <cstdint>

#include "sim/register_file.h"
#include "sim/ring.h"

namespace zeq::sim {

// Where event instructions send their writes, so that they have the same side effects as a
// write command (starting a move, clearing a FIFO …).
class WriteSink {
  public:
    virtual void event_write(int axis, int addr, const uint16_t* words, int n) = 0;

  protected:
    ~WriteSink() = default;
};

// A trapezoidal profile generator (`mcs` or `pcs`). Units: 1/65536 count, ticks.
struct Profile {
    enum Mode : uint8_t { Idle, Position, Velocity, Stop };
    int64_t pos = 0;
    int64_t vel = 0;
    int64_t target = 0;
    int64_t tgvel = 0;
    Mode mode = Idle;

    // One tick with the given limits (0 acceleration or deceleration = a jump); returns the
    // position change.
    int64_t step(int64_t vmax, int64_t acc, int64_t dec);
    bool moving() const { return mode != Idle; }
};

class Motion {
  public:
    static constexpr int kChannels = 32;
    // Contour interpolation period: 10^8 / 2^20 periods per second, i.e. 2^20 · 10 ns.
    static constexpr uint64_t kContourPeriodNs = (1ull << 20) * 10;

    Motion(RegisterFile& regs, Ring<int16_t>& contour) : r_(regs), contour_(contour) {}

    void set_sink(WriteSink* sink) { sink_ = sink; }
    void set_tick_ns(uint64_t ns) { tickNs_ = ns; }
    // Power-on state of every motion register for a card of `naxis` axes.
    void power_on(int naxis);
    void set_naxis(int naxis) { naxis_ = naxis; }
    // Side effects of a host write that started at `addr` on `axis`.
    void on_write(int axis, uint16_t addr);
    // One servo tick.
    void tick();
    // True when a tick would change nothing but the tick counter.
    bool idle() const { return !active_; }

    // The simulated home switch of an axis: the position of its edge (default 0).
    void set_home_switch(int axis, int32_t pos) { axis_[axis & 7].homeSwitch = pos; }

  private:
    enum class Home : uint8_t { Off, Search, Back, Settle };
    enum class Sync : uint8_t { Off, GearIn, MoveIn, VelIn };

    struct Axis {
        Profile mcs, pcs;
        int64_t ext = 0;       // gearing, contour and homing offsets (1/65536 count)
        int64_t gearRest = 0;  // gearing remainder below 1/65536 count (in 2^-48 counts)
        int64_t lastVel = 0;   // curvel of the previous tick
        int64_t ownVel = 0;    // this tick's generator velocity
        int64_t pcsDelta = 0;  // this tick's `pcs` position change
        bool geared = false;
        bool phasing = false;  // `shiftmaster`: the `pcs` move feeds the gearing, not the axis
        // Synchronised start: progress of a source register from a start value.
        Sync sync = Sync::Off;
        int64_t syncStart = 0;
        int64_t syncFrom = 0;  // starting velocity (VelIn) or position (MoveIn)
        int64_t syncDone = 0;  // MoveIn: distance already made (1/65536 count)
        Home home = Home::Off;
        int homeDir = 1;
        int32_t homeSwitch = 0;
        // Contour playback of the current period.
        int64_t contourWord = 0;
        int64_t contourDone = 0;
    };

    struct Channel {
        uint16_t w[8] = {};
        bool enabled = false;
        bool last = false;  // condition result of the previous tick (edge conditions)
    };

    // One host write to an axis register, as the write steps see it.
    struct AxisWrite {
        int axis;
        uint16_t addr;
        bool stopped;    // `emstop` is set
        bool syncArmed;  // the axis's gear-sync flag is set
    };

    static int64_t position(const Axis& x) {
        return x.mcs.pos + (x.phasing ? 0 : x.pcs.pos) + x.ext;
    }
    void card_write(uint16_t addr, bool stopped);
    void channel_control(uint16_t events);
    void generator_write(Axis& x, const AxisWrite& w);
    void position_write(Axis& x, const AxisWrite& w);
    void gear_write(Axis& x, const AxisWrite& w);
    void stop_all_dead();
    void set_position(int a, int64_t pos);
    void gear_step(int a);
    double sync_progress(int a);
    void contour_step();
    void home_step(int a);
    void events_step();
    void run_instruction(Channel& ch);
    void publish(int a);
    void update_active();
    int64_t src_value(int axis, int addr) const;

    RegisterFile& r_;
    Ring<int16_t>& contour_;
    WriteSink* sink_ = nullptr;
    int naxis_ = 4;
    uint64_t tickNs_ = 100'000;
    std::array<Axis, RegisterFile::kAxes> axis_{};
    std::array<Channel, kChannels> ch_{};
    bool flagZ_ = false, flagC_ = false;
    // Group playback
    bool groupOn_ = false;
    bool periodLoaded_ = false;
    uint64_t periodNs_ = 0;
    bool active_ = false;
};

}  // namespace zeq::sim
