// The device side of the tool commands (`zeq watch`, `zeq graph`): the binding loaded, the
// boards searched and the --board choices connected (their pane texts on stdout first).
#pragma once

#include <memory>
#include <string>

#include "binding/boards.h"
#include "core/stdout_sink.h"
#include "stderr_dialogs.h"

namespace zeq::cli {

class ToolSession {
  public:
    ToolSession() = default;
    // Closes every connected board and unloads the library.
    ~ToolSession();
    ToolSession(const ToolSession&) = delete;
    ToolSession& operator=(const ToolSession&) = delete;

    // False (with a message on stderr) when the home, the library or a connection fails.
    bool open();

    desk::Boards& boards() { return *m_boards; }
    desk::OutputSink& sink() { return m_sink; }
    StderrDialogs& dialogs() { return m_dialogs; }

  private:
    desk::StdoutSink m_sink;
    StderrDialogs m_dialogs;
    std::unique_ptr<desk::Boards> m_boards;
};

// Parses "NAME:AXIS" (AXIS a number 0..15); false when it is not one.
bool parseNameAxis(const std::string& text, std::string& name, int& axis);

}  // namespace zeq::cli
