// The interpreter's device port over the bound device library: every call goes through the
// guard wrapper of its function, with the handle the interpreter took from the board table.
// The built-in switch below follows the argument lists of device_functions.inc.
#include "interpreter/binding_device_port.h"

#include "binding/device_wrappers.h"
#include "interpreter/run_keywords.h"

namespace zeq::desk {

int BindingDevicePort::writeParam16(std::uint32_t h, int axis, int address, int value, bool queue) {
    return queue ? myWriteParamWordQ(h, axis, address, value)
                 : myWriteParamWord(h, axis, address, value);
}
int BindingDevicePort::writeParam32(std::uint32_t h, int axis, int address, int value, bool queue) {
    return queue ? myWriteParamQ(h, axis, address, value) : myWriteParam(h, axis, address, value);
}
int BindingDevicePort::writeParam48(std::uint32_t h, int axis, int address, std::int64_t value,
                                    bool queue) {
    return queue ? myWriteParamDoubleQ(h, axis, address, value)
                 : myWriteParamDouble(h, axis, address, value);
}
int BindingDevicePort::readParam16(std::uint32_t h, int axis, int address, int* status,
                                   bool queue) {
    return queue ? myReadParamWordQ(h, axis, address, status)
                 : myReadParamWord(h, axis, address, status);
}
int BindingDevicePort::readParam32(std::uint32_t h, int axis, int address, int* status,
                                   bool queue) {
    return queue ? myReadParamQ(h, axis, address, status) : myReadParam(h, axis, address, status);
}
int BindingDevicePort::readParam48(std::uint32_t h, int axis, int address, std::int64_t* value,
                                   bool queue) {
    return queue ? myReadParamDoubleQ(h, axis, address, value)
                 : myReadParamDouble(h, axis, address, value);
}
int BindingDevicePort::waitFifoNotHalfFull(std::uint32_t h, bool queue) {
    return queue ? WaitForQCDFIFONotHalfFull(h) : WaitForICDFIFONotHalfFull(h);
}
int BindingDevicePort::writeWaitToken(std::uint32_t h, int axis, int address) {
    return myWriteWaitToken(h, axis, address);
}
int BindingDevicePort::writeWaitToZero(std::uint32_t h, int axis, int address) {
    return myWriteWaitToZeroQ(h, axis, address);
}
int BindingDevicePort::enableGroup(std::uint32_t h, int enable, int fifo) {
    return myEnableGrou(h, enable, fifo);
}
int BindingDevicePort::exitGroup(std::uint32_t h, int fifo) {
    return myExitGrou(h, fifo);
}
int BindingDevicePort::setGroupAxisNum(std::uint32_t h, int count, int fifo) {
    return mySetGroupAxisNum(h, count, fifo);
}
int BindingDevicePort::putContourData(std::uint32_t h, const std::int16_t* words, int count) {
    return MyPutContourData(h, words, count);
}
int BindingDevicePort::executePath(std::uint32_t h) {
    return ExecutePath(h);
}
int BindingDevicePort::getMachineData(std::uint32_t h, AxisMachineData (&axes)[4]) {
    McData* table = nullptr;
    const int status = MyGetMCData(h, &table);
    if (status == 0 && table) {
        for (int a = 0; a < 4; ++a)
            axes[a] = {table->axis[a].encp, table->axis[a].moving, table->axis[a].error,
                       table->axis[a].aio};
    }
    return status;
}
int BindingDevicePort::pathAddEvent(std::uint32_t h, const void* entries, int count) {
    return MyPathAddEvent(h, entries, count, 1);
}
int BindingDevicePort::queuedReplyWaiting(std::uint32_t h) {
    const int status = myIsRBFIFONoEmptyQ(h);
    return status == kDeferredReadUnbound ? kNoDeferredRead : status;
}
int BindingDevicePort::takeQueuedReply(std::uint32_t h, int axis, int address, int words,
                                       std::int64_t* value) {
    const int status = myGetRFIFODataQ(h, axis, address, words, value);
    return status == kDeferredReadUnbound ? kNoDeferredRead : status;
}
int BindingDevicePort::axisCount(int board) {
    return m_axisCount ? m_axisCount(board) : 4;
}

int BindingDevicePort::builtin(int code, std::uint32_t h, std::span<const DeviceArg> args, int fifo,
                               DeviceOut& out) {
    // Missing script arguments read as 0 rather than past the end.
    static const DeviceArg kZero{};
    auto a = [&](std::size_t k) -> const DeviceArg& { return k < args.size() ? args[k] : kZero; };
    switch (code) {
        case rt::ClearCFIFO: {
            return myClearCFIFO(h, fifo);
        }
        case rt::EnableGroup: {
            return myEnableGrou(h, a(0).i32(), fifo);
        }
        case rt::MapAxis2Group: {
            return myMapAxis2Group(h, a(0).i32(), a(1).i32(), fifo);
        }
        case rt::SetGroupAxisNum: {
            return mySetGroupAxisNum(h, a(0).i32(), fifo);
        }
        case rt::GetCFIFOCnt: {
            return myGetCFIFOCnt(h, &out.i, fifo);
        }
        case rt::ExitGroup: {
            return myExitGrou(h, fifo);
        }
        case rt::SetSegAngle: {
            return MySetSegAngle(h, a(0).d);
        }
        case rt::ClearSegList: {
            return MyClearSegList(h);
        }
        case rt::AddLine3: {
            return AddLineSeg(h, a(0).d, a(1).d, a(2).d, a(3).d, a(4).d);
        }
        case rt::AddArc3: {
            return AddArcSeg(h, a(0).d, a(1).d, a(2).d, a(3).d, a(4).d, a(5).d, a(6).d, a(7).d,
                             a(8).d, a(9).d, a(10).d);
        }
        case rt::PCS: {
            return SetPartCartesianSys(h, a(0).d, a(1).d, a(2).d);
        }
        case rt::SetPathAccel: {
            return MySetPathAccel(h, a(0).d);
        }
        case rt::SetPathDecel: {
            return MySetPathDecel(h, a(0).d);
        }
        case rt::SetFeedOverride: {
            return MySetFeedOverride(h, a(0).d);
        }
        case rt::SetInterpFreq: {
            return MySetInterpFreq(h, a(0).d);
        }
        case rt::InitPath: {
            return MyInitPath(h, a(0).i32(), a(1).i32(), a(2).i32(), fifo);
        }
        case rt::UpdatePathPos: {
            return MyUpdatePathPos(h, fifo);
        }
        case rt::AddLine: {
            return MyAddLine(h, a(0).d, a(1).d, a(2).d, a(3).d);
        }
        case rt::AddArc: {
            return MyAddArc(h, a(0).d, a(1).d, a(2).d, a(3).d, a(4).i32(), a(5).d, a(6).d);
        }
        case rt::GetSegNum: {
            return MyGetSegNum(h, &out.i);
        }
        case rt::GetCurSegPt: {
            return MyGetCurSegPt(h, &out.i);
        }
        case rt::GetRearSegPt: {
            return MyGetRearSegPt(h, &out.i);
        }
        case rt::GetFeedOverride: {
            MyGetFeedOverride(h, &out.d);
            return 0;
        }
        case rt::GetPathLen: {
            MyGetPathLen(h, &out.d);
            return 0;
        }
        case rt::GetPathVel: {
            MyGetPathVel(h, &out.d);
            return 0;
        }
        case rt::GetPathAccel: {
            MyGetPathAccel(h, &out.d);
            return 0;
        }
        case rt::GetPathDecel: {
            MyGetPathDecel(h, &out.d);
            return 0;
        }
        case rt::GetPathX: {
            MyGetPathX(h, &out.d);
            return 0;
        }
        case rt::GetPathY: {
            MyGetPathY(h, &out.d);
            return 0;
        }
        case rt::GetPathZ: {
            MyGetPathZ(h, &out.d);
            return 0;
        }
        case rt::GetPathOrgX: {
            MyGetPathOrgX(h, &out.d);
            return 0;
        }
        case rt::GetPathOrgY: {
            MyGetPathOrgY(h, &out.d);
            return 0;
        }
        case rt::GetPathOrgZ: {
            MyGetPathOrgZ(h, &out.d);
            return 0;
        }
        case rt::GetInterpFreq: {
            MyGetInterpFreq(h, &out.d);
            return 0;
        }
        case rt::SetTimescale: {
            return MySetTimescale(h, a(0).d);
        }
        case rt::SetDistScale: {
            return MySetDistScale(h, a(0).d, a(1).i32());
        }
        case rt::SetMCStrack: {
            return MySetMCStrack(h, a(0).i32(), a(1).i32(), fifo);
        }
        case rt::SetPCStrack: {
            return MySetPCStrack(h, a(0).i32(), a(1).i32(), fifo);
        }
        case rt::SetMCStgPos: {
            return MySetMCStgPos(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetPCStgPos: {
            return MySetPCStgPos(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetMCSdist: {
            return MySetMCSdist(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetPCSdist: {
            return MySetPCSdist(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetMCSmaxvel: {
            return MySetMCSmaxvel(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetPCSmaxvel: {
            return MySetPCSmaxvel(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetMCSaccel: {
            return MySetMCSaccel(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetPCSaccel: {
            return MySetPCSaccel(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetMCSdecel: {
            return MySetMCSdecel(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetPCSdecel: {
            return MySetPCSdecel(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::MCSmove: {
            return MyMCSmove(h, a(0).i32(), fifo);
        }
        case rt::PCSmove: {
            return MyPCSmove(h, a(0).i32(), fifo);
        }
        case rt::MCSstop: {
            return MyMCSstop(h, a(0).i32(), fifo);
        }
        case rt::PCSstop: {
            return MyPCSstop(h, a(0).i32(), fifo);
        }
        case rt::MoveAbsolute: {
            return MyMoveAbsolute(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::MoveRelative: {
            return MyMoveRelative(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::MoveSuperimposed: {
            return MyMoveSuperimposed(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::Phasing: {
            return MyPhasing(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::MoveVelocity: {
            return MyMoveVelocity(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::HomeSwitch1: {
            return MyHomeSwitch1(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), fifo);
        }
        case rt::HomeSwitch2: {
            return MyHomeSwitch2(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), fifo);
        }
        case rt::HomeSwitch3: {
            return MyHomeSwitch3(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), fifo);
        }
        case rt::HomeSwitchIndex1: {
            return MyHomeSwitchIndex1(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), fifo);
        }
        case rt::HomeSwitchIndex2: {
            return MyHomeSwitchIndex2(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), fifo);
        }
        case rt::HomeSwitchIndex3: {
            return MyHomeSwitchIndex3(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), fifo);
        }
        case rt::HomeIndex: {
            return MyHomeIndex(h, a(0).i32(), a(1).i32(), a(2).i32(), fifo);
        }
        case rt::AbortHoming: {
            return MyAbortHoming(h, a(0).i32(), fifo);
        }
        case rt::SetAtHome: {
            return MySetAtHome(h, a(0).i32(), fifo);
        }
        case rt::SetHomeOffset: {
            return MySetHomeOffset(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::HomeDirect: {
            return MyHomeDirect(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetHighVel: {
            return MySetHighVel(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetLowVel: {
            return MySetLowVel(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetGearratio: {
            return MySetGearratio(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetGearSync: {
            return MySetGearSync(h, a(0).i32(), a(1).i32(), fifo);
        }
        case rt::Gearin: {
            return MyGearin(h, a(0).i32(), fifo);
        }
        case rt::Gearout: {
            return MyGearout(h, a(0).i32(), fifo);
        }
        case rt::SetGearoutVel: {
            return MySetGearoutVel(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetGearMaster: {
            return MySetGearMaster(h, a(0).i32(), a(1).i32(), fifo);
        }
        case rt::SetSynSourceType: {
            return MySetSynSource(h, a(0).i32(), a(1).i32(), fifo);
        }
        case rt::SetSynDist: {
            return MySetSynDist(h, a(0).d, a(1).i32(), a(2).i32(), fifo);
        }
        case rt::SetSynTime: {
            return MySetSynTime(h, a(0).d, a(1).i32(), fifo);
        }
        case rt::SetGearSourceType: {
            return MySetGearSourceType(h, a(0).i32(), a(1).i32(), fifo);
        }
        case rt::SetSynAxis: {
            return MySetSynAxis(h, a(0).i32(), a(1).i32(), fifo);
        }
        case rt::GearFree: {
            return MyGearFree(h, a(0).d, a(1).i32(), a(2).i32(), a(3).i32(), fifo);
        }
        case rt::GearInDist: {
            return MyGearInDist(h, a(0).d, a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(), a(5).d,
                                a(6).i32(), fifo);
        }
        case rt::GearInTime: {
            return MyGearInTime(h, a(0).d, a(1).i32(), a(2).i32(), a(3).d, a(4).i32(), fifo);
        }
        case rt::Linear2A: {
            return MyLinear2A(h, a(0).d, a(1).d, a(2).i32(), a(3).d, a(4).i32(), &out.i, fifo);
        }
        case rt::Linear3A: {
            return MyLinear3A(h, a(0).d, a(1).d, a(2).i32(), a(3).d, a(4).i32(), a(5).d, a(6).i32(),
                              &out.i, fifo);
        }
        case rt::Linear4A: {
            return MyLinear4A(h, a(0).d, a(1).d, a(2).i32(), a(3).d, a(4).i32(), a(5).d, a(6).i32(),
                              a(7).d, a(8).i32(), &out.i, fifo);
        }
        case rt::Linear5A: {
            return MyLinear5A(h, a(0).d, a(1).d, a(2).i32(), a(3).d, a(4).i32(), a(5).d, a(6).i32(),
                              a(7).d, a(8).i32(), a(9).d, a(10).i32(), &out.i, fifo);
        }
        case rt::Linear6A: {
            return MyLinear6A(h, a(0).d, a(1).d, a(2).i32(), a(3).d, a(4).i32(), a(5).d, a(6).i32(),
                              a(7).d, a(8).i32(), a(9).d, a(10).i32(), a(11).d, a(12).i32(), &out.i,
                              fifo);
        }
        case rt::HandWheel: {
            return MyHandWheel(h, a(0).d, a(1).i32(), a(2).i32(), fifo);
        }
        case rt::TgvelInDist: {
            return MyTgvelInDist(h, a(0).d, a(1).i32(), a(2).d, a(3).i32(), fifo);
        }
        case rt::TgvelInTime: {
            return MyTgvelInTime(h, a(0).d, a(1).d, a(2).i32(), fifo);
        }
        case rt::MoveInDist: {
            return MyMoveInDist(h, a(0).d, a(1).i32(), a(2).d, a(3).i32(), fifo);
        }
        case rt::MoveInTime: {
            return MyMoveInTime(h, a(0).d, a(1).d, a(2).i32(), fifo);
        }
        case rt::SetSmooth: {
            return MySetSmooth(h, a(0).i32(), a(1).i32(), fifo);
        }
        case rt::GetDistScale: {
            out.d = MyGetDistScale(h, a(0).i32());
            return 0;
        }
        case rt::GetTimescale: {
            out.d = MyGetTimescale(h);
            return 0;
        }
        case rt::GetCurPos: {
            return MyGetCurPos(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetMCSPos: {
            return MyGetMCSPos(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetPCSPos: {
            return MyGetPCSPos(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetActPos: {
            return MyGetActPos(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetMCStgPos: {
            return MyGetMCStgPos(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetPCStgPos: {
            return MyGetPCStgPos(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetCurvel: {
            return MyGetCurvel(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetMCSvel: {
            return MyGetMCSvel(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetPCSvel: {
            return MyGetPCSvel(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetMCSmaxvel: {
            return MyGetMCSmaxvel(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetPCSmaxvel: {
            return MyGetPCSmaxvel(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetHighVel: {
            return MyGetHighVel(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetLowVel: {
            return MyGetLowVel(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetMCSaccel: {
            return MyGetMCSaccel(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetPCSaccel: {
            return MyGetPCSaccel(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetMCSdecel: {
            return MyGetMCSdecel(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetPCSdecel: {
            return MyGetPCSdecel(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetActVel: {
            return MyGetActVel(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetGearratio: {
            return MyGetGearratio(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetSynDist: {
            return MyGetSynDist(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetSynTime: {
            return MyGetSynTime(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetSynMovedist: {
            return MyGetSynMovedist(h, &out.d, a(0).i32(), fifo);
        }
        case rt::GetEncp: {
            return MyGetGetEncp(h, &out.i, a(0).i32(), fifo);
        }
        case rt::GetEncs: {
            return MyGetEncs(h, &out.i, a(0).i32(), fifo);
        }
        case rt::ADD32: {
            return MyEventADD32(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                a(5).i32(), a(6).i32(), a(7).i32(), fifo);
        }
        case rt::ADD32i: {
            return MyEventADD32i(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                 a(5).i32(), a(6).i32(), fifo);
        }
        case rt::ADD48: {
            return MyEventADD48(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                a(5).i32(), a(6).i32(), a(7).i32(), fifo);
        }
        case rt::ADD48i: {
            return MyEventADD48i(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i,
                                 a(5).i32(), a(6).i32(), fifo);
        }
        case rt::CMP32: {
            return MyEventCMP32(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                a(5).i32(), a(6).i32(), a(7).i32(), fifo);
        }
        case rt::CMP32i: {
            return MyEventCMP32i(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                 a(5).i32(), a(6).i32(), fifo);
        }
        case rt::CMP48: {
            return MyEventCMP48(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                a(5).i32(), a(6).i32(), a(7).i32(), fifo);
        }
        case rt::CMP48i: {
            return MyEventCMP48i(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i,
                                 a(5).i32(), a(6).i32(), fifo);
        }
        case rt::SCA32: {
            return MyEventSCA32(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                a(5).i32(), a(6).i32(), a(7).i32(), fifo);
        }
        case rt::SCA32i: {
            return MyEventSCA32i(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i,
                                 a(5).i32(), a(6).i32(), fifo);
        }
        case rt::SCA48: {
            return MyEventSCA48(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                a(5).i32(), a(6).i32(), a(7).i32(), fifo);
        }
        case rt::SCA48i: {
            return MyEventSCA48i(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i,
                                 a(5).i32(), a(6).i32(), fifo);
        }
        case rt::MUL32L: {
            return MyEventMUL32L(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                 a(5).i32(), a(6).i32(), a(7).i32(), fifo);
        }
        case rt::MUL32iL: {
            return MyEventMUL32iL(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                  a(5).i32(), a(6).i32(), fifo);
        }
        case rt::MUL32A: {
            return MyEventMUL32A(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                 a(5).i32(), a(6).i32(), a(7).i32(), fifo);
        }
        case rt::MUL32iA: {
            return MyEventMUL32iA(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                  a(5).i32(), a(6).i32(), fifo);
        }
        case rt::COP16: {
            return MyEventCOP16(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                a(5).i32(), fifo);
        }
        case rt::COP32: {
            return MyEventCOP32(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                a(5).i32(), fifo);
        }
        case rt::COP48: {
            return MyEventCOP48(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                a(5).i32(), fifo);
        }
        case rt::SET16: {
            return MyEventSET16(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                fifo);
        }
        case rt::SET32: {
            return MyEventSET32(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                fifo);
        }
        case rt::SET48: {
            return MyEventSET48(h, a(0).i32(), a(1).i32(), a(2).i, a(3).i32(), a(4).i32(), fifo);
        }
        case rt::OR16: {
            return MyEventOR16(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                               a(5).i32(), a(6).i32(), a(7).i32(), fifo);
        }
        case rt::OR16i: {
            return MyEventOR16i(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                a(5).i32(), a(6).i32(), fifo);
        }
        case rt::OR16B: {
            return MyEventOR16B(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                a(5).i32(), a(6).i32(), a(7).i32(), fifo);
        }
        case rt::OR16iB: {
            return MyEventOR16iB(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                 a(5).i32(), a(6).i32(), fifo);
        }
        case rt::AND16: {
            return MyEventAND16(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                a(5).i32(), a(6).i32(), a(7).i32(), fifo);
        }
        case rt::AND16i: {
            return MyEventAND16i(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                 a(5).i32(), a(6).i32(), fifo);
        }
        case rt::AND16B: {
            return MyEventAND16B(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                 a(5).i32(), a(6).i32(), a(7).i32(), fifo);
        }
        case rt::AND16iB: {
            return MyEventAND16iB(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                  a(5).i32(), a(6).i32(), fifo);
        }
        case rt::XOR16: {
            return MyEventXOR16(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                a(5).i32(), a(6).i32(), a(7).i32(), fifo);
        }
        case rt::XOR16i: {
            return MyEventXOR16i(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                 a(5).i32(), a(6).i32(), fifo);
        }
        case rt::XOR16B: {
            return MyEventXOR16B(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                 a(5).i32(), a(6).i32(), a(7).i32(), fifo);
        }
        case rt::XOR16iB: {
            return MyEventXOR16iB(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32(), a(4).i32(),
                                  a(5).i32(), a(6).i32(), fifo);
        }
        case rt::EnableEvent: {
            return MyEnableEvent(h, a(0).i32(), fifo);
        }
        case rt::EnableCam: {
            return MyEnableCam(h, a(0).i32(), a(1).i32(), fifo);
        }
        case rt::SetCamLocation: {
            return MySetCamLocation(h, a(0).i32(), a(1).i32(), fifo);
        }
        case rt::AddCamPoint: {
            return MyAddCamPoint(h, a(0).d, a(1).i32(), a(2).d, a(3).i32(), a(4).i32(), fifo);
        }
        case rt::PathWaitEqu: {
            return MyPathWaitEqu(h, a(0).i32(), a(1).i32());
        }
        case rt::PathWaitToZero: {
            return MyPathWaitToZero(h, a(0).i32(), a(1).i32());
        }
        case rt::PathWRData: {
            return MyPathWRData(h, a(0).i32(), a(1).i32(), static_cast<const int16_t*>(a(2).ptr()),
                                a(3).i32());
        }
        case rt::PathWRData16: {
            return MyPathWRData16(h, a(0).i32(), a(1).i32(), a(2).i32());
        }
        case rt::PathWRData32: {
            return MyPathWRData32(h, a(0).i32(), a(1).i32(), a(2).i32());
        }
        case rt::PathWRData48: {
            return MyPathWRData48(h, a(0).i32(), a(1).i, a(2).i32());
        }
        case rt::PathWRDataORXOR: {
            return MyPathWRDataORXOR(h, a(0).i32(), a(1).i32(), a(2).i32(), a(3).i32());
        }
        case rt::PathAddLineSegData: {
            return MyPathAddLineSegData(h, static_cast<const void*>(a(0).ptr()), fifo);
        }
        case rt::PathAddLine: {
            return MyPathAddLine(h, static_cast<const void*>(a(0).ptr()), fifo);
        }
        case rt::PathAddArcSegData:
            return MyPathAddArcSegData(h, a(0).ptr(), fifo);
        case rt::PathAddArc:
            return MyPathAddArc(h, a(0).ptr(), fifo);
        default:
            return 9;
    }
}

}  // namespace zeq::desk
