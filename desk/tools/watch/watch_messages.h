// Texts of the parameter watch list.
#pragma once

namespace zeq::desk::watch_text {

// Column headers.
inline constexpr const char* kColumnName = "参数名";
inline constexpr const char* kColumnValue = "参数值";
inline constexpr const char* kColumnAxis = "轴";
inline constexpr const char* kColumnBoard = "Board";

// Value cells.
inline constexpr const char* kNoDevice = "此设备无连接";
inline constexpr const char* kBadAxis = "此轴号无效";
inline constexpr const char* kBadName = "参数名错误";
inline constexpr const char* kReadError = "error";

// Output box after a pass. %s: the parameter last read.
inline constexpr const char* kChecksumError = "指令校验错误!\n";
inline constexpr const char* kCannotRead =
    "无法获取%s数据!请检查board是否正确或通信端口是否打开!\r\n已停止获取数据!\r\n";

// The interval dialog "设置间隔时间".
inline constexpr const char* kIntervalTitle = "设置间隔时间";
inline constexpr const char* kIntervalTooSmall = "设置的间隔时间小于1ms\r\n\r\n设置失败!";

// The add-parameter window "增加参数". %s: the typed name.
inline constexpr const char* kAddTitle = "增加参数";
inline constexpr const char* kNotSystemParam = "%s 不是系统参数，请重新选择或者输入！";
inline constexpr const char* kNothingToDelete = "没有找到可删除的参数 %s !";

// Context menu.
inline constexpr const char* kMenuStart = "获取参数值(&G)";
inline constexpr const char* kMenuStop = "停止获取(&S)";
inline constexpr const char* kMenuAdd = "增加参数(&A)";
inline constexpr const char* kMenuHex = "十六进制显示(&H)";
inline constexpr const char* kMenuDelete = "删除(&D)";
inline constexpr const char* kMenuDeleteAll = "全部删除(&Q)";
inline constexpr const char* kMenuInterval = "设置获取间隔时间(&T)";

}  // namespace zeq::desk::watch_text
