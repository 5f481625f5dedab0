// A parsed event-instruction line and its loading through the event-instruction exports.
#pragma once

#include <cstdint>

#include "text/event_names.h"
#include "zeqlink.h"

namespace zeq::link::text {

struct EventRequest {
    int channel = 0;
    int condition = 0;  // 0 = always, 1..14
    int type = 0;       // instruction number 0..33
    EventForm form = EventForm::Parameter;
    int op1Address = 0, op1Axis = 0;
    int op2Address = 0, op2Axis = 0;  // second operand, or the source of a copy
    int64_t immediate = 0;            // immediate and set forms
    int destAddress = 0, destAxis = 0;
};

// Parses "channel [condition ,] mnemonic , operands". 0, or 7 on any syntax or lookup error.
int parse_event_line(const char* text, EventRequest* req);

// Loads the instruction with the export of its type. The result of the load.
int load_event_request(ZEQ_HANDLE handle, const EventRequest& req, int selector);

}  // namespace zeq::link::text
