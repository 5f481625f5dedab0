// Texts of the catalogue listing.
#pragma once

namespace zeq::desk::catalogue_text {

inline constexpr const char* kGlobalTitle = "全局参数：\r\n|";
inline constexpr const char* kAxisTitle = "\r\n\r\n轴参数：\n|";
inline constexpr const char* kColumnNumber = "序号";
inline constexpr const char* kColumnName = "参数名";
inline constexpr const char* kColumnFormat = "数据格式";
inline constexpr const char* kColumnAccess = "读写";
inline constexpr const char* kRuler =
    "\n|------------------------------------------|------------------------------------------|\n|";
inline constexpr const char* kNextLine = "\r\n|";
inline constexpr const char* kReadOnly = "R";
inline constexpr const char* kReadWrite = "WR";

}  // namespace zeq::desk::catalogue_text
