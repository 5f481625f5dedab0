// Parameter statements, built-ins, event lines, contour files and the FIFO retry.
#include <gtest/gtest.h>

#include <algorithm>

#include "interp_support.h"

namespace zeq::desk::test {
namespace {

TEST(ParamStatements, WriteRangeAndNegative) {
    Rig rig;
    std::string out = rig.runMain("wr homeseq, -1\r\nwr homeseq, 70000\r\nwr homeseq, 3\r\n");
    EXPECT_EQ(out,
              framed("十六位homeseq 参数值70000超出范围! \r\nerror(3):第3行：函数参数错误！\r\n"));
    ASSERT_EQ(rig.port.calls.size(), 1u);
    EXPECT_EQ(rig.port.calls[0], "W16(1,0,151,-1,Q)");
    EXPECT_EQ(rig.port.reg(0, 151), 0xFFFF);
}

// A queued read that came back 24 is collected, never sent again; a reply that answers
// another read (13) is reported and the queue is emptied through the immediate FIFO.
TEST(ParamStatements, QueuedReadCollectsItsReplyOrEmptiesTheQueue) {
    struct Case {
        int takeStatus;
        const char* output;
        const char* lastCall;
    };
    const Case cases[] = {
        {0, "data -5\r\n", "RBTAKE(1,1,10,2)"},
        {13, "error(2):第2行：通信校验错误！\r\n", "W16(1,0,521,1,I)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.takeStatus);
        Rig rig;
        rig.port.setReg(1, 10, -5, 2);
        int waits = 0;
        rig.port.statusFor = [&](const std::string& name) {
            if (name == "R32") return 24;
            if (name == "RBWAIT") return ++waits < 3 ? 24 : 0;
            if (name == "RBTAKE") return c.takeStatus;
            return 0;
        };
        EXPECT_EQ(rig.runMain("rd mcspos, 1\r\n"), framed(c.output));
        EXPECT_EQ(std::count(rig.port.calls.begin(), rig.port.calls.end(), "R32(1,1,10,Q)"), 1);
        EXPECT_EQ(waits, 3);
        EXPECT_EQ(rig.port.calls.back(), c.lastCall);
    }
}

TEST(ParamStatements, WriteSignedRangeMessage) {
    Rig rig;
    std::string out = rig.runMain("wr user16b0, 65536\r\n");
    EXPECT_NE(out.find("十六位user16b0 参数值65536超出范围! \r\n"), std::string::npos);
}

TEST(ParamStatements, WriteWidthsAxisOffsetAndAddress) {
    Rig rig;
    rig.runMain(
        "wr mcspos 100000, 2\r\nwr gearratio, -5\r\nwr mcspos + 1, 7, 1\r\nwr user32b0, "
        "&curpos\r\n");
    ASSERT_EQ(rig.port.calls.size(), 4u);
    EXPECT_EQ(rig.port.calls[0], "W32(1,2,10,100000,Q)");
    EXPECT_EQ(rig.port.calls[1], "W48(1,0,175,-5,Q)");
    EXPECT_EQ(rig.port.calls[2], "W16(1,1,11,7,Q)");
    EXPECT_EQ(rig.port.calls[3], "W32(1,0,317,225,Q)");
}

TEST(ParamStatements, ReadFormats) {
    Rig rig;
    rig.port.setReg(0, 175, 4096, 3);
    rig.port.setReg(2, 10, -2, 2);
    rig.port.setReg(0, 307, -3, 1);
    rig.port.setReg(0, 151, 0xFFFE, 1);
    std::string out = rig.runMain(
        "rd gearratio\r\nrd gearratio h\r\nrd mcspos, 2, h\r\nrd mcspos 2\r\n"
        "rd user16b0\r\nrd user16b0, h\r\nrd homeseq\r\nrd homeseq h\r\n");
    EXPECT_EQ(out, framed("data 4096\r\ndata 1000h\r\ndata FFFFFFFEh\r\ndata -2\r\n"
                          "data -3\r\ndata FFFDh\r\ndata 65534\r\ndata FFFEh\r\n"));
    EXPECT_EQ(rig.port.calls[2], "R32(1,2,10,Q)");
}

TEST(ParamStatements, ReadNegative48BitInHex) {
    Rig rig;
    rig.port.setReg(0, 175, -1, 3);
    EXPECT_EQ(rig.runMain("rd gearratio, h\r\n"), framed("data ffffffffffffffffh\r\n"));
}

TEST(ParamStatements, ReadIntoAVariable) {
    Rig rig;
    rig.port.setReg(0, 10, 100, 2);
    EXPECT_EQ(rig.runMain("var x\r\nx = rd mcspos\r\nx = x + 1\r\n"),
              framed("x= 100\r\nx=101\r\n"));
}

TEST(ParamStatements, ReadFailureReportsAndPrintsNothing) {
    Rig rig;
    rig.port.statusFor = [](const std::string& n) { return n == "R32" ? 3 : 0; };
    EXPECT_EQ(rig.runMain("rd mcspos\r\nmg after\r\n"),
              framed("error(2):第2行：通信超时退出！\r\n"));
}

TEST(ParamStatements, UnknownParameterEndsTheRun) {
    for (const char* s :
         {"wr nosuch, 1", "rd nosuch", "wt nosuch", "wz nosuch 1", "3, SET16 1, nosuch"}) {
        Rig rig;
        std::string out = rig.runMain(std::string(s) + "\r\nmg after\r\n");
        EXPECT_NE(out.find("\"nosuch\"未知的参数名"), std::string::npos) << s;
        EXPECT_EQ(out.find("after"), std::string::npos) << s;
        EXPECT_TRUE(rig.port.calls.empty()) << s;
    }
}

TEST(ParamStatements, WaitStatements) {
    Rig rig;
    rig.runMain("wt user16b0 1\r\nwz homeseq, 2\r\nwa 3\r\nwa\r\n");
    std::vector<std::string> expected = {"WaitToken(1,1,307)",   "WaitToZero(1,2,151)",
                                         "W16(1,3,479,65535,Q)", "W16(1,3,480,65535,Q)",
                                         "WaitToZero(1,3,215)",  "W16(1,0,479,65535,Q)",
                                         "W16(1,0,480,65535,Q)", "WaitToZero(1,0,215)"};
    EXPECT_EQ(rig.port.calls, expected);
}

TEST(ParamStatements, ImmediateRunUsesTheImmediateForms) {
    Rig rig;
    std::uint32_t h = 4;
    rig.interp.runText(&h, "wr mcspos, 5, 1");
    EXPECT_EQ(rig.sink.text(), "\r\n开始执行...\r\n执行第1行:\n\r\n单指令运行结束！\r\n");
    ASSERT_EQ(rig.port.calls.size(), 1u);
    EXPECT_EQ(rig.port.calls[0], "W32(4,1,10,5,I)");
}

TEST(Builtins, ArgumentConversions) {
    Rig rig;
    rig.runMain(
        "MoveAbsolute 10.5, 1.9\r\nSetMCStrack 5, 2\r\nMoveAbsolute -1.5, -2.7\r\n"
        "GearInDist 1.5, 1, 2, 3, 4, 2.75, 1\r\nGearInTime 0.5, 1, 2, 0.25, 3\r\n"
        "SetSegAngle 30\r\nPCS 1, 2, 3\r\nMapAxis2Group 'x', 1\r\n");
    std::vector<std::string> expected = {"MoveAbsolute(1,10.5,1;1)",
                                         "SetMCStrack(1,1,2;1)",
                                         "MoveAbsolute(1,-1.5,-2;1)",
                                         "GearInDist(1,1.5,1,2,3,4,2.75,1;1)",
                                         "GearInTime(1,0.5,1,2,0.25,3;1)",
                                         "SetSegAngle(1,30)",
                                         "PCS(1,1,2,3)",
                                         "MapAxis2Group(1,120,1;1)"};
    EXPECT_EQ(rig.port.calls, expected);
}

TEST(Builtins, StatusTextsAndWhichEndTheRun) {
    struct Case {
        int status;
        const char* text;
        bool ends;
    };
    for (Case c :
         {Case{11, "控制卡参数为只读参数", false}, Case{22, "路径运动未完成时退出！", false},
          Case{9, "其他错误！", true}, Case{16, "其他错误！", true}, Case{23, "其他错误！", true},
          Case{-1, "其他错误！", true}, Case{6, "无效的设备句柄！", true}}) {
        Rig rig;
        rig.port.statusFor = [&](const std::string& n) { return n == "MCSmove" ? c.status : 0; };
        std::string out = rig.runMain("MCSmove 0\r\nmg next\r\n");
        std::string expected = std::string("error(2):第2行：") + c.text + "\r\n";
        if (!c.ends) expected += "next\n";
        EXPECT_EQ(out, framed(expected)) << c.status;
    }
}

TEST(Builtins, GettersWithAndWithoutVariable) {
    Rig rig;
    rig.port.outs["GetCurPos"] = {12.5, 0};
    rig.port.outs["GetEncp"] = {0, -7};
    rig.port.outs["GetSegNum"] = {0, 3};
    rig.port.outs["GetPathLen"] = {2.0, 0};
    rig.port.outs["GetCFIFOCnt"] = {0, 9};
    rig.port.outs["GetDistScale"] = {1000.0, 0};
    std::string out = rig.runMain(
        "var p, ax\r\nax = 1\r\nGetCurPos p, 2\r\nGetCurPos 3\r\nGetCurPos ax\r\n"
        "GetEncp 1\r\nGetSegNum p\r\nGetPathLen\r\nGetCFIFOCnt\r\nGetDistScale p 0\r\n");
    EXPECT_EQ(out, framed("ax=1\r\np = 12.50000000\r\ndata 12.50000000\n"
                          "ax = 12.50000000\r\ndata -7\np = 3\r\n"
                          "data 2.00000000\r\ndata 9\r\np = 1000.00000000\r\n"));
    EXPECT_EQ(rig.port.calls[0], "GetCurPos(1,2;1)");
    EXPECT_EQ(rig.port.calls[1], "GetCurPos(1,3;1)");
    EXPECT_EQ(rig.port.calls[2], "GetCurPos(1,0;1)");  // ax is the output variable
}

TEST(Builtins, LinearWithAndWithoutVariable) {
    Rig rig;
    rig.port.outs["Linear2A"] = {0, 1};
    std::string out =
        rig.runMain("var m\r\nLinear2A 100, 10, 0, 20, 1, m\r\nLinear2A 100, 10, 0, 20, 1\r\n");
    EXPECT_EQ(out, framed("m = 1\r\nMasterAxis 1\n"));
    EXPECT_EQ(rig.port.calls[0], "Linear2A(1,100,10,0,20,1;1)");
}

TEST(Builtins, SegmentMessagesDoNotEndTheRun) {
    Rig rig;
    rig.port.statusFor = [](const std::string& n) { return n == "AddLine3" ? 19 : 0; };
    std::string out = rig.runMain("AddLine3 0, 0, 0, 10, 0\r\nmg next\r\n");
    EXPECT_EQ(out, framed("直线/圆弧段的长度为零，该段未加入队列\nnext\n"));
}

TEST(Events, LineWithConditionAndParameters) {
    Rig rig;
    rig.runMain(
        "3, @Z, ADD32 mcspos, 0, mcspos, 1, user32b0\r\n"
        "4 IFNC SET48 -5, gearratio\r\n5, SET16 1, user16b0, 2\r\n6, @NC COP32 mcspos, 1, "
        "user32b0\r\n"
        "7, ADD48i mcspos, 0, 4294967296\r\n");
    std::vector<std::string> expected = {
        "ADD32(1,3,1,10,0,10,1,317,0;1)", "SET48(1,4,11,-5,175,0;1)", "SET16(1,5,0,1,307,2;1)",
        "COP32(1,6,4,10,1,317,0;1)", "ADD48i(1,7,0,10,0,4294967296,0,0;1)"};
    EXPECT_EQ(rig.port.calls, expected);
}

TEST(Events, NumberWithoutMnemonicRunsTheRestAsAStatement) {
    Rig rig;
    rig.runMain("2 @G MoveAbsolute 1, 0\r\n");
    ASSERT_EQ(rig.port.calls.size(), 1u);
    EXPECT_EQ(rig.port.calls[0], "MoveAbsolute(1,1,0;1)");
}

TEST(Events, PathEventBlockBuildsRecords) {
    Rig rig;
    rig.runMain(
        "PathEvent\r\n@Z ADD32 mcspos, 1, curpos, 2, user32b0, 3\r\n\r\nSET16 9, "
        "user16b0\r\nEndPathEvent\r\n");
    ASSERT_EQ(rig.port.calls.back(), "PathAddEvent(2)");
    ASSERT_EQ(rig.port.lastEvents.size(), 48u);
    const auto* w = reinterpret_cast<const std::int16_t*>(rig.port.lastEvents.data());
    std::vector<int> first(w, w + 12), second(w + 12, w + 24);
    EXPECT_EQ(first, (std::vector<int>{0, 1, 10, 1, 225, 2, 0, 0, 317, 3, 0, 0}));
    EXPECT_EQ(second, (std::vector<int>{19, 0, 0, 0, 9, 0, 0, 0, 307, 0, 0, 0}));
}

TEST(PathData, WriteDataAndRecordsAreBounded) {
    {
        Rig rig;
        rig.runMain("PathWRData user16b0, 3, 1, -2, 70000, 1\r\n");
        EXPECT_EQ(rig.port.calls[0], "PathWRData(1,307,3,ptr,1)");
        EXPECT_EQ(rig.port.lastWords, (std::vector<std::int16_t>{1, -2, 4464}));
    }
    {
        Rig rig;
        std::string out = rig.runMain("PathWRData user16b0, 513, 1\r\n");
        EXPECT_NE(out.find("数据个数超出范围"), std::string::npos);
        EXPECT_TRUE(rig.port.calls.empty());
    }
    {
        Rig rig;
        rig.runMain("PathAddLine 3, 10, 20\r\n");
        ASSERT_EQ(rig.port.lastRecord.size(), 17u);
        EXPECT_EQ(rig.port.lastRecord[0], 3);
        EXPECT_EQ(rig.port.lastRecord[1], 10);
        EXPECT_EQ(rig.port.lastRecord[2], 20);
        EXPECT_EQ(rig.port.lastRecord[3], 0);
    }
    for (const char* s : {"PathAddLine 17, 1", "PathAddLineSegData 1, 2, 15, 1"}) {
        Rig rig;
        std::string out = rig.runMain(std::string(s) + "\r\n");
        EXPECT_NE(out.find("数据个数超出范围"), std::string::npos) << s;
        EXPECT_TRUE(rig.port.calls.empty()) << s;
    }
}

TEST(FifoRetry, RetriesEvery5msUntilTheFifoHasRoom) {
    Rig rig;
    int full = 3;
    rig.port.statusFor = [&](const std::string& n) {
        return n == "MoveAbsolute" && full-- > 0 ? 8 : 0;
    };
    EXPECT_EQ(rig.runMain("MoveAbsolute 1, 0\r\n"), framed(""));
    EXPECT_EQ(rig.port.calls.size(), 4u);
    EXPECT_EQ(rig.clock.sleptMs, 15);
}

TEST(FifoRetry, StopEndsTheRetryWithinOneCall) {
    Rig rig;
    rig.port.statusFor = [](const std::string& n) { return n == "MoveAbsolute" ? 8 : 0; };
    rig.clock.onSleep = [&] {
        if (rig.clock.sleptMs >= 50) rig.interp.requestStop();
    };
    std::string out = rig.runMain("MoveAbsolute 1, 0\r\nmg never\r\n");
    EXPECT_EQ(out, "\r\n开始解析执行：\r\nerror(2):第2行：FIFO满！\r\n\r\n运行终止！\r\n");
    // 10 calls before the stop at 50 ms; none after it.
    EXPECT_EQ(std::count(rig.port.calls.begin(), rig.port.calls.end(), "MoveAbsolute(1,1,0;1)"),
              10);
    EXPECT_EQ(rig.port.calls.back(), "W16(1,0,521,1,I)");  // the queue FIFO is cleared
}

TEST(FifoRetry, PauseTakesEffectAfterTheDeviceCall) {
    Rig rig;
    int calls = 0;
    rig.port.onCall = [&](const std::string& n) {
        if (n == "MoveAbsolute" && ++calls == 1) {
            rig.interp.requestPause();
            // Continue from another thread once the run waits.
            std::thread([&] {
                while (!rig.interp.isPaused()) std::this_thread::yield();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                rig.interp.resume();
            }).detach();
        }
    };
    rig.port.statusFor = [&](const std::string& n) {
        return n == "MoveAbsolute" && calls < 2 ? 8 : 0;
    };
    EXPECT_EQ(rig.runMain("MoveAbsolute 1, 0\r\n"), framed(""));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(rig.clock.sleptMs, 5);
}

TEST(ExePath, PausedAndContinuedRunsToTheEnd) {
    Rig rig;
    rig.port.pathCallsLeft = 5;
    int n = 0;
    rig.port.onCall = [&](const std::string& name) {
        if (name == "ExecutePath" && ++n == 2) {
            rig.interp.requestPause();
            std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                rig.interp.resume();
            }).detach();
        }
    };
    EXPECT_EQ(rig.runMain("ExePath\r\n"), framed(""));
    std::vector<std::string> expected = {"ExecutePath",        "ExecutePath", "EnableGroup(1,0,1)",
                                         "EnableGroup(1,1,1)", "ExecutePath", "ExecutePath",
                                         "ExecutePath",        "ExecutePath"};
    EXPECT_EQ(rig.port.calls, expected);
}

TEST(ExePath, StopLeavesTheGroup) {
    Rig rig;
    rig.port.pathCallsLeft = 100;
    int n = 0;
    rig.port.onCall = [&](const std::string& name) {
        if (name == "ExecutePath" && ++n == 3) rig.interp.requestStop();
    };
    std::string out = rig.runMain("ExePath\r\n");
    EXPECT_EQ(out,
              "\r\n开始解析执行：\r\nerror(2):第2行：路径运动未完成时退出！\r\n\r\n运行终止！\r\n");
    EXPECT_EQ(rig.port.calls[3], "ExitGroup(1,1)");
}

TEST(MachineData, PrintsAxesDownwards) {
    Rig rig;
    std::string out = rig.runMain("GetMCData\r\n");
    EXPECT_EQ(out, framed("用时250us\r\n轴3: encp:250,moving:1, error:0, aio:7\r\n"
                          "轴2: encp:150,moving:0, error:0, aio:7\r\n"
                          "轴1: encp:50,moving:1, error:0, aio:7\r\n"
                          "轴0: encp:-50,moving:0, error:0, aio:7\r\n"));
}

}  // namespace
}  // namespace zeq::desk::test
