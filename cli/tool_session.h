// The connected boards of the tool commands (config, teach, info, firmware, password): the
// device library, the board search and the --board connections, as `zeq run` makes them. The
// tools work on the first board given (board 0 by default).
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "binding/boards.h"
#include "core/interfaces.h"
#include "core/stdout_sink.h"

namespace zeq::cli {

// The tools' message boxes on the command line: the text is a line of stdout (the output the
// user asked for), and a question takes the answer the command line gave.
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
    ToolSession();
    ~ToolSession();
    // Loads the library, searches and connects the --board choices; false after a message
    // on stderr.
    bool open();
    desk::Boards& boards() { return *m_boards; }
    int board() const { return m_board; }
    ZEQ_HANDLE handle() const { return m_boards ? m_boards->handle(m_board) : 0; }
    int axisCount() const { return m_boards ? m_boards->axisCount(m_board) : 0; }
    desk::OutputSink& sink() { return m_sink; }
    desk::UserDialogs& errors() { return m_errors; }

  private:
    desk::StdoutSink m_sink;
    StdoutDialogs m_errors;
    std::unique_ptr<desk::Boards> m_boards;
    int m_board = 0;
    bool m_loaded = false;
};

}  // namespace zeq::cli
