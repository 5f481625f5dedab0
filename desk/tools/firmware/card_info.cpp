#include "tools/firmware/card_info.h"

#include <cstdio>

#include "binding/device_wrappers.h"
#include "catalogue/param_catalogue.h"
#include "tools/firmware/firmware_messages.h"

namespace zeq::desk::firmware {

namespace {
int addressOf(const char* name) {
    ParamRow row{};
    return paramCatalogue().findByName(name, &row) >= 0 ? row.address : -1;
}
}  // namespace

PasswordRecord passwordRecordOf(CardKind kind) {
    if (kind == CardKind::Pci) return {0xFA000, 4000};
    return {0x3E700, 999};
}

bool CardInfo::canUpdate() const {
    return !(fwversion == 0x1001 && (hwversion == 0x2400 || hwversion == 0x2600));
}

std::string CardInfo::versionText() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, msg::kVersionFormat, hwversion);
    return buf;
}

std::string CardInfo::kindText() const {
    return kind() == CardKind::Pci ? msg::kKindPci : msg::kKindUsb;
}

std::string CardInfo::dateText() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, msg::kDateFormat, static_cast<unsigned>(yearDigit()),
                  static_cast<unsigned>(fwversion >> 8), static_cast<unsigned>(fwversion & 0xFF));
    return buf;
}

int readCardInfo(ZEQ_HANDLE handle, CardInfo& out) {
    static const int hwAddress = addressOf("hwversion");
    static const int fwAddress = addressOf("fwversion");
    int status = ZEQ_OK;
    const std::uint16_t hw = myReadParamWord(handle, 0, hwAddress, &status);
    if (status != ZEQ_OK) return status;
    const std::uint16_t fw = myReadParamWord(handle, 0, fwAddress, &status);
    if (status != ZEQ_OK) return status;
    out.hwversion = hw;
    out.fwversion = fw;
    return ZEQ_OK;
}

std::vector<std::string> cardInfoLines(const CardInfo& info) {
    return {
        "版本: " + info.versionText(),
        "轴数: " + std::to_string(info.axisCount()),
        "类型: " + info.kindText(),
        "日期: " + info.dateText(),
        std::string("更新功能: ") + (info.canUpdate() ? "有" : "无"),
    };
}

}  // namespace zeq::desk::firmware
