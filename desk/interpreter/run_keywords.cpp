#include "interpreter/run_keywords.h"

#include <array>
#include <cstring>

namespace zeq::desk::rt {
namespace {

constexpr KeywordRow kRows[] = {
    {"true", True},
    {"false", False},
    {"and", And},
    {"or", Or},
    {"var", Var},
    {"exit", Exit},
    {"jumpZ", JumpZ},
    {"jumpN", JumpN},
    {"jumpH", JumpH},
    {"jumpE", JumpE},
    {"Req", Req},
    {"board", Board},
    {"mg", Mg},
    {"wt", Wt},
    {"wz", Wz},
    {"wa", Wa},
    {"wr", Wr},
    {"rd", Rd},
    {"ld", Ld},
    {"pause", Pause},
    {"sleep", Sleep},
    {"IGET", IGet},
    {"ISET", ISet},
    {"WAT", Wat},
    {"ClearCFIFO", ClearCFIFO},
    {"EnableGroup", EnableGroup},
    {"MapAxis2Group", MapAxis2Group},
    {"SetGroupAxisNum", SetGroupAxisNum},
    {"GetCFIFOCnt", GetCFIFOCnt},
    {"ExitGroup", ExitGroup},
    {"SetSegAngle", SetSegAngle},
    {"ClearSegList", ClearSegList},
    {"AddLine3", AddLine3},
    {"AddArc3", AddArc3},
    {"PCS", PCS},
    {"SetPathAccel", SetPathAccel},
    {"SetPathDecel", SetPathDecel},
    {"SetFeedOverride", SetFeedOverride},
    {"SetInterpFreq", SetInterpFreq},
    {"ExePath", ExePath},
    {"InitPath", InitPath},
    {"UpdatePathPos", UpdatePathPos},
    {"AddLine", AddLine},
    {"AddArc", AddArc},
    {"FileContour", FileContour},
    {"GetSegNum", GetSegNum},
    {"GetCurSegPt", GetCurSegPt},
    {"GetRearSegPt", GetRearSegPt},
    {"GetFeedOverride", GetFeedOverride},
    {"GetPathLen", GetPathLen},
    {"GetPathVel", GetPathVel},
    {"GetPathAccel", GetPathAccel},
    {"GetPathDecel", GetPathDecel},
    {"GetPathX", GetPathX},
    {"GetPathY", GetPathY},
    {"GetPathZ", GetPathZ},
    {"GetPathOrgX", GetPathOrgX},
    {"GetPathOrgY", GetPathOrgY},
    {"GetPathOrgZ", GetPathOrgZ},
    {"GetInterpFreq", GetInterpFreq},
    {"SetTimescale", SetTimescale},
    {"SetDistScale", SetDistScale},
    {"SetMCStrack", SetMCStrack},
    {"SetPCStrack", SetPCStrack},
    {"SetMCStgPos", SetMCStgPos},
    {"SetPCStgPos", SetPCStgPos},
    {"SetMCSdist", SetMCSdist},
    {"SetPCSdist", SetPCSdist},
    {"SetMCSmaxvel", SetMCSmaxvel},
    {"SetPCSmaxvel", SetPCSmaxvel},
    {"SetMCSaccel", SetMCSaccel},
    {"SetPCSaccel", SetPCSaccel},
    {"SetMCSdecel", SetMCSdecel},
    {"SetPCSdecel", SetPCSdecel},
    {"MCSmove", MCSmove},
    {"PCSmove", PCSmove},
    {"MCSstop", MCSstop},
    {"PCSstop", PCSstop},
    {"MoveAbsolute", MoveAbsolute},
    {"MoveRelative", MoveRelative},
    {"MoveSuperimposed", MoveSuperimposed},
    {"Phasing", Phasing},
    {"MoveVelocity", MoveVelocity},
    {"HomeSwitch1", HomeSwitch1},
    {"HomeSwitch2", HomeSwitch2},
    {"HomeSwitch3", HomeSwitch3},
    {"HomeSwitchIndex1", HomeSwitchIndex1},
    {"HomeSwitchIndex2", HomeSwitchIndex2},
    {"HomeSwitchIndex3", HomeSwitchIndex3},
    {"HomeIndex", HomeIndex},
    {"AbortHoming", AbortHoming},
    {"SetAtHome", SetAtHome},
    {"SetHomeOffset", SetHomeOffset},
    {"HomeDirect", HomeDirect},
    {"SetHighVel", SetHighVel},
    {"SetLowVel", SetLowVel},
    {"SetGearratio", SetGearratio},
    {"SetGearSync", SetGearSync},
    {"Gearin", Gearin},
    {"Gearout", Gearout},
    {"SetGearoutVel", SetGearoutVel},
    {"SetGearMaster", SetGearMaster},
    {"SetSynSourceType", SetSynSourceType},
    {"SetSynDist", SetSynDist},
    {"SetSynTime", SetSynTime},
    {"SetGearSourceType", SetGearSourceType},
    {"SetSynAxis", SetSynAxis},
    {"GearFree", GearFree},
    {"GearInDist", GearInDist},
    {"GearInTime", GearInTime},
    {"Linear2A", Linear2A},
    {"Linear3A", Linear3A},
    {"Linear4A", Linear4A},
    {"Linear5A", Linear5A},
    {"Linear6A", Linear6A},
    {"Linear7A", Linear7A},
    {"Linear8A", Linear8A},
    {"HandWheel", HandWheel},
    {"TgvelInDist", TgvelInDist},
    {"TgvelInTime", TgvelInTime},
    {"MoveInDist", MoveInDist},
    {"MoveInTime", MoveInTime},
    {"SetSmooth", SetSmooth},
    {"GetDistScale", GetDistScale},
    {"GetTimescale", GetTimescale},
    {"GetCurPos", GetCurPos},
    {"GetMCSPos", GetMCSPos},
    {"GetPCSPos", GetPCSPos},
    {"GetActPos", GetActPos},
    {"GetMCStgPos", GetMCStgPos},
    {"GetPCStgPos", GetPCStgPos},
    {"GetCurvel", GetCurvel},
    {"GetMCSvel", GetMCSvel},
    {"GetPCSvel", GetPCSvel},
    {"GetMCSmaxvel", GetMCSmaxvel},
    {"GetPCSmaxvel", GetPCSmaxvel},
    {"GetHighVel", GetHighVel},
    {"GetLowVel", GetLowVel},
    {"GetMCSaccel", GetMCSaccel},
    {"GetPCSaccel", GetPCSaccel},
    {"GetMCSdecel", GetMCSdecel},
    {"GetPCSdecel", GetPCSdecel},
    {"GetActVel", GetActVel},
    {"GetGearratio", GetGearratio},
    {"GetSynDist", GetSynDist},
    {"GetSynTime", GetSynTime},
    {"GetSynMovedist", GetSynMovedist},
    {"GetEncp", GetEncp},
    {"GetEncs", GetEncs},
    {"ADD32", ADD32},
    {"ADD32i", ADD32i},
    {"ADD48", ADD48},
    {"ADD48i", ADD48i},
    {"CMP32", CMP32},
    {"CMP32i", CMP32i},
    {"CMP48", CMP48},
    {"CMP48i", CMP48i},
    {"SCA32", SCA32},
    {"SCA32i", SCA32i},
    {"SCA48", SCA48},
    {"SCA48i", SCA48i},
    {"MUL32L", MUL32L},
    {"MUL32iL", MUL32iL},
    {"MUL32A", MUL32A},
    {"MUL32iA", MUL32iA},
    {"COP16", COP16},
    {"COP32", COP32},
    {"COP48", COP48},
    {"SET16", SET16},
    {"SET32", SET32},
    {"SET48", SET48},
    {"OR16", OR16},
    {"OR16i", OR16i},
    {"OR16B", OR16B},
    {"OR16iB", OR16iB},
    {"AND16", AND16},
    {"AND16i", AND16i},
    {"AND16B", AND16B},
    {"AND16iB", AND16iB},
    {"XOR16", XOR16},
    {"XOR16i", XOR16i},
    {"XOR16B", XOR16B},
    {"XOR16iB", XOR16iB},
    {"@Z", CondZ},
    {"@NZ", CondNZ},
    {"@G", CondG},
    {"@GE", CondGE},
    {"@NC", CondNC},
    {"@L", CondL},
    {"@C", CondC},
    {"IFZ", IfZ},
    {"IFNZ", IfNZ},
    {"IFG", IfG},
    {"IFGE", IfGE},
    {"IFNC", IfNC},
    {"IFL", IfL},
    {"IFC", IfC},
    {"EnableEvent", EnableEvent},
    {"EnableCam", EnableCam},
    {"SetCamLocation", SetCamLocation},
    {"AddCamPoint", AddCamPoint},
    {"PathWaitEqu", PathWaitEqu},
    {"PathWaitToZero", PathWaitToZero},
    {"PathWRData", PathWRData},
    {"PathWRData16", PathWRData16},
    {"PathWRData32", PathWRData32},
    {"PathWRData48", PathWRData48},
    {"PathWRDataORXOR", PathWRDataORXOR},
    {"PathAddLineSegData", PathAddLineSegData},
    {"PathAddLine", PathAddLine},
    {"PathAddArcSegData", PathAddArcSegData},
    {"PathAddArc", PathAddArc},
    {"PathEvent", PathEvent},
    {"EndPathEvent", EndPathEvent},
    {"GetMCData", GetMCData},
};
static_assert(sizeof(kRows) / sizeof(kRows[0]) == kKeywordRows);

inline char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool equalNoCase(std::string_view a, const char* b) {
    std::size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

}  // namespace

const KeywordRow* keywordTable() {
    return kRows;
}

namespace {

// Rows by upper-cased first character, in table order, so that a lookup compares only the
// rows that can match (the first equal row still wins).
struct FirstCharIndex {
    std::array<std::array<std::uint8_t, kKeywordRows>, 128> rows{};
    std::array<std::uint8_t, 128> count{};
    FirstCharIndex() {
        for (int i = 0; i < kKeywordRows; ++i) {
            auto c = static_cast<unsigned char>(upper(kRows[i].name[0]));
            if (c < 128) rows[c][count[c]++] = static_cast<std::uint8_t>(i);
        }
    }
};

const FirstCharIndex& firstCharIndex() {
    static const FirstCharIndex index;
    return index;
}

}  // namespace

int lookupKeyword(std::string_view word) {
    // Keywords are at most 19 characters.
    if (word.empty() || word.size() >= 20) return 0;
    auto first = static_cast<unsigned char>(upper(word[0]));
    if (first >= 128) return 0;
    const FirstCharIndex& index = firstCharIndex();
    for (int k = 0; k < index.count[first]; ++k) {
        const KeywordRow& row = kRows[index.rows[first][k]];
        if (equalNoCase(word, row.name)) return row.code;
    }
    return 0;
}

std::string_view keywordName(int code) {
    for (const KeywordRow& row : kRows)
        if (row.code == code) return row.name;
    return {};
}

}  // namespace zeq::desk::rt
