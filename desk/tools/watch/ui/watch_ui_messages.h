// Texts of the watch box's widgets.
#pragma once

namespace zeq::desk::watch_ui_text {

inline constexpr const char* kPaneTitle = "监视框";
inline constexpr const char* kList = "监视列表";
inline constexpr const char* kMenu = "监视框菜单";
inline constexpr const char* kAxisCell = "轴号选择";
inline constexpr const char* kBoardCell = "Board选择";
inline constexpr const char* kAddNameBox = "参数名";
inline constexpr const char* kAddButton = "增加";
inline constexpr const char* kDeleteButton = "删除";
inline constexpr const char* kIntervalLabel = "间隔时间(ms):";
inline constexpr const char* kIntervalField = "间隔时间";
inline constexpr const char* kOk = "确定";
inline constexpr const char* kCancel = "取消";

}  // namespace zeq::desk::watch_ui_text
