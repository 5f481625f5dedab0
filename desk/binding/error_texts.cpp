#include "binding/error_texts.h"

#include <array>

namespace zeq::desk {
namespace {

constexpr std::string_view kOther = "其他错误！";

// Indexed by the status code.
constexpr std::array<DeviceStatusText, ZEQ_ERR_PATH_NOT_DONE + 1> kTexts = {{
    {"", false},                           // ZEQ_OK success
    {"发送数据失败", true},                // ZEQ_ERR_SEND
    {"接收数据失败", true},                // ZEQ_ERR_RECEIVE
    {"通信超时退出！", true},              // ZEQ_ERR_TIMEOUT
    {"设备没有打开", true},                // ZEQ_ERR_NOT_OPENED
    {"设备没有找到", true},                // ZEQ_ERR_NOT_FOUND
    {"无效的设备句柄！", true},            // ZEQ_ERR_HANDLE (also: function not bound)
    {"函数参数错误！", true},              // ZEQ_ERR_ARGUMENT
    {"FIFO满！", true},                    // ZEQ_ERR_FIFO_FULL
    {kOther, true},                        // ZEQ_ERR_GRAPH_NOT_READY
    {"无效的轴号", true},                  // ZEQ_ERR_AXIS
    {"控制卡参数为只读参数", false},       // ZEQ_ERR_READ_ONLY
    {"函数参数值超出范围！", true},        // ZEQ_ERR_RANGE
    {"通信校验错误！", true},              // ZEQ_ERR_CHECKSUM
    {kOther, true},                        // ZEQ_ERR_VERSION
    {kOther, true},                        // ZEQ_ERR_OTHER
    {kOther, true},                        // ZEQ_ERR_SEGLIST_FULL
    {kOther, true},                        // ZEQ_ERR_CORNER
    {kOther, true},                        // ZEQ_ERR_ARC
    {kOther, true},                        // ZEQ_ERR_ZERO_SEGMENT
    {"路径点异常跳跃！", true},            // ZEQ_ERR_PATH_JUMP
    {"路径未初始化，请先初始化！", true},  // ZEQ_ERR_PATH_NOT_INIT
    {"路径运动未完成时退出！", false},     // ZEQ_ERR_PATH_NOT_DONE: the run goes on
}};

}  // namespace

DeviceStatusText deviceStatusText(int status) {
    if (status < 0 || status >= static_cast<int>(kTexts.size())) return {kOther, true};
    return kTexts[static_cast<std::size_t>(status)];
}

}  // namespace zeq::desk
