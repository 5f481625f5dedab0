// Token codes of the program text and the interpreter's keyword table (215 rows). The numbers
// are the compiler's; the compiler-only keywords (if, while, main ...) never reach build.dat and
// have no rows here.
#pragma once

#include <cstdint>
#include <string_view>

namespace zeq::desk::rt {

enum Code : int {
    EndOfLine = 10,
    Integer = 256,  // decimal integer; also a quoted character
    Identifier = 257,
    Hex = 258,
    Fraction = 259,
    True = 260,
    False = 261,
    And = 262,
    Or = 263,
    GreaterEq = 264,
    LessEq = 265,
    Equal = 266,
    NotEqual = 267,
    EndOfText = 269,

    Var = 512,
    Exit = 528,
    JumpZ = 534, JumpN, JumpH, JumpE, Req, Board, Mg,

    Wt = 768, Wz, Wa, Wr, Rd, Ld, Pause, Sleep, IGet, ISet, Wat,
    ClearCFIFO = 779, EnableGroup, MapAxis2Group, SetGroupAxisNum, GetCFIFOCnt, ExitGroup,
    SetSegAngle, ClearSegList, AddLine3, AddArc3, PCS, SetPathAccel, SetPathDecel,
    SetFeedOverride, SetInterpFreq, ExePath, InitPath, UpdatePathPos, AddLine, AddArc,
    FileContour, GetSegNum, GetCurSegPt, GetRearSegPt, GetFeedOverride, GetPathLen, GetPathVel,
    GetPathAccel, GetPathDecel, GetPathX, GetPathY, GetPathZ, GetPathOrgX, GetPathOrgY,
    GetPathOrgZ, GetInterpFreq,

    SetTimescale = 1024, SetDistScale, SetMCStrack, SetPCStrack, SetMCStgPos, SetPCStgPos,
    SetMCSdist, SetPCSdist, SetMCSmaxvel, SetPCSmaxvel, SetMCSaccel, SetPCSaccel, SetMCSdecel,
    SetPCSdecel, MCSmove, PCSmove, MCSstop, PCSstop, MoveAbsolute, MoveRelative,
    MoveSuperimposed, Phasing, MoveVelocity, HomeSwitch1, HomeSwitch2, HomeSwitch3,
    HomeSwitchIndex1, HomeSwitchIndex2, HomeSwitchIndex3, HomeIndex, AbortHoming, SetAtHome,
    SetHomeOffset, HomeDirect, SetHighVel, SetLowVel, SetGearratio, SetGearSync, Gearin,
    Gearout, SetGearoutVel, SetGearMaster, SetSynSourceType, SetSynDist, SetSynTime,
    SetGearSourceType, SetSynAxis, GearFree, GearInDist, GearInTime, Linear2A, Linear3A,
    Linear4A, Linear5A, Linear6A, Linear7A, Linear8A, HandWheel, TgvelInDist, TgvelInTime,
    MoveInDist, MoveInTime, SetSmooth,

    GetDistScale = 1280, GetTimescale, GetCurPos, GetMCSPos, GetPCSPos, GetActPos, GetMCStgPos,
    GetPCStgPos, GetCurvel, GetMCSvel, GetPCSvel, GetMCSmaxvel, GetPCSmaxvel, GetHighVel,
    GetLowVel, GetMCSaccel, GetPCSaccel, GetMCSdecel, GetPCSdecel, GetActVel, GetGearratio,
    GetSynDist, GetSynTime, GetSynMovedist, GetEncp, GetEncs,

    ADD32 = 1536, ADD32i, ADD48, ADD48i, CMP32, CMP32i, CMP48, CMP48i, SCA32, SCA32i, SCA48,
    SCA48i, MUL32L, MUL32iL, MUL32A, MUL32iA, COP16, COP32, COP48, SET16, SET32, SET48, OR16,
    OR16i, OR16B, OR16iB, AND16, AND16i, AND16B, AND16iB, XOR16, XOR16i, XOR16B, XOR16iB,

    CondZ = 1570, CondNZ, CondG, CondGE, CondL, CondC, IfZ, IfNZ, IfG, IfGE, IfL, IfC,
    CondNC = CondGE, IfNC = IfGE,

    EnableEvent = 1582, EnableCam, SetCamLocation, AddCamPoint, PathWaitEqu, PathWaitToZero,
    PathWRData, PathWRData16, PathWRData32, PathWRData48, PathWRDataORXOR, PathAddLineSegData,
    PathAddLine, PathAddArcSegData, PathAddArc, PathEvent, EndPathEvent, GetMCData,
};

struct KeywordRow {
    char name[20];
    std::int32_t code;
};

inline constexpr int kKeywordRows = 215;

// The table in its fixed order.
const KeywordRow* keywordTable();

// Code of the first row whose name equals `word` ignoring ASCII case, or 0 when none does.
int lookupKeyword(std::string_view word);

// Name of the first row with the code (empty when none).
std::string_view keywordName(int code);

inline bool isEventMnemonic(int code) { return code >= ADD32 && code <= XOR16iB; }
inline bool isEventCondition(int code) { return code >= CondZ && code <= IfC; }

}  // namespace zeq::desk::rt
