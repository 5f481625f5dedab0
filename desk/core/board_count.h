// The boards a program addresses: board numbers 0 .. kBoardCount - 1, one handle entry each in
// the board table shared by the connections, the interpreter and the tools.
#pragma once

namespace zeq::desk {

inline constexpr int kBoardCount = 8;

}  // namespace zeq::desk
