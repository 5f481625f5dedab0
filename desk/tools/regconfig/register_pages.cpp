#include "tools/regconfig/register_pages.h"

namespace zeq::desk::regconfig {

namespace {

constexpr Control kBox = Control::CheckBox;
constexpr Control kPair = Control::OptionPair;

constexpr BitOption kEncpctr[] = {
    {15, "位置反馈来自内部脉冲", "位置反馈来自外部编码器", kPair},
    {11, "只捕获一次位置", "每个有效沿都捕获位置", kPair},
    {10, "探针信号捕获位置到cappos", "", kBox},
    {9, "索引信号捕获位置到cappos", "", kBox},
    {8, "只复位一次原点", "每个复位信号都复位原点", kPair},
    {7, "探针信号复位原点", "", kBox},
    {6, "索引信号复位原点", "", kBox},
    {5, "A、B同为高电平时索引有效", "A、B同为低电平时索引有效", kPair},
    {3, "索引信号上升沿有效", "索引信号下降沿有效", kPair},
    {2, "A、B、索引和探针输入数字滤波", "", kBox},
    {1, "A超前B时加计数(方向信号为高时加计数)", "B超前A时加计数(方向信号为高时减计数)", kPair},
    {0, "脉冲+方向计数", "正交四倍频计数", kPair},
};
// Cards with 7 or more axes: the index gating (bit 5) is not offered.
constexpr BitOption kEncpctrLarge[] = {
    kEncpctr[0], kEncpctr[1], kEncpctr[2], kEncpctr[3],  kEncpctr[4],  kEncpctr[5],
    kEncpctr[6], kEncpctr[8], kEncpctr[9], kEncpctr[10], kEncpctr[11],
};

constexpr BitOption kEncsctr[] = {
    {5, "只复位一次encs", "每个索引信号都复位encs", kPair},
    {4, "辅助索引信号有效时复位encs", "", kBox},
    {3, "索引信号上升沿有效", "索引信号下降沿有效", kPair},
    {2, "A、B和索引输入数字滤波", "", kBox},
    {1, "A超前B时加计数(方向信号为高时加计数)", "B超前A时加计数(方向信号为高时减计数)", kPair},
    {0, "脉冲+方向计数", "正交计数", kPair},
};

constexpr BitOption kAioctr[] = {
    {15, "负向软极限有效", "", kBox},
    {14, "正向软极限有效", "", kBox},
    {13, "探针输入高电平有效", "探针输入低电平有效", kPair},
    {12, "原点开关输入高电平有效", "原点开关输入低电平有效", kPair},
    {11, "AIO5为伺服到位输入", "AIO5为通用I/O", kPair},
    {10, "AIO5输入高电平有效", "AIO5输入低电平有效", kPair},
    {9, "AIO4为伺服驱动报警输入", "AIO4为通用I/O或辅助编码器索引输入", kPair},
    {8, "AIO4输入高电平有效", "AIO4输入低电平有效", kPair},
    {7, "AIO3为外部设备错误(Err)输入", "AIO3为通用I/O或辅助编码器B输入", kPair},
    {6, "AIO3输入高电平有效", "AIO3输入低电平有效", kPair},
    {5, "AIO2为停止开关输入", "AIO2为通用I/O或辅助编码器A输入", kPair},
    {4, "AIO2输入高电平有效", "AIO2输入低电平有效", kPair},
    {3, "AIO1为负向极限开关输入", "AIO1为通用I/O", kPair},
    {2, "AIO1输入高电平有效", "AIO1输入低电平有效", kPair},
    {1, "AIO0为正向极限开关输入", "AIO0为通用I/O", kPair},
    {0, "AIO0输入高电平有效", "AIO0输入低电平有效", kPair},
};
// Cards with 7 or more axes: AIO3 to AIO5 (bits 11 to 6) are not offered.
constexpr BitOption kAioctrLarge[] = {
    kAioctr[0],  kAioctr[1],  kAioctr[2],  kAioctr[3],  kAioctr[10],
    kAioctr[11], kAioctr[12], kAioctr[13], kAioctr[14], kAioctr[15],
};

constexpr BitOption kAiod[] = {
    {5, "AIO5为输出", "AIO5为输入", kPair}, {4, "AIO4为输出", "AIO4为输入", kPair},
    {3, "AIO3为输出", "AIO3为输入", kPair}, {2, "AIO2为输出", "AIO2为输入", kPair},
    {1, "AIO1为输出", "AIO1为输入", kPair}, {0, "AIO0为输出", "AIO0为输入", kPair},
};

constexpr BitOption kStepmod[] = {
    {0, "正向脉冲+负向脉冲", "脉冲+方向", kPair},
    {1, "脉冲信号高电平有效", "脉冲信号低电平有效", kPair},
    {2, "方向信号高电平有效", "方向信号低电平有效", kPair},
};

// stopfilt and exitfilt: one check box per error bit of `error` (bits 12 and 11 not offered).
constexpr BitOption kErrorFilter[] = {
    {15, "指令位置异常", "", kBox},  {14, "加速度超限", "", kBox},
    {13, "速度超限", "", kBox},      {10, "指令位置越界", "", kBox},
    {9, "目标位置越界", "", kBox},   {8, "严重位置误差", "", kBox},
    {7, "位置误差超限", "", kBox},   {6, "外部设备错误3", "", kBox},
    {5, "外部设备错误2", "", kBox},  {4, "外部设备错误1", "", kBox},
    {3, "负向软极限越界", "", kBox}, {2, "正向软极限越界", "", kBox},
    {1, "负向硬极限越界", "", kBox}, {0, "正向硬极限越界", "", kBox},
};

}  // namespace

std::vector<ConfigPage> pagesFor(int naxis) {
    const bool large = naxis >= 7;
    std::vector<ConfigPage> pages{
        {"encpctr",
         PageKind::Bits,
         {{RegId::encpctr, large ? std::span<const BitOption>(kEncpctrLarge)
                                 : std::span<const BitOption>(kEncpctr)}}},
        {"encsctr", PageKind::Bits, {{RegId::encsctr, kEncsctr}}},
        {"aioctr",
         PageKind::Bits,
         {{RegId::aioctr, large ? std::span<const BitOption>(kAioctrLarge)
                                : std::span<const BitOption>(kAioctr)}}},
        {"stepmod", PageKind::Bits, {{RegId::stepmod, kStepmod}}},
        {"错误处理",
         PageKind::Bits,
         {{RegId::stopfilt, kErrorFilter}, {RegId::exitfilt, kErrorFilter}}},
        {"其他寄存器", PageKind::Numbers, {}},
    };
    if (!large) pages.push_back({"aiod", PageKind::Bits, {{RegId::aiod, kAiod}}});
    return pages;
}

std::string bitCaption(const char* registerName, std::uint16_t value) {
    std::string s = std::string(registerName) + "寄存器(";
    for (int bit = 15; bit >= 0; --bit) {
        s.push_back(((value >> bit) & 1u) ? '1' : '0');
        if (bit % 4 == 0 && bit != 0) s.push_back('-');
    }
    return s + ")";
}

std::uint16_t applyOption(std::uint16_t value, const BitOption& option, bool set) {
    const auto mask = static_cast<std::uint16_t>(1u << option.bit);
    return static_cast<std::uint16_t>(set ? (value | mask) : (value & ~mask));
}

}  // namespace zeq::desk::regconfig
