// The bit pages of the configuration dialog as data: each register's offered bits with the
// option text when the bit is set, the text when it is cleared, and the kind of control. The
// widgets build every page from these tables; bits no option drives keep the value read.
//
// Cards with 7 or more axes have no `aiod` page (their AIO pins have fixed directions) and use
// variant pages: the main encoder page is the same table without the index gating bit 5 (such
// cards gate the index in the encoder logic), and the aioctr page offers only the soft limits,
// the probe and home polarities and the pins AIO0 to AIO2 (limit and stop inputs); the pins
// AIO3 to AIO5 serve the drives there and their bits 11 to 6 keep the value read.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/regconfig/register_set.h"

namespace zeq::desk::regconfig {

enum class Control {
    CheckBox,    // checked sets the bit; `whenCleared` is empty
    OptionPair,  // two choices: the first sets the bit, the second clears it
};

struct BitOption {
    int bit;
    const char* whenSet;
    const char* whenCleared;
    Control control;
};

struct BitRegister {
    RegId reg;
    std::span<const BitOption> options;
};

enum class PageKind { Bits, Numbers };

struct ConfigPage {
    const char* tab;
    PageKind kind;
    std::vector<BitRegister> registers;  // empty for the number page
};

// The pages of a card with `naxis` axes, in tab order: "encpctr", "encsctr", "aioctr",
// "stepmod", "错误处理", "其他寄存器", and "aiod" below 7 axes.
std::vector<ConfigPage> pagesFor(int naxis);

// The page caption of a register: "encpctr寄存器(0000-0000-0000-0000)", bit 15 first.
std::string bitCaption(const char* registerName, std::uint16_t value);

// The value with the option's bit set (`set`) or cleared.
std::uint16_t applyOption(std::uint16_t value, const BitOption& option, bool set);
inline bool optionSet(std::uint16_t value, const BitOption& option) {
    return (value >> option.bit) & 1u;
}

}  // namespace zeq::desk::regconfig
