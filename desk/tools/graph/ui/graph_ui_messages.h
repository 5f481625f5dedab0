// Texts of the graph dialog's widgets beyond the capture's own.
#pragma once

namespace zeq::desk::graph_ui_text {

inline constexpr const char* kBoard = "控制板:";
inline constexpr const char* kX = "横坐标:";
inline constexpr const char* kAxis = "轴号";
inline constexpr const char* kName = "参数名";
inline constexpr const char* kLow = "最小值:";
inline constexpr const char* kHigh = "最大值:";
inline constexpr const char* kCursor = "光标 X:";
inline constexpr const char* kCursorValue = "纵坐标1的值";
inline constexpr const char* kZoomX = "横向缩放";
inline constexpr const char* kZoomY = "纵向缩放";
inline constexpr const char* kChart = "曲线图";
inline constexpr const char* kExportCsv = "导出CSV...";
inline constexpr const char* kExportPng = "导出图片...";
inline constexpr const char* kOpenCsv = "打开CSV...";
inline constexpr const char* kCsvFilter = "CSV 文件 (*.csv)";
inline constexpr const char* kPngFilter = "PNG 图片 (*.png)";
inline constexpr const char* kWriteFailed = "无法写入文件: %1";
inline constexpr const char* kSeriesName = "纵坐标%1";

}  // namespace zeq::desk::graph_ui_text
