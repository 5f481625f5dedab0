#include "text/event_names.h"

#include <iterator>

#include "text/text_tokens.h"

namespace zeq::link::text {
namespace {

using F = EventForm;

// In instruction-number order; the immediate marker, a lower-case i in the export names, is
// matched like any other letter.
constexpr EventMnemonic kMnemonics[] = {
    {"ADD32", 0, F::Parameter, 0},    {"ADD32I", 1, F::Immediate, 32},
    {"ADD48", 2, F::Parameter, 0},    {"ADD48I", 3, F::Immediate, 48},
    {"CMP32", 4, F::Parameter, 0},    {"CMP32I", 5, F::Immediate, 32},
    {"CMP48", 6, F::Parameter, 0},    {"CMP48I", 7, F::Immediate, 48},
    {"SCA32", 8, F::Parameter, 0},    {"SCA32I", 9, F::Immediate, 48},
    {"SCA48", 10, F::Parameter, 0},   {"SCA48I", 11, F::Immediate, 48},
    {"MUL32L", 12, F::Parameter, 0},  {"MUL32IL", 13, F::Immediate, 32},
    {"MUL32A", 14, F::Parameter, 0},  {"MUL32IA", 15, F::Immediate, 32},
    {"COP16", 16, F::Copy, 0},        {"COP32", 17, F::Copy, 0},
    {"COP48", 18, F::Copy, 0},        {"SET16", 19, F::Set, 16},
    {"SET32", 20, F::Set, 32},        {"SET48", 21, F::Set, 48},
    {"OR16", 22, F::Parameter, 0},    {"OR16I", 23, F::Immediate, 16},
    {"OR16B", 24, F::Parameter, 0},   {"OR16IB", 25, F::Immediate, 16},
    {"AND16", 26, F::Parameter, 0},   {"AND16I", 27, F::Immediate, 16},
    {"AND16B", 28, F::Parameter, 0},  {"AND16IB", 29, F::Immediate, 16},
    {"XOR16", 30, F::Parameter, 0},   {"XOR16I", 31, F::Immediate, 16},
    {"XOR16B", 32, F::Parameter, 0},  {"XOR16IB", 33, F::Immediate, 16},
};
static_assert(std::size(kMnemonics) == kEventMnemonicCount);

// Index + 1 is the condition number.
constexpr const char* kConditions[] = {
    "@Z", "@NZ", "@G", "@GE", "@L", "@C", "@NC", "IFZ", "IFNZ", "IFG", "IFGE", "IFL", "IFC", "IFNC",
};
static_assert(std::size(kConditions) == kEventConditionCount);

}  // namespace

const EventMnemonic* find_event_mnemonic(std::string_view name) {
    for (const EventMnemonic& m : kMnemonics)
        if (equals_ignore_case(name, m.name)) return &m;
    return nullptr;
}

int find_event_condition(std::string_view name) {
    for (int i = 0; i < kEventConditionCount; ++i)
        if (equals_ignore_case(name, kConditions[i])) return i + 1;
    return 0;
}

}  // namespace zeq::link::text
