#include "interpreter/interp_messages.h"

namespace zeq::desk::msg {

const char* statusText(int status) {
    static const char* const kTexts[] = {
        "",                            // 0
        "发送数据失败",                // 1
        "接收数据失败",                // 2
        "通信超时退出！",              // 3
        "设备没有打开",                // 4
        "设备没有找到",                // 5
        "无效的设备句柄！",            // 6
        "函数参数错误！",              // 7
        "FIFO满！",                    // 8
        "其他错误！",                  // 9
        "无效的轴号",                  // 10
        "控制卡参数为只读参数",        // 11
        "函数参数值超出范围！",        // 12
        "通信校验错误！",              // 13
        "其他错误！", "其他错误！", "其他错误！", "其他错误！", "其他错误！", "其他错误！",
        "路径点异常跳跃！",            // 20
        "路径未初始化，请先初始化！",  // 21
        "路径运动未完成时退出！",      // 22
    };
    if (status < 0 || status > 22) return kTexts[9];
    return kTexts[status];
}

}  // namespace zeq::desk::msg
