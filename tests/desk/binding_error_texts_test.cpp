// Texts of the device status codes and which codes end a run.
#include <gtest/gtest.h>

#include <string>

#include "binding/error_texts.h"

namespace zeq::desk {
namespace {

TEST(DeviceStatusTexts, TextsAndRunEnd) {
    struct Case {
        int status;
        const char* text;
        bool endsRun;
    };
    const Case cases[] = {
        {1, "发送数据失败", true},
        {3, "通信超时退出！", true},
        {6, "无效的设备句柄！", true},
        {8, "FIFO满！", true},
        {9, "其他错误！", true},
        {10, "无效的轴号", true},
        {11, "控制卡参数为只读参数", false},
        {12, "函数参数值超出范围！", true},
        {13, "通信校验错误！", true},
        {14, "其他错误！", true},
        {16, "其他错误！", true},
        {19, "其他错误！", true},
        {20, "路径点异常跳跃！", true},
        {21, "路径未初始化，请先初始化！", true},
        {22, "路径运动未完成时退出！", false},
        {23, "其他错误！", true},
        {24, "其他错误！", true},
        {-1, "其他错误！", true},
        {1 << 30, "其他错误！", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        const DeviceStatusText t = deviceStatusText(c.status);
        EXPECT_EQ(t.text, c.text);
        EXPECT_EQ(t.endsRun, c.endsRun);
    }
}

TEST(DeviceStatusTexts, ReportWritesAndEndsTheRunAsTheCodeSays) {
    struct Case {
        int status;
        std::string written;
        bool finished;
    };
    const Case cases[] = {
        {0, "", false},
        {11, "控制卡参数为只读参数", false},
        {22, "路径运动未完成时退出！", false},
        {9, "其他错误！", true},
        {16, "其他错误！", true},
        {23, "其他错误！", true},
        {24, "其他错误！", true},
        {-1, "其他错误！", true},
        {6, "无效的设备句柄！", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        std::string written;
        bool finished = false;
        reportDeviceStatus(
            c.status, [&](std::string_view t) { written += t; }, finished);
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(finished, c.finished);
    }
    // A code that lets the run go on never clears a finished run.
    bool finished = true;
    reportDeviceStatus(
        11, [](std::string_view) {}, finished);
    EXPECT_TRUE(finished);
}

}  // namespace
}  // namespace zeq::desk
