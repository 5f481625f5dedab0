// ZEQLINK_TRACE: every bridge write and read of every backend is appended to a file, one line
// per call: "W" or "R", a blank, the bytes as upper-case hex pairs separated by blanks.
#pragma once

#include <memory>

#include "transport/bridge.h"

namespace zeq::link {

// Wraps `port` so that its reads and writes are traced when ZEQLINK_TRACE is set (read when the
// device is opened); otherwise returns `port` unchanged.
std::unique_ptr<bridge::Port> traced_port(std::unique_ptr<bridge::Port> port);

}  // namespace zeq::link
