// The guard wrappers: the call each makes, and what each does when its function is not bound.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "binding/device_wrappers.h"
#include "desk/binding_fixture.h"

namespace zeq::desk::test {
namespace {

class Wrappers : public BindingTest {
  protected:
    void SetUp() override {
        BindingTest::SetUp();
        stub = loadStub("usb");
        ASSERT_NE(stub, nullptr);
    }
    zeqstub::Control* stub = nullptr;
};

// Each wrapper and the call it must make (handle 7 throughout).
TEST_F(Wrappers, CallsCarryTheArgumentsInTheLibrarysOrder) {
    struct Case {
        const char* what;
        std::function<void()> call;
        const char* expected;
    };
    std::int64_t v48 = 0;
    const Case cases[] = {
        {"myWriteParamWord", [] { myWriteParamWord(7, 2, 131, 5); }, "ZEQ_SetParam16(7,131,5,2,0)"},
        {"myWriteParamWordQ", [] { myWriteParamWordQ(7, 2, 131, 5); },
         "ZEQ_SetParam16(7,131,5,2,1)"},
        {"myWriteParam", [] { myWriteParam(7, 1, 12, -9); }, "ZEQ_SetParam32(7,12,-9,1,0)"},
        {"myWriteParamQ", [] { myWriteParamQ(7, 1, 12, -9); }, "ZEQ_SetParam32(7,12,-9,1,1)"},
        {"myWriteParamDouble", [] { myWriteParamDouble(7, 0, 337, 1LL << 40); },
         "ZEQ_SetParam48(7,337,1099511627776,0,0)"},
        {"myWriteParamDoubleQ", [] { myWriteParamDoubleQ(7, 0, 337, -1); },
         "ZEQ_SetParam48(7,337,-1,0,1)"},
        {"myReadParamWordQ",
         [] {
             int s;
             myReadParamWordQ(7, 3, 129, &s);
         },
         "ZEQ_GetParam16(7,129,p,3,1)"},
        {"myReadParam",
         [] {
             int s;
             myReadParam(7, 3, 225, &s);
         },
         "ZEQ_GetParam32(7,225,p,3,0)"},
        {"myReadParamQ",
         [] {
             int s;
             myReadParamQ(7, 3, 225, &s);
         },
         "ZEQ_GetParam32(7,225,p,3,1)"},
        {"myReadParamDouble", [&] { myReadParamDouble(7, 1, 175, &v48); },
         "ZEQ_GetParam48(7,175,p,1,0)"},
        {"myReadParamDoubleQ", [&] { myReadParamDoubleQ(7, 1, 175, &v48); },
         "ZEQ_GetParam48(7,175,p,1,1)"},
        {"myWriteWaitToken", [] { myWriteWaitToken(7, 3, 480); }, "ZEQ_WaitToken(7,480,3)"},
        {"myWriteWaitToZeroQ", [] { myWriteWaitToZeroQ(7, 2, 25); }, "ZEQ_WaitToZero(7,25,2)"},
        {"WaitForQCDFIFONotHalfFull", [] { WaitForQCDFIFONotHalfFull(7); },
         "ZEQ_CheckFIFONotHalfFull(7,1)"},
        {"WaitForICDFIFONotHalfFull", [] { WaitForICDFIFONotHalfFull(7); },
         "ZEQ_CheckFIFONotHalfFull(7,0)"},
        {"myEnableGrou 5", [] { myEnableGrou(7, 5, 1); }, "ZEQ_EnableGroup(7,1,1)"},
        {"myEnableGrou -1", [] { myEnableGrou(7, -1, 0); }, "ZEQ_EnableGroup(7,1,0)"},
        {"myEnableGrou 0", [] { myEnableGrou(7, 0, 1); }, "ZEQ_EnableGroup(7,0,1)"},
        {"MyMoveAbsolute", [] { MyMoveAbsolute(7, 2.5, 1, 1); }, "ZEQ_MoveAbsolute(7,2.5,1,1)"},
        {"MyHomeSwitch2", [] { MyHomeSwitch2(7, 1, 1, 0, 3, 0); }, "ZEQ_HomeSwitch2(7,1,1,0,3,0)"},
        {"MyGearInDist", [] { MyGearInDist(7, 1.5, 0, 1, 2, 3, 100.0, 1, 1); },
         "ZEQ_GearInDist(7,1.5,0,1,2,3,100,1,1)"},
        {"MyLinear2A",
         [] {
             int m;
             MyLinear2A(7, 10.0, 3.0, 0, -4.0, 1, &m, 1);
         },
         "ZEQ_Linear2A(7,10,3,0,-4,1,p,1)"},
        {"MyEventADD32", [] { MyEventADD32(7, 3, 1, 10, 0, 10, 1, 317, 0, 1); },
         "ZEQ_ADD32(7,3,1,10,0,10,1,317,0,1)"},
        {"MyEventSET48", [] { MyEventSET48(7, 2, 0, 1LL << 33, 337, 0, 0); },
         "ZEQ_SET48(7,2,0,8589934592,337,0,0)"},
        {"MyEnableEvent", [] { MyEnableEvent(7, 31, 1); }, "ZEQ_EnableEvent(7,31,1)"},
        {"MySetSynSource", [] { MySetSynSource(7, 5, 2, 1); }, "ZEQ_SetSynSourceType(7,5,2,1)"},
        {"MyGetGetEncp",
         [] {
             int v;
             MyGetGetEncp(7, &v, 2, 0);
         },
         "ZEQ_GetEncp(7,p,2,0)"},
        {"ExecutePath", [] { ExecutePath(7); }, "ZEQ_InterpolatePath(7)"},
        {"AddLineSeg", [] { AddLineSeg(7, 1, 2, 3, 4, 5); }, "ZEQ_AddLine3(7,1,2,3,4,5)"},
        {"AddArcSeg", [] { AddArcSeg(7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11); },
         "ZEQ_AddArc3(7,1,2,3,4,5,6,7,8,9,10,11)"},
        {"SetPartCartesianSys", [] { SetPartCartesianSys(7, 1, 2, 3); },
         "SetPartCartesianSys(7,1,2,3)"},
        {"ReadID25",
         [] {
             int code;
             ReadID25(7, &code);
         },
         "ZEQ_ReserveRID(7,p)"},
        {"EEPWaitForWrite", [] { EEPWaitForWrite(7); }, "ZEQ_ReserveWFWE(7)"},
        {"myEraseChip", [] { myEraseChip(7); }, "ZEQ_ReserveEC(7)"},
        {"ZEQ_ErasePage", [] { ZEQ_ErasePage(7, 0x3E8); }, "ZEQ_ReserveEP(7,1000)"},
        {"Reverse", [] { Reverse(0x01); }, "ZEQ_Reverse(1)"},
        {"myExitGrou", [] { myExitGrou(7, 1); }, "ZEQ_ExitGroup(7,1)"},
        {"myMapAxis2Group", [] { myMapAxis2Group(7, 'y', 3, 0); }, "ZEQ_MapAxis2Group(7,121,3,0)"},
        {"usbPurge", [] { usbPurge(7, 1); }, "ZEQ_Purge(7,1)"},
        {"SetTimeouts", [] { SetTimeouts(7, 1000, 1000); }, "ZEQ_SetTimeouts(7,1000,1000)"},
        {"USBOpen",
         [] {
             ZEQ_HANDLE h;
             USBOpen(0, &h);
         },
         "ZEQ_Open(0,p)"},
        {"MySetPathDecel", [] { MySetPathDecel(7, 200.0); }, "ZEQ_SetPathDecel(7,200)"},
        {"MySetDistScale", [] { MySetDistScale(7, 1000.0, 2); }, "ZEQ_SetDistScale(7,1000,2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        stub->calls.clear();
        c.call();
        ASSERT_EQ(stub->calls.size(), 1u);
        EXPECT_EQ(stub->calls[0], c.expected);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Wrappers, ResultsComeBackUnchanged) {
    stub->results["ZEQ_MoveAbsolute"] = 12;
    EXPECT_EQ(MyMoveAbsolute(7, 1.0, 0, 0), 12);
    stub->results["ZEQ_ReserveRID"] = 0x14;
    int code = -1;
    EXPECT_EQ(ReadID25(7, &code), 0x14);
    stub->doubleResult = 95.5;
    double out = 0;
    EXPECT_DOUBLE_EQ(MyGetInterpFreq(7, &out), 95.5);
    // Setters the library keeps no status for give 0 once called.
    EXPECT_EQ(MySetInterpFreq(7, 100.0), 0);
    stub->results["ZEQ_ClearSegList"] = 3;
    EXPECT_EQ(MyClearSegList(7), 3);
}

TEST_F(Wrappers, ParameterReadsReturnTheValueAndStatus) {
    ZEQ_HANDLE h = 0;
    ASSERT_EQ(USBOpen(0, &h), 5);  // the stub lists no device yet
    stub->devices.push_back({"ZEQ-A", 1, 0, false, 6});
    ASSERT_EQ(USBOpen(0, &h), 0);
    EXPECT_EQ(readAxisCount(h), 6);
    stub->results["value16"] = 0xFFFE;
    int status = -1;
    EXPECT_EQ(myReadParamWord(h, 0, 129, &status), 0xFFFE);
    EXPECT_EQ(status, 0);
    stub->naxisStatus = 13;
    EXPECT_EQ(readAxisCount(h), -1);
}

// The library keeps no record of a handle it was asked to close, whatever the close gave.
TEST_F(Wrappers, CloseClearsTheHandleWhateverTheLibraryReturns) {
    stub->devices.push_back({"ZEQ-A", 1});
    for (int closeStatus : {0, 4, 6}) {
        SCOPED_TRACE(closeStatus);
        ZEQ_HANDLE h = 0;
        ASSERT_EQ(USBOpen(0, &h), 0);
        const ZEQ_HANDLE opened = h;
        stub->closeStatus = closeStatus;
        EXPECT_EQ(myClose(&h), closeStatus);
        EXPECT_EQ(h, 0u);
        EXPECT_EQ(stub->last("ZEQ_Close"), "ZEQ_Close(" + std::to_string(opened) + ")");
    }
}

TEST_F(Wrappers, PciOnlyFunctionsReportUnderAUsbCard) {
    EXPECT_EQ(MyEnableCam(7, 1, 0, 1), 6);
    EXPECT_EQ(dialogs.messages.back(), " MyEnableCam 函数无效");
    PciDeviceList list{};
    EXPECT_EQ(myPCIFindDev(&list), 6);
    EXPECT_EQ(dialogs.messages.back(), " myPCIFindDev 函数无效");
    ZEQ_HANDLE h = 0;
    PciCardEntry card{};
    EXPECT_EQ(PCIOpen(&h, &card), 6);
    EXPECT_EQ(dialogs.messages.back(), " PCIOpen 函数无效");
    // No binding list fills these two.
    EXPECT_EQ(MyPathAddArc(7, nullptr, 1), 6);
    EXPECT_EQ(dialogs.messages.back(), " MyPathAddArc 函数无效");
    EXPECT_EQ(MyPathAddArcSegData(7, nullptr, 1), 6);
    EXPECT_EQ(dialogs.messages.back(), " MyPathAddArcSegData 函数无效");
    EXPECT_TRUE(stub->calls.empty());
}

using UnboundWrappers = BindingTest;

// Card type 2: no library, every wrapper reports and fails in its own way.
TEST_F(UnboundWrappers, EveryCallReportsItsWrapper) {
    deviceBinding().setCardType(2);
    ASSERT_EQ(deviceBinding().load(), 0);

    struct Case {
        const char* message;  // nullptr: nothing shown
        std::function<double()> call;
        double result;
    };
    std::int64_t v48 = 5;
    double d = 0;
    int i = 0;
    const Case cases[] = {
        {" MyMoveAbsolute 函数无效", [] { return MyMoveAbsolute(1, 1.0, 0, 1); }, 6},
        {" MyEventXOR16iB 函数无效", [] { return MyEventXOR16iB(1, 0, 0, 1, 0, 3, 2, 0, 1); }, 6},
        {" USBOpen 函数无效",
         [] {
             ZEQ_HANDLE h = 0;
             return USBOpen(0, &h);
         },
         6},
        {" myWriteParamWordQ 函数无效", [] { return myWriteParamWordQ(1, 0, 1, 1); }, 6},
        {" myReadParamDouble 函数无效", [&] { return myReadParamDouble(1, 0, 337, &v48); }, 6},
        {" WaitForQCDFIFONotHalfFull 函数无效", [] { return WaitForQCDFIFONotHalfFull(1); }, 6},
        {" myEnableGrou 函数无效", [] { return myEnableGrou(1, 1, 1); }, 6},
        {" myWriteWaitToken 函数无效", [] { return myWriteWaitToken(1, 0, 480); }, 6},
        {" ExecutePath 函数无效", [] { return ExecutePath(1); }, 6},
        {" MyGetCurPos 函数无效", [&] { return MyGetCurPos(1, &d, 0, 0); }, 6},
        {"MySetPathDecel is not valid!", [] { return MySetPathDecel(1, 1.0); }, 1},
        {"MyClearSegList is not valid!", [] { return MyClearSegList(1); }, 1},
        {"MySetTimescale is not valid!", [] { return MySetTimescale(1, 2.0); }, 1},
        {"MyGetPathX is not valid!", [&] { return MyGetPathX(1, &d); }, 0.0},
        {"MyGetTimescale is not valid!", [] { return MyGetTimescale(1); }, 0.0},
        {"MyGetDistScale is not valid!", [] { return MyGetDistScale(1, 0); }, 0.0},
        {"MyGetSegNum is not valid!", [&] { return MyGetSegNum(1, &i); }, 0},
        {"ReadID25 is not valid!", [&] { return ReadID25(1, &i); }, 0xFF},
        {"Reverse is not valid!", [] { return Reverse(0x0F); }, 0},
        {"MySethWnd is not valid!", [] { return MySethWnd(1); }, 0},
        {nullptr,
         [&] {
             int s = 0;
             double r = myReadParamWord(1, 0, 634, &s);
             i = s;
             return r;
         },
         0xFFFF},
        {nullptr,
         [&] {
             int s = 0;
             double r = myReadParamQ(1, 0, 225, &s);
             i = s;
             return r;
         },
         -1},
        {nullptr, [] { return readAxisCount(1); }, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message ? c.message : "silent read");
        dialogs.messages.clear();
        i = 0;
        EXPECT_EQ(c.call(), c.result);
        if (c.message) {
            ASSERT_EQ(dialogs.messages.size(), 1u);
            EXPECT_EQ(dialogs.messages[0], c.message);
        } else {
            EXPECT_TRUE(dialogs.messages.empty());
        }
    }
    // The silent reads still hand back status 6.
    int status = 0;
    myReadParamWordQ(1, 0, 1, &status);
    EXPECT_EQ(status, 6);
    status = 0;
    myReadParam(1, 0, 1, &status);
    EXPECT_EQ(status, 6);
}

TEST_F(UnboundWrappers, CloseLeavesTheHandle) {
    ZEQ_HANDLE h = 42;
    EXPECT_EQ(myClose(&h), 6);
    EXPECT_EQ(h, 42u);
    EXPECT_EQ(dialogs.messages.back(), " myClose 函数无效");
}

}  // namespace
}  // namespace zeq::desk::test
