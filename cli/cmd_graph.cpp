// `zeq graph --x NAME:AXIS --y NAME:AXIS [--y …] --range LOW:HIGH [--depth N] [--board B]
// [--csv FILE]`: one capture as the graph dialog runs it. The dialog's messages go to stderr;
// the CSV has the header "sample,x,y1,y2,y3" and one row per sample slot taken. Exit 0 when
// the capture ran to its depth, 1 otherwise (2 for a wrong command line).
#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "core/board_count.h"
#include "stop_signals.h"
#include "tool_session.h"
#include "tools/graph/graph_capture.h"

namespace zeq::cli {
namespace {

struct GraphOptions {
    std::string x;
    std::vector<std::string> y;
    std::string range;
    int depth = 512;
    int board = 0;
    std::string csv;
};

bool parseRange(const std::string& text, std::int32_t& low, std::int32_t& high) {
    const auto colon = text.find(':', 1);  // a low value may start with '-'
    if (colon == std::string::npos) return false;
    const char* end = text.data() + text.size();
    const auto a = std::from_chars(text.data(), text.data() + colon, low);
    const auto b = std::from_chars(text.data() + colon + 1, end, high);
    return a.ec == std::errc() && a.ptr == text.data() + colon && b.ec == std::errc() &&
           b.ptr == end && colon + 1 < text.size();
}

int runGraph(const GraphOptions& o) {
    desk::GraphRequest rq;
    rq.board = o.board;
    rq.depth = o.depth;
    if (!parseNameAxis(o.x, rq.x.name, rq.x.axis)) {
        std::fprintf(stderr, "zeq: --x expects NAME:AXIS, got %s\n", o.x.c_str());
        return 2;
    }
    if (o.y.empty() || o.y.size() > 3) {
        std::fprintf(stderr, "zeq: give --y one to three times\n");
        return 2;
    }
    rq.yUsed = {false, false, false};
    for (std::size_t k = 0; k < o.y.size(); ++k) {
        if (!parseNameAxis(o.y[k], rq.y[k].name, rq.y[k].axis)) {
            std::fprintf(stderr, "zeq: --y expects NAME:AXIS, got %s\n", o.y[k].c_str());
            return 2;
        }
        rq.yUsed[k] = true;
    }
    if (!parseRange(o.range, rq.low, rq.high)) {
        std::fprintf(stderr, "zeq: --range expects LOW:HIGH (32-bit integers), got %s\n",
                     o.range.c_str());
        return 2;
    }
    if (o.depth < 1 || o.depth > desk::GraphCapture::kMaxDepth) {
        std::fprintf(stderr, "zeq: --depth must lie in 1..%d\n", desk::GraphCapture::kMaxDepth);
        return 2;
    }
    if (o.board < 0 || o.board >= desk::kBoardCount) {
        std::fprintf(stderr, "zeq: --board must lie in 0..7\n");
        return 2;
    }

    const sigset_t signals = blockStopSignals();  // before any thread starts

    ToolSession session;
    if (!session.open()) return 2;
    desk::GraphCapture capture(session.boards(), session.dialogs());
    if (!capture.start(rq)) return 1;
    const timespec tick{0, 20 * 1000000L};
    while (capture.running()) {
        if (::sigtimedwait(&signals, nullptr, &tick) > 0) capture.stop();  // "停止"
    }
    capture.waitIdle();
    const std::vector<desk::GraphSample> samples = capture.samples();
    if (!o.csv.empty() && !desk::writeGraphCsv(o.csv, samples)) {
        std::fprintf(stderr, "zeq: cannot write %s\n", o.csv.c_str());
        return 1;
    }
    return static_cast<int>(samples.size()) == rq.depth ? 0 : 1;
}

const bool graphRegistered = registerCommand("graph", [](CLI::App& app) -> Runner {
    auto o = std::make_shared<GraphOptions>();
    CLI::App* sub = app.add_subcommand("graph", "one graph capture as the graph dialog runs it");
    sub->add_option("--x", o->x, "abscissa NAME:AXIS")->required();
    sub->add_option("--y", o->y, "ordinate NAME:AXIS (one to three times)")->required();
    sub->add_option("--range", o->range, "abscissa range LOW:HIGH")->required();
    sub->add_option("--depth", o->depth, "sample slots (default 512)");
    sub->add_option("--board", o->board, "board 0..7 (default 0)");
    sub->add_option("--csv", o->csv, "write the capture to this CSV file");
    sub->fallthrough();
    return [o] { return runGraph(*o); };
});

}  // namespace
}  // namespace zeq::cli
