// Groups, contour blocks and the path planner against a virtual card: frames on the wire,
// the card's registers and the positions the group plays out.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "link_fixture.h"
#include "path/path_state.h"
#include "sim/sim.h"
#include "transport/bridge.h"
#include "transport/device.h"

using zeq::test::LinkTest;
namespace reg = zeq::sim::reg;

namespace {

class PathDeviceTest : public LinkTest {
  protected:
    zeq::sim::SimCard& card() { return zeq::sim::card(0); }
    zeq::link::PathState& state(ZEQ_HANDLE h) { return *zeq::link::find_device(h)->path; }

    // Redefines the position of an axis, as writing `encp` does.
    void set_curpos(int axis, int32_t pos) {
        card().write32(axis, reg::encp, pos);
        card().run_ticks(1);
    }

    // Plays the contour FIFO out until it is empty (a period is about 105 servo ticks).
    void play_out() {
        for (int i = 0; i < 10000 && card().contour_words() > 0; ++i) card().run_ticks(1000);
        card().run_ticks(1000);
    }
};

TEST_F(PathDeviceTest, ContourBlockOnTheWire) {
    ZEQ_HANDLE h = open();
    clearTrace();
    const int16_t words[2] = {1, -1};
    ASSERT_EQ(ZEQ_PutContourData(h, words, 2), ZEQ_OK);
    auto blocks = writes("90");
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0], "W 90 07 02 00 01 00 FF FF 00 00");
    EXPECT_EQ(trace().front(), "W 48");  // the full bit is checked first
    EXPECT_EQ(card().contour_words(), 2u);
    int count = -1;
    EXPECT_EQ(ZEQ_GetCFIFOCnt(h, &count, 0), ZEQ_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(ZEQ_ClearCFIFO(h, 0), ZEQ_OK);
    EXPECT_EQ(card().contour_words(), 0u);
}

TEST_F(PathDeviceTest, ContourBlockArguments) {
    ZEQ_HANDLE h = open();
    int16_t words[127] = {};
    EXPECT_EQ(ZEQ_PutContourData(h, words, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_PutContourData(h, words, 127), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_PutContourData(h, nullptr, 1), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_PutContourData(h + 1000, words, 1), ZEQ_ERR_HANDLE);
    clearTrace();
    ASSERT_EQ(ZEQ_PutContourData(h, words, 126), ZEQ_OK);
    auto blocks = writes("90");
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].rfind("W 90 FF 7E 00 ", 0), 0u);
}

// Wraps a device's bridge: the first `spoil` contour blocks reach the card with a wrong
// checksum (so the card does not take them); every contour block as the library sent it is kept.
class SpoilingPort final : public zeq::bridge::Port {
  public:
    SpoilingPort(std::unique_ptr<zeq::bridge::Port> inner, int spoil)
        : inner_(std::move(inner)), spoil_(spoil) {}
    zeq::bridge::Status read(void* b, uint32_t n, uint32_t* got) override {
        return inner_->read(b, n, got);
    }
    zeq::bridge::Status write(const void* b, uint32_t n, uint32_t* written) override {
        const auto* p = static_cast<const uint8_t*>(b);
        if (n > 0 && p[0] == 0x90) {
            sent.emplace_back(p, p + n);
            if (spoil_ > 0) {
                --spoil_;
                std::vector<uint8_t> bad(p, p + n);
                bad[n - 1] ^= 0x01;
                return inner_->write(bad.data(), n, written);
            }
        }
        return inner_->write(b, n, written);
    }
    zeq::bridge::Status purge(uint32_t m) override { return inner_->purge(m); }
    zeq::bridge::Status setTimeouts(uint32_t r, uint32_t w) override {
        return inner_->setTimeouts(r, w);
    }
    zeq::bridge::Status resetDevice() override { return inner_->resetDevice(); }
    zeq::bridge::Status eeRead(ZEQ_EEPROM_DATA* d) override { return inner_->eeRead(d); }
    zeq::bridge::Status eeProgram(const ZEQ_EEPROM_DATA* d) override {
        return inner_->eeProgram(d);
    }
    zeq::bridge::Status close() override { return inner_->close(); }

