// Frames on the wire for parameter writes, waits and reads.
#include <gmock/gmock.h>

#include "link_fixture.h"

using ::testing::ElementsAre;
using zeq::test::LinkTest;

namespace {

struct WriteCase {
    const char* what;
    int address, value, axis, selector;
    const char* frame;
};

class FrameTest : public LinkTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(FrameTest, SetParam16SendsTheCommandBlock) {
    const WriteCase& c = GetParam();
    ZEQ_HANDLE h = open();
    clearTrace();
    ASSERT_EQ(ZEQ_SetParam16(h, c.address, c.value, c.axis, c.selector), ZEQ_OK);
    auto lines = trace();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), std::string("W ") + c.frame);
    // After the block, the acknowledge status is polled.
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "W 4C");
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, FrameTest,
    ::testing::Values(WriteCase{"axis1_immediate", 12, 0x1234, 1, 0, "80 05 0C 84 34 12 40 96"},
                      WriteCase{"clrqfifo", 521, 0xFFFF, 0, 0, "80 05 09 82 FF FF 08 82"},
                      WriteCase{"queue", 513, 0xFFFF, 0, 1, "84 05 01 82 FF FF 00 82"},
                      WriteCase{"only_low_16_bits", 12, 0x71234, 1, 0, "80 05 0C 84 34 12 40 96"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(LinkTest, WaitTokenAlwaysUsesTheQueuePort) {
    ZEQ_HANDLE h = open();
    clearTrace();
    ASSERT_EQ(ZEQ_WaitToken(h, 0, 2), ZEQ_OK);
    EXPECT_EQ(trace().front(), "W 84 03 00 68 00 68");
}

TEST_F(LinkTest, WaitToZeroBlock) {
    ZEQ_HANDLE h = open();
    clearTrace();
    ASSERT_EQ(ZEQ_WaitToZero(h, 0, 0), ZEQ_OK);
    EXPECT_EQ(trace().front(), "W 84 03 00 E0 00 E0");
}

TEST_F(LinkTest, ClearFifoWritesThroughTheOtherFifo) {
    ZEQ_HANDLE h = open();
    clearTrace();
    ASSERT_EQ(ZEQ_ClearFIFO(h, 1), ZEQ_OK);
    EXPECT_EQ(trace().front(), "W 80 05 09 82 FF FF 08 82");
    clearTrace();
    ASSERT_EQ(ZEQ_ClearFIFO(h, 0), ZEQ_OK);
    EXPECT_EQ(trace().front(), "W 84 05 01 82 FF FF 00 82");
}

TEST_F(LinkTest, Write32And48Blocks) {
    ZEQ_HANDLE h = open();
    clearTrace();
    ASSERT_EQ(ZEQ_SetParam32(h, 12, 0x00012345, 1, 0), ZEQ_OK);
    // A40C + 2345 + 0001 = C752
    EXPECT_EQ(trace().front(), "W 80 07 0C A4 45 23 01 00 52 C7");
    clearTrace();
    ASSERT_EQ(ZEQ_SetParam48(h, 12, -1, 0, 1), ZEQ_OK);
    // C00C + 3 x FFFF wraps to C009
    EXPECT_EQ(trace().front(), "W 84 09 0C C0 FF FF FF FF FF FF 09 C0");
}

TEST_F(LinkTest, ReadOfNaxisOnTheWire) {
    ZEQ_HANDLE h = open();
    clearTrace();
    uint16_t naxis = 0;
    ASSERT_EQ(ZEQ_GetParam16(h, 634, &naxis, 0, 0), ZEQ_OK);
    EXPECT_EQ(naxis, 4);
    std::vector<std::string> frames;
    for (const std::string& l : trace())
        if (l.rfind("W 80", 0) == 0 || l.rfind("W C0", 0) == 0) frames.push_back(l);
    EXPECT_THAT(frames, ElementsAre("W 80 03 7A 02 7A 02", "W C0 01", "W C0 01"));
}

TEST_F(LinkTest, Read32ChecksumIsTheSumOfCommandAndValueWords) {
    ZEQ_HANDLE h = open();
    zeq::sim::card(0).poke16(1, 225, 0x2345);  // curpos is read-only for the host
    zeq::sim::card(0).poke16(1, 226, 0x0001);
    clearTrace();
    int32_t v = 0;
    ASSERT_EQ(ZEQ_GetParam32(h, 225, &v, 1, 0), ZEQ_OK);
    EXPECT_EQ(v, 0x00012345);
    auto lines = trace();
    // The value, then the checksum word 0x2345 + 0x0001 + 0x24E1 = 0x4827.
    auto value = std::find(lines.begin(), lines.end(), "R 45 23 01 00");
    ASSERT_NE(value, lines.end());
    ASSERT_LT(value + 2, lines.end());
    EXPECT_EQ(*(value + 2), "R 27 48");
}

TEST_F(LinkTest, FortyEightBitValuesAreSignExtended) {
    ZEQ_HANDLE h = open();
    const int64_t negative = -0x123456789LL;
    ASSERT_EQ(ZEQ_SetParam48(h, 12, negative, 0, 0), ZEQ_OK);
    int64_t back = 0;
    ASSERT_EQ(ZEQ_GetParam48(h, 12, &back, 0, 0), ZEQ_OK);
    EXPECT_EQ(back, negative);
    ASSERT_EQ(ZEQ_SetParam48(h, 12, int64_t{1} << 47, 0, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_GetParam48(h, 12, &back, 0, 0), ZEQ_OK);
    EXPECT_EQ(back, -(int64_t{1} << 47));
}

TEST_F(LinkTest, AxisOutOfRangeSendsNothing) {
    ZEQ_HANDLE h = open();
    clearTrace();
    EXPECT_EQ(ZEQ_SetParam16(h, 12, 1, 4, 0), ZEQ_ERR_AXIS);
    EXPECT_EQ(ZEQ_SetParam32(h, 12, 1, -1, 0), ZEQ_ERR_AXIS);
    uint16_t v = 0;
    EXPECT_EQ(ZEQ_GetParam16(h, 12, &v, 4, 0), ZEQ_ERR_AXIS);
    EXPECT_EQ(ZEQ_GetParamCMD16(h, 12, 4, 1), ZEQ_ERR_AXIS);
    EXPECT_TRUE(trace().empty());
}

// An address beyond the command word's 10 bits would wrap onto another register (1036 onto
// `mcstgpos` at 12): every parameter service refuses it with 7 and sends nothing.
TEST_F(LinkTest, AddressOutsideTheRegisterMapSendsNothing) {
    ZEQ_HANDLE h = open();
    for (int address : {1024, 1036, -1, -1012}) {
        SCOPED_TRACE(address);
        clearTrace();
        uint16_t v16 = 0;
        int32_t v32 = 0;
        int64_t v48 = 0;
        EXPECT_EQ(ZEQ_SetParam16(h, address, 1, 0, 0), ZEQ_ERR_ARGUMENT);
        EXPECT_EQ(ZEQ_SetParam32(h, address, 1, 0, 1), ZEQ_ERR_ARGUMENT);
        EXPECT_EQ(ZEQ_SetParam48(h, address, 1, 0, 0), ZEQ_ERR_ARGUMENT);
        EXPECT_EQ(ZEQ_WaitToken(h, address, 0), ZEQ_ERR_ARGUMENT);
        EXPECT_EQ(ZEQ_WaitToZero(h, address, 0), ZEQ_ERR_ARGUMENT);
        EXPECT_EQ(ZEQ_GetParam16(h, address, &v16, 0, 0), ZEQ_ERR_ARGUMENT);
        EXPECT_EQ(ZEQ_GetParam32(h, address, &v32, 0, 1), ZEQ_ERR_ARGUMENT);
        EXPECT_EQ(ZEQ_GetParam48(h, address, &v48, 0, 0), ZEQ_ERR_ARGUMENT);
        EXPECT_EQ(ZEQ_GetParamCMD32(h, address, 0, 1), ZEQ_ERR_ARGUMENT);
        EXPECT_EQ(ZEQ_GetRFIFOData32(h, address, &v32, 0, 1), ZEQ_ERR_ARGUMENT);
        EXPECT_EQ(ZEQ_ADD32(h, 0, 0, address, 0, 12, 0, 12, 0, 0), ZEQ_ERR_ARGUMENT);
        EXPECT_EQ(ZEQ_COP32(h, 0, 0, 12, 0, address, 0, 0), ZEQ_ERR_ARGUMENT);
        EXPECT_TRUE(trace().empty());
    }
    EXPECT_EQ(zeq::sim::card(0).reg32(0, 12), 0);  // `mcstgpos` untouched
    // A null out value is refused the same way, before the drain.
    clearTrace();
    EXPECT_EQ(ZEQ_GetParam16(h, 12, nullptr, 0, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_GetRFIFOData48(h, 12, nullptr, 0, 1), ZEQ_ERR_ARGUMENT);
    EXPECT_TRUE(trace().empty());
}

TEST_F(LinkTest, RawFrameExports) {
    ZEQ_HANDLE h = open();
    clearTrace();
    EXPECT_EQ(ZEQ_StartIFIFO(h), ZEQ_OK);
    EXPECT_EQ(ZEQ_SetWordData(h, 0xBEEF, 1), ZEQ_OK);
    EXPECT_EQ(ZEQ_Reset(h), ZEQ_OK);
    EXPECT_THAT(trace(), ElementsAre("W 88 01 00 00", "W 84 01 EF BE", "W 7F 5A"));
}

TEST_F(LinkTest, DeferredReadsComeBackInOrder) {
    ZEQ_HANDLE h = open();
    ASSERT_EQ(ZEQ_SetParam16(h, 12, 111, 0, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_SetParam32(h, 12, 222222, 1, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_GetParamCMD16(h, 12, 0, 1), ZEQ_OK);
    ASSERT_EQ(ZEQ_GetParamCMD32(h, 12, 1, 1), ZEQ_OK);
    ASSERT_EQ(ZEQ_IsRBFIFONoEmpty(h, 1), ZEQ_OK);
    uint16_t a = 0;
    int32_t b = 0;
    EXPECT_EQ(ZEQ_GetRFIFOData16(h, 12, &a, 0, 1), ZEQ_OK);
    EXPECT_EQ(a, 111);
    EXPECT_EQ(ZEQ_GetRFIFOData32(h, 12, &b, 1, 1), ZEQ_OK);
    EXPECT_EQ(b, 222222);
    EXPECT_EQ(ZEQ_IsRBFIFONoEmpty(h, 1), ZEQ_ERR_RBFIFO_EMPTY);
}

TEST_F(LinkTest, RetrievalWithAnotherAxisFailsAndConsumesTheReply) {
    ZEQ_HANDLE h = open();
    ASSERT_EQ(ZEQ_GetParamCMD16(h, 634, 0, 1), ZEQ_OK);
    ASSERT_EQ(ZEQ_IsRBFIFONoEmpty(h, 1), ZEQ_OK);
    uint16_t v = 0;
    EXPECT_EQ(ZEQ_GetRFIFOData16(h, 634, &v, 1, 1), ZEQ_ERR_CHECKSUM);
    EXPECT_EQ(ZEQ_IsRBFIFONoEmpty(h, 1), ZEQ_ERR_RBFIFO_EMPTY);
}

TEST_F(LinkTest, VerifiedReadDrainsStaleReplies) {
    ZEQ_HANDLE h = open();
    ASSERT_EQ(ZEQ_GetParamCMD16(h, 634, 0, 0), ZEQ_OK);  // left waiting in the read-back FIFO
    ASSERT_EQ(ZEQ_SetParam16(h, 12, 77, 0, 0), ZEQ_OK);
    uint16_t v = 0;
    ASSERT_EQ(ZEQ_GetParam16(h, 12, &v, 0, 0), ZEQ_OK);
    EXPECT_EQ(v, 77);
    EXPECT_EQ(ZEQ_ClearRBFIFO(h, 0), ZEQ_OK);
}

}  // namespace
