// Texts of the teach dialog.
#pragma once

namespace zeq::desk::teach::msg {

inline constexpr const char* kTitle = "示教";
inline constexpr const char* kCheckAxisFirst = "请先点击左边的多选框选择此轴!";
inline constexpr const char* kChooseDevice = "请选择设备!";
inline constexpr const char* kSpeedZero = "速度值不能为零";
inline constexpr const char* kJogFailed = "点动失败!\n请查看设置是否正确";
inline constexpr const char* kRecordFirst = "请先获取位置信息!";
inline constexpr const char* kPoint1BadCell = "point1位置信息中包含有其他非数字字符!";
inline constexpr const char* kBadCell = "位置信息中包含有其他非数字字符!";
inline constexpr const char* kStartHere = "是否从当前位置开始?";
inline constexpr const char* kPathAxes = "直线/圆弧插补运动最多支持3轴!";
inline constexpr const char* kInvalidLine = "无效的直线段!";
inline constexpr const char* kPathJump = "路径点异常跳跃！";
inline constexpr const char* kRun = "运行";
inline constexpr const char* kStop = "停止";
inline constexpr const char* kLoop = "循环运行";
inline constexpr const char* kModes[] = {"0:多轴同步运动", "1:每轴独立按序运动",
                                         "2:直线/圆弧插补运动"};
inline constexpr const char* kRowNameFormat = "point%d";
inline constexpr const char* kAxisHeaderFormat = "轴%d";
inline constexpr const char* kSpeedHeader = "运动速度";
inline constexpr const char* kEndSpeedHeader = "终点速度";

// Our own: playback ended by a failing card command (the status follows), and point files.
inline constexpr const char* kCommandFailed = "运动指令执行失败，示教运行已停止。状态: ";
inline constexpr const char* kCsvCannotOpen = "无法打开示教点文件!";
inline constexpr const char* kCsvBad = "示教点文件格式不正确!";
inline constexpr const char* kCsvCannotWrite = "示教点文件无法保存!";

}  // namespace zeq::desk::teach::msg
