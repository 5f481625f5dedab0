#include "sim/motion.h"

#include <algorithm>
#include <cstdlib>

#include "sim/regs.h"

namespace zeq::sim {

namespace {

constexpr uint16_t kOn = 0xFFFF;
constexpr int64_t kOne = 65536;  // one count in the internal unit

// Error bits of the `error` register.
constexpr uint16_t kErrPosLimit = 0x0004, kErrNegLimit = 0x0008, kErrVelLimit = 0x0010,
                   kErrEmstop = 0x0040;

using i128 = __int128;

// Distance covered after the current tick when braking from v at d per tick:
// (v - d) + (v - 2d) + … over the positive terms.
i128 stop_distance(int64_t v, int64_t d) {
    if (v <= d) return 0;
    i128 n = (v - 1) / d;
    return n * v - static_cast<i128>(d) * n * (n + 1) / 2;
}

// The largest velocity v <= hi with which the axis can still stop within r: v + S(v) <= r.
int64_t braking_velocity(int64_t r, int64_t d, int64_t hi) {
    if (hi <= 0) return 0;
    if (hi + stop_distance(hi, d) <= r) return hi;
    int64_t lo = 0;  // always feasible
    while (lo < hi) {
        int64_t mid = lo + (hi - lo + 1) / 2;
        if (mid + stop_distance(mid, d) <= r)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

// One tick of velocity towards tg: growing magnitude at acc, shrinking at dec, through zero
// in two steps (0 means a jump).
int64_t approach(int64_t v, int64_t tg, int64_t acc, int64_t dec) {
    if (v == tg) return v;
    const bool up = v < tg;
    const bool grow = up ? v >= 0 : v <= 0;
    const int64_t lim = grow ? acc : dec;
    int64_t nv = lim > 0 ? (up ? v + lim : v - lim) : tg;
    if (up)
        nv = std::min(nv, grow ? tg : std::min<int64_t>(tg, 0));
    else
        nv = std::max(nv, grow ? tg : std::max<int64_t>(tg, 0));
    return nv;
}

int64_t lim_min(int64_t v, int64_t limit) {
    return limit > 0 ? std::min(v, limit) : v;
}

}  // namespace

int64_t Profile::step(int64_t vmax, int64_t acc, int64_t dec) {
    acc = std::max<int64_t>(acc, 0);
    dec = std::max<int64_t>(dec, 0);
    vmax = std::max<int64_t>(vmax, 0);
    switch (mode) {
        case Idle:
            vel = 0;
            return 0;
        case Position: {
            const int64_t rem = target - pos;
            if (rem == 0 && vel == 0) {
                mode = Idle;
                return 0;
            }
            const int64_t s = rem > 0 ? 1 : rem < 0 ? -1 : (vel > 0 ? -1 : 1);
            const int64_t u = vel * s;
            const int64_t r = rem * s;
            int64_t nu;
            if (u < 0) {
                nu = dec > 0 ? std::min<int64_t>(u + dec, 0) : 0;  // moving away: turn round
            } else {
                int64_t ua;
                if (u < vmax)
                    ua = acc > 0 ? std::min(u + acc, vmax) : vmax;
                else
                    ua = dec > 0 ? std::max(u - dec, vmax) : vmax;
                const int64_t ub = dec > 0 ? braking_velocity(r, dec, ua) : std::min(ua, r);
                nu = std::min(ua, ub);
                if (dec > 0) nu = std::max(nu, u - dec);  // cannot brake harder than dec
                nu = std::max<int64_t>(nu, 0);
            }
            vel = nu * s;
            pos += vel;
            const int64_t moved = vel;
            if (pos == target && (dec == 0 || std::llabs(vel) <= dec)) {
                vel = 0;
                mode = Idle;
            }
            return moved;
        }
        case Velocity: {
            const int64_t tg = std::clamp(tgvel, -vmax, vmax);
            vel = approach(vel, tg, acc, dec);
            pos += vel;
            if (vel == 0 && tgvel == 0) {
                mode = Idle;
                target = pos;
            }
            return vel;
        }
        case Stop: {
            vel = approach(vel, 0, acc, dec);
            pos += vel;
            if (vel == 0) {
                mode = Idle;
                target = pos;
            }
            return vel;
        }
    }
    return 0;
}

void Motion::power_on(int naxis) {
    naxis_ = naxis;
    axis_ = {};
    ch_ = {};
    flagZ_ = flagC_ = false;
    groupOn_ = periodLoaded_ = false;
    periodNs_ = 0;
    for (int a = 0; a < RegisterFile::kAxes; ++a) {
        r_.set32(a, reg::mcsmaxvel, 10 * kOne);
        r_.set32(a, reg::mcsaccel, kOne);
        r_.set32(a, reg::mcsdecel, kOne);
        r_.set32(a, reg::pcsmaxvel, 10 * kOne);
        r_.set32(a, reg::pcsaccel, kOne);
        r_.set32(a, reg::pcsdecel, kOne);
        r_.set32(a, reg::encpfactor, kOne);
        r_.set32(a, reg::encsfactor, kOne);
        r_.set32(a, reg::psoftlim, 0x7FFFFFFF);
        r_.set32(a, reg::nsoftlim, 0x80000000u);
        r_.set32(a, reg::highvel, 10 * kOne);
        r_.set32(a, reg::lowvel, kOne);
        r_.set48(a, reg::gearratio, int64_t{1} << 32);
        r_.set16(a, reg::gearsrc, reg::curvel);
        r_.set16(a, reg::synsrc, reg::ticks);
    }
    r_.set16(0, reg::waitfilt, 0xFFFF);
    r_.set16(0, reg::waitequ, 0xFFFF);
    active_ = false;
}

void Motion::set_position(int a, int64_t pos) {
    Axis& x = axis_[a];
    x.mcs.pos = pos;
    x.mcs.target = pos;
    x.pcs.pos = 0;
    x.pcs.target = 0;
    x.ext = 0;
    x.gearRest = 0;
    x.phasing = false;
    r_.set16(a, reg::shiftmaster, 0);
    r_.set32(a, reg::mcstgpos, static_cast<uint32_t>(pos >> 16));
    r_.set32(a, reg::pcstgpos, 0);
}

int64_t Motion::src_value(int axis, int addr) const {
    if (addr == reg::ticks) return r_.u32(0, reg::ticks);
    return r_.s32(axis, addr);
}

double Motion::sync_progress(int a) {
    const uint32_t span = r_.u32(a, reg::synsrcvar);
    if (span == 0) return 1.0;
    const int64_t now = src_value(r_.u16(a, reg::synaxis), r_.u16(a, reg::synsrc));
    const double p = static_cast<double>(std::llabs(now - axis_[a].syncStart)) / span;
    return std::min(p, 1.0);
}

void Motion::stop_all_dead() {
    for (int a = 0; a < RegisterFile::kAxes; ++a) {
        Axis& x = axis_[a];
        for (Profile* p : {&x.mcs, &x.pcs}) {
            p->vel = 0;
            p->mode = Profile::Idle;
            p->target = p->pos;
        }
        x.geared = false;
        x.home = Home::Off;
        x.sync = Sync::Off;
        x.ownVel = x.lastVel = 0;
        r_.set16(a, reg::mcsgo, 0);
        r_.set16(a, reg::pcsgo, 0);
        r_.set16(a, reg::gohome, 0);
        r_.set16(a, reg::engear, 0);
        if (a < naxis_) r_.set16(a, reg::error, r_.u16(a, reg::error) | kErrEmstop);
        publish(a);
    }
    groupOn_ = periodLoaded_ = false;
    periodNs_ = 0;
    r_.set16(0, reg::startgroup, 0);
}

// A host write to register `addr` of axis `a`: the card-wide registers first (axis 0 only), then
// the axis's profile generators, its position registers and homing, and its gearing.
void Motion::on_write(int a, uint16_t addr) {
    Axis& x = axis_[a & 7];
    const AxisWrite w{a, addr, r_.u16(0, reg::emstop) != 0, r_.u16(a, reg::gearsync) != 0};
    if (a == 0) card_write(addr, w.stopped);
    // Each step acts on its own registers only; the others pass through it.
    generator_write(x, w);
    position_write(x, w);
    gear_write(x, w);
    publish(a & 7);
    update_active();
}

// `emstop`, `startgroup`, `events`, `eventid` and the `eventbase` words.
void Motion::card_write(uint16_t addr, bool stopped) {
    switch (addr) {
        case reg::emstop:
            if (stopped) stop_all_dead();
            break;
        case reg::startgroup:
            groupOn_ = r_.u16(0, reg::startgroup) != 0 && !stopped;
            if (!groupOn_) r_.set16(0, reg::startgroup, 0);
            break;
        case reg::events:
            channel_control(r_.u16(0, reg::events));
            break;
        case reg::eventid: {
            const Channel& c = ch_[r_.u16(0, reg::eventid) % kChannels];
            for (int i = 0; i < 8; ++i) r_.set16(0, reg::eventbase + i, c.w[i]);
            break;
        }
        case reg::eventbase:
        case reg::eventbase + 2:
        case reg::eventbase + 4:
        case reg::eventbase + 6: {
            Channel& c = ch_[r_.u16(0, reg::eventid) % kChannels];
            for (int i = 0; i < 8; ++i) c.w[i] = r_.u16(0, reg::eventbase + i);
            break;
        }
        default:
            break;
    }
}

// `events`: 0xFFFF disables every channel, 0x8000 | n disables channel n, n enables it afresh.
void Motion::channel_control(uint16_t v) {
    if (v == 0xFFFF) {
        for (auto& c : ch_) c.enabled = false;
    } else if (v & 0x8000) {
        if ((v & 0xFF) < kChannels) ch_[v & 0xFF].enabled = false;
    } else if (v < kChannels) {
        ch_[v].enabled = true;
        ch_[v].last = false;
    }
}

// Go flags, targets, distances and velocities of the `mcs` and `pcs` generators.
void Motion::generator_write(Axis& x, const AxisWrite& w) {
    const int a = w.axis;
    const bool stopped = w.stopped;
    switch (w.addr) {
        case reg::mcsgo:
            if (r_.u16(a, reg::mcsgo) != 0) {
                if (stopped) {
                    r_.set16(a, reg::mcsgo, 0);
                    break;
                }
                x.mcs.target = static_cast<int64_t>(r_.s32(a, reg::mcstgpos)) * kOne;
                x.mcs.mode = Profile::Position;
                if (x.sync == Sync::VelIn) x.sync = Sync::Off;
            } else if (x.mcs.moving()) {
                x.mcs.mode = Profile::Stop;
            }
            break;
        case reg::pcsgo:
            if (r_.u16(a, reg::pcsgo) != 0) {
                if (stopped) {
                    r_.set16(a, reg::pcsgo, 0);
                    break;
                }
                x.pcs.target = static_cast<int64_t>(r_.s32(a, reg::pcstgpos)) * kOne;
                x.pcs.mode = Profile::Position;
            } else if (x.pcs.moving()) {
                x.pcs.mode = Profile::Stop;
            }
            break;
        case reg::mcsdist:
            r_.set32(a, reg::mcstgpos,
                     static_cast<uint32_t>((x.mcs.pos >> 16) + r_.s32(a, reg::mcsdist)));
            [[fallthrough]];
        case reg::mcstgpos:
            // In track mode a new target takes effect at once.
            if (r_.u16(a, reg::mcstrack) != 0 && !stopped) {
                x.mcs.target = static_cast<int64_t>(r_.s32(a, reg::mcstgpos)) * kOne;
                x.mcs.mode = Profile::Position;
            }
            break;
        case reg::pcsdist:
            r_.set32(a, reg::pcstgpos,
                     static_cast<uint32_t>((x.pcs.pos >> 16) + r_.s32(a, reg::pcsdist)));
            [[fallthrough]];
        case reg::pcstgpos:
            if (r_.u16(a, reg::pcstrack) != 0 && !stopped) {
                x.pcs.target = static_cast<int64_t>(r_.s32(a, reg::pcstgpos)) * kOne;
                x.pcs.mode = Profile::Position;
            }
            break;
        case reg::mcstgvel:
            if (stopped) break;
            if (w.syncArmed && r_.u16(a, reg::syntype) == 0) {
                x.sync = Sync::VelIn;
                x.syncFrom = x.mcs.vel;
                x.syncStart = src_value(r_.u16(a, reg::synaxis), r_.u16(a, reg::synsrc));
            } else {
                x.mcs.tgvel = r_.s32(a, reg::mcstgvel);
            }
            x.mcs.mode = Profile::Velocity;
            break;
        case reg::pcstgvel:
            if (stopped) break;
            x.pcs.tgvel = r_.s32(a, reg::pcstgvel);
            x.pcs.mode = Profile::Velocity;
            break;
        default:
            break;
    }
}

// Positions (`mcspos`, `pcspos`, `encp`), homing (`gohome`, `sethome`) and `clear`.
void Motion::position_write(Axis& x, const AxisWrite& w) {
    const int a = w.axis;
    switch (w.addr) {
        case reg::mcspos:
            x.mcs.pos = static_cast<int64_t>(r_.s32(a, reg::mcspos)) * kOne;
            if (!x.mcs.moving()) x.mcs.target = x.mcs.pos;
            break;
        case reg::pcspos:
            x.pcs.pos = static_cast<int64_t>(r_.s32(a, reg::pcspos)) * kOne;
            if (!x.pcs.moving()) x.pcs.target = x.pcs.pos;
            break;
        case reg::encp:
            // Writing the encoder redefines the axis position.
            set_position(a, static_cast<int64_t>(r_.s32(a, reg::encp)) * kOne);
            break;
        case reg::gohome:
            if (r_.u16(a, reg::gohome) != 0 && !w.stopped) {
                x.home = Home::Search;
                x.homeDir = (r_.u16(a, reg::homeseq) & 0x8000) ? -1 : 1;
                r_.set16(a, reg::homed, 0);
            } else {
                r_.set16(a, reg::gohome, 0);
                if (x.home != Home::Off) {
                    x.home = Home::Off;
                    x.mcs.mode = Profile::Stop;
                }
            }
            break;
        case reg::sethome:
            if (r_.u16(a, reg::sethome) != 0) {
                set_position(a, static_cast<int64_t>(r_.s32(a, reg::homepos)) * kOne);
                r_.set16(a, reg::homed, kOn);
                r_.set16(a, reg::sethome, 0);
            }
            break;
        case reg::clear:
            if (r_.u16(a, reg::clear) != 0) {
                r_.set16(a, reg::error, 0);
                r_.set16(a, reg::clear, 0);
            }
            break;
        default:
            break;
    }
}

// Gearing (`engear`), the synchronised move (`slavedist`) and phasing (`shiftmaster`).
void Motion::gear_write(Axis& x, const AxisWrite& w) {
    const int a = w.axis;
    switch (w.addr) {
        case reg::engear:
            if (r_.u16(a, reg::engear) != 0) {
                if (w.stopped) {
                    r_.set16(a, reg::engear, 0);
                    break;
                }
                x.geared = true;
                x.gearRest = 0;
                if (w.syncArmed && r_.u16(a, reg::syntype) == 0) {
                    x.sync = Sync::GearIn;
                    x.syncStart = src_value(r_.u16(a, reg::synaxis), r_.u16(a, reg::synsrc));
                }
            } else if (x.geared) {
                // Gear out: the axis keeps its speed and the profile generator takes it to
                // `gearoutvel`.
                x.geared = false;
                if (x.sync == Sync::GearIn) x.sync = Sync::Off;
                const int64_t gearVel = x.lastVel - x.mcs.vel - x.pcs.vel;
                x.mcs.vel += gearVel;
                x.mcs.tgvel = r_.s32(a, reg::gearoutvel);
                x.mcs.mode = Profile::Velocity;
            }
            break;
        case reg::slavedist:
            if (w.syncArmed && r_.u16(a, reg::syntype) != 0 && !w.stopped) {
                x.sync = Sync::MoveIn;
                x.syncDone = 0;
                x.syncStart = src_value(r_.u16(a, reg::synaxis), r_.u16(a, reg::synsrc));
                int64_t d = r_.s32(a, reg::slavedist);
                if (r_.u16(a, reg::slaveabs) != 0) d -= position(x) >> 16;
                x.syncFrom = d;
            }
            break;
        case reg::shiftmaster: {
            // Switching phasing on or off keeps the axis where it is.
            const bool on = r_.u16(a, reg::shiftmaster) != 0;
            if (on != x.phasing) x.ext += on ? x.pcs.pos : -x.pcs.pos;
            x.phasing = on;
            break;
        }
        default:
            break;
    }
}

void Motion::home_step(int a) {
    Axis& x = axis_[a];
    if (x.home == Home::Off) return;
    const int64_t pos = position(x);
    const int64_t sw = static_cast<int64_t>(x.homeSwitch) * kOne;
    const bool active = x.homeDir > 0 ? pos >= sw : pos <= sw;
    switch (x.home) {
        case Home::Search:
            if (!active) {
                x.mcs.mode = Profile::Velocity;
                x.mcs.tgvel = x.homeDir * std::llabs(r_.s32(a, reg::highvel));
            } else {
                x.home = Home::Back;
                x.mcs.mode = Profile::Velocity;
                x.mcs.tgvel = -x.homeDir * std::llabs(r_.s32(a, reg::lowvel));
            }
            break;
        case Home::Back:
            x.mcs.mode = Profile::Velocity;
            if (!active && x.mcs.vel * x.homeDir < 0) {
                // The switch edge: this point becomes `homepos`.
                const int64_t home = static_cast<int64_t>(r_.s32(a, reg::homepos)) * kOne;
                const int64_t vel = x.mcs.vel;
                set_position(a, pos - sw + home);
                x.mcs.vel = vel;
                x.mcs.mode = Profile::Stop;
                x.home = Home::Settle;
            }
            break;
        case Home::Settle:
            if (!x.mcs.moving()) {
                x.home = Home::Off;
                r_.set16(a, reg::homed, kOn);
                r_.set16(a, reg::gohome, 0);
                r_.set32(a, reg::mcstgpos, static_cast<uint32_t>(x.mcs.pos >> 16));
            }
            break;
        case Home::Off:
            break;
    }
}

void Motion::contour_step() {
    const int n = std::min<int>(r_.u16(0, reg::groupnum), 16);
    auto load = [&]() {
        if (!groupOn_ || n == 0 || contour_.size() < static_cast<size_t>(n)) return false;
        for (int i = 0; i < n; ++i) {
            const int ax = r_.u16(0, reg::group_x + i) & 7;
            axis_[ax].contourWord += contour_.pop();
        }
        r_.set16(0, reg::cfifocnt,
                 static_cast<uint16_t>(std::min<size_t>(contour_.size(), 0xFFFF)));
        periodLoaded_ = true;
        return true;
    };
    if (!periodLoaded_ && !load()) {
        periodNs_ = 0;
        return;
    }
    periodNs_ += tickNs_;
    while (true) {
        // The words of a period are spread evenly over it and add up exactly at its end.
        const uint64_t t = std::min<uint64_t>(periodNs_, kContourPeriodNs);
        for (int a = 0; a < naxis_; ++a) {
            Axis& x = axis_[a];
            if (x.contourWord == 0) continue;
            const int64_t want = static_cast<int64_t>(static_cast<i128>(x.contourWord) * kOne * t /
                                                      kContourPeriodNs);
            const int64_t d = want - x.contourDone;
            x.contourDone = want;
            x.ext += d;
            x.ownVel += d;
        }
        if (periodNs_ < kContourPeriodNs) break;
        periodNs_ -= kContourPeriodNs;
        for (auto& x : axis_) x.contourWord = x.contourDone = 0;
        periodLoaded_ = false;
        if (!load()) {
            periodNs_ = 0;
            break;
        }
    }
}

void Motion::gear_step(int a) {
    Axis& x = axis_[a];
    const int m = r_.u16(a, reg::master) & 7;
    int64_t src = r_.s32(m, r_.u16(a, reg::gearsrc));
    // Phasing: the superimposed move shifts the master as this axis sees it.
    if (x.phasing) src += x.pcsDelta;
    int64_t ratio = r_.s48(a, reg::gearratio);
    if (x.sync == Sync::GearIn) {
        const double p = sync_progress(a);
        ratio = static_cast<int64_t>(static_cast<double>(ratio) * p);
        if (p >= 1.0) x.sync = Sync::Off;
    }
    const i128 prod = static_cast<i128>(src) * ratio + x.gearRest;
    const int64_t d = static_cast<int64_t>(prod >> 32);
    x.gearRest = static_cast<int64_t>(prod - static_cast<i128>(d) * (i128{1} << 32));
    x.ext += d;
    x.ownVel += d;
    r_.set32(a, reg::curvel, static_cast<uint32_t>(x.ownVel));
    r_.set32(a, reg::encpvel, static_cast<uint32_t>(x.ownVel));
}

void Motion::publish(int a) {
    Axis& x = axis_[a];
    const int64_t pos = position(x) >> 16;
    r_.set32(a, reg::mcspos, static_cast<uint32_t>(x.mcs.pos >> 16));
    r_.set32(a, reg::mcsvel, static_cast<uint32_t>(x.mcs.vel));
    r_.set16(a, reg::mcsmoving, x.mcs.moving() ? kOn : 0);
    r_.set32(a, reg::pcspos, static_cast<uint32_t>(x.pcs.pos >> 16));
    r_.set32(a, reg::pcsvel, static_cast<uint32_t>(x.pcs.vel));
    r_.set16(a, reg::pcsmoving, x.pcs.moving() ? kOn : 0);
    r_.set32(a, reg::curpos, static_cast<uint32_t>(pos));
    r_.set32(a, reg::curvel, static_cast<uint32_t>(x.lastVel));
    r_.set32(a, reg::encp, static_cast<uint32_t>(pos));
    r_.set32(a, reg::encpvel, static_cast<uint32_t>(x.lastVel));
    const bool prof = x.mcs.moving() || x.pcs.moving();
    const bool moving = prof || x.lastVel != 0 || x.home != Home::Off || x.sync != Sync::Off;
    r_.set16(a, reg::profiling, prof ? kOn : 0);
    r_.set16(a, reg::moving, moving ? kOn : 0);
    r_.set16(a, reg::motion, moving ? kOn : 0);
    bool grouped = false;
    if (groupOn_ || periodLoaded_) {
        const int n = std::min<int>(r_.u16(0, reg::groupnum), 16);
        for (int i = 0; i < n && !grouped; ++i) grouped = (r_.u16(0, reg::group_x + i) & 7) == a;
    }
    r_.set16(a, reg::contouring, grouped ? kOn : 0);
    if (!x.mcs.moving() && x.mcs.mode != Profile::Velocity) r_.set16(a, reg::mcsgo, 0);
    if (!x.pcs.moving()) r_.set16(a, reg::pcsgo, 0);
}

void Motion::update_active() {
    bool act = groupOn_ || periodLoaded_ || r_.u16(0, reg::timer) != 0;
    for (const auto& c : ch_) act = act || c.enabled;
    for (int a = 0; a < naxis_ && !act; ++a) {
        const Axis& x = axis_[a];
        act = x.mcs.moving() || x.pcs.moving() || x.geared || x.home != Home::Off ||
              x.sync != Sync::Off || x.lastVel != 0;
    }
    active_ = act;
}

void Motion::tick() {
    if (uint16_t t = r_.u16(0, reg::timer)) r_.set16(0, reg::timer, t - 1);
    if (r_.u16(0, reg::hpause) == 0 && r_.u16(0, reg::emstop) == 0) {
        // Phase 1: the axes' own generators.
        for (int a = 0; a < naxis_; ++a) {
            Axis& x = axis_[a];
            home_step(a);
            if (x.sync == Sync::VelIn) {
                const double p = sync_progress(a);
                const int64_t tg = r_.s32(a, reg::mcstgvel);
                x.mcs.tgvel =
                    x.syncFrom + static_cast<int64_t>(static_cast<double>(tg - x.syncFrom) * p);
                if (p >= 1.0) {
                    x.mcs.tgvel = tg;
                    x.sync = Sync::Off;
                }
            }
            const int64_t vlim = r_.s32(a, reg::vellim);
            const int64_t alim = r_.s32(a, reg::accellim);
            const bool inst = x.sync == Sync::VelIn;
            const int64_t dm = x.mcs.step(lim_min(r_.s32(a, reg::mcsmaxvel), vlim),
                                          inst ? 0 : lim_min(r_.s32(a, reg::mcsaccel), alim),
                                          inst ? 0 : lim_min(r_.s32(a, reg::mcsdecel), alim));
            const int64_t dp = x.pcs.step(lim_min(r_.s32(a, reg::pcsmaxvel), vlim),
                                          lim_min(r_.s32(a, reg::pcsaccel), alim),
                                          lim_min(r_.s32(a, reg::pcsdecel), alim));
            x.pcsDelta = dp;
            x.ownVel = dm + (x.phasing ? 0 : dp);
            if (x.sync == Sync::MoveIn) {
                const double p = sync_progress(a);
                const int64_t want =
                    p >= 1.0 ? x.syncFrom * kOne
                             : static_cast<int64_t>(static_cast<double>(x.syncFrom * kOne) * p);
                const int64_t d = want - x.syncDone;
                x.syncDone = want;
                x.ext += d;
                x.ownVel += d;
                if (p >= 1.0) x.sync = Sync::Off;
            }
        }
        contour_step();
        for (int a = 0; a < naxis_; ++a) {
            r_.set32(a, reg::curvel, static_cast<uint32_t>(axis_[a].ownVel));
            r_.set32(a, reg::encpvel, static_cast<uint32_t>(axis_[a].ownVel));
            r_.set32(a, reg::mcsvel, static_cast<uint32_t>(axis_[a].mcs.vel));
            r_.set32(a, reg::pcsvel, static_cast<uint32_t>(axis_[a].pcs.vel));
        }
        // Phase 2: gearing, in axis order, each slave following its master's velocity of this
        // tick.
        for (int a = 0; a < naxis_; ++a)
            if (axis_[a].geared) gear_step(a);
        // Phase 3: limits and the registers the host reads.
        for (int a = 0; a < naxis_; ++a) {
            Axis& x = axis_[a];
            x.lastVel = x.ownVel;
            const int64_t pos = position(x);
            const int64_t plim = static_cast<int64_t>(r_.s32(a, reg::psoftlim)) * kOne;
            const int64_t nlim = static_cast<int64_t>(r_.s32(a, reg::nsoftlim)) * kOne;
            const int64_t vlim = r_.s32(a, reg::vellim);
            uint16_t err = 0;
            if (pos > plim) {
                x.ext -= pos - plim;
                err = kErrPosLimit;
            } else if (pos < nlim) {
                x.ext += nlim - pos;
                err = kErrNegLimit;
            } else if (vlim > 0 && std::llabs(x.ownVel) > vlim) {
                err = kErrVelLimit;
            }
            if (err) {
                // An ideal axis stops dead at a limit.
                for (Profile* p : {&x.mcs, &x.pcs}) {
                    p->vel = 0;
                    p->mode = Profile::Idle;
                    p->target = p->pos;
                }
                x.geared = false;
                x.home = Home::Off;
                x.sync = Sync::Off;
                x.lastVel = 0;
                r_.set16(a, reg::engear, 0);
                r_.set16(a, reg::gohome, 0);
                r_.set16(a, reg::error, r_.u16(a, reg::error) | err);
            }
            publish(a);
        }
    } else {
        for (int a = 0; a < naxis_; ++a) {
            axis_[a].lastVel = axis_[a].ownVel = 0;
            publish(a);
        }
    }
    events_step();
    update_active();
}

void Motion::events_step() {
    for (auto& c : ch_) {
        if (!c.enabled) continue;
        const uint16_t cond = c.w[0] & 0x8B03;
        bool ok;
        if (cond & 0x8000) {
            ok = true;
        } else {
            const bool zt = cond & 0x0200, ct = cond & 0x0100;
            if (zt && ct)
                ok = (cond & 1) ? (flagC_ && !flagZ_) : (!flagC_ && !flagZ_);
            else if (zt)
                ok = (cond & 2) ? flagZ_ : !flagZ_;
            else if (ct)
                ok = (cond & 1) ? flagC_ : !flagC_;
            else
                ok = false;
            if (cond & 0x0800) {  // '@': only when the condition becomes true
                const bool edge = ok && !c.last;
                c.last = ok;
                ok = edge;
            }
        }
        if (ok) run_instruction(c);
    }
}

void Motion::run_instruction(Channel& c) {
    const uint16_t* w = c.w;
    const uint16_t code = w[0] & 0x740C;
    const int fam = code & 0x7000;
    const bool imm = code & 0x0400;
    const int var = code & 0x000C;
    const int a1 = w[2] & 7, d = w[7] & 7, a2 = w[4] & 7;
    const int p1 = w[1] & 1023, p2 = w[3] & 1023, pd = w[6] & 1023;
    const int64_t imm32 = static_cast<int32_t>(w[3] | (static_cast<uint32_t>(w[4]) << 16));
    const int64_t imm48 =
        static_cast<int64_t>((static_cast<uint64_t>(w[3]) | (static_cast<uint64_t>(w[4]) << 16) |
                              (static_cast<uint64_t>(w[5]) << 32))
                             << 16) >>
        16;
    uint16_t out[3];
    int n = 0;
    auto put32 = [&](int64_t v) {
        out[0] = static_cast<uint16_t>(v);
        out[1] = static_cast<uint16_t>(static_cast<uint64_t>(v) >> 16);
        n = 2;
    };
    auto put48 = [&](int64_t v) {
        put32(v);
        out[2] = static_cast<uint16_t>(static_cast<uint64_t>(v) >> 32);
        n = 3;
    };
    switch (fam) {
        case 0x0000:  // ADD32, ADD48 (…I: immediate)
            if (var == 0)
                put32(r_.s32(a1, p1) + (imm ? imm32 : r_.s32(a2, p2)));
            else
                put48(r_.s48(a1, p1) + (imm ? imm48 : r_.s48(a2, p2)));
            break;
        case 0x1000: {  // CMP32, CMP48: flags from op1 − op2; the destination gets Z=1, C=2
            const int64_t diff = var == 0 ? r_.s32(a1, p1) - (imm ? imm32 : r_.s32(a2, p2))
                                          : r_.s48(a1, p1) - (imm ? imm48 : r_.s48(a2, p2));
            flagZ_ = diff == 0;
            flagC_ = diff < 0;
            out[0] = static_cast<uint16_t>((flagZ_ ? 1 : 0) | (flagC_ ? 2 : 0));
            n = 1;
            break;
        }
        case 0x2000: {
            const int64_t f = imm ? imm48 : r_.s48(a2, p2);
            if (var == 0x0) {  // SCA32: op1 × S16.32 factor
                put32(static_cast<int64_t>((static_cast<i128>(r_.s32(a1, p1)) * f) >> 32));
            } else if (var == 0x4) {  // SCA48
                put48(static_cast<int64_t>((static_cast<i128>(r_.s48(a1, p1)) * f) >> 32));
            } else if (var == 0x8) {  // MUL32L: low 32 bits of the product
                put32(r_.s32(a1, p1) * (imm ? imm32 : r_.s32(a2, p2)));
            } else {  // MUL32A: the product accumulated into the 48-bit destination
                put48(r_.s48(d, pd) + r_.s32(a1, p1) * (imm ? imm32 : r_.s32(a2, p2)));
            }
            break;
        }
        case 0x3000:  // COP16/32/48 from operand 2; SET16/32/48 immediate
            if (var == 0x0) {
                out[0] = imm ? w[3] : r_.u16(a2, p2);
                n = 1;
            } else if (var == 0x4) {
                put32(imm ? imm32 : r_.s32(a2, p2));
            } else {
                put48(imm ? imm48 : r_.s48(a2, p2));
            }
            break;
        case 0x4000:
        case 0x6000:
        case 0x7000: {  // OR16, AND16, XOR16; the B forms store a flag (result ≠ 0)
            const uint16_t x = r_.u16(a1, p1);
            const uint16_t y = imm ? w[3] : r_.u16(a2, p2);
            uint16_t v = fam == 0x4000 ? (x | y) : fam == 0x6000 ? (x & y) : (x ^ y);
            if (var == 0x8) v = v ? 0xFFFF : 0;
            out[0] = v;
            n = 1;
            break;
        }
        default:
            return;
    }
    if (sink_)
        sink_->event_write(d, pd, out, n);
    else
        for (int i = 0; i < n; ++i) r_.set16(d, pd + i, out[i]);
}

}  // namespace zeq::sim
