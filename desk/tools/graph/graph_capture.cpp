#include "tools/graph/graph_capture.h"

#include <new>

#include "binding/device_wrappers.h"
#include "catalogue/param_catalogue.h"
#include "tools/axis_list.h"
#include "tools/graph/graph_messages.h"

namespace zeq::desk {

GraphCapture::GraphCapture(Boards& boards, UserDialogs& dialogs)
    : m_boards(boards), m_dialogs(dialogs) {}

GraphCapture::~GraphCapture() {
    m_running = false;
    m_worker.cancelPending();
}

bool GraphCapture::start(GraphRequest request) {
    if (m_running.load()) return false;
    if (request.low == request.high) {
        m_dialogs.message(graph_text::kRangeZero);
        return false;
    }
    if (request.low > request.high) std::swap(request.low, request.high);
    m_running = true;
    m_worker.post([this, request] { capture(request); });
    return true;
}

void GraphCapture::fillAxisLists(int board) {
    m_worker.post([this, board] {
        const int n = toolAxisCount(m_boards, board);
        if (m_observer) m_observer->axisListsFilled(board, n);
    });
}

std::vector<GraphSample> GraphCapture::samples(int first) const {
    std::lock_guard lock(m_mutex);
    const std::size_t n = std::min(static_cast<std::size_t>(m_count.load()), m_buffer.size());
    const std::size_t from = std::min(static_cast<std::size_t>(std::max(first, 0)), n);
    return {m_buffer.begin() + static_cast<std::ptrdiff_t>(from),
            m_buffer.begin() + static_cast<std::ptrdiff_t>(n)};
}

std::string GraphCapture::cursorText(std::int64_t x) const {
    return graphCursorText(samples(), x);
}

std::string graphCursorText(const std::vector<GraphSample>& samples, std::int64_t x) {
    for (const GraphSample& s : samples)
        if (s.x == x && s.read[0]) return std::to_string(s.y[0]);
    return graph_text::kNoCursorValue;
}

bool GraphCapture::resolve(const GraphParam& p, Selector& out) {
    if (p.name.empty()) {
        m_dialogs.message(graph_text::kEnterName);
        return false;
    }
    ParamRow row{};
    if (paramCatalogue().findByName(p.name, &row) < 0) {
        m_dialogs.message(graph_text::kBadName);
        return false;
    }
    if (p.axis < 0) {
        m_dialogs.message(graph_text::kChooseAxis);
        return false;
    }
    out = {row.address, row.kind, p.axis};
    return true;
}

// A value by the parameter's width: 16-bit sign-extended, 32-bit, 48-bit whole.
int GraphCapture::read(ZEQ_HANDLE h, const Selector& s, std::int64_t& value) {
    int status = ZEQ_OK;
    if (s.kind == kKindUInt32 || s.kind == kKindInt32) {
        value = myReadParam(h, s.axis, s.address, &status);
    } else if (s.kind == kKindInt48) {
        status = myReadParamDouble(h, s.axis, s.address, &value);
    } else {
        value = static_cast<std::int16_t>(myReadParamWord(h, s.axis, s.address, &status));
    }
    return status;
}

// The capture (runs on the worker).
void GraphCapture::capture(GraphRequest rq) {
    bool full = false;
    auto finish = [&] {
        m_running = false;
        if (m_observer) m_observer->captureEnded(full);
    };
    const ZEQ_HANDLE h =
        rq.board >= 0 && rq.board < Boards::kBoardCount ? m_boards.handle(rq.board) : 0;
    if (h == 0) {
        m_dialogs.message(graph_text::kNotConnected);
        return finish();
    }
    Selector x;
    std::array<Selector, 3> y;
    if (!resolve(rq.x, x)) return finish();
    bool anyY = false;
    for (int k = 0; k < 3; ++k) {
        if (!rq.yUsed[k]) continue;
        if (!resolve(rq.y[k], y[k])) return finish();
        anyY = true;
    }
    if (!anyY) {
        m_dialogs.message(graph_text::kChooseY);
        return finish();
    }
    {
        std::lock_guard lock(m_mutex);
        m_count = 0;
        m_buffer.clear();
        try {
            if (rq.depth < 1 || rq.depth > kMaxDepth) throw std::bad_alloc();
            m_buffer.assign(static_cast<std::size_t>(rq.depth) + 1, GraphSample{});
        } catch (const std::bad_alloc&) {
            m_buffer = {};
            m_dialogs.message(graph_text::kNoMemory);
            return finish();
        }
    }
    m_low = rq.low;
    m_high = rq.high;
    if (m_observer) m_observer->captureStarted(rq.low, rq.high);

    int taken = 0;
    for (;;) {
        GraphSample s;
        bool yRead = false;
        int status = read(h, x, s.x);
        if (status == ZEQ_OK && s.x >= rq.low && s.x <= rq.high) {
            for (int k = 0; k < 3 && status == ZEQ_OK; ++k) {
                if (!rq.yUsed[k]) continue;
                status = read(h, y[k], s.y[k]);
                if (status == ZEQ_OK) s.read[k] = true;
            }
            yRead = status == ZEQ_OK;
        }
        if (status == ZEQ_ERR_TIMEOUT) {
            m_dialogs.message(graph_text::kTimeout);
            break;
        }
        if (status != ZEQ_OK && status != ZEQ_ERR_GRAPH_NOT_READY) break;
        if (status == ZEQ_OK) {
            {
                std::lock_guard lock(m_mutex);
                m_buffer[static_cast<std::size_t>(taken)] = s;
            }
            ++taken;
            m_count = taken;
            if (m_observer) m_observer->sampleTaken(taken - 1);
            if (taken >= rq.depth) {
                full = true;
                break;
            }
            if (!m_running.load()) break;
        } else if (!m_running.load() || yRead) {
            break;
        }
    }
    finish();
}

}  // namespace zeq::desk
