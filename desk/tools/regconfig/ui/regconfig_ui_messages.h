// Texts of the register configuration dialog's widgets.
#pragma once

namespace zeq::desk::regconfig::ui_text {

inline constexpr const char* kCardList = "选择控制卡:";
inline constexpr const char* kAxisList = "选择轴号:";
inline constexpr const char* kBoardEntry = "Board %1";
inline constexpr const char* kApply = "应用配置到zEQ";
inline constexpr const char* kGenerate = "生成指令序列文件";
inline constexpr const char* kSave = "保存配置到文件";
inline constexpr const char* kImport = "从文件导入配置";
inline constexpr const char* kClose = "关闭";
inline constexpr const char* kOtherTitle = "其他运行参数设置";
inline constexpr const char* kShortGroup = "short类型";
inline constexpr const char* kLongGroup = "long类型";
inline constexpr const char* kFactorGroup = "因子";
inline constexpr const char* kLimitGroup = "运动极限";
inline constexpr const char* kUserUnits = "用户单位";
inline constexpr const char* kBaseUnits = "ZEQ基本单位";
inline constexpr const char* kDistFactor = "位移因子";
inline constexpr const char* kTimeFactor = "时间因子";
inline constexpr const char* kEncpfactor = "encpfactor (主编码器比例因子)";
inline constexpr const char* kEncsfactor = "encsfactor (辅助编码器比例因子)";
inline constexpr const char* kSteptime = "steptime (脉冲宽度, 系统时钟周期)";
inline constexpr const char* kDirtime = "dirtime (方向延时, 系统时钟周期)";
// Our own: the registers could not be read from the card.
inline constexpr const char* kReadFailed = "无法读取控制卡的寄存器!";
// Our own: a factor must be a number other than 0.
inline constexpr const char* kBadFactor = " 不是有效的因子(非零数值)!";

}  // namespace zeq::desk::regconfig::ui_text
