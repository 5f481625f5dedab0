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
#include "session/session.h"
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

// The session setup of a `zeq` command: the given pane and boxes, the --card-type option.
desk::Session::Setup sessionSetup(desk::OutputSink& sink, desk::UserDialogs& dialogs);
// Connects the --board choices (device 0 as board 0 by default) and makes the first of them
// the target board. False after a message on stderr when one cannot be connected.
bool connectChoices(desk::Session& session);

class ToolSession {
  public:
    ToolSession() : m_session(sessionSetup(m_sink, m_dialogs)) {}
    ToolSession(const ToolSession&) = delete;
    ToolSession& operator=(const ToolSession&) = delete;

    // False (with a message on stderr) when the home, the library or a connection fails.
    bool open() { return m_session.open() && connectChoices(m_session); }

    desk::Session& session() { return m_session; }
    desk::Boards& boards() { return m_session.boards(); }
    int board() const { return m_session.targetBoard(); }
    ZEQ_HANDLE handle() { return m_session.boards().handle(board()); }
    int axisCount() { return m_session.boards().axisCount(board()); }
    desk::OutputSink& sink() { return m_sink; }
    // The library's and the boards' message boxes: stderr, default answers.
    StderrDialogs& dialogs() { return m_dialogs; }
    // Messages that are the tool's output: stdout.
    desk::UserDialogs& errors() { return m_errors; }

  private:
    desk::StdoutSink m_sink;
    StderrDialogs m_dialogs;
    StdoutDialogs m_errors;
    desk::Session m_session;  // last: goes first, before the pane and boxes it reports to
};

// Parses "NAME:AXIS" (AXIS a number 0..15); false when it is not one.
bool parseNameAxis(const std::string& text, std::string& name, int& axis);

}  // namespace zeq::cli
