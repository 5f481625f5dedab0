// Message boxes of the command-line tool: the text goes to stderr and the default answer is
// taken.
#pragma once

#include <cstdio>
#include <string_view>

#include "core/interfaces.h"

namespace zeq::cli {

class StderrDialogs : public desk::UserDialogs {
  public:
    void message(std::string_view text) override {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
    Answer askYesNo(std::string_view text, Answer d) override {
        message(text);
        return d;
    }
    Answer askYesNoCancel(std::string_view text, Answer d) override {
        message(text);
        return d;
    }
};

}  // namespace zeq::cli
