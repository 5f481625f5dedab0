// Output pane of the command-line tool: pane text on stdout, "\r\n" written as "\n".
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "core/interfaces.h"

namespace zeq::desk {

class StdoutSink : public OutputSink {
  public:
    explicit StdoutSink(std::FILE* out = stdout) : m_out(out) {}
    // A carriage return held back at the end of the last append is written out.
    ~StdoutSink() override {
        if (m_pendingCr) {
            std::fputc('\r', m_out);
            std::fflush(m_out);
        }
    }
    void append(std::string_view text) override;

  private:
    std::FILE* m_out;
    std::mutex m_mutex;
    bool m_pendingCr = false;  // a "\r" ended the previous append; its "\n" may follow
};

// Collects the pane text in memory (tests, the instruction box). Thread-safe.
class StringSink : public OutputSink {
  public:
    void append(std::string_view text) override {
        std::lock_guard lock(m_mutex);
        m_text.append(text);
    }
    std::string text() const {
        std::lock_guard lock(m_mutex);
        return m_text;
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_text.clear();
    }

  private:
    mutable std::mutex m_mutex;
    std::string m_text;
};

}  // namespace zeq::desk
