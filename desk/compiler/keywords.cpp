#include "compiler/tokens.h"

#include <algorithm>
#include <string>
#include <unordered_map>



namespace zeq::desk {

// Order matters: lookup returns the first entry that matches.
const std::array<Keyword, kKeywordCount> kKeywords = {{
    {"true", 260}, {"false", 261}, {"and", 262}, {"or", 263},

    {"var", 512}, {"if", 513}, {"then", 514}, {"goto", 515}, {"else", 516}, {"endif", 517},
    {"for", 518}, {"next", 519}, {"while", 520}, {"break", 521}, {"continue", 522},
    {"wend", 523}, {"main", 524}, {"end", 525}, {"step", 526}, {"do", 527}, {"exit", 528},
    {"call", 529}, {"fun", 530}, {"def", 531}, {"to", 532}, {"elseif", 533}, {"board", 539},
    {"mg", 540},

    {"wt", 768}, {"wz", 769}, {"wa", 770}, {"wr", 771}, {"rd", 772}, {"ld", 773},
    {"WR", 771}, {"RD", 772}, {"WT", 768}, {"WZ", 769}, {"WA", 770}, {"LD", 773},
    {"pause", 774}, {"sleep", 775}, {"IGET", 776}, {"ISET", 777}, {"ClearCFIFO", 779},
    {"EnableGroup", 780}, {"MapAxis2Group", 781}, {"SetGroupAxisNum", 782},
    {"GetCFIFOCnt", 783}, {"ExitGroup", 784}, {"SetSegAngle", 785}, {"ClearSegList", 786},
    {"AddLine3", 787}, {"AddArc3", 788}, {"PCS", 789}, {"SetPathAccel", 790},
    {"SetPathDecel", 791}, {"SetFeedOverride", 792}, {"SetInterpFreq", 793}, {"ExePath", 794},
    {"InitPath", 795}, {"UpdatePathPos", 796}, {"AddLine", 797}, {"AddArc", 798},
    {"FileContour", 799}, {"GetSegNum", 800}, {"GetCurSegPt", 801}, {"GetRearSegPt", 802},
    {"GetFeedOverride", 803}, {"GetPathLen", 804}, {"GetPathVel", 805}, {"GetPathAccel", 806},
    {"GetPathDecel", 807}, {"GetPathX", 808}, {"GetPathY", 809}, {"GetPathZ", 810},
    {"GetPathOrgX", 811}, {"GetPathOrgY", 812}, {"GetPathOrgZ", 813}, {"GetInterpFreq", 814},

    {"SetTimescale", 1024}, {"SetDistScale", 1025}, {"SetMCStrack", 1026},
    {"SetPCStrack", 1027}, {"SetMCStgPos", 1028}, {"SetPCStgPos", 1029}, {"SetMCSdist", 1030},
    {"SetPCSdist", 1031}, {"SetMCSmaxvel", 1032}, {"SetPCSmaxvel", 1033},
    {"SetMCSaccel", 1034}, {"SetPCSaccel", 1035}, {"SetMCSdecel", 1036},
    {"SetPCSdecel", 1037}, {"MCSmove", 1038}, {"PCSmove", 1039}, {"MCSstop", 1040},
    {"PCSstop", 1041}, {"MoveAbsolute", 1042}, {"MoveRelative", 1043},
    {"MoveSuperimposed", 1044}, {"Phasing", 1045}, {"MoveVelocity", 1046},
    {"HomeSwitch1", 1047}, {"HomeSwitch2", 1048}, {"HomeSwitch3", 1049},
    {"HomeSwitchIndex1", 1050}, {"HomeSwitchIndex2", 1051}, {"HomeSwitchIndex3", 1052},
    {"HomeIndex", 1053}, {"AbortHoming", 1054}, {"SetAtHome", 1055}, {"SetHomeOffset", 1056},
    {"HomeDirect", 1057}, {"SetHighVel", 1058}, {"SetLowVel", 1059}, {"SetGearratio", 1060},
    {"SetGearSync", 1061}, {"Gearin", 1062}, {"Gearout", 1063}, {"SetGearoutVel", 1064},
    {"SetGearMaster", 1065}, {"SetSynSourceType", 1066}, {"SetSynDist", 1067},
    {"SetSynTime", 1068}, {"SetGearSourceType", 1069}, {"SetSynAxis", 1070},
    {"GearFree", 1071}, {"GearInDist", 1072}, {"GearInTime", 1073}, {"Linear2A", 1074},
    {"Linear3A", 1075}, {"Linear4A", 1076}, {"Linear5A", 1077}, {"Linear6A", 1078},
    {"Linear7A", 1079}, {"Linear8A", 1080}, {"HandWheel", 1081}, {"TgvelInDist", 1082},
    {"TgvelInTime", 1083}, {"MoveInDist", 1084}, {"MoveInTime", 1085}, {"SetSmooth", 1086},

    {"GetDistScale", 1280}, {"GetTimescale", 1281}, {"GetCurPos", 1282}, {"GetMCSPos", 1283},
    {"GetPCSPos", 1284}, {"GetActPos", 1285}, {"GetMCStgPos", 1286}, {"GetPCStgPos", 1287},
    {"GetCurvel", 1288}, {"GetMCSvel", 1289}, {"GetPCSvel", 1290}, {"GetMCSmaxvel", 1291},
    {"GetPCSmaxvel", 1292}, {"GetHighVel", 1293}, {"GetLowVel", 1294}, {"GetMCSaccel", 1295},
    {"GetPCSaccel", 1296}, {"GetMCSdecel", 1297}, {"GetPCSdecel", 1298}, {"GetActVel", 1299},
    {"GetGearratio", 1300}, {"GetSynDist", 1301}, {"GetSynTime", 1302},
    {"GetSynMovedist", 1303}, {"GetEncp", 1304}, {"GetEncs", 1305},

    {"ADD32", 1536}, {"ADD32i", 1537}, {"ADD48", 1538}, {"ADD48i", 1539}, {"CMP32", 1540},
    {"CMP32i", 1541}, {"CMP48", 1542}, {"CMP48i", 1543}, {"SCA32", 1544}, {"SCA32i", 1545},
    {"SCA48", 1546}, {"SCA48i", 1547}, {"MUL32L", 1548}, {"MUL32iL", 1549}, {"MUL32A", 1550},
    {"MUL32iA", 1551}, {"COP16", 1552}, {"COP32", 1553}, {"COP48", 1554}, {"SET16", 1555},
    {"SET32", 1556}, {"SET48", 1557}, {"OR16", 1558}, {"OR16i", 1559}, {"OR16B", 1560},
    {"OR16iB", 1561}, {"AND16", 1562}, {"AND16i", 1563}, {"AND16B", 1564}, {"AND16iB", 1565},
    {"XOR16", 1566}, {"XOR16i", 1567}, {"XOR16B", 1568}, {"XOR16iB", 1569},
    {"@Z", 1570}, {"@NZ", 1571}, {"@G", 1572}, {"@GE", 1573}, {"@L", 1574}, {"@NC", 1573},
    {"@C", 1575}, {"IFZ", 1576}, {"IFNZ", 1577}, {"IFG", 1578}, {"IFGE", 1579},
    {"IFNC", 1579}, {"IFL", 1580}, {"IFC", 1581},
    {"EnableEvent", 1582}, {"EnableCam", 1583}, {"SetCamLocation", 1584},
    {"AddCamPoint", 1585}, {"PathWaitEqu", 1586}, {"PathWaitToZero", 1587},
    {"PathWRData", 1588}, {"PathWRData16", 1589}, {"PathWRData32", 1590},
    {"PathWRData48", 1591}, {"PathWRDataORXOR", 1592}, {"PathAddLineSegData", 1593},
    {"PathAddLine", 1594}, {"PathAddArcSegData", 1595}, {"PathAddArc", 1596},
    {"PathEvent", 1597}, {"EndPathEvent", 1598}, {"GetMCData", 1599},
}};

namespace {
char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
bool equalsUpper(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiUpper(a[i]) !=
            asciiUpper(b[i]))
            return false;
    }
    return true;
}
}  // namespace

namespace {
// Upper-cased name -> code of the first entry with that name. Words longer than the longest
// keyword are no keywords; the hash spares the linear scan on every identifier.
struct KeywordIndex {
    std::unordered_map<std::string, int> codes;
    size_t longest = 0;
    KeywordIndex() {
        for (const Keyword& k : kKeywords) {
            std::string upper(k.name.size(), '\0');
            for (size_t i = 0; i < k.name.size(); ++i) upper[i] = asciiUpper(k.name[i]);
            codes.emplace(upper, k.code);  // keeps the first entry of a name
            longest = std::max(longest, upper.size());
        }
    }
};
}  // namespace

int lookupKeyword(std::string_view word) {
    static const KeywordIndex index;
    if (word.size() > index.longest) return -1;
    std::string upper(word.size(), '\0');
    for (size_t i = 0; i < word.size(); ++i) upper[i] = asciiUpper(word[i]);
    const auto it = index.codes.find(upper);
    return it == index.codes.end() ? -1 : it->second;
}

int lookupKeywordLinear(std::string_view word) {
    for (const Keyword& k : kKeywords) {
        if (equalsUpper(k.name, word)) return k.code;
    }
    return -1;
}

}  // namespace zeq::desk
