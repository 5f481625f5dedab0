// The device side of the tool commands (watch, graph, config, teach, info, firmware, password):
// the device library loaded, the boards searched and the --board choices connected (their pane
// texts on stdout first), as `zeq run` makes them. The single-board tools work on the first
// board given (board 0 by default).
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "binding/boards.h"
#include "core/interfaces.h"
#include "core/stdout_sink.h"
#include "stderr_dialogs.h"

namespace zeq::cli {

// The message boxes of tools whose messages are their output (configuration, firmware,
// teach): the text is a line of stdout, and a question takes the answer the command line gave.
class StdoutDialogs : public desk::UserDialogs {
  public:
    explicit StdoutDialogs(Answer answer = Answer::No) : m_answer(answer) {}
    void message(std::string_view text) override;
    Answer askYesNo(std::string_view text, Answer) override;
    Answer askYesNoCancel(std::string_view text, Answer) override;

  private:
    Answer m_answer;
};

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
    int board() const { return m_board; }
    ZEQ_HANDLE handle() const { return m_boards ? m_boards->handle(m_board) : 0; }
    int axisCount() const { return m_boards ? m_boards->axisCount(m_board) : 0; }
    desk::OutputSink& sink() { return m_sink; }
    // The library's and the boards' message boxes: stderr, default answers.
    StderrDialogs& dialogs() { return m_dialogs; }
    // Messages that are the tool's output: stdout.
    desk::UserDialogs& errors() { return m_errors; }

  private:
    desk::StdoutSink m_sink;
    StderrDialogs m_dialogs;
    StdoutDialogs m_errors;
    std::unique_ptr<desk::Boards> m_boards;
    int m_board = 0;
    bool m_loaded = false;
};

// Parses "NAME:AXIS" (AXIS a number 0..15); false when it is not one.
bool parseNameAxis(const std::string& text, std::string& name, int& axis);

}  // namespace zeq::cli
