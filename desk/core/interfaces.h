// The small interfaces through which the Qt-free core reaches its surroundings. The CLI, the
// GUI and the tests each plug in their own.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace zeq::desk {

// The output pane. Text is UTF-8 with "\r\n" line ends, as the pane shows it. Thread-safe.
class OutputSink {
  public:
    virtual ~OutputSink() = default;
    virtual void append(std::string_view text) = 0;
};

// The editor's running-line mark.
class EditorMarks {
  public:
    virtual ~EditorMarks() = default;
    // Marks the 0-based source line as the one running.
    virtual void markLine(int line) = 0;
    virtual void clearMark() = 0;
    // The "mark running statement" switch.
    virtual bool markingEnabled() const = 0;
};

// Message boxes. The CLI writes to stderr and takes the default answer.
class UserDialogs {
  public:
    enum class Answer { Yes, No, Cancel };
    virtual ~UserDialogs() = default;
    virtual void message(std::string_view text) = 0;
    virtual Answer askYesNo(std::string_view text, Answer defaultAnswer) = 0;
    virtual Answer askYesNoCancel(std::string_view text, Answer defaultAnswer) = 0;
};

// Time, where a test needs to control it.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::chrono::steady_clock::time_point now() = 0;
    virtual void sleepFor(std::chrono::milliseconds ms) = 0;
};

}  // namespace zeq::desk
