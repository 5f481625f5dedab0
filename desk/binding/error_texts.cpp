#include "binding/error_texts.h"

#include <array>

namespace zeq::desk {
namespace {

constexpr std::string_view kOther = "其他错误！";

// Indexed by the status code.
constexpr std::array<DeviceStatusText, 23> kTexts = {{
    {"", false},                           // 0 success
    {"发送数据失败", true},                // 1
    {"接收数据失败", true},                // 2
    {"通信超时退出！", true},              // 3
    {"设备没有打开", true},                // 4
    {"设备没有找到", true},                // 5
    {"无效的设备句柄！", true},            // 6 (also: function not bound)
    {"函数参数错误！", true},              // 7
    {"FIFO满！", true},                    // 8
    {kOther, true},                        // 9
    {"无效的轴号", true},                  // 10
    {"控制卡参数为只读参数", false},       // 11
    {"函数参数值超出范围！", true},        // 12
    {"通信校验错误！", true},              // 13
    {kOther, true},                        // 14
    {kOther, true},                        // 15
    {kOther, true},                        // 16
    {kOther, true},                        // 17
    {kOther, true},                        // 18
    {kOther, true},                        // 19
    {"路径点异常跳跃！", true},            // 20
    {"路径未初始化，请先初始化！", true},  // 21
    {"路径运动未完成时退出！", false},     // 22 path not finished yet: the run goes on
}};

}  // namespace

DeviceStatusText deviceStatusText(int status) {
    if (status < 0 || status >= static_cast<int>(kTexts.size())) return {kOther, true};
    return kTexts[static_cast<std::size_t>(status)];
}

}  // namespace zeq::desk
