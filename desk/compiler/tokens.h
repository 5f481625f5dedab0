// Token codes of the script language and the keyword table.
//
// Codes 1..127 are single ASCII characters (their byte value); a negative code is the sign-
// extended lead byte of a multi-byte character. The named codes below are fixed: the
// interpreter's instruction table uses the same numbering.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace zeq::desk {

namespace tok {
enum Code : int {
    EndOfLine = 10,
    Number = 256,      // decimal integer or quoted character
    Identifier = 257,
    HexNumber = 258,   // digits/letters with trailing h or H
    Fraction = 259,    // decimal number with a fraction part
    True = 260,
    False = 261,
    And = 262,
    Or = 263,
    GreaterEq = 264,
    LessEq = 265,
    Equal = 266,
    NotEqual = 267,
    Malformed = 268,
    EndOfSource = 269,

    // Statement keywords.
    Var = 512, If, Then, Goto, Else, Endif, For, Next, While, Break, Continue, Wend, Main, End,
    Step, Do, Exit, Call, Fun, Def, To, Elseif,
    Board = 539, Mg = 540,

    // Parameter, run and path functions.
    Wt = 768, Wz, Wa, Wr, Rd, Ld, Pause, Sleep, IGet, ISet,
    ClearCFIFO = 779, EnableGroup, MapAxis2Group, SetGroupAxisNum, GetCFIFOCnt, ExitGroup,
    SetSegAngle, ClearSegList, AddLine3, AddArc3, PCS, SetPathAccel, SetPathDecel,
    SetFeedOverride, SetInterpFreq, ExePath, InitPath, UpdatePathPos, AddLine, AddArc,
    FileContour, GetSegNum, GetCurSegPt, GetRearSegPt, GetFeedOverride, GetPathLen, GetPathVel,
    GetPathAccel, GetPathDecel, GetPathX, GetPathY, GetPathZ, GetPathOrgX, GetPathOrgY,
    GetPathOrgZ, GetInterpFreq,

    // Motion commands.
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

    // Read-back functions.
    GetDistScale = 1280, GetTimescale, GetCurPos, GetMCSPos, GetPCSPos, GetActPos, GetMCStgPos,
    GetPCStgPos, GetCurvel, GetMCSvel, GetPCSvel, GetMCSmaxvel, GetPCSmaxvel, GetHighVel,
    GetLowVel, GetMCSaccel, GetPCSaccel, GetMCSdecel, GetPCSdecel, GetActVel, GetGearratio,
    GetSynDist, GetSynTime, GetSynMovedist, GetEncp, GetEncs,

    // Event instructions, conditions and path data.
    ADD32 = 1536, ADD32i, ADD48, ADD48i, CMP32, CMP32i, CMP48, CMP48i, SCA32, SCA32i, SCA48,
    SCA48i, MUL32L, MUL32iL, MUL32A, MUL32iA, COP16, COP32, COP48, SET16, SET32, SET48, OR16,
    OR16i, OR16B, OR16iB, AND16, AND16i, AND16B, AND16iB, XOR16, XOR16i, XOR16B, XOR16iB,
    CondZ = 1570, CondNZ, CondG, CondGE, CondL, CondC,  // @NC shares @GE's code
    IFZ = 1576, IFNZ, IFG, IFGE, IFL, IFC,              // IFNC shares IFGE's code
    EnableEvent = 1582, EnableCam, SetCamLocation, AddCamPoint, PathWaitEqu, PathWaitToZero,
    PathWRData, PathWRData16, PathWRData32, PathWRData48, PathWRDataORXOR, PathAddLineSegData,
    PathAddLine, PathAddArcSegData, PathAddArc, PathEvent, EndPathEvent, GetMCData,
};
}  // namespace tok

static_assert(tok::GetInterpFreq == 814 && tok::SetSmooth == 1086 && tok::GetEncs == 1305);
static_assert(tok::XOR16iB == 1569 && tok::GetMCData == 1599 && tok::Elseif == 533);

struct Keyword {
    std::string_view name;
    int code;
};

inline constexpr int kKeywordCount = 235;
extern const std::array<Keyword, kKeywordCount> kKeywords;

// Case-insensitive keyword lookup (ASCII upper-casing of both sides); first match wins. -1 when
// the word is no keyword.
int lookupKeyword(std::string_view word);
// The same lookup as a scan over the table in order (reference for tests).
int lookupKeywordLinear(std::string_view word);

// Event instruction words (ADD32 … XOR16iB).
inline bool isEventInstruction(int code) { return code >= tok::ADD32 && code <= tok::XOR16iB; }
// Event conditions (@Z … @C, IFZ … IFC).
inline bool isEventCondition(int code) { return code >= tok::CondZ && code <= tok::IFC; }

}  // namespace zeq::desk
