// Texts of the teach dialog's widgets.
#pragma once

namespace zeq::desk::teach::ui_text {

inline constexpr const char* kCardList = "选择控制卡:";
inline constexpr const char* kBoardEntry = "Board %1";
inline constexpr const char* kAxisBox = "轴%1:";
inline constexpr const char* kJogPlus = "+";
inline constexpr const char* kJogMinus = "-";
inline constexpr const char* kJogSpeed = "点动速度:";
inline constexpr const char* kPathAccel = "路径加速度:";
inline constexpr const char* kPathDecel = "路径减速度:";
inline constexpr const char* kMode = "运动方式:";
inline constexpr const char* kRecord = "获取位置信息";
inline constexpr const char* kDeleteRow = "删除此行";
inline constexpr const char* kDeleteAll = "全部删除";
inline constexpr const char* kToPoint1 = "回到point1位置";
inline constexpr const char* kPointColumn = "point";
inline constexpr const char* kPointList = "示教点列表";
// Our own: keeping the point list in a file.
inline constexpr const char* kSavePoints = "保存示教点...";
inline constexpr const char* kLoadPoints = "载入示教点...";
inline constexpr const char* kClose = "关闭";
inline constexpr const char* kCsvFilter = "csv(*.CSV)|*.csv|All Files (*.*)|*.*||";

// Settings (section of zeq.ini).
inline constexpr const char* kSection = "Teach";
inline constexpr const char* kKeyPointFile = "PointFile";
inline constexpr const char* kKeyJogSpeed = "JogSpeed";
inline constexpr const char* kKeyPathAccel = "PathAccel";
inline constexpr const char* kKeyPathDecel = "PathDecel";
inline constexpr const char* kKeyMode = "Mode";
inline constexpr const char* kKeyLoop = "Loop";

}  // namespace zeq::desk::teach::ui_text
