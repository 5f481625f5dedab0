#include "tool_session.h"

#include <charconv>
#include <cstdio>

#include "device_options.h"

namespace zeq::cli {

namespace {
void printLine(std::string_view text) {
    // Message texts may carry "\r\n" line breaks; stdout carries "\n".
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out.push_back(text[i]);
    }
    std::printf("%s\n", out.c_str());
    std::fflush(stdout);
}
}  // namespace

void StdoutDialogs::message(std::string_view text) {
    printLine(text);
}

desk::UserDialogs::Answer StdoutDialogs::askYesNo(std::string_view text, Answer) {
    printLine(text);
    printLine(m_answer == Answer::Yes ? "是" : "否");
    return m_answer;
}

desk::UserDialogs::Answer StdoutDialogs::askYesNoCancel(std::string_view text, Answer) {
    return askYesNo(text, m_answer);
}

desk::Session::Setup sessionSetup(desk::OutputSink& sink, desk::UserDialogs& dialogs) {
    desk::Session::Setup setup;
    setup.sink = &sink;
    setup.dialogs = &dialogs;
    setup.cardType = deviceOptions().cardType;
    return setup;
}

bool connectChoices(desk::Session& session) {
    const DeviceOptions& options = deviceOptions();
    for (const BoardChoice& c : options.choices) {
        const int status = session.boards().connectDevice(c.deviceIndex, c.board);
        if (status != ZEQ_OK) {
            std::fprintf(stderr, "zeq: device %d cannot be connected as board %d (status %d)\n",
                         c.deviceIndex, c.board, status);
            return false;
        }
    }
    session.setTargetBoard(options.choices.empty() ? 0 : options.choices.front().board);
    return true;
}

bool parseNameAxis(const std::string& text, std::string& name, int& axis) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    const char* first = text.data() + colon + 1;
    const char* last = text.data() + text.size();
    int v = -1;
    const auto [end, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || end != last || first == last || v < 0 || v > 15) return false;
    name = text.substr(0, colon);
    axis = v;
    return true;
}

}  // namespace zeq::cli
