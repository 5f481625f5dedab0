// The homing dialog's `homeseq` editing and card operations, and the jog checks and start/stop
// logic, against a virtual card (step clock).
#include <gtest/gtest.h>

#include "desk/tools_fixture.h"
#include "tools/homing/homing_setup.h"
#include "tools/jog/jog_control.h"

namespace zeq::desk::test {
namespace {

TEST(HomeseqBits, PhaseAndActionRules) {
    struct Case {
        std::uint16_t seq;
        int phases;
        int action;  // the final action chosen before the phase count
        std::uint16_t expected;
        int actionAfter;
        int index;  // n * 10 + final action
    };
    const Case cases[] = {
        {0x0000, 1, 1, 0x0002, 1, 11},
        {0xF0F3, 1, 2, 0xF0C3, 2, 12},  // bits 3, 7, 11, 12-15 carried
        {0x0003, 2, 2, 0x0000, homeseq::kNoAction, 19},
        {0x0003, 3, 2, 0x0000, homeseq::kNoAction, 29},
        {0x0001, 2, 0, 0x0010, 0, 20},
        {0x0021, 3, 1, 0x0200, 1, 31},
        {0x0100, 3, 0, 0x0100, 0, 30},
    };
    for (const Case& c : cases) {
        int action = c.action;
        const std::uint16_t seq = homeseq::withPhases(c.seq, c.phases, action);
        EXPECT_EQ(seq, c.expected) << std::hex << c.seq << " n=" << c.phases;
        EXPECT_EQ(action, c.actionAfter);
        EXPECT_EQ(homeseq::pictureIndex(c.phases, action), c.index);
        if (action != homeseq::kNoAction) {
            EXPECT_EQ(homeseq::phasesShown(seq), c.phases);
            EXPECT_EQ(homeseq::finalActionShown(seq), action);
        }
    }
    // Seven pictures: one per index 10, 11, 12, 20, 21, 30, and the generic one.
    const int indexes[] = {10, 11, 12, 20, 21, 30, 31, 22, 19, 13};
    const int pictures[] = {0, 1, 2, 3, 4, 5, 6, 6, 6, 6};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(homeseq::pictureNumber(indexes[i]), pictures[i]);
    EXPECT_EQ(homeseq::withFinalAction(0x0010, 2, 2), 0x0010);  // action 3 needs one phase
    EXPECT_EQ(homeseq::bitsText(0x8001), "1000-0000-0000-0001");
    EXPECT_EQ(homeseq::bitsText(0x5A3C), "0101-1010-0011-1100");
}

class HomingSim : public SimToolTest {
  protected:
    void selectAxis(HomingSetup& setup, int axis) {
        ASSERT_TRUE(setup.select(0, axis));
        setup.waitIdle();
        ASSERT_TRUE(setup.loaded());
    }
};

TEST_F(HomingSim, ThirdActionIsDroppedWithTwoPhasesAndWritingIsRefused) {
    write16("homeseq", 0, 0);
    HomingSetup setup(boards, dialogs);
    selectAxis(setup, 0);
    setup.setHighvel(10);
    setup.setLowvel(1);
    setup.setPhases(1);
    ASSERT_TRUE(setup.setFinalAction(2));
    EXPECT_EQ(setup.edited().homeseq & 3, 3);
    setup.setPhases(2);
    EXPECT_EQ(setup.finalAction(), homeseq::kNoAction);
    EXPECT_FALSE(setup.finalActionEnabled(2));
    EXPECT_FALSE(setup.setFinalAction(2));
    EXPECT_FALSE(setup.writeSetup());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "请选择最后阶段的动作方式!");
}

TEST_F(HomingSim, WritesTheSetupAndStartsTheSearch) {
    write16("homeseq", 1, 0x2008);  // bits 3 and 13 belong to the card
    HomingSetup setup(boards, dialogs);
    selectAxis(setup, 1);
    EXPECT_FALSE(setup.startSearchEnabled());
    setup.setPhases(1);
    ASSERT_TRUE(setup.setFinalAction(1));
    setup.setStartNegative(true);
    setup.setRisingEdge(true);
    setup.setMoveAfterHome(true);
    setup.setEditPhaseHighSpeed(true);
    setup.setHighvel(0);
    EXPECT_FALSE(setup.writeSetup());
    EXPECT_EQ(dialogs.messages.back(), "高速或低速不能为零");
    setup.setHighvel(20);
    setup.setLowvel(2);
    setup.setHomepos(-5);
    setup.setHomeSTpos(77);
    EXPECT_EQ(setup.edited().homeseq, 0xF00E);
    EXPECT_EQ(setup.pictureIndex(), 11);
    EXPECT_EQ(setup.bitsText(), "1111-0000-0000-1110");
    ASSERT_TRUE(setup.writeSetup());
    setup.waitIdle();
    EXPECT_EQ(read16("homeseq", 1), 0xF00E);
    EXPECT_EQ(read32("highvel", 1), 20);
    EXPECT_EQ(read32("homeSTpos", 1), 77);
    EXPECT_EQ(setup.written(), setup.edited());
    EXPECT_TRUE(setup.startSearchEnabled());
    ASSERT_TRUE(setup.startSearch());
    setup.waitIdle();

    // Leaving an axis with an unwritten `homeseq` asks; the default answer keeps it.
    setup.setRisingEdge(false);
    dialogs.messages.clear();
    EXPECT_FALSE(setup.select(0, 2));
    EXPECT_EQ(setup.axis(), 1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "配置未写入控制器,是否要配置其他轴?");
    EXPECT_FALSE(setup.startSearch());  // asked, answered No
    EXPECT_EQ(dialogs.messages.back(), "配置未写入控制器,是否要开始搜寻?");
    write16("homeseq", 1, 0);
}

TEST_F(HomingSim, ShowsTheLoadedSequence) {
    write16("homeseq", 2, 0x0020);  // phase 2 with action 2
    HomingSetup setup(boards, dialogs);
    selectAxis(setup, 2);
    EXPECT_EQ(setup.phases(), 2);
    EXPECT_EQ(setup.finalAction(), 1);
    EXPECT_TRUE(setup.phaseEnabled(2));
    EXPECT_FALSE(setup.phaseEnabled(3));
    ASSERT_TRUE(setup.setHome());
    setup.waitIdle();
    write16("homeseq", 2, 0);
}

TEST(JogChecks, ChecksInTheirOrder) {
    struct Case {
        int board;
        bool open;
        double speed, dist, time;
        JogCheck check;
    };
    const Case cases[] = {
        {0, true, 10, 1000, 1, JogCheck::OutOfRange},
        {0, true, 10, 1, 1000, JogCheck::Ok},  // 655.36
        {0, true, 8192, 1, 1, JogCheck::Ok},   // exactly 536870912
        {0, true, -8192, 1, 1, JogCheck::Ok},
        {0, true, 8192.001, 1, 1, JogCheck::OutOfRange},
        {-1, true, 10, 1, 1, JogCheck::NoBoard},
        {0, false, 10, 1, 1, JogCheck::NotOpen},
        {0, true, 0, 0, 0, JogCheck::ZeroSpeed},
        {0, true, 1, 0, 0, JogCheck::ZeroTime},
        {0, true, 1, 0, 1, JogCheck::ZeroDist},
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkJog(c.board, c.open, c.speed, c.dist, c.time), c.check)
            << c.speed << " " << c.dist << " " << c.time;
    EXPECT_STREQ(jogCheckText(JogCheck::OutOfRange), "设置超出范围!");
    EXPECT_EQ(formatJogFactor(1.0 / 3), "0.33333333");
}

class JogSim : public SimToolTest {};

TEST_F(JogSim, EveryWayOfLettingGoStopsTheAxis) {
    using Release = void (*)(JogControl&);
    const std::pair<const char*, Release> ways[] = {
        {"released outside the button", [](JogControl& j) { j.release(); }},
        {"focus lost", [](JogControl& j) { j.focusLost(); }},
        {"dialog closed", [](JogControl& j) { j.closed(); }},
        {"application deactivated", [](JogControl& j) { j.applicationDeactivated(); }},
    };
    for (const auto& [why, letGo] : ways) {
        JogControl jog(boards, dialogs);
        jog.select(0, 1);
        jog.waitIdle();
        EXPECT_EQ(jog.speed(), 10.0);
        ASSERT_TRUE(jog.press(JogControl::Direction::Negative)) << why;
        EXPECT_FALSE(jog.press(JogControl::Direction::Positive));  // already jogging
        jog.waitIdle();
        EXPECT_LT(read32("mcstgvel", 1), 0) << why;
        letGo(jog);
        EXPECT_FALSE(jog.jogging());
        jog.waitIdle();
        EXPECT_EQ(read32("mcstgvel", 1), 0) << why;
    }
    {
        JogControl jog(boards, dialogs);  // a button that never came up
        jog.select(0, 1);
        ASSERT_TRUE(jog.press(JogControl::Direction::Positive));
    }
    EXPECT_EQ(read32("mcstgvel", 1), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(JogSim, FactorsAreReadBackOnSelection) {
    struct Seen : JogObserver {
        void factorsRead(const std::string& t, const std::string& d) override {
            time = t;
            dist = d;
        }
        std::string time, dist;
    } seen;
    JogControl jog(boards, dialogs);
    jog.setObserver(&seen);
    jog.setSpeed(3);
    jog.select(0, 0);
    jog.waitIdle();
    EXPECT_EQ(jog.speed(), 10.0);
    EXPECT_EQ(seen.time, formatJogFactor(MyGetTimescale(h)));
    EXPECT_EQ(seen.dist, formatJogFactor(MyGetDistScale(h, 0)));
    EXPECT_EQ(seen.time.find('.'), seen.time.size() - 9);  // eight decimals
    jog.select(4, 0);                                      // no device
    EXPECT_FALSE(jog.press(JogControl::Direction::Positive));
    EXPECT_EQ(dialogs.messages.back(), "请先打开设备");
    jog.select(-1, 0);
    EXPECT_FALSE(jog.press(JogControl::Direction::Positive));
    EXPECT_EQ(dialogs.messages.back(), "请选择设备!");
}

}  // namespace
}  // namespace zeq::desk::test
