// The names of the event instructions and of their conditions in text form.
#pragma once

#include <cstdint>
#include <string_view>

namespace zeq::link::text {

// How an instruction takes its operands.
enum class EventForm {
    Parameter,  // op1, op1 axis, op2, op2 axis, destination, destination axis
    Immediate,  // op1, op1 axis, immediate, destination, destination axis
    Copy,       // source, source axis, destination, destination axis
    Set,        // immediate, destination, destination axis
};

struct EventMnemonic {
    const char* name;   // upper case; matched ignoring case
    int type;           // the instruction's number 0..33
    EventForm form;
    int immediateBits;  // 16, 32 or 48 for the immediate and set forms, else 0
};

constexpr int kEventMnemonicCount = 34;
constexpr int kEventConditionCount = 14;  // conditions 1..14; 0 = always

// The instruction named `name`, or nullptr.
const EventMnemonic* find_event_mnemonic(std::string_view name);
// The condition number 1..14 of a condition text ("IFZ", "@GE" ...), or 0 when it is none.
int find_event_condition(std::string_view name);

}  // namespace zeq::link::text
