// The graph dialog as a command of the main frame (33012): the command opens the one dialog,
// or brings it to the front; the dialog saves its settings and ends its capture when the frame
// closes.
//
// For pictures and demonstrations: when the environment variable ZEQDESK_GRAPH_OPEN names a
// CSV file of a capture, the dialog shows that file when it opens, as its "打开CSV..." button
// would.
#pragma once

#include <functional>

namespace zeq::desk {

class Boards;
class MainWindow;

// `targetBoard`: the board the tools act on (-1: none). `boards` must outlive the window.
void installGraphTool(MainWindow& window, Boards& boards, std::function<int()> targetBoard);

}  // namespace zeq::desk
