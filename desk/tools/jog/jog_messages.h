// Texts of the jog dialog "点动".
#pragma once

namespace zeq::desk::jog_text {

inline constexpr const char* kTitle = "点动";
inline constexpr const char* kSpeed = "电机速度:";
inline constexpr const char* kDistFactor = "位移因子:";
inline constexpr const char* kTimeFactor = "时间因子:";
inline constexpr const char* kJogPositive = "正向点动";
inline constexpr const char* kJogNegative = "负向点动";
inline constexpr const char* kNote =
    "注:65536*电机速度*位移因子/时间因子,其值范围是(-536870912,536870912)";
// The axis list's entries. %d: the axis.
inline constexpr const char* kAxisEntry = "轴 %d";
// The factors as read back.
inline constexpr const char* kFactorFormat = "%.8lf";

inline constexpr const char* kChooseDevice = "请选择设备!";
inline constexpr const char* kOpenDevice = "请先打开设备";
inline constexpr const char* kZeroSpeed = "速度值不能为零";
inline constexpr const char* kZeroTime = "时间因子不能为零";
inline constexpr const char* kZeroDist = "位移因子不能为零";
inline constexpr const char* kOutOfRange = "设置超出范围!";
inline constexpr const char* kJogFailed = "点动失败!\n请查看设置是否正确";

}  // namespace zeq::desk::jog_text
