// The texts of the device bars (the boards' own texts are in binding/binding_messages.h).
#pragma once

namespace zeq::desk::device_text {

inline constexpr char kTargetLabel[] = "目标设备:";
inline constexpr char kSearchCaption[] = "搜索设备";
inline constexpr char kSearchPrompt[] = "搜索USB通信接口";
inline constexpr char kBoardPrompt[] = "选择Board";
inline constexpr char kNamePrompt[] = "设备名";
inline constexpr char kConnectPrompt[] = "打开/关闭通信接口";
inline constexpr char kCountersPrompt[] = "在状态栏中显示发送接收的数据计数";
inline constexpr char kSlotBarTitle[] = "设备%1";
inline constexpr char kRenameTitle[] = "更改设备名";
inline constexpr char kRenamePrompt[] = "新的设备名(最多32个字符):";

}  // namespace zeq::desk::device_text
