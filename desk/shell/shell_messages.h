// The texts of the window application's shell and editor, kept together.
#pragma once

namespace zeq::desk::msg {

inline constexpr char kAppTitle[] = "ZeqDesk";
inline constexpr char kNewDocumentText[] = "\nmain\n\t\nend\n";
inline constexpr char kFileFilter[] = "zeq(*.ZEQ *.zeq);;All Files (*.*)(*)";
inline constexpr char kCloseSaveFilter[] = "*.zeq(*.zeq);;*.*(*)";
inline constexpr char kCloseSaveInitialName[] = "src";
inline constexpr char kDefaultSuffix[] = "zeq";

inline constexpr char kConnectionPrompt[] = "状态:          ";
inline constexpr char kNoDevice[] = " 没有设备连接! ";
inline constexpr char kCounters[] = "TX:0 ,RX:0";
inline constexpr char kCaretFormat[] = "行:%1,列:%2";

inline constexpr char kAskSaveOnClose[] = "是否保存编辑代码？";
inline constexpr char kPromptTitle[] = "提示";
inline constexpr char kAskSaveOnNew[] = "源文件被修改了,是否保存?";
inline constexpr char kAskSaveOnOpen[] = "文件已被修改, 是否要保存?";
inline constexpr char kStopInterpreterFirst[] = "请先停止解释器执行!";
inline constexpr char kFileMissing[] = "此文件不存在!";
inline constexpr char kNoRecentFiles[] = "没有文件";
inline constexpr char kHelpMissing[] = "没有找到帮助说明!";
inline constexpr char kUpdateMissing[] = "没有找到更新程序!";
inline constexpr char kSaveFailed[] = "保存文件失败，原文件保持不变:\n%1\n%2";
inline constexpr char kSettingsSaveFailed[] = "无法保存设置文件:\n%1\n%2";
inline constexpr char kOpenFailed[] = "无法打开文件:\n%1\n%2";
inline constexpr char kOpenTooLarge[] = "文件太大";
inline constexpr char kOpenNotText[] = "不是文本文件";
inline constexpr char kOpenBadEncoding[] = "文件含有既非 GBK 也非 UTF-8 的字节, 保存会改变它";
inline constexpr char kAboutCaption[] = "关于 ZeqDesk";
inline constexpr char kAboutVersion[] = "ZeqDesk %1 版";
inline constexpr char kParamWindowTitle[] = "zEQ的参数";
inline constexpr char kParamFilter[] = "筛选参数名";
inline constexpr char kMakerWebAddress[] = "https://zeq.example.org/";

// Pane and bar titles (also their accessible names).
inline constexpr char kOutputTitle[] = "输出";
inline constexpr char kCommandBoxTitle[] = "单指令编辑框";
inline constexpr char kEditorName[] = "源代码";
inline constexpr char kStandardBar[] = "标准";
inline constexpr char kProjectBar[] = "工程";
inline constexpr char kDeviceBar[] = "设备";
inline constexpr char kInstructionBar[] = "指令";
inline constexpr char kEmergencyBar[] = "急停";
inline constexpr char kExecInstruction[] = "执行指令";
inline constexpr char kPauseMotors[] = "电机暂停";
inline constexpr char kEmergencyStop[] = "电机急停";
inline constexpr char kSearchDevices[] = "搜索设备";
inline constexpr char kTargetDevice[] = "目标设备";
inline constexpr char kMessagePane[] = "消息";
inline constexpr char kConnectionPane[] = "连接状态";
inline constexpr char kCountersPane[] = "发送接收计数";
inline constexpr char kCaretPane[] = "光标位置";

// Editor option dialogs.
inline constexpr char kSyntaxDialogTitle[] = "语法加亮";
inline constexpr char kSyntaxSwitch[] = "开启\\关闭语法加亮功能";
inline constexpr char kColourDialogTitle[] = "设置源代码关键字颜色";
inline constexpr char kFontDialogTitle[] = "设置字体";
inline constexpr char kFindTitle[] = "查找";
inline constexpr char kReplaceTitle[] = "替换";
inline constexpr char kFindWhat[] = "查找内容:";
inline constexpr char kReplaceWith[] = "替换为:";
inline constexpr char kFindNext[] = "查找下一个";
inline constexpr char kReplaceOne[] = "替换";
inline constexpr char kReplaceAll[] = "全部替换";
inline constexpr char kMatchCase[] = "区分大小写";
inline constexpr char kGoToTitle[] = "转到行";
inline constexpr char kGoToPrompt[] = "行号:";
inline constexpr char kNotFound[] = "找不到 \"%1\"";

}  // namespace zeq::desk::msg
