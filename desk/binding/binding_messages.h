// Texts of the device binding: library loading, guard wrappers, boards and connections.
#pragma once

namespace zeq::desk::binding_text {

// Library loading. %s: the library file name / the missing function.
inline constexpr const char* kLibraryMissing = "错误: 动态链接库 %s 丢失或者损坏";
inline constexpr const char* kFunctionMissing =
    "错误: 在链接库中没有找到 %s 函数\r\n请确认链接库是否是最新版本";

// Guard wrappers whose function is not bound. %s: the wrapper's name.
inline constexpr const char* kWrapperInvalid = " %s 函数无效";
inline constexpr const char* kWrapperNotValid = "%s is not valid!";

// Card type switch.
inline constexpr const char* kCloseDevicesFirst = "先关闭连接的设备!";
inline constexpr const char* kTitleUsb = "(USB)";
inline constexpr const char* kTitlePci = "(PCI)";

// Device search.
inline constexpr const char* kSearchFailed = "搜索失败!";
inline constexpr const char* kNoDeviceFound = "没有找到设备!\r\n";
inline constexpr const char* kPciCardName = "ZEQ_PCI_Card(0x%X)";

// Board lists and connections.
inline constexpr const char* kBoardEntry = "Board:%d";
inline constexpr const char* kDisconnectedBoard = "已断开%s连接的Board:%d\r\n";
inline constexpr const char* kBoardHasDevice = "此Board号已经有设备连接,请选择其他的Board!";
inline constexpr const char* kBoardTaken = "Board:%d已被其他设备占用,请选择其他!";
inline constexpr const char* kDisconnectedLine = " 已断开\r\n";
inline constexpr const char* kDisconnectedState = "已断开";
inline constexpr const char* kConnectedLine = " 已连接\r\n";
inline constexpr const char* kConnectedState = "已连接";
inline constexpr const char* kVersionError = "版本错误，";
inline constexpr const char* kConnectFailedLine = "连接失败!\r\n";
inline constexpr const char* kConnectFailedState = "连接失败!";
inline constexpr const char* kNoConnectionState = " 没有设备连接! ";
inline constexpr const char* kConnectCaption = "连接设备";
inline constexpr const char* kDisconnectCaption = "断开设备";
inline constexpr const char* kDeviceGone =
    "找不到此设备,请确定此设备是否连接或已被占用!\r\n请重新搜索后再重试!\r\n";
inline constexpr const char* kWrongDeviceName = "错误的设备名!\r\n请重新搜索后再重试!\r\n";
inline constexpr const char* kCannotConnect = "无法连接设备!\n请重新搜索后再重试!\n";
inline constexpr const char* kTargetNotConnected =
    "Board[%d] 对应的通信端口 %s 没有连接!\r\n请先连接目标设备!\r\n";
inline constexpr const char* kCounters = "TX:%u,RX:%u";
inline constexpr const char* kCountersCleared = "  ";

// Renaming a USB device.
inline constexpr const char* kNameTooLong = "名称多于32个字符!\r\n";
inline constexpr const char* kNoDevice = "没有设备!";
inline constexpr const char* kCannotOpenForRename = "无法打开USB设备,修改不成功!";
inline constexpr const char* kRenameDone = "更改成功!";
inline constexpr const char* kRenameFailed = "更改失败!";

}  // namespace zeq::desk::binding_text
