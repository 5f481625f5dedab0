#include "motion/units.h"

#include <cmath>

#include "zeqlink.h"

namespace zeq::link::motion {

namespace {

// trunc(v) when it lies in [lo, hi]; false for NaN and anything outside.
bool truncate_in(double v, double lo, double hi, double* out) {
    const double t = std::trunc(v);
    if (!(t >= lo && t <= hi)) return false;  // also rejects NaN
    *out = t;
    return true;
}

int to_s32(double v, double lo, double hi, int32_t* out) {
    double t = 0;
    if (!truncate_in(v, lo, hi, &t)) return ZEQ_ERR_RANGE;
    *out = static_cast<int32_t>(t);
    return ZEQ_OK;
}

int to_u32_positive(double v, uint32_t* out) {
    double t = 0;
    if (!truncate_in(v, 1.0, 4294967295.0, &t)) return ZEQ_ERR_RANGE;
    *out = static_cast<uint32_t>(t);
    return ZEQ_OK;
}

}  // namespace

int to_position(double x, double s, int32_t* out) {
    return to_s32(x * s, -2147483648.0, 2147483647.0, out);
}

int to_velocity(double x, double s, double t, int32_t* out) {
    return to_s32(s / t * x * kFix16, -kVelocityLimit, kVelocityLimit, out);
}

int to_acceleration(double x, double s, double t, int32_t* out) {
    return to_s32(s / (t * t) * x * kFix16, -kVelocityLimit, kVelocityLimit, out);
}

int to_gear_ratio(double x, int64_t* out) {
    if (!(x >= kGearRatioMin && x <= kGearRatioMax)) return ZEQ_ERR_RANGE;
    *out = static_cast<int64_t>(std::trunc(x * kFix32));
    return ZEQ_OK;
}

int to_syn_distance(double x, double s, uint32_t* out) {
    return to_u32_positive(x * s, out);
}

int to_syn_time(double x, double t, uint32_t* out) {
    return to_u32_positive(x * t, out);
}

int to_slave_distance(double x, double s, int32_t* out) {
    const double v = std::trunc(x * s);
    if (!std::isfinite(v)) return ZEQ_ERR_RANGE;
    // The low 32 bits of the integer v, taken exactly: fmod of an integral double by 2^32 is
    // exact, so this also holds beyond the range of int64.
    double low = std::fmod(v, 4294967296.0);
    if (low < 0) low += 4294967296.0;
    *out = static_cast<int32_t>(static_cast<uint32_t>(low));
    return ZEQ_OK;
}

}  // namespace zeq::link::motion
