// Texts of the graph dialog "画图".
#pragma once

namespace zeq::desk::graph_text {

inline constexpr const char* kTitle = "画图";
inline constexpr const char* kMenuPrompt = "用曲线图形调整控制板参数\n图形调整";

// The start button's captions.
inline constexpr const char* kCaptionStart = "画图";
inline constexpr const char* kCaptionStop = "停止";
inline constexpr const char* kCaptionRedraw = "重画";
inline constexpr const char* kRefresh = "刷新";

// Check boxes and fields.
inline constexpr const char* kY1 = "纵坐标1:";
inline constexpr const char* kY2 = "纵坐标2:";
inline constexpr const char* kY3 = "纵坐标3:";
inline constexpr const char* kDepth = "采样深度:";
inline constexpr const char* kDepthUnit = "pts";
inline constexpr const char* kNoCursorValue = "----";
inline constexpr const char* kZoomFormat = "%.4f%%";
inline constexpr const char* kZoomAtOpen = "100.0000%";

// Messages.
inline constexpr const char* kRangeZero = "横坐标的取值范围不能为零";
inline constexpr const char* kNotConnected = "设备没有连接!";
inline constexpr const char* kEnterName = "请输入参数名!";
inline constexpr const char* kBadName = "错误的参数名!";
inline constexpr const char* kChooseAxis = "请选择轴号!";
inline constexpr const char* kChooseY = "请至少选择一个y轴!";
inline constexpr const char* kNoMemory = "内存分配失败!";
inline constexpr const char* kCapturing = "正在获取图形数据...";
inline constexpr const char* kTimeout = "获取数据超时!";

}  // namespace zeq::desk::graph_text
