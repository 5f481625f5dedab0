// Texts of the interpreter and of run control, byte for byte as the output pane shows them.
#pragma once

namespace zeq::desk::msg {

// Run frame.
inline constexpr const char* kRunStart = "\r\n开始解析执行：\r\n";
inline constexpr const char* kRunStopped = "\r\n运行终止！\r\n";
inline constexpr const char* kRunFinished = "\r\n运行结束！\r\n";
inline constexpr const char* kTextStart = "\r\n开始执行...\r\n";
inline constexpr const char* kTextStopped = "\r\n单指令运行终止！\r\n";
inline constexpr const char* kTextFinished = "\r\n单指令运行结束！\r\n";
inline constexpr const char* kExecutingLine = "执行第%d行:\n";

// Errors of the executor.
inline constexpr const char* kErrorLine = "error(%d):第%d行：%s\r\n";
inline constexpr const char* kErrorLineNamed = "error(%d):第%d行：\"%s\"%s\r\n";
inline constexpr const char* kMissingChar = "缺少 %c\n";
inline constexpr const char* kWrongKeyword = "错误的关键字";
inline constexpr const char* kDivByZero = "除数为0";
inline constexpr const char* kExprError = "表达式错误!";
inline constexpr const char* kBoardRange = "Board号\"%d\"超过范围,设置失败";
inline constexpr const char* kBoardNoDevice = "此Board号的设备没有连接";
inline constexpr const char* kPaused = "暂停运行!\r\n";
inline constexpr const char* kContinued = "继续运行!\r\n";
inline constexpr const char* kUnknownName = "变量未定义";
inline constexpr const char* kUnknownParam = "未知的参数名";
inline constexpr const char* kNoHandler = "无法执行的语句";
inline constexpr const char* kBadLabel = "标号超出范围";
inline constexpr const char* kTextEnd = "语句缺少行结束符";

// Parameter statements.
inline constexpr const char* kRange16Signed = "十六位%s 参数值%d超出范围! \r\n";
inline constexpr const char* kRange16Unsigned = "十六位%s 参数值%u超出范围! \r\n";

// Path and contour.
inline constexpr const char* kSegInvalidArgs = "无效的直线/圆弧参数\n";
inline constexpr const char* kSegQueueFull = "路径队列满，该段未加入队列\n";
inline constexpr const char* kSegBadLine = "无效的直线段，该段未加入队列\n";
inline constexpr const char* kSegBadArc = "无效的圆弧段，该段未加入队列\n";
inline constexpr const char* kSegZeroLength = "直线/圆弧段的长度为零，该段未加入队列\n";
inline constexpr const char* kFileOpenFailed = "打开文件失败!";
inline constexpr const char* kAxisOutOfRange = "轴号超出范围!";
inline constexpr const char* kFileFormat = "文件数据格式错误\n";
inline constexpr const char* kSendingFile1 = "正在发送文件:\"";
inline constexpr const char* kSendingFile2 = "\"中的数据...\n";
inline constexpr const char* kFileSent = "文件数据发送完毕\n";
inline constexpr const char* kTooManyValues = "数据个数超出范围";
// A scaled contour coordinate outside the signed 16-bit word: point (1-based), axis number.
inline constexpr const char* kContourValueRange =
    "文件数据超出16位范围(-32768~32767):第%d个点,轴%d";
inline constexpr const char* kElapsedUs = "用时%dus\r\n";
inline constexpr const char* kMcDataLine = "轴%d: encp:%d,moving:%d, error:%d, aio:%d\r\n";

// Run control.
inline constexpr const char* kStillErrors = "\r\n程序还有错误，运行停止！\r\n";
inline constexpr const char* kAnalyseWhileRunning = "\r\n翻译代码正在运行，请先停止……\r\n";
inline constexpr const char* kNothingToAnalyse = "没有代码可分析!\r\n";
inline constexpr const char* kSaveFirst = "请先保存!";
inline constexpr const char* kRunWhileRunning = "\r\n正在运行，请先停止……\r\n";
inline constexpr const char* kCodeChanged = "代码被修改，保存并开始重新分析……";
inline constexpr const char* kHoldFailed = "暂停指令发送失败!\n";
inline constexpr const char* kHoldNoDevice = "设备没有打开,暂停指令发送失败!\n";
inline constexpr const char* kHoldWriteFailed = "暂停指令发送失败!";
inline constexpr const char* kEmstopFailed = "急停指令发送失败!\n";
inline constexpr const char* kEmstopNoDevice = "设备没有打开,急停指令发送失败!\n";
inline constexpr const char* kEmstopWriteFailed = "急停指令发送失败!\n";
inline constexpr const char* kDeviceNotConnected = "设备没有连接!\n";
inline constexpr const char* kNothingToExecute = "没有语句可执行!\r\n";
inline constexpr const char* kButtonExecute = "执行指令";
inline constexpr const char* kButtonStop = "停止";
inline constexpr const char* kRunningStopFirst = "请先停止解释器执行!";

}  // namespace zeq::desk::msg