    std::vector<std::vector<uint8_t>> sent;

  private:
    std::unique_ptr<zeq::bridge::Port> inner_;
    int spoil_;
};

TEST_F(PathDeviceTest, BlockNotTakenIsSentAgain) {
    struct Case {
        int spoiled;
        int result;
        size_t sends;
        size_t taken;
    };
    for (const Case& c :
         {Case{2, ZEQ_OK, 3, 2}, Case{4, ZEQ_OK, 5, 2}, Case{5, ZEQ_ERR_CHECKSUM, 5, 0}}) {
        ZEQ_HANDLE h = open();
        auto* dev = zeq::link::find_device(h);
        auto* port = new SpoilingPort(std::move(dev->link), c.spoiled);
        dev->link.reset(port);
        const int16_t words[2] = {1, -1};
        EXPECT_EQ(ZEQ_PutContourData(h, words, 2), c.result) << c.spoiled;
        ASSERT_EQ(port->sent.size(), c.sends) << c.spoiled;
        for (const auto& block : port->sent)
            EXPECT_EQ(block, (std::vector<uint8_t>{0x90, 0x07, 0x02, 0x00, 0x01, 0x00, 0xFF, 0xFF,
                                                   0x00, 0x00}));
        EXPECT_EQ(card().contour_words(), c.taken) << c.spoiled;
        ZEQ_Close(h);
        forget(h);
        zeq::sim::reset_all();
    }
}

TEST_F(PathDeviceTest, FullContourFifoSendsNothing) {
    ZEQ_HANDLE h = open();
    card().set_depths(256, 1024, 256, 256);
    int16_t words[126];
    for (int i = 0; i < 126; ++i) words[i] = static_cast<int16_t>(i - 60);
    ASSERT_EQ(ZEQ_PutContourData(h, words, 126), ZEQ_OK);
    ASSERT_EQ(ZEQ_PutContourData(h, words, 126), ZEQ_OK);
    clearTrace();
    EXPECT_EQ(ZEQ_PutContourData(h, words, 1), ZEQ_ERR_FIFO_FULL);
    EXPECT_TRUE(writes("90").empty());
    EXPECT_EQ(card().contour_words(), 252u);
}

