// The path planner's state, kept in each device record. Its defaults are the member
// initialisers; the record constructs it once per open.
#pragma once

namespace zeq::link {

struct PathState {};

}  // namespace zeq::link
