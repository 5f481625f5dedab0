#include "tools/regconfig/ui/register_fields.h"

#include <cstring>

#include "tools/regconfig/ui/regconfig_ui_messages.h"

namespace zeq::desk::regconfig {

namespace {

using K = FieldKind;

constexpr NumberField kEncpctrFields[] = {
    {ui_text::kEncpfactor, RegId::encpfactor, K::Fixed16},
};
constexpr NumberField kEncsctrFields[] = {
    {ui_text::kEncsfactor, RegId::encsfactor, K::Fixed16},
};
constexpr NumberField kStepmodFields[] = {
    {ui_text::kSteptime, RegId::steptime, K::Word16},
    {ui_text::kDirtime, RegId::dirtime, K::Word16},
};
// The factors come first: the motion limits in user units are read with them.
constexpr NumberField kOtherFields[] = {
    {ui_text::kDistFactor, RegId::count, K::DistFactor},
    {ui_text::kTimeFactor, RegId::count, K::TimeFactor},
    {"smooth", RegId::smooth, K::Word16},
    {"poserrlim", RegId::poserrlim, K::Word16},
    {"trackwin", RegId::trackwin, K::Word16},
    {"settlewin", RegId::settlewin, K::Word16},
    {"settlen", RegId::settlen, K::Word16},
    {"mcstrack", RegId::mcstrack, K::Word16},
    {"pcstrack", RegId::pcstrack, K::Word16},
    {"nsoftlim", RegId::nsoftlim, K::Long32},
    {"psoftlim", RegId::psoftlim, K::Long32},
    {"mcsmaxvel", RegId::mcsmaxvel, K::MotionLimit},
    {"pcsmaxvel", RegId::pcsmaxvel, K::MotionLimit},
    {"mcsaccel", RegId::mcsaccel, K::MotionLimit},
    {"pcsaccel", RegId::pcsaccel, K::MotionLimit},
    {"mcsdecel", RegId::mcsdecel, K::MotionLimit},
    {"pcsdecel", RegId::pcsdecel, K::MotionLimit},
};

struct PageFields {
    const char* tab;
    std::span<const NumberField> fields;
};
constexpr PageFields kPages[] = {
    {"encpctr", kEncpctrFields},
    {"encsctr", kEncsctrFields},
    {"stepmod", kStepmodFields},
    {"其他寄存器", kOtherFields},
};

}  // namespace

std::span<const NumberField> numberFieldsOf(const char* tab) {
    for (const PageFields& p : kPages)
        if (std::strcmp(p.tab, tab) == 0) return p.fields;
    return {};
}

}  // namespace zeq::desk::regconfig
