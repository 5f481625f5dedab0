// Unit conversions between the caller's units (doubles in user distance and time units) and the
// card's parameter formats. Every conversion truncates toward zero and range-checks the
// truncated result in double arithmetic before any integer conversion, so a NaN, an infinity or
// an out-of-range value gives ZEQ_ERR_RANGE and never an undefined cast.
//
//   s = counts per user distance unit (per axis), T = card ticks per user time unit.
//   position      x*s                 S32, -2^31 .. 2^31-1
//   velocity      s/T*x*65536         S16.16 counts/tick,   -2^29 .. 2^29 (8192 counts/tick)
//   acceleration  s/(T*T)*x*65536     S16.16 counts/tick^2, -2^29 .. 2^29
//   gear ratio    x*2^32              S16.32, x itself in -32768 .. 32767.9999999998
//   syn distance  x*s                 U32, 1 .. 2^32-1
//   syn time      x*T                 U32 ticks, 1 .. 2^32-1
//   slave dist    x*s                 S32, the low 32 bits of the truncated value
#pragma once

#include <cstdint>

namespace zeq::link::motion {

constexpr double kFix16 = 65536.0;              // one in S16.16
constexpr double kFix32 = 4294967296.0;         // one in S16.32
constexpr double kVelocityLimit = 536870912.0;  // 2^29
constexpr double kGearRatioMin = -32768.0;
constexpr double kGearRatioMax = 32767.9999999998;

// To card units: ZEQ_OK and *out set, or ZEQ_ERR_RANGE with *out untouched.
int to_position(double x, double s, int32_t* out);
int to_velocity(double x, double s, double t, int32_t* out);
int to_acceleration(double x, double s, double t, int32_t* out);
int to_gear_ratio(double x, int64_t* out);
int to_syn_distance(double x, double s, uint32_t* out);
int to_syn_time(double x, double t, uint32_t* out);
// Not range-checked: the low 32 bits of trunc(x*s). Only a non-finite product gives
// ZEQ_ERR_RANGE.
int to_slave_distance(double x, double s, int32_t* out);

// Back to user units.
inline double from_position(double value, double s) {
    return value / s;
}
inline double from_velocity(double value, double s, double t) {
    return value * t / s / kFix16;
}
inline double from_acceleration(double value, double s, double t) {
    return value * t * t / s / kFix16;
}
inline double from_gear_ratio(int64_t value) {
    return static_cast<double>(value) / kFix32;
}
inline double from_syn_time(double value, double t) {
    return value / t;
}

}  // namespace zeq::link::motion
