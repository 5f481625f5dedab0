#include "shell/menu_table.h"

#include "shell/command_ids.h"

namespace zeq::desk {
namespace {

using K = EntryKind;
using O = CommandOwner;

constexpr MenuEntry cmdEntry(int id, const char* text, const char* key = nullptr,
                             O owner = O::Frame, bool checkable = false,
                             const char* tip = nullptr) {
    return {K::Command, id, text, key, owner, checkable, tip};
}
constexpr MenuEntry sep() {
    return {K::Separator, 0, nullptr, nullptr, O::Frame, false, nullptr};
}
constexpr MenuEntry sub(const char* text) {
    return {K::SubmenuBegin, 0, text, nullptr, O::Frame, false, nullptr};
}
constexpr MenuEntry endSub() {
    return {K::SubmenuEnd, 0, nullptr, nullptr, O::Frame, false, nullptr};
}

constexpr MenuEntry kFileMenu[] = {
    cmdEntry(cmd::kNew, "新建(&N)", "Ctrl+N"),
    cmdEntry(cmd::kOpen, "打开源文件(&O)...", "Ctrl+O"),
    sep(),
    cmdEntry(cmd::kSave, "保存(&S)", "Ctrl+S"),
    cmdEntry(cmd::kSaveAs, "另存为(&A)...", "Ctrl+Alt+S"),
    sep(),
    {K::RecentFiles, cmd::kRecentFirst, "最近文件", nullptr, O::Frame, false, nullptr},
    sep(),
    cmdEntry(cmd::kExit, "退出(&X)"),
};

constexpr MenuEntry kEditMenu[] = {
    cmdEntry(cmd::kUndo, "撤消(&U)", "Ctrl+Z", O::Editor),
    cmdEntry(cmd::kRedo, "重做(&R)", "Ctrl+Y", O::Editor),
    sep(),
    cmdEntry(cmd::kCut, "剪切(&T)", "Ctrl+X", O::Editor),
    cmdEntry(cmd::kCopy, "复制(&C)", "Ctrl+C", O::Editor),
    cmdEntry(cmd::kPaste, "粘贴(&P)", "Ctrl+V", O::Editor),
    cmdEntry(cmd::kSelectAll, "全选(&A)", "Ctrl+A", O::Editor),
    sep(),
    cmdEntry(cmd::kFind, "查找(&F)...", "Ctrl+F", O::Editor),
    cmdEntry(cmd::kReplace, "替换(&E)...", "Ctrl+H", O::Editor),
    cmdEntry(cmd::kGoToLine, "转到行(&G)...", "Ctrl+G", O::Editor),
};

constexpr MenuEntry kViewMenu[] = {
    sub("工具栏(&T)"),
    cmdEntry(cmd::kViewStandardBar, "标准(&S)", nullptr, O::Frame, true),
    cmdEntry(cmd::kViewDeviceBar, "设备搜索(&D)", nullptr, O::Frame, true, "显示\\隐藏设备工具栏"),
    cmdEntry(cmd::kViewInstructionBar, "指令(&I)", nullptr, O::Frame, true, "显示/隐藏指令工具栏"),
    cmdEntry(cmd::kViewProjectBar, "工程(&P)", nullptr, O::Frame, true, "显示或隐藏工程工具栏"),
    cmdEntry(cmd::kViewEmergencyBar, "急停(&E)", nullptr, O::Frame, true, "显示或隐藏急停工具栏"),
    endSub(),
    cmdEntry(cmd::kLockBars, "锁定工具栏(&L)", nullptr, O::Frame, true, "锁定工具栏"),
    cmdEntry(cmd::kViewStatusBar, "状态栏(&S)", nullptr, O::Frame, true),
    cmdEntry(cmd::kShowCounters, "实时显示发送接收计数(&H)", nullptr, O::Later, true,
             "在状态栏中显示发送接收的数据计数"),
    cmdEntry(cmd::kMarkRunning, "标识执行中的语句(&F)", nullptr, O::Later, true,
             "是否标识其执行过程中的将要执行的语句"),
    cmdEntry(cmd::kViewOutput, "输出窗口(&O)", nullptr, O::Frame, true, "显示/隐藏输出框"),
    cmdEntry(cmd::kShowHints, "显示信息提示(&I)", nullptr, O::Frame, true),
    cmdEntry(cmd::kViewCommandBox, "单指令编辑窗口(&E)", nullptr, O::Frame, true,
             "显示/隐藏单指令编辑框"),
    cmdEntry(cmd::kViewWatch, "监视窗口(&V)", nullptr, O::Later, true, "显示/隐藏监视框"),
};

constexpr MenuEntry kSettingsMenu[] = {
    cmdEntry(cmd::kSyntaxColouring, "语法加亮(&P)", nullptr, O::Editor, false,
             "开启\\关闭语法加亮功能"),
    cmdEntry(cmd::kFont, "设置字体(&F)", nullptr, O::Editor, false, "设置字体"),
    cmdEntry(cmd::kColours, "字体颜色(&L)", nullptr, O::Editor, false, "设置关键字颜色"),
    cmdEntry(cmd::kRenameDevice, "更改设备名(&C)", nullptr, O::Later, false, "改变设备显示名称"),
    cmdEntry(cmd::kHoming, "搜寻机械原点(&H)", nullptr, O::Later),
    cmdEntry(cmd::kRegisterConfig, "寄存器配置(&S)", nullptr, O::Later, false, "改变配置"),
    sub("控制卡类型选择"),
    cmdEntry(cmd::kCardUsb, "USB控制卡", nullptr, O::Later, true, "选择USB控制卡"),
    cmdEntry(cmd::kCardPci, "PCI控制卡", nullptr, O::Later, true, "选择使用PCI控制卡"),
    endSub(),
};

constexpr MenuEntry kProjectMenu[] = {
    cmdEntry(cmd::kCompile, "编译(&A)", "Alt+A", O::Later, false, "分析代码的语法错误"),
    cmdEntry(cmd::kRun, "运行(&R)", "Alt+R", O::Later, false, "运行代码控制zEQ控制卡"),
    cmdEntry(cmd::kStop, "停止(&T)", "Alt+T", O::Later, false, "停止对zEQ控制卡的控制"),
    cmdEntry(cmd::kPause, "暂停(&P)", "Alt+P", O::Later, false, "暂停代码的运行"),
    cmdEntry(cmd::kContinue, "继续(&C)", "Alt+C", O::Later, false, "继续代码的运行"),
    cmdEntry(cmd::kStep, "单步(&S)", "Alt+S", O::Later, false, "单步执行控制代码"),
};

constexpr MenuEntry kToolsMenu[] = {
    cmdEntry(cmd::kConfigFile, "使用配置文件(&F)", nullptr, O::Later, false,
             "使用配置文件初始化zEQ控制卡"),
    cmdEntry(cmd::kTeach, "示教(&T)", nullptr, O::Later),
    cmdEntry(cmd::kJog, "点动(&J)", nullptr, O::Later),
    cmdEntry(cmd::kGraph, "图形查看(&D)", nullptr, O::Later),
    sub("查询控制卡的参数值(&L)"),
    cmdEntry(cmd::kWatchStart, "获取参数值(&G)", nullptr, O::Later),
    cmdEntry(cmd::kWatchStop, "停止获取(&S)", nullptr, O::Later),
    endSub(),
    cmdEntry(cmd::kFirmware, "固件更新(&L)", nullptr, O::Later, false, "下载固件"),
};

constexpr MenuEntry kHelpMenu[] = {
    cmdEntry(cmd::kAbout, "关于 ZeqDesk(&A)..."),
    cmdEntry(cmd::kHelp, "使用说明(&H)", nullptr, O::Frame, false, "查看程序的使用说明"),
    cmdEntry(cmd::kParams, "查看参数(&P)", nullptr, O::Frame, false, "查看zEQ支持的参数"),
    cmdEntry(cmd::kUpdate, "检查更新(&U)", nullptr, O::Frame, false, "检查程序是否有更新"),
    cmdEntry(cmd::kWebPage, "公司网站(&W)", nullptr, O::Frame, false, "打开公司网站,获取相关信息"),
};

constexpr MenuSpec kMenuBar[] = {
    {"文件(&F)", kFileMenu},     {"编辑(&E)", kEditMenu},    {"查看(&V)", kViewMenu},
    {"设置(&S)", kSettingsMenu}, {"工程(&P)", kProjectMenu}, {"工具(&T)", kToolsMenu},
    {"帮助(&H)", kHelpMenu},
};

constexpr int kStandardBarCommands[] = {cmd::kNew,  cmd::kOpen, cmd::kSave,  0,
                                        cmd::kCut,  cmd::kCopy, cmd::kPaste, 0,
                                        cmd::kFind, cmd::kAbout};
constexpr int kProjectBarCommands[] = {cmd::kCompile, cmd::kRun,      cmd::kStep,
                                       cmd::kPause,   cmd::kContinue, cmd::kStop};

constexpr ToolBarSpec kToolBars[] = {
    {"standardBar", "标准", cmd::kViewStandardBar, kStandardBarCommands},
    {"projectBar", "工程", cmd::kViewProjectBar, kProjectBarCommands},
};

}  // namespace

std::span<const MenuSpec> menuBarSpec() {
    return kMenuBar;
}
std::span<const ToolBarSpec> commandToolBarSpec() {
    return kToolBars;
}

}  // namespace zeq::desk
