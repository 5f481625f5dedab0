// The texts of run control in the window: prompts of the commands, the editor's context menu,
// the breakpoints and the variables pane.
#pragma once

#include "shell/command_ids.h"

namespace zeq::desk::msg {

// Status-bar prompt, then the tool tip, of each run-control command.
struct RunPrompt {
    int id;
    const char* prompt;
};
inline constexpr RunPrompt kRunPrompts[] = {
    {cmd::kCompile, "分析代码的语法错误\n分析代码语法"},
    {cmd::kRun, "运行代码控制zEQ控制卡\n代码解析运行"},
    {cmd::kStep, "单步执行控制代码\n单步执行控制代码"},
    {cmd::kPause, "暂停代码的运行\n暂停代码的运行"},
    {cmd::kContinue, "继续代码的运行\n继续运行代码"},
    {cmd::kStop, "停止对zEQ控制卡的控制\n停止代码执行"},
    {cmd::kPauseMotors, "暂停电机运动\n暂停电机运动"},
    {cmd::kEmergencyStop, "急停电机\n急停电机"},
    {cmd::kExecInstruction, "执行指令区的单指令\n执行指令区的单指令"},
    {cmd::kMarkRunning, "是否标识其执行过程中的将要执行的语句"},
};

// The editor's context menu (its accelerators are those of the main menu's commands).
inline constexpr char kMenuAnalyse[] = "分析(&B)\tAlt+A";
inline constexpr char kMenuRun[] = "运行(&R)\tAlt+R";
inline constexpr char kMenuContinue[] = "继续(&G)\tAlt+C";
inline constexpr char kMenuPause[] = "暂停(&U)\tAlt+P";
inline constexpr char kMenuStop[] = "停止(&T)\tAlt+T";
inline constexpr char kMenuRunToCursor[] = "运行到光标处(&N)";
inline constexpr char kMenuToggleBreakpoint[] = "切换断点(&K)";
inline constexpr char kToggleBreakpointKey[] = "F9";
// The instruction box's context menu.
inline constexpr char kMenuExecute[] = "执行指令(&E)\tAlt+E";

// The emergency stop works from every widget of the application with this key, which no
// editing action uses; the button shows it.
inline constexpr char kEmergencyStopKey[] = "F12";
inline constexpr char kEmergencyStopButton[] = "电机急停 (F12)";

// The variables pane.
inline constexpr char kVariablesTitle[] = "变量";
inline constexpr char kVariablesName[] = "名称";
inline constexpr char kVariablesValue[] = "值";
inline constexpr char kVariablesScope[] = "作用域";
inline constexpr char kVariablesGlobal[] = "全局";
inline constexpr char kVariablesLocal[] = "局部";
inline constexpr char kViewVariables[] = "变量窗口(&A)";

}  // namespace zeq::desk::msg
