#include "tool_session.h"

#include <charconv>
#include <cstdio>

#include "binding/device_binding.h"
#include "binding/device_wrappers.h"
#include "core/app_home.h"
#include "device_options.h"
#include "interpreter/script_interpreter.h"

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

ToolSession::~ToolSession() {
    if (m_boards) {
        for (int b = 0; b < desk::Boards::kBoardCount; ++b) {
            ZEQ_HANDLE h = m_boards->handle(b);
            if (h) desk::myClose(&h);
        }
    }
    m_boards.reset();
    if (m_loaded) desk::deviceBinding().unload();
}

bool ToolSession::open() {
    const DeviceOptions& options = deviceOptions();
    const std::string home = desk::applicationHome();
    if (!desk::ensureDirectory(home + "/dat")) {
        std::fprintf(stderr, "zeq: cannot create %s/dat\n", home.c_str());
        return false;
    }
    desk::DeviceBinding& binding = desk::deviceBinding();
    binding.setDialogs(&m_dialogs);
    binding.setCardType(options.cardType);
    if (binding.load() != 0) return false;
    m_loaded = true;
    m_boards = std::make_unique<desk::Boards>(binding, m_sink, m_dialogs, desk::systemClock());
    m_boards->startUp();
    for (const BoardChoice& c : options.choices) {
        const int status = m_boards->connectDevice(c.deviceIndex, c.board);
        if (status != 0) {
            std::fprintf(stderr, "zeq: device %d cannot be connected as board %d (status %d)\n",
                         c.deviceIndex, c.board, status);
            return false;
        }
    }
    if (!options.choices.empty()) m_board = options.choices.front().board;
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
