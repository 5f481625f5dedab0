// Unit conversions of the motion commands: truncation toward zero, the limits of each card
// format, and values that must never reach an integer cast (NaN, infinities).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "motion/units.h"
#include "zeqlink.h"

namespace zeq::link::motion {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct S32Case {
    double x, s, t;
    int rc;
    int32_t value;
};

class PositionConversion : public ::testing::TestWithParam<S32Case> {};

TEST_P(PositionConversion, TruncatesTowardZeroWithinS32) {
    const S32Case& c = GetParam();
    int32_t v = 12345;
    EXPECT_EQ(to_position(c.x, c.s, &v), c.rc);
    EXPECT_EQ(v, c.rc == ZEQ_OK ? c.value : 12345) << "out value untouched on a range error";
}

INSTANTIATE_TEST_SUITE_P(Cases, PositionConversion,
                         ::testing::Values(S32Case{2147483.0, 1000, 1, ZEQ_OK, 2147483000},
                                           S32Case{2147484.0, 1000, 1, ZEQ_ERR_RANGE, 0},
                                           S32Case{-2.5, 1, 1, ZEQ_OK, -2},
                                           S32Case{2.999, 1, 1, ZEQ_OK, 2},
                                           S32Case{2147483647.9, 1, 1, ZEQ_OK, 2147483647},
                                           S32Case{-2147483648.9, 1, 1, ZEQ_OK, INT32_MIN},
                                           S32Case{-2147483649.0, 1, 1, ZEQ_ERR_RANGE, 0},
                                           S32Case{kNaN, 1, 1, ZEQ_ERR_RANGE, 0},
                                           S32Case{kInf, 1, 1, ZEQ_ERR_RANGE, 0},
                                           S32Case{1.0, kInf, 1, ZEQ_ERR_RANGE, 0}));

class VelocityConversion : public ::testing::TestWithParam<S32Case> {};

TEST_P(VelocityConversion, IsS16_16CountsPerTickWithinTwoToThe29) {
    const S32Case& c = GetParam();
    int32_t v = 12345;
    EXPECT_EQ(to_velocity(c.x, c.s, c.t, &v), c.rc);
    if (c.rc == ZEQ_OK) {
        EXPECT_EQ(v, c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VelocityConversion,
    ::testing::Values(S32Case{10.0, 1000, 1000, ZEQ_OK, 655360},
                      S32Case{9000.0, 1000, 1000, ZEQ_ERR_RANGE, 0},
                      S32Case{8192.0, 1, 1, ZEQ_OK, 536870912},  // the limit itself
                      S32Case{-8192.0, 1, 1, ZEQ_OK, -536870912},
                      S32Case{8192.0001, 1, 1, ZEQ_ERR_RANGE, 0},
                      S32Case{0.5, 4, 8, ZEQ_OK, 16384},  // s/T scales the value
                      S32Case{1.0, 1, 3, ZEQ_OK, 21845},  // 21845.33 truncated
                      S32Case{-1.0, 1, 3, ZEQ_OK, -21845}, S32Case{kNaN, 1, 1, ZEQ_ERR_RANGE, 0},
                      S32Case{1.0, 1, kNaN, ZEQ_ERR_RANGE, 0}));

TEST(AccelerationConversion, DividesByTheSquareOfTheTimeScale) {
    int32_t v = 0;
    ASSERT_EQ(to_acceleration(1.0, 1000, 10, &v), ZEQ_OK);
    EXPECT_EQ(v, 655360);  // 1000 / 100 counts per tick^2
    ASSERT_EQ(to_acceleration(-8192.0, 1, 1, &v), ZEQ_OK);
    EXPECT_EQ(v, -536870912);
    EXPECT_EQ(to_acceleration(8193.0, 1, 1, &v), ZEQ_ERR_RANGE);
    EXPECT_EQ(to_acceleration(820.0, 1000, 10, &v), ZEQ_ERR_RANGE);  // 8200 counts per tick^2
}

TEST(GearRatioConversion, IsS16_32AndChecksTheRatioItself) {
    int64_t v = 0;
    ASSERT_EQ(to_gear_ratio(1.5, &v), ZEQ_OK);
    EXPECT_EQ(v, 0x000180000000LL);
    ASSERT_EQ(to_gear_ratio(-0.75, &v), ZEQ_OK);
    EXPECT_EQ(v, -3221225472LL);
    ASSERT_EQ(to_gear_ratio(-32768.0, &v), ZEQ_OK);
    EXPECT_EQ(v, -32768LL * 4294967296LL);
    ASSERT_EQ(to_gear_ratio(32767.9999999998, &v), ZEQ_OK);
    EXPECT_LT(v, 32768LL * 4294967296LL);
    EXPECT_EQ(to_gear_ratio(32768.0, &v), ZEQ_ERR_RANGE);
    EXPECT_EQ(to_gear_ratio(-32768.0001, &v), ZEQ_ERR_RANGE);
    EXPECT_EQ(to_gear_ratio(kNaN, &v), ZEQ_ERR_RANGE);
}

TEST(SynchronisationConversion, MustBePositiveAndFitU32) {
    uint32_t v = 0;
    ASSERT_EQ(to_syn_distance(2.5, 1000, &v), ZEQ_OK);
    EXPECT_EQ(v, 2500u);
    ASSERT_EQ(to_syn_distance(4294967295.0, 1, &v), ZEQ_OK);
    EXPECT_EQ(v, 4294967295u);
    EXPECT_EQ(to_syn_distance(4294967296.0, 1, &v), ZEQ_ERR_RANGE);
    EXPECT_EQ(to_syn_distance(0.0, 1, &v), ZEQ_ERR_RANGE);
    EXPECT_EQ(to_syn_distance(0.9, 1, &v), ZEQ_ERR_RANGE) << "truncates to 0";
    EXPECT_EQ(to_syn_distance(-5.0, 1, &v), ZEQ_ERR_RANGE);
    ASSERT_EQ(to_syn_time(0.25, 1000, &v), ZEQ_OK);
    EXPECT_EQ(v, 250u);
    EXPECT_EQ(to_syn_time(0.0, 1000, &v), ZEQ_ERR_RANGE);
    EXPECT_EQ(to_syn_time(kInf, 1, &v), ZEQ_ERR_RANGE);
}

TEST(SlaveDistanceConversion, KeepsTheLow32BitsUnchecked) {
    int32_t v = 0;
    ASSERT_EQ(to_slave_distance(-2.5, 1, &v), ZEQ_OK);
    EXPECT_EQ(v, -2);
    ASSERT_EQ(to_slave_distance(4294967301.0, 1, &v), ZEQ_OK);  // 2^32 + 5
    EXPECT_EQ(v, 5);
    ASSERT_EQ(to_slave_distance(3000000000.0, 1, &v), ZEQ_OK);
    EXPECT_EQ(v, static_cast<int32_t>(3000000000u));
    ASSERT_EQ(to_slave_distance(-4294967297.0, 1, &v), ZEQ_OK);  // -(2^32 + 1)
    EXPECT_EQ(v, -1);
    ASSERT_EQ(to_slave_distance(1e20, 1, &v), ZEQ_OK);  // beyond int64, still no overflow
    EXPECT_EQ(static_cast<uint32_t>(v), static_cast<uint32_t>(std::fmod(1e20, 4294967296.0)));
    EXPECT_EQ(to_slave_distance(kNaN, 1, &v), ZEQ_ERR_RANGE);
}

TEST(InverseConversion, UndoesTheForwardConversions) {
    EXPECT_DOUBLE_EQ(from_position(2147483000, 1000), 2147483.0);
    EXPECT_DOUBLE_EQ(from_velocity(655360, 1000, 1000), 10.0);
    EXPECT_DOUBLE_EQ(from_acceleration(655360, 1000, 10), 1.0);
    EXPECT_DOUBLE_EQ(from_gear_ratio(0x000180000000LL), 1.5);
    EXPECT_DOUBLE_EQ(from_syn_time(250, 1000), 0.25);
}

}  // namespace
}  // namespace zeq::link::motion
