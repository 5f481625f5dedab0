// Texts of the homing dialog "搜寻机械原点".
#pragma once

namespace zeq::desk::homing_text {

inline constexpr const char* kTitle = "搜寻机械原点";
inline constexpr const char* kStartPositive = "正方向出发";
inline constexpr const char* kStartNegative = "负方向出发";
inline constexpr const char* kRisingEdge = "上升沿有效";
inline constexpr const char* kFallingEdge = "下降沿有效";
inline constexpr const char* kStopAtHome = "搜寻到原点后减速停止";
inline constexpr const char* kMoveAfterHome = "搜寻到原点后移动到指定位置：";
inline constexpr const char* kOnePhase = "一个阶段(Phase1)";
inline constexpr const char* kTwoPhases = "两个阶段(Phase1~Phase2)";
inline constexpr const char* kThreePhases = "三个阶段(Phase1~Phase3)";
inline constexpr const char* kAction1 =
    "检测到原点开关ORG信号的有效边沿时执行原点设置操作，并停止移动";
inline constexpr const char* kAction2 =
    "检测到原点开关ORG信号的有效边沿后，开始对编码器的索引(index)"
    "信号计数，在计数值等于预设值之时执行原点设置操作，并停止移动";
inline constexpr const char* kAction3 =
    "进入此阶段即开始对编码器的索引(index)"
    "信号计数，在计数值等于预设值之时执行原点设置操作，并停止移动";
inline constexpr const char* kPhase1 = "Phase1";
inline constexpr const char* kPhase2 = "Phase2";
inline constexpr const char* kPhase3 = "Phase3";
inline constexpr const char* kLowSpeed = "低速(lowvel)";
inline constexpr const char* kHighSpeed = "高速(highvel)";
inline constexpr const char* kHighvelField = "高速(maxvel):";
inline constexpr const char* kLowvelField = "低速(lowvel):";
inline constexpr const char* kWriteSetup = "设置配置到zEQ";
inline constexpr const char* kStartSearch = "启动搜寻";
inline constexpr const char* kSetHome = "置当前点为原点";
inline constexpr const char* kBitsFormat = "%1d%1d%1d%1d-%1d%1d%1d%1d-%1d%1d%1d%1d-%1d%1d%1d%1d";

inline constexpr const char* kCaption = "提示";
inline constexpr const char* kSwitchUnwritten = "配置未写入控制器,是否要配置其他轴?";
inline constexpr const char* kSearchUnwritten = "配置未写入控制器,是否要开始搜寻?";
inline constexpr const char* kZeroSpeed = "高速或低速不能为零";
inline constexpr const char* kChooseAction = "请选择最后阶段的动作方式!";
inline constexpr const char* kSaveFailed = "保存失败!";
inline constexpr const char* kSearchFailed = "搜寻失败!";
inline constexpr const char* kChooseDevice = "请选择设备!";
inline constexpr const char* kOpenDevice = "请先打开设备";

}  // namespace zeq::desk::homing_text
