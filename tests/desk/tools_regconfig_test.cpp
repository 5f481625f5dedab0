// Instruction files, the register configuration and its number fields, on a virtual card.
#include <gtest/gtest.h>

#include "binding/device_wrappers.h"
#include "desk/tools_card_fixture.h"
#include "tools/regconfig/instruction_download.h"
#include "tools/regconfig/instruction_file.h"
#include "tools/regconfig/number_fields.h"
#include "tools/regconfig/regconfig_messages.h"
#include "tools/regconfig/register_config.h"
#include "tools/regconfig/register_pages.h"

namespace zeq::desk::test {
namespace {

using namespace zeq::desk::regconfig;
using Op = Instruction::Op;

class AnsweringDialogs : public RecordingDialogs {
  public:
    Answer askYesNo(std::string_view text, Answer) override {
        messages.emplace_back(text);
        return answer;
    }
    Answer answer = Answer::Yes;
};

TEST(InstructionGrammar, StatementsAndLineNumberedErrors) {
    struct Case {
        const char* text;
        int errorLine;
        Op op;
        int address;
        std::int64_t value;
        double scale;
        int axis;
    } cases[] = {
        {"wr encpctr 8000h 0", 0, Op::Write, 539, 0x8000, 0, 0},
        {"WR ENCPCTR 8000H", 0, Op::Write, 539, 0x8000, 0, 0},
        {"wr mcsmaxvel FFFFFFFFh 1 ; comment", 0, Op::Write, 16, -1, 0, 1},
        {"wr mcsmaxvel - 12 3h", 0, Op::Write, 16, -12, 0, 3},
        {"wr mcsmaxvel 1.9 2", 0, Op::Write, 16, 1, 0, 2},
        {"wr mcsvel + 1 -5 3", 0, Op::Write, 5, -5, 0, 3},
        {"SETDISTSCALE -1.5 2", 0, Op::DistScale, 0, 0, -1.5, 2},
        {"settimescale -2", 0, Op::TimeScale, 0, 0, -2, 0},
        {"SetTimeScale 1.0000000 \r\n", 0, Op::TimeScale, 0, 0, 1, 0},
        {"\n\nwr nosuchparam 1 0", 3, Op::Write, 0, 0, 0, 0},
        {"{ one\ntwo\nthree }\nwr encpctr 12a 0", 4, Op::Write, 0, 0, 0, 0},
        {"wr encpctr 1 0\n{ open\n}wr encpctr 1 0 9", 3, Op::Write, 0, 0, 0, 0},
        {"wr encpctr 1 0 extra", 1, Op::Write, 0, 0, 0, 0},
        {"wr encpctr 123456789h", 1, Op::Write, 0, 0, 0, 0},
        {"wr encpctr\n1 0", 1, Op::Write, 0, 0, 0, 0},
        {"settimescale", 1, Op::Write, 0, 0, 0, 0},
        {"move 1 2", 1, Op::Write, 0, 0, 0, 0},
        {"wr\x01\x02 encpctr", 1, Op::Write, 0, 0, 0, 0},
        {"wr naxis + 1000 1", 1, Op::Write, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ParseResult r = parseInstructions(c.text);
        EXPECT_EQ(r.errorLine, c.errorLine);
        if (c.errorLine != 0) {
            EXPECT_TRUE(r.instructions.empty());
            continue;
        }
        ASSERT_EQ(r.instructions.size(), 1u);
        const Instruction& i = r.instructions[0];
        EXPECT_EQ(i.op, c.op);
        EXPECT_EQ(i.axis, c.axis);
        if (c.op == Op::Write) {
            EXPECT_EQ(i.address, c.address);
            EXPECT_EQ(i.value, c.value);
        } else {
            EXPECT_DOUBLE_EQ(i.scale, c.scale);
        }
    }
    EXPECT_TRUE(parseInstructions("wr mcsvel + 1 5").instructions[0].wordWrite);
    EXPECT_TRUE(parseInstructions("; only\n{ comments }\n").instructions.empty());
}

class Download : public ToolsTest {
  protected:
    std::string download(const std::string& text) {
        RecordingOutput out;
        downloadInstructionFile(handle, writeFile("a.txt", text), out, clock);
        return out.take();
    }
    std::uint16_t word(int axis, int address) {
        int status = 0;
        const std::uint16_t v = myReadParamWord(handle, axis, address, &status);
        EXPECT_EQ(status, 0);
        return v;
    }
    std::int32_t long32(int axis, int address) {
        int status = 0;
        const std::int32_t v = myReadParam(handle, axis, address, &status);
        EXPECT_EQ(status, 0);
        return v;
    }
};

TEST_F(Download, WritesAndScales) {
    EXPECT_EQ(download("wr encpctr 8000h 0\nwr encpctr 0005h 1\n"), msg::kConfigured);
    EXPECT_EQ(word(0, 539), 0x8000);
    EXPECT_EQ(word(1, 539), 5);
    // The word after the parameter's address, written as 16 bits (mcsmaxvel: 16 and 17).
    ASSERT_EQ(myWriteParam(handle, 2, 16, 0x5678), 0);
    EXPECT_EQ(download("wr mcsmaxvel +1 1234h 2"), msg::kConfigured);
    EXPECT_EQ(long32(2, 16), 0x12345678);
    EXPECT_EQ(download("SETDISTSCALE -1.5 2\nSETTIMESCALE -0.5"), msg::kConfigured);
    EXPECT_DOUBLE_EQ(MyGetDistScale(handle, 2), -1.5);
    EXPECT_DOUBLE_EQ(MyGetTimescale(handle), -0.5);
    ASSERT_EQ(download("SETTIMESCALE 1\nSETDISTSCALE 1 2"), msg::kConfigured);
}

TEST_F(Download, EmptyCommentOnlyAndFaultyFiles) {
    EXPECT_EQ(download(""), msg::kConfigured);
    EXPECT_EQ(download("; nothing\n{ at\nall }\n"), msg::kConfigured);
    ASSERT_EQ(myWriteParamWord(handle, 0, 539, 7), 0);
    // Nothing is sent from a file with an error, not even its sound lines.
    EXPECT_EQ(download("wr encpctr 8000h 0\nwr nosuch 1\n"), "配置文件有错!  错误行: 2\r\n");
    EXPECT_EQ(word(0, 539), 7);
    RecordingOutput out;
    EXPECT_FALSE(downloadInstructionFile(handle, (dir / "missing.txt").string(), out, clock));
    EXPECT_EQ(out.take(), "无法打开文件:" + (dir / "missing.txt").string() + "\r\n");
    EXPECT_FALSE(downloadInstructionFile(0, "x", out, clock));
    EXPECT_EQ(out.take(), msg::kDeviceNotOpen);
}

TEST_F(Download, FifoThatStaysHalfFullEndsAfterTwoSeconds) {
    int polls = 0;
    const FifoProbe alwaysHalfFull = [&](ZEQ_HANDLE) {
        ++polls;
        return 8;
    };
    RecordingOutput out;
    ASSERT_EQ(myWriteParamWord(handle, 0, 539, 7), 0);
    EXPECT_FALSE(downloadInstructionFile(handle, writeFile("a.txt", "wr encpctr 1 0"), out, clock,
                                         alwaysHalfFull));
    EXPECT_EQ(out.take(), msg::kConfigFailed);
    EXPECT_GE(clock.slept, kFifoWaitLimit);
    EXPECT_LE(clock.slept, kFifoWaitLimit + std::chrono::milliseconds(5));
    EXPECT_GT(polls, 1);
    EXPECT_EQ(word(0, 539), 7);  // never written
}

TEST_F(Download, GeneratedFileDownloadsBackToTheSameRegisters) {
    RegisterConfig powerOn;
    ASSERT_EQ(powerOn.readFromCard(handle, 4), 0);
    ASSERT_EQ(download("wr encpctr 8123h 1\nwr aioctr C00Fh 2\nwr mcsmaxvel -70000 3\n"
                       "wr nsoftlim -1000 0\nwr smooth FFFFh 1\nSETDISTSCALE 2.5 1\n"),
              msg::kConfigured);
    RegisterConfig before;
    ASSERT_EQ(before.readFromCard(handle, 4), 0);
    const std::string text = before.instructionText();
    EXPECT_EQ(text.rfind(msg::kGeneratedHeader, 0), 0u);
    EXPECT_NE(text.find("wr mcsmaxvel FFFEEE90h 3 \r\n"), std::string::npos);
    EXPECT_NE(
        text.find("SetDistScale 2.5000000 1 \r\nSetTimeScale 1.0000000 \r\nwr encpctr 8123h 1"),
        std::string::npos);
    ASSERT_EQ(download("wr encpctr 0 1\nwr aioctr 0 2\nwr mcsmaxvel 5 3\nwr nsoftlim 0 0\n"
                       "wr smooth 0 1\nSETDISTSCALE 1 1\n"),
              msg::kConfigured);
    EXPECT_EQ(download(text), msg::kConfigured);
    RegisterConfig after;
    ASSERT_EQ(after.readFromCard(handle, 4), 0);
    for (int a = 0; a < 4; ++a) EXPECT_EQ(after.axis(a), before.axis(a)) << "axis " << a;
    ASSERT_EQ(powerOn.apply(handle), 0);  // the card lives on for the other tests
}

TEST_F(Download, CfgBlocksOfAnotherBoardDoNotMatch) {
    RegisterConfig four;
    ASSERT_EQ(four.readFromCard(handle, 4), 0);
    four.axis(3)[RegId::aioctr] = 0x1234;
    four.axis(2).distScale = 3.25;
    const std::string path4 = (dir / "four.cfg").string();
    ASSERT_TRUE(four.saveReporting(path4, dialogs));
    EXPECT_EQ(std::filesystem::file_size(path4), 4 * kCfgWordsPerAxis * 2);

    RegisterConfig two;
    two.resize(2, 4);
    const std::string path2 = (dir / "two.cfg").string();
    ASSERT_TRUE(two.saveCfg(path2));
    struct Case {
        std::string path;
        const char* message;
    } cases[] = {
        {path2, msg::kCfgMismatch},
        {writeFile("empty.cfg", ""), msg::kCfgMismatch},
        {writeFile("junk.cfg", std::string(1000, '\x7F')), msg::kCfgMismatch},
        {(dir / "missing.cfg").string(), msg::kCannotOpenCfg},
    };
    RegisterConfig target;
    ASSERT_EQ(target.readFromCard(handle, 4), 0);
    const RegisterConfig untouched = target;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_FALSE(target.importReporting(c.path, dialogs));
        EXPECT_EQ(dialogs.messages.back(), c.message);
        for (int a = 0; a < 4; ++a) EXPECT_EQ(target.axis(a), untouched.axis(a));
    }
    ASSERT_TRUE(target.importReporting(path4, dialogs));
    for (int a = 0; a < 4; ++a) EXPECT_EQ(target.axis(a), four.axis(a));
    EXPECT_FALSE(target.saved());
    AnsweringDialogs yes;
    EXPECT_TRUE(target.keepUnsavedCard(yes));
    EXPECT_EQ(yes.messages, std::vector<std::string>{msg::kNotSaved});
    EXPECT_FALSE(four.keepUnsavedCard(yes));  // saved to its file: no question
}

TEST(NumberFields, RangeQuestionsInUserAndBaseUnits) {
    AnsweringDialogs dialogs;
    std::int32_t v = 0;
    std::string shown;
    const UnitFactors user{true, 2.0, 1.0};
    ASSERT_TRUE(readMotionLimit("1.5", user, dialogs, v, shown));
    EXPECT_EQ(v, 196608);
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_TRUE(readMotionLimit("-70000", UnitFactors{false, 2, 1}, dialogs, v, shown));
    EXPECT_EQ(v, -70000);
    // 40000 × 2 × 65536 needs more than 32 bits.
    ASSERT_TRUE(readMotionLimit("40000", user, dialogs, v, shown));
    EXPECT_EQ(dialogs.messages.back(),
              "40000 超出取值范围,将会自动截取低32位数值\n\n是否自动截取?");
    EXPECT_EQ(v, static_cast<std::int32_t>(static_cast<std::uint32_t>(40000LL * 2 * 65536)));
    EXPECT_EQ(shown, motionLimitText(v, user));
    dialogs.answer = UserDialogs::Answer::No;
    EXPECT_FALSE(readMotionLimit("40000", user, dialogs, v, shown));
    EXPECT_FALSE(readMotionLimit("1.5x", user, dialogs, v, shown));

    std::uint16_t w = 0;
    dialogs.answer = UserDialogs::Answer::Yes;
    dialogs.messages.clear();
    ASSERT_TRUE(readField16("-5", dialogs, w, shown));
    EXPECT_EQ(dialogs.messages.back(),
              "-5 超出十六位的取值范围,将会自动截取低16位数值\n\n是否自动截取?");
    EXPECT_EQ(w, 0xFFFB);
    EXPECT_EQ(shown, "-5");
    dialogs.messages.clear();
    ASSERT_TRUE(readField16("65535", dialogs, w, shown));
    EXPECT_TRUE(dialogs.messages.empty());
    dialogs.answer = UserDialogs::Answer::No;
    EXPECT_FALSE(readField16("70000", dialogs, w, shown));
    std::int32_t l = 0;
    ASSERT_TRUE(readField32("-5000000000", dialogs, l));
    EXPECT_EQ(l, static_cast<std::int32_t>(static_cast<std::uint32_t>(-5000000000LL)));
}

TEST(BitPages, OptionsFlipTheirCaptionDigitAndVariantsFollowTheAxisCount) {
    const auto small = pagesFor(4);
    ASSERT_EQ(small.size(), 7u);
    EXPECT_STREQ(small[6].tab, "aiod");
    EXPECT_STREQ(small[4].tab, "错误处理");
    EXPECT_EQ(small[4].registers.size(), 2u);
    const auto large = pagesFor(8);
    ASSERT_EQ(large.size(), 6u);
    EXPECT_LT(large[0].registers[0].options.size(), small[0].registers[0].options.size());
    EXPECT_LT(large[2].registers[0].options.size(), small[2].registers[0].options.size());
    EXPECT_EQ(bitCaption("encpctr", 0x8001), "encpctr寄存器(1000-0000-0000-0001)");
    for (const ConfigPage& page : small) {
        for (const BitRegister& reg : page.registers) {
            for (const BitOption& o : reg.options) {
                SCOPED_TRACE(std::string(page.tab) + " bit " + std::to_string(o.bit));
                const std::uint16_t on = applyOption(0, o, true);
                const std::string caption = bitCaption("r", on);
                EXPECT_EQ(caption.find('1'),
                          caption.find('(') + 1 + (15 - o.bit) + (15 - o.bit) / 4);
                EXPECT_TRUE(optionSet(on, o));
                EXPECT_EQ(applyOption(0xFFFF, o, false),
                          static_cast<std::uint16_t>(~(1u << o.bit)));
                EXPECT_EQ(o.control == Control::CheckBox, *o.whenCleared == '\0');
            }
        }
    }
}

}  // namespace
}  // namespace zeq::desk::test
