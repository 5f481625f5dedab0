// Event instruction exports against the virtual card: what lands in `eventid` and the four
// `eventbase` words, the write order, and the argument checks that must send nothing.
#include <functional>

#include "motion_fixture.h"

namespace zeq::test {
namespace {

class EventExports : public MotionTest {
  protected:
    // The eight words of the instruction loaded by the last call, as they went out in the four
    // `eventbase` writes since the mark.
    std::array<uint16_t, 8> loaded() {
        std::array<uint16_t, 8> w{};
        for (const Block& b : writes()) {
            if (b.address < 568 || b.address > 574 || (b.address & 1) || b.width() != 32) continue;
            const int i = (b.address - 568) / 2;
            w[2 * i] = static_cast<uint16_t>(b.value);
            w[2 * i + 1] = static_cast<uint16_t>(b.value >> 16);
        }
        mark();
        return w;
    }
};

TEST_F(EventExports, Add32WritesEventIdThenTheFourBaseWordsInOrder) {
    ASSERT_EQ(ZEQ_ADD32(h_, 3, 0, 10, 0, 33, 1, 317, 2, 0), ZEQ_OK);
    const std::vector<Block> w = writes();
    ASSERT_EQ(w.size(), 5u);
    EXPECT_EQ(w[0].address, 549);
    EXPECT_EQ(w[0].width(), 16);
    EXPECT_EQ(w[0].value, 3);
    const int64_t base[] = {0x000A8000, 0x00210000, 0x00000001, 0x0002013D};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(w[1 + i].address, 568 + 2 * i);
        EXPECT_EQ(w[1 + i].width(), 32);
        EXPECT_EQ(w[1 + i].axis, 0);
        EXPECT_EQ(w[1 + i].value, base[i]);
        EXPECT_FALSE(w[1 + i].queue);
    }
    EXPECT_EQ(card().reg16(0, 549), 3);
    EXPECT_EQ(card().reg32(0, 574), 0x0002013D);
}

TEST_F(EventExports, Set32UnderIfzThroughTheQueueFifo) {
    ASSERT_EQ(ZEQ_SET32(h_, 5, 8, 0x12345678, 319, 0, 1), ZEQ_OK);
    ASSERT_EQ(writes().size(), 5u);
    for (const Block& b : writes()) EXPECT_TRUE(b.queue);
    const auto w = loaded();
    EXPECT_EQ(w[0], 0x3606);
    EXPECT_EQ(w[3], 0x5678);
    EXPECT_EQ(w[4], 0x1234);
    EXPECT_EQ(w[6], 319);
}

TEST_F(EventExports, ArgumentErrorsSendNothing) {
    struct Case {
        const char* what;
        std::function<int(ZEQ_HANDLE)> call;
    };
    const Case cases[] = {
        {"channel 32", [](ZEQ_HANDLE h) { return ZEQ_ADD32(h, 32, 0, 10, 0, 33, 1, 317, 2, 0); }},
        {"channel -1", [](ZEQ_HANDLE h) { return ZEQ_COP16(h, -1, 0, 10, 0, 317, 2, 0); }},
        {"condition 15", [](ZEQ_HANDLE h) { return ZEQ_SET16(h, 0, 15, 1, 307, 0, 0); }},
        {"condition -1", [](ZEQ_HANDLE h) { return ZEQ_CMP48i(h, 0, -1, 10, 0, 5, 317, 0, 0); }},
        {"destination axis 16",
         [](ZEQ_HANDLE h) { return ZEQ_ADD32(h, 0, 0, 10, 0, 33, 1, 317, 16, 0); }},
        {"destination axis -1", [](ZEQ_HANDLE h) { return ZEQ_SET48(h, 0, 0, 1, 337, -1, 0); }},
        {"operand-1 axis 16",
         [](ZEQ_HANDLE h) { return ZEQ_OR16i(h, 0, 0, 10, 16, 1, 307, 0, 0); }},
        {"enable channel 32", [](ZEQ_HANDLE h) { return ZEQ_EnableEvent(h, 32, 0); }},
        {"enable channel -1", [](ZEQ_HANDLE h) { return ZEQ_EnableEvent(h, -1, 0); }},
        {"null record", [](ZEQ_HANDLE h) { return ZEQ_EventFun(h, 0, nullptr, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mark();
        EXPECT_EQ(c.call(h_), ZEQ_ERR_ARGUMENT);
        EXPECT_TRUE(since().empty());
    }
}

TEST_F(EventExports, UnknownHandleIsFoundByTheFirstWrite) {
    EXPECT_EQ(ZEQ_ADD32(h_ + 1000, 3, 0, 10, 0, 33, 1, 317, 2, 0), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_EnableEvent(h_ + 1000, 3, 0), ZEQ_ERR_HANDLE);
}

TEST_F(EventExports, ChannelTakesTheLow16Bits) {
    ASSERT_EQ(ZEQ_SET16(h_, 0x10007, 0, 1, 307, 0, 0), ZEQ_OK);
    EXPECT_EQ(card().reg16(0, 549), 7);
}

TEST_F(EventExports, EnableEventWritesTheChannelToEvents) {
    ASSERT_EQ(ZEQ_EnableEvent(h_, 31, 0), ZEQ_OK);
    const std::vector<Block> w = writes();
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].address, 489);
    EXPECT_EQ(w[0].value, 31);
    EXPECT_EQ(w[0].width(), 16);
}

// Every export loads its own instruction code, and its operands land in the documented words.
TEST_F(EventExports, EachExportLoadsItsCodeAndOperands) {
    using W = std::array<uint16_t, 8>;
    struct Case {
        const char* name;
        std::function<int(ZEQ_HANDLE)> call;
        W words;
    };
    const int64_t big = 0x0000876543210FEDLL;
    const Case cases[] = {
        {"ADD32",
         [](ZEQ_HANDLE h) { return ZEQ_ADD32(h, 1, 0, 10, 1, 33, 2, 317, 3, 0); },
         {0x8000, 10, 1, 33, 2, 0, 317, 3}},
        {"ADD48",
         [](ZEQ_HANDLE h) { return ZEQ_ADD48(h, 1, 0, 10, 1, 33, 2, 337, 3, 0); },
         {0x8004, 10, 1, 33, 2, 0, 337, 3}},
        {"CMP32",
         [](ZEQ_HANDLE h) { return ZEQ_CMP32(h, 1, 0, 10, 1, 33, 2, 317, 3, 0); },
         {0x9000, 10, 1, 33, 2, 0, 317, 3}},
        {"CMP48",
         [](ZEQ_HANDLE h) { return ZEQ_CMP48(h, 1, 0, 10, 1, 33, 2, 317, 3, 0); },
         {0x9004, 10, 1, 33, 2, 0, 317, 3}},
        {"SCA32",
         [](ZEQ_HANDLE h) { return ZEQ_SCA32(h, 1, 0, 10, 1, 33, 2, 317, 3, 0); },
         {0xA000, 10, 1, 33, 2, 0, 317, 3}},
        {"SCA48",
         [](ZEQ_HANDLE h) { return ZEQ_SCA48(h, 1, 0, 10, 1, 33, 2, 317, 3, 0); },
         {0xA004, 10, 1, 33, 2, 0, 317, 3}},
        {"MUL32L",
         [](ZEQ_HANDLE h) { return ZEQ_MUL32L(h, 1, 0, 10, 1, 33, 2, 317, 3, 0); },
         {0xA008, 10, 1, 33, 2, 0, 317, 3}},
        {"MUL32A",
         [](ZEQ_HANDLE h) { return ZEQ_MUL32A(h, 1, 0, 10, 1, 33, 2, 317, 3, 0); },
         {0xA00C, 10, 1, 33, 2, 0, 317, 3}},
        {"OR16",
         [](ZEQ_HANDLE h) { return ZEQ_OR16(h, 1, 0, 10, 1, 33, 2, 317, 3, 0); },
         {0xC000, 10, 1, 33, 2, 0, 317, 3}},
        {"OR16B",
         [](ZEQ_HANDLE h) { return ZEQ_OR16B(h, 1, 0, 10, 1, 33, 2, 317, 3, 0); },
         {0xC008, 10, 1, 33, 2, 0, 317, 3}},
        {"AND16",
         [](ZEQ_HANDLE h) { return ZEQ_AND16(h, 1, 0, 10, 1, 33, 2, 317, 3, 0); },
         {0xE000, 10, 1, 33, 2, 0, 317, 3}},
        {"AND16B",
         [](ZEQ_HANDLE h) { return ZEQ_AND16B(h, 1, 0, 10, 1, 33, 2, 317, 3, 0); },
         {0xE008, 10, 1, 33, 2, 0, 317, 3}},
        {"XOR16",
         [](ZEQ_HANDLE h) { return ZEQ_XOR16(h, 1, 0, 10, 1, 33, 2, 317, 3, 0); },
         {0xF000, 10, 1, 33, 2, 0, 317, 3}},
        {"XOR16B",
         [](ZEQ_HANDLE h) { return ZEQ_XOR16B(h, 1, 0, 10, 1, 33, 2, 317, 3, 0); },
         {0xF008, 10, 1, 33, 2, 0, 317, 3}},
        {"OR16I",
         [](ZEQ_HANDLE h) { return ZEQ_OR16i(h, 1, 0, 10, 1, 0x1ABCD, 307, 3, 0); },
         {0xC400, 10, 1, 0xABCD, 0, 0, 307, 3}},
        {"OR16IB",
         [](ZEQ_HANDLE h) { return ZEQ_OR16iB(h, 1, 0, 10, 1, 0x1ABCD, 307, 3, 0); },
         {0xC408, 10, 1, 0xABCD, 0, 0, 307, 3}},
        {"AND16I",
         [](ZEQ_HANDLE h) { return ZEQ_AND16i(h, 1, 0, 10, 1, 0x1ABCD, 307, 3, 0); },
         {0xE400, 10, 1, 0xABCD, 0, 0, 307, 3}},
        {"AND16IB",
         [](ZEQ_HANDLE h) { return ZEQ_AND16iB(h, 1, 0, 10, 1, 0x1ABCD, 307, 3, 0); },
         {0xE408, 10, 1, 0xABCD, 0, 0, 307, 3}},
        {"XOR16I",
         [](ZEQ_HANDLE h) { return ZEQ_XOR16i(h, 1, 0, 10, 1, 0x1ABCD, 307, 3, 0); },
         {0xF400, 10, 1, 0xABCD, 0, 0, 307, 3}},
        {"XOR16IB",
         [](ZEQ_HANDLE h) { return ZEQ_XOR16iB(h, 1, 0, 10, 1, 0x1ABCD, 307, 3, 0); },
         {0xF408, 10, 1, 0xABCD, 0, 0, 307, 3}},
        {"ADD32I",
         [](ZEQ_HANDLE h) { return ZEQ_ADD32i(h, 1, 0, 10, 1, -2, 317, 3, 0); },
         {0x8400, 10, 1, 0xFFFE, 0xFFFF, 0, 317, 3}},
        {"CMP32I",
         [](ZEQ_HANDLE h) { return ZEQ_CMP32i(h, 1, 0, 10, 1, -2, 317, 3, 0); },
         {0x9400, 10, 1, 0xFFFE, 0xFFFF, 0, 317, 3}},
        {"MUL32IL",
         [](ZEQ_HANDLE h) { return ZEQ_MUL32iL(h, 1, 0, 10, 1, -2, 317, 3, 0); },
         {0xA408, 10, 1, 0xFFFE, 0xFFFF, 0, 317, 3}},
        {"MUL32IA",
         [](ZEQ_HANDLE h) { return ZEQ_MUL32iA(h, 1, 0, 10, 1, -2, 317, 3, 0); },
         {0xA40C, 10, 1, 0xFFFE, 0xFFFF, 0, 317, 3}},
        {"ADD48I",
         [big](ZEQ_HANDLE h) { return ZEQ_ADD48i(h, 1, 0, 10, 1, big, 337, 3, 0); },
         {0x8404, 10, 1, 0x0FED, 0x4321, 0x8765, 337, 3}},
        {"CMP48I",
         [big](ZEQ_HANDLE h) { return ZEQ_CMP48i(h, 1, 0, 10, 1, big, 337, 3, 0); },
         {0x9404, 10, 1, 0x0FED, 0x4321, 0x8765, 337, 3}},
        {"SCA32I",
         [big](ZEQ_HANDLE h) { return ZEQ_SCA32i(h, 1, 0, 10, 1, big, 317, 3, 0); },
         {0xA400, 10, 1, 0x0FED, 0x4321, 0x8765, 317, 3}},
        {"SCA48I",
         [big](ZEQ_HANDLE h) { return ZEQ_SCA48i(h, 1, 0, 10, 1, big, 337, 3, 0); },
         {0xA404, 10, 1, 0x0FED, 0x4321, 0x8765, 337, 3}},
        {"COP16",
         [](ZEQ_HANDLE h) { return ZEQ_COP16(h, 1, 0, 307, 4, 308, 3, 0); },
         {0xB000, 0, 0, 307, 4, 0, 308, 3}},
        {"COP32",
         [](ZEQ_HANDLE h) { return ZEQ_COP32(h, 1, 0, 317, 4, 319, 3, 0); },
         {0xB004, 0, 0, 317, 4, 0, 319, 3}},
        {"COP48",
         [](ZEQ_HANDLE h) { return ZEQ_COP48(h, 1, 0, 337, 4, 340, 3, 0); },
         {0xB008, 0, 0, 337, 4, 0, 340, 3}},
        {"SET16",
         [](ZEQ_HANDLE h) { return ZEQ_SET16(h, 1, 0, 0x1ABCD, 307, 3, 0); },
         {0xB400, 0, 0, 0xABCD, 0, 0, 307, 3}},
        {"SET32",
         [](ZEQ_HANDLE h) { return ZEQ_SET32(h, 1, 0, -2, 317, 3, 0); },
         {0xB404, 0, 0, 0xFFFE, 0xFFFF, 0, 317, 3}},
        {"SET48",
         [big](ZEQ_HANDLE h) { return ZEQ_SET48(h, 1, 0, big, 337, 3, 0); },
         {0xB408, 0, 0, 0x0FED, 0x4321, 0x8765, 337, 3}},
    };
    ASSERT_EQ(std::size(cases), 34u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mark();
        ASSERT_EQ(c.call(h_), ZEQ_OK);
        EXPECT_EQ(loaded(), c.words);
    }
}

TEST_F(EventExports, EventFunEncodesTheRecord) {
    ZEQ_EVENT_INSTR in{};
    in.type = 20;  // SET32
    in.condition = 8;
    in.op1Address = 10;  // absent in the set form
    in.op1Axis = 1;
    in.op2[0] = 0x5678;
    in.op2[1] = 0x1234;
    in.op2[2] = 0x9999;  // beyond the 32-bit immediate
    in.op2[3] = 0x7777;  // never used
    in.destAddress = 317;
    in.destAxis = 2;
    ASSERT_EQ(ZEQ_EventFun(h_, 4, &in, 0), ZEQ_OK);
    EXPECT_EQ(card().reg16(0, 549), 4);
    EXPECT_EQ(writes().front().value, 4);
    EXPECT_EQ(loaded(), (std::array<uint16_t, 8>{0x3606, 0, 0, 0x5678, 0x1234, 0, 317, 2}));

    in.type = 3;  // ADD48I keeps three immediate words
    in.condition = 0;
    mark();
    ASSERT_EQ(ZEQ_EventFun(h_, 4, &in, 0), ZEQ_OK);
    EXPECT_EQ(loaded(), (std::array<uint16_t, 8>{0x8404, 10, 1, 0x5678, 0x1234, 0x9999, 317, 2}));

    struct Bad {
        const char* what;
        void (*spoil)(ZEQ_EVENT_INSTR&);
    };
    const Bad bad[] = {
        {"type 34", [](ZEQ_EVENT_INSTR& r) { r.type = 34; }},
        {"type -1", [](ZEQ_EVENT_INSTR& r) { r.type = -1; }},
        {"condition 15", [](ZEQ_EVENT_INSTR& r) { r.condition = 15; }},
        {"op1 axis 16", [](ZEQ_EVENT_INSTR& r) { r.op1Axis = 16; }},
        {"dest axis -1", [](ZEQ_EVENT_INSTR& r) { r.destAxis = -1; }},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.what);
        ZEQ_EVENT_INSTR r = in;
        b.spoil(r);
        mark();
        EXPECT_EQ(ZEQ_EventFun(h_, 4, &r, 0), ZEQ_ERR_ARGUMENT);
        EXPECT_TRUE(since().empty());
    }
    mark();
    EXPECT_EQ(ZEQ_EventFun(h_, 32, &in, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_TRUE(since().empty());
}

}  // namespace
}  // namespace zeq::test