TEST_F(PathDeviceTest, GroupRegisters) {
    ZEQ_HANDLE h = open();
    EXPECT_EQ(ZEQ_MapAxis2Group(h, 'y', 3, 0), ZEQ_OK);
    EXPECT_EQ(card().reg16(0, 259), 3);
    EXPECT_EQ(ZEQ_MapAxis2Group(h, 'M', 2, 1), ZEQ_OK);
    EXPECT_EQ(card().reg16(0, 273), 2);
    EXPECT_EQ(ZEQ_MapAxis2Group(h, 'N', 1, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_MapAxis2Group(h, 'x', 4, 0), ZEQ_ERR_AXIS);
    EXPECT_EQ(ZEQ_MapAxis2Group(h, 'x', -1, 0), ZEQ_ERR_AXIS);

    EXPECT_EQ(ZEQ_SetGroupAxisNum(h, 4, 0), ZEQ_OK);  // the axis count itself
    EXPECT_EQ(card().reg16(0, reg::groupnum), 4);
    EXPECT_EQ(ZEQ_SetGroupAxisNum(h, 5, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_SetGroupAxisNum(h, -1, 0), ZEQ_ERR_ARGUMENT);

    EXPECT_EQ(ZEQ_SetGroupAxisNum(h, 0, 0), ZEQ_OK);  // nothing to play: the group just waits
    EXPECT_EQ(ZEQ_EnableGroup(h, 1, 0), ZEQ_OK);
    EXPECT_EQ(card().reg16(0, reg::startgroup), 0xFFFF);
    EXPECT_EQ(ZEQ_EnableGroup(h, 0x100, 0), ZEQ_OK);  // only the low byte counts
    EXPECT_EQ(card().reg16(0, reg::startgroup), 0);
    EXPECT_EQ(ZEQ_EnableGroup(h + 1000, 1, 0), ZEQ_ERR_HANDLE);
}

TEST_F(PathDeviceTest, GraphDataNotReadyAfterThePurge) {
    ZEQ_HANDLE h = open();
    card().set_graph_capture(false);
    uint8_t buf[16];
    clearTrace();
    EXPECT_EQ(ZEQ_GetGraphData(h, buf, 16), ZEQ_ERR_GRAPH_NOT_READY);
    EXPECT_EQ(trace().front(), "W 48");
    EXPECT_TRUE(writes("D0").empty());
    EXPECT_EQ(ZEQ_GetGraphData(h, buf, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_GetGraphData(h, buf, 257), ZEQ_ERR_ARGUMENT);

    card().set_graph_capture(true);
    set_curpos(1, 0x01020304);
    card().run_ticks(100);  // 1600 bytes captured
    clearTrace();
    ASSERT_EQ(ZEQ_GetGraphData(h, buf, 16), ZEQ_OK);
    auto reads = writes("D0");
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0], "W D0 0F");
    EXPECT_EQ(buf[4], 0x04);  // axis 1 of the oldest sample
    EXPECT_EQ(buf[7], 0x01);
}

TEST_F(PathDeviceTest, InitPathFormsTheGroupAndReadsTheOrigin) {
    ZEQ_HANDLE h = open();
    set_curpos(0, 1500);
    set_curpos(2, -2500);
    card().poke16(0, reg::startgroup, 0xFFFF);
    ASSERT_EQ(ZEQ_InitPath(h, 0, -1, 2, 0), ZEQ_OK);
    EXPECT_EQ(card().reg16(0, reg::startgroup), 0);
    // Words come in X, Z order: the group's first two letters carry those axes.
    EXPECT_EQ(card().reg16(0, reg::groupnum), 2);
    EXPECT_EQ(card().reg16(0, reg::group_x), 0);
    EXPECT_EQ(card().reg16(0, reg::group_x + 1), 2);
    ASSERT_EQ(SetPartCartesianSys(h, 1000, 0.1, -500), ZEQ_OK);  // Y not driven: not checked
    double out = 0;
    EXPECT_DOUBLE_EQ(ZEQ_GetPathOrgX(h, &out), 1.5);
    EXPECT_DOUBLE_EQ(out, 1.5);
    EXPECT_DOUBLE_EQ(ZEQ_GetPathOrgY(h, nullptr), 0.0);
    EXPECT_DOUBLE_EQ(ZEQ_GetPathOrgZ(h, nullptr), 5.0);
    EXPECT_DOUBLE_EQ(state(h).lenTol_d, 0.04);

    EXPECT_EQ(ZEQ_InitPath(h, -1, 1, 2, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_InitPath(h, 0x18000, 1, 2, 0), ZEQ_ERR_ARGUMENT);  // bit 15 of the 16 bits
    EXPECT_EQ(ZEQ_InitPath(h, 4, 1, 2, 0), ZEQ_ERR_AXIS);
    EXPECT_EQ(ZEQ_InitPath(h, 0, 1, 4, 0), ZEQ_ERR_AXIS);
    EXPECT_EQ(ZEQ_InterpolatePath(h), ZEQ_ERR_PATH_NOT_INIT);
}

TEST_F(PathDeviceTest, ScalesBelowOneRefused) {
    ZEQ_HANDLE h = open();
    ASSERT_EQ(ZEQ_InitPath(h, 0, 1, -1, 0), ZEQ_OK);
    EXPECT_EQ(SetPartCartesianSys(h, 1000, 0.5, 1000), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(SetPartCartesianSys(h, NAN, 10, 10), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(SetPartCartesianSys(h, -1, 1, 0), ZEQ_OK);  // Z not driven
    EXPECT_EQ(SetPartCartesianSys(h + 1000, 10, 10, 10), ZEQ_ERR_HANDLE);
}

TEST_F(PathDeviceTest, RatesAndGetters) {
    ZEQ_HANDLE h = open();
    ZEQ_SetInterpFreq(h, 100);
    ZEQ_SetPathAccel(h, 200);
    EXPECT_DOUBLE_EQ(state(h).accel_dpp2, 0.02);
    double out = 0;
    EXPECT_DOUBLE_EQ(ZEQ_GetPathAccel(h, &out), 200);
    EXPECT_DOUBLE_EQ(out, 200);
    ZEQ_SetPathAccel(h, -5);  // ignored
    ZEQ_SetInterpFreq(h, 0);  // ignored
    EXPECT_DOUBLE_EQ(ZEQ_GetInterpFreq(h, nullptr), 100);
    EXPECT_DOUBLE_EQ(ZEQ_GetPathAccel(h, nullptr), 200);
    ZEQ_SetPathDecel(h, 50);
    EXPECT_DOUBLE_EQ(ZEQ_GetPathDecel(h, nullptr), 50);
    ZEQ_SetFeedOverride(h, -1);
    EXPECT_DOUBLE_EQ(ZEQ_GetFeedOverride(h, nullptr), 1.0);
    ZEQ_SetFeedOverride(h, 0);
    EXPECT_DOUBLE_EQ(ZEQ_GetFeedOverride(h, nullptr), 0.0);
    ZEQ_SetSegAngle(h, 90);
    EXPECT_NEAR(state(h).cornerLimit, 0.0, 1e-12);

    const ZEQ_HANDLE bad = h + 1000;
    int n = 0;
    double d = 0;
    EXPECT_EQ(ZEQ_GetSegNum(bad, &n), -1);
    EXPECT_EQ(n, -1);
    EXPECT_EQ(ZEQ_GetCurSegPt(bad, nullptr), -1);
    EXPECT_EQ(ZEQ_GetRearSegPt(bad, nullptr), -1);
    EXPECT_EQ(ZEQ_GetPathLen(bad, &d), -1.0);
    EXPECT_EQ(ZEQ_GetPathVel(bad, nullptr), -1.0);
    EXPECT_EQ(ZEQ_GetPathAccel(bad, nullptr), -1.0);
    EXPECT_EQ(ZEQ_GetPathDecel(bad, nullptr), -1.0);
    EXPECT_EQ(ZEQ_GetFeedOverride(bad, nullptr), 0.0);
    EXPECT_EQ(ZEQ_GetInterpFreq(bad, nullptr), 6.0);
    EXPECT_EQ(ZEQ_GetPathX(bad, nullptr), 6.0);
    EXPECT_EQ(ZEQ_GetPathOrgZ(bad, nullptr), 6.0);
    EXPECT_EQ(ZEQ_ClearSegList(bad), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_AddLine(bad, 1, 1, 1, 0), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_InterpolatePath(bad), ZEQ_ERR_HANDLE);
    ZEQ_SetPathAccel(bad, 1);  // no effect, no crash
}

TEST_F(PathDeviceTest, SegmentListThroughTheExports) {
    ZEQ_HANDLE h = open();
    ASSERT_EQ(ZEQ_InitPath(h, 0, 1, 2, 0), ZEQ_OK);
    ASSERT_EQ(SetPartCartesianSys(h, 1000, 1000, 1000), ZEQ_OK);
    EXPECT_EQ(ZEQ_AddLine3(h, 3, 4, 0, 10, 0), ZEQ_OK);
    EXPECT_EQ(ZEQ_AddLine3(h, 3, 4, 0, 10, 0), ZEQ_ERR_ZERO_SEGMENT);
    EXPECT_DOUBLE_EQ(ZEQ_GetPathLen(h, nullptr), 5.0);
    // Clockwise (direction 0) half circle from (3, 4) about (3, 0) to (3, -4).
    EXPECT_EQ(ZEQ_AddArc(h, 3, -4, 3, 0, 0, 10, 0), ZEQ_OK);
    EXPECT_EQ(state(h).seg[1].normal[2], -1.0);
    EXPECT_EQ(ZEQ_AddArc(h, 3, 4, 3, 0, 1, 10, 0), ZEQ_OK);
    EXPECT_EQ(state(h).seg[2].normal[2], 1.0);
    EXPECT_NEAR(ZEQ_GetPathLen(h, nullptr), 5 + 8 * M_PI, 1e-9);
    int n = 0;
    EXPECT_EQ(ZEQ_GetSegNum(h, &n), 3);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(ZEQ_GetRearSegPt(h, nullptr), 3);
    EXPECT_EQ(ZEQ_GetCurSegPt(h, nullptr), 0);
    EXPECT_EQ(ZEQ_ClearSegList(h), ZEQ_OK);
    EXPECT_EQ(ZEQ_GetSegNum(h, nullptr), 0);
    EXPECT_EQ(ZEQ_GetPathLen(h, nullptr), 0.0);
}

TEST_F(PathDeviceTest, ExitGroupEndsThePath) {
    ZEQ_HANDLE h = open();
    ASSERT_EQ(ZEQ_InitPath(h, 0, 1, -1, 0), ZEQ_OK);
    ASSERT_EQ(SetPartCartesianSys(h, 1000, 1000, 1), ZEQ_OK);
    ZEQ_SetPathAccel(h, 500);
    ASSERT_EQ(ZEQ_AddLine(h, 100, 0, 40, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_InterpolatePath(h), ZEQ_ERR_PATH_NOT_DONE);
    EXPECT_GT(card().contour_words(), 0u);
    ASSERT_EQ(ZEQ_ExitGroup(h, 0), ZEQ_OK);
    EXPECT_EQ(card().contour_words(), 0u);
    EXPECT_EQ(ZEQ_InterpolatePath(h), ZEQ_ERR_PATH_NOT_INIT);
    EXPECT_EQ(ZEQ_UpdatePathPos(h, 0), ZEQ_ERR_PATH_NOT_INIT);
}

TEST_F(PathDeviceTest, NoAccelerationRefused) {
    ZEQ_HANDLE h = open();
    ASSERT_EQ(ZEQ_InitPath(h, 0, -1, -1, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_AddLine(h, 10, 0, 40, 0), ZEQ_OK);
    clearTrace();
    EXPECT_EQ(ZEQ_InterpolatePath(h), ZEQ_ERR_ARGUMENT);
    EXPECT_TRUE(writes("90").empty());
}

TEST_F(PathDeviceTest, StepsPerCallOnTheWire) {
    ZEQ_HANDLE h = open();
    for (int axes : {1, 3}) {
        ASSERT_EQ(ZEQ_InitPath(h, 0, axes > 1 ? 1 : -1, axes > 2 ? 2 : -1, 0), ZEQ_OK);
        ASSERT_EQ(SetPartCartesianSys(h, 1000, 1000, 1000), ZEQ_OK);
        ZEQ_SetPathAccel(h, 500);
        ASSERT_EQ(ZEQ_AddLine3(h, 100, 50, 20, 40, 0), ZEQ_OK);
        clearTrace();
        ASSERT_EQ(ZEQ_InterpolatePath(h), ZEQ_ERR_PATH_NOT_DONE);
        auto blocks = writes("90");
        ASSERT_EQ(blocks.size(), 1u);
        EXPECT_EQ(blocks[0].rfind("W 90 FF 7E 00 ", 0), 0u) << axes;  // 126 words
    }
}

// A line, an arc and a line in 3-D, then the rest of a closed square, played by the card.
TEST_F(PathDeviceTest, WholePathEndsExactlyOnTheCard) {
    ZEQ_HANDLE h = open();
    set_curpos(0, 100);
    set_curpos(1, -200);
    set_curpos(2, 300);
    ASSERT_EQ(ZEQ_InitPath(h, 0, 1, 2, 0), ZEQ_OK);
    ASSERT_EQ(SetPartCartesianSys(h, 1000, -400, 250), ZEQ_OK);
    ZEQ_SetPathAccel(h, 400);
    ASSERT_EQ(ZEQ_AddLine3(h, 10, 0, 0, 50, 50), ZEQ_OK);
    ASSERT_EQ(ZEQ_AddArc3(h, 15, 5, 0, 10, 5, 0, 0, 0, 1, 50, 50), ZEQ_OK);
    ASSERT_EQ(ZEQ_AddLine3(h, 15, 12, 0, 50, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_AddLine3(h, 15, 12, 7.5, 30, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_EnableGroup(h, 1, 0), ZEQ_OK);
    int rc = ZEQ_ERR_PATH_NOT_DONE;
    int calls = 0;
    while (rc == ZEQ_ERR_PATH_NOT_DONE && calls < 5000) {
        rc = ZEQ_InterpolatePath(h);
        ++calls;
        card().run_ticks(500);
    }
    ASSERT_EQ(rc, ZEQ_OK);
    play_out();
    EXPECT_EQ(card().reg32(0, reg::curpos), 100 + 15000);
    EXPECT_EQ(card().reg32(1, reg::curpos), -200 - 4800);
    EXPECT_EQ(card().reg32(2, reg::curpos), 300 + 1875);
    EXPECT_DOUBLE_EQ(ZEQ_GetPathX(h, nullptr), 15.0);
    EXPECT_DOUBLE_EQ(ZEQ_GetPathY(h, nullptr), 12.0);
    EXPECT_DOUBLE_EQ(ZEQ_GetPathZ(h, nullptr), 7.5);
    EXPECT_EQ(ZEQ_GetPathVel(h, nullptr), 0.0);
    EXPECT_EQ(ZEQ_InterpolatePath(h), ZEQ_OK);  // finished stays finished

    // The card's positions agree with the planner's.
    set_curpos(1, -200 - 4800 + 8);  // the axis was nudged by hand
    ASSERT_EQ(ZEQ_UpdatePathPos(h, 0), ZEQ_OK);
    EXPECT_EQ(state(h).lastPos_counts[0], 15000);
    EXPECT_EQ(state(h).lastPos_counts[1], -4792);
}

TEST_F(PathDeviceTest, FullContourFifoKeepsTheWordsForTheNextCall) {
    ZEQ_HANDLE h = open();
    card().set_depths(256, 1024, 256, 256);
    ASSERT_EQ(ZEQ_InitPath(h, 0, 1, -1, 0), ZEQ_OK);
    ASSERT_EQ(SetPartCartesianSys(h, 1000, 1000, 1), ZEQ_OK);
    ZEQ_SetPathAccel(h, 500);
    ASSERT_EQ(ZEQ_AddLine(h, 600, 250, 40, 0), ZEQ_OK);
    // The group is not running: two blocks fill the FIFO, the third waits on the host.
    ASSERT_EQ(ZEQ_InterpolatePath(h), ZEQ_ERR_PATH_NOT_DONE);
    ASSERT_EQ(ZEQ_InterpolatePath(h), ZEQ_ERR_PATH_NOT_DONE);
    const int pending = state(h).pendingCount;
    const double travelled = state(h).travelled_d;
    clearTrace();
    ASSERT_EQ(ZEQ_InterpolatePath(h), ZEQ_ERR_PATH_NOT_DONE);
    ASSERT_EQ(pending, 0);
    EXPECT_EQ(state(h).pendingCount, 126);
    EXPECT_TRUE(writes("90").empty());
    const double planned = state(h).travelled_d;
    EXPECT_GT(planned, travelled);
    ASSERT_EQ(ZEQ_InterpolatePath(h), ZEQ_ERR_PATH_NOT_DONE);
    EXPECT_EQ(state(h).travelled_d, planned);  // nothing new planned while words wait
    // Let the card play, then finish the path.
    ASSERT_EQ(ZEQ_EnableGroup(h, 1, 0), ZEQ_OK);
    int rc = ZEQ_ERR_PATH_NOT_DONE;
    for (int i = 0; i < 5000 && rc == ZEQ_ERR_PATH_NOT_DONE; ++i) {
        card().run_ticks(3000);
        rc = ZEQ_InterpolatePath(h);
    }
    ASSERT_EQ(rc, ZEQ_OK);
    play_out();
    EXPECT_EQ(card().reg32(0, reg::curpos), 600000);
    EXPECT_EQ(card().reg32(1, reg::curpos), 250000);
}

}  // namespace
