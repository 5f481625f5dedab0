// Texts of the firmware dialog, the card information and the password record.
#pragma once

namespace zeq::desk::firmware::msg {

inline constexpr const char* kWarning =
    "   注意：固件更新不成功，或中途停止，将会使控制卡无法使用。";
inline constexpr const char* kPasswordNote = "此密码作为打开函数的参数，更新固件时必须输入旧密码。";
inline constexpr const char* kPasswordRule = "密码至少4个ASCII字符。如果不设密码，则在新密码中留空";
inline constexpr const char* kFileFilter = "bit(*.BIT)|*.bit|All Files (*.*)|*.*||";

// Card information.
inline constexpr const char* kVersionFormat = "%04X";
inline constexpr const char* kDateFormat = "201%X/%02X/%02X";
inline constexpr const char* kKindUsb = "USB";
inline constexpr const char* kKindPci = "PCI";

inline constexpr const char* kChooseDevice = "请选择设备!";
inline constexpr const char* kNoUpdateFunction = "控制卡中的固件没有更新功能！";
inline constexpr const char* kNoPasswordFunction = "控制卡中的固件没有密码保护功能！";
inline constexpr const char* kNotFirmwareFile = "选择的文件不是zEQ控制卡的固件文件!";
inline constexpr const char* kChooseFileFirst = "请先选择文件！";
inline constexpr const char* kCannotOpenFile = "无法打开文件！";
inline constexpr const char* kMismatch = "固件与控制卡不匹配！";
// The broken line break of the old text ("新r\n") is mended.
inline constexpr const char* kCardIsNewer =
    "控制卡中的固件比文件中的固件版本新\r\n\r\n是否要继续更新？";
inline constexpr const char* kWarningCaption = "警告";

// Password record.
inline constexpr const char* kCannotReadCard = "无法获取控制卡信息";
inline constexpr const char* kWrongPassword = "密码错误！";
inline constexpr const char* kNewPasswordLength = "新密码长度不符合要求！";
inline constexpr const char* kPasswordCleared = "密码已清除！";
inline constexpr const char* kPasswordChanged = "密码修改成功！";
inline constexpr const char* kPasswordChangeFailed = "密码修改失败！";

// Update.
inline constexpr const char* kPreparing = "正在准备更新……";
inline constexpr const char* kUpdateFailed = "更新失败！";
inline constexpr const char* kReady = "准备完成！开始更新……";
inline constexpr const char* kWriteFailed = "更新失败！ 请重新更新，否则控制卡将无法使用！！";
inline constexpr const char* kProgressFormat = "已更新 %d%%";
inline constexpr const char* kVerifyingPci = "正在校验...";
inline constexpr const char* kVerifyingUsb = "正在校验...（校验时间较长，请耐心等待）";
inline constexpr const char* kVerifyFailed =
    "校验失败！！请重新更新，否则再次上电后控制卡将无法使用";
inline constexpr const char* kUpdateStopped = "更新固件被停止！重新上电后，控制卡将无法使用";
inline constexpr const char* kUpdateComplete = "固件更新完成！";
inline constexpr const char* kConfirmStop =
    "警告：停止更新固件有可能导致控制卡无法使用\r\n\r\n确定要停止吗？";
inline constexpr const char* kStopFirst = "请先停止更新吗？";
inline constexpr const char* kButtonUpdate = "更新";
inline constexpr const char* kButtonStop = "停止";

// Our own texts: a stopped verification, and .bit files that cannot hold a usable image.
inline constexpr const char* kVerifyStopped =
    "固件校验被停止！写入的固件未经完整校验，请重新更新或重新校验。";
inline constexpr const char* kFileEmptyImage = "固件文件中没有固件数据！";
inline constexpr const char* kFileTooLarge = "固件文件过大，超出控制卡闪存的容量！";

}  // namespace zeq::desk::firmware::msg
