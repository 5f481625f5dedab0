// The number fields of the configuration pages, as data beside the bit tables: which page shows
// which register, with what label and how its text is read.
#pragma once

#include <span>

#include "tools/regconfig/register_set.h"

namespace zeq::desk::regconfig {

enum class FieldKind {
    Word16,       // 16-bit integer, the 16-bit range question
    Long32,       // 32-bit integer, no question
    Fixed16,      // upper 16 bits integer, lower 16 bits fraction: typed as a real number
    MotionLimit,  // user or base units, the 32-bit range question
    DistFactor,   // the axis's distance factor (a real number, not 0)
    TimeFactor,   // the board's time factor (a real number, not 0)
};

struct NumberField {
    const char* label;
    RegId reg;  // ignored for the two factors
    FieldKind kind;
};

// The fields of the page with tab text `tab` (none for most bit pages).
std::span<const NumberField> numberFieldsOf(const char* tab);

}  // namespace zeq::desk::regconfig
