// The `zeq` tool's own texts about a run it stops (stderr; stdout carries the pane text only).
#pragma once

namespace zeq::cli::msg {

// After the first Ctrl-C: the run has ended but axes still move. %s: the moving axes.
inline constexpr const char* kAxesStillMoving =
    "运行已终止，但仍有轴在运动（%s）。正在等待所有轴停止……再按一次 Ctrl-C 将急停所有电机。\n";
// One moving axis in the list above: board, axis.
inline constexpr const char* kMovingAxis = "Board%d 轴%d";
inline constexpr const char* kAxesAtRest = "所有轴已停止。\n";
// The emergency stop sent to a board: board number.
inline constexpr const char* kEmstopSent = "已向 Board%d 发送急停指令。\n";
// The emergency stop could not be written: board number, status.
inline constexpr const char* kEmstopNotSent = "Board%d 急停指令发送失败！（状态 %d）\n";

}  // namespace zeq::cli::msg
