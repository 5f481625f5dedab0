// Texts of the register configuration dialog and of the instruction-file download.
#pragma once

namespace zeq::desk::regconfig::msg {

// Download of an instruction file.
inline constexpr const char* kDeviceNotOpen = "设备没有打开\n";
inline constexpr const char* kCannotOpenFilePrefix = "无法打开文件:";
inline constexpr const char* kFileErrorFormat = "配置文件有错!  错误行: %d\r\n";
inline constexpr const char* kConfigured = "配置成功!\r\n";
inline constexpr const char* kConfigFailed = "配置失败!\r\n";
inline constexpr const char* kTxtFilter = "txt file(*.TXT)|*.txt|All Files (*.*)|*.*||";
// Our own: a file far too large to be an instruction file (path follows).
inline constexpr const char* kFileTooLargePrefix = "文件过大，不是指令序列文件:";

// The dialog.
inline constexpr const char* kTitle = "寄存器配置";
inline constexpr const char* kChooseDevice = "请选择设备!";
inline constexpr const char* kOpenDeviceFirst = "请先打开设备";
inline constexpr const char* kNotSaved = "寄存器配置还没保存!是否要保存?";
inline constexpr const char* kHint = "提示";
inline constexpr const char* kApplyFailed = "配置失败!请重新再试一次!";
inline constexpr const char* kApplied = "配置成功";
inline constexpr const char* kCreateFailed = "文件创建失败!";
inline constexpr const char* kGenerated = "文件已生成!\n是否打开查看此文件?";
inline constexpr const char* kCannotOpenCfg = "无法打开文件!";
inline constexpr const char* kCfgMismatch = "配置文件不匹配!";
inline constexpr const char* kCfgReadFailed = "读取文件失败!";
inline constexpr const char* kSaveAs = "保存为";
inline constexpr const char* kChooseCfg = "选择配置文件";
inline constexpr const char* kCfgFilter = "cfg(*.CFG)|*.cfg|All Files (*.*)|*.*||";
inline constexpr const char* kGenFilter = "txt(*.TXT)|*.txt|All Files (*.*)|*.*||";

// Number fields (the typed text comes first).
inline constexpr const char* kRange32 = " 超出取值范围,将会自动截取低32位数值\n\n是否自动截取?";
inline constexpr const char* kRange16 =
    " 超出十六位的取值范围,将会自动截取低16位数值\n\n是否自动截取?";
// Our own: the text typed is no number.
inline constexpr const char* kNotANumber = " 不是有效的数值!";

// The generated file's header comment.
inline constexpr const char* kGeneratedHeader =
    ";注:此文件中的指令只是生成一块控制卡的指令\r\n"
    ";如有2块以上控制卡同时操作,请对每块控制卡生成一个文件\r\n";

}  // namespace zeq::desk::regconfig::msg
