// The number fields of the other-registers page and their range questions.
//
// Motion limits (`mcsmaxvel` … `pcsdecel`) are real numbers; in user units the register value
// is the number × (distance factor / time factor × 65536), in base units the number itself,
// truncated to a 64-bit integer. When its upper 32 bits are neither all zeros nor all ones the
// user is asked whether to keep the low 32 bits. 16-bit fields are integers; any of the upper
// 16 bits set asks whether to keep the low 16 bits. `nsoftlim` and `psoftlim` are taken as
// 32-bit integers without a question.
//
// Called on the thread of the dialog (no card is involved); `dialogs` is asked there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/interfaces.h"

namespace zeq::desk::regconfig {

struct UnitFactors {
    bool userUnits = true;
    double distScale = 1.0;  // of the axis
    double timeScale = 1.0;  // of the board
    double factor() const { return userUnits ? distScale / timeScale * 65536.0 : 1.0; }
};

// A motion limit typed as `typed`. True with the register value in `value` and the text to
// show again in `shown` (after a Yes to the question: the value kept, "%.7lf" in user units,
// "%d" in base units); false when the text is refused (not a number, or No).
bool readMotionLimit(std::string_view typed, const UnitFactors& units, UserDialogs& dialogs,
                     std::int32_t& value, std::string& shown);
// The text a motion limit register value is shown with.
std::string motionLimitText(std::int32_t value, const UnitFactors& units);

// A 16-bit field. `value` holds the low 16 bits (as an unsigned word); `shown` the value
// shown again after a Yes (the low 16 bits as a signed number).
bool readField16(std::string_view typed, UserDialogs& dialogs, std::uint16_t& value,
                 std::string& shown);

// `nsoftlim` / `psoftlim`: a 32-bit integer, no question.
bool readField32(std::string_view typed, UserDialogs& dialogs, std::int32_t& value);

}  // namespace zeq::desk::regconfig
