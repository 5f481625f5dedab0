// Texts of the firmware dialog's widgets.
#pragma once

namespace zeq::desk::firmware::ui_text {

inline constexpr const char* kTitle = "更新固件";
inline constexpr const char* kCardList = "选择控制卡:";
inline constexpr const char* kBoardEntry = "Board %1";
inline constexpr const char* kCardGroup = "控制卡信息";
inline constexpr const char* kFileGroup = "固件文件";
inline constexpr const char* kFileButton = "文件";
inline constexpr const char* kFileField = "固件文件名";
inline constexpr const char* kPasswordGroup = "密码";
inline constexpr const char* kOldPassword = "输入旧密码：";
inline constexpr const char* kNewPassword = "输入新密码：";
inline constexpr const char* kChangePassword = "更新密码";
inline constexpr const char* kStatusLine = "状态";
inline constexpr const char* kClose = "关闭";

}  // namespace zeq::desk::firmware::ui_text
