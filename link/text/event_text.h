// Event instructions in text form: "channel [condition ,] mnemonic , operands".
#pragma once

#include "motion/event_encode.h"

namespace zeq::link::text {

struct EventRequest {
    int channel = 0;
    int type = 0;       // instruction type 0..33
    int condition = 0;  // 0 = always, 1..14
    event::Operands operands;
};

// Parses a line completely, resolving every name. 0, or 7 on any syntax or lookup error.
int parse_event_line(const char* text, EventRequest* req);

}  // namespace zeq::link::text
