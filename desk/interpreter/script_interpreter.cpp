// Construction, run frame, statement loop, control flow, variables and the simple statements.
#include "interpreter/script_interpreter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

#include "binding/error_texts.h"
#include "interpreter/interp_messages.h"
#include "interpreter/run_keywords.h"

namespace zeq::desk {

namespace {

// A script value as the echo and mg show it: "%d" style when it has no fractional part, else
// "%lf". Whole numbers beyond the 64-bit range are printed as the number they are (a
// conversion to an integer would be undefined there). Returns the length written into `out`,
// which holds every double ("%.0f" of the largest one has 309 digits).
constexpr std::size_t kNumberRoom = 352;
int formatValue(double value, char (&out)[kNumberRoom]) {
    // 2^63: the first whole number a 64-bit integer cannot hold.
    constexpr double kInt64Limit = 9223372036854775808.0;
    int n;
    if (value - std::trunc(value) != 0.0)
        n = std::snprintf(out, sizeof out, "%lf", value);  // also inf and nan
    else if (value >= -kInt64Limit && value < kInt64Limit)
        n = std::snprintf(out, sizeof out, "%lld", static_cast<long long>(value));
    else
        n = std::snprintf(out, sizeof out, "%.0f", value);
    if (n < 0) n = 0;
    return n < static_cast<int>(sizeof out) ? n : static_cast<int>(sizeof out) - 1;
}

}  // namespace

// ---- Events and clocks ----

void AutoResetEvent::signal() {
    // Notified under the lock: the waiter cannot return (and its owner end) before the
    // signalling thread has let go of the event.
    std::lock_guard lock(m_mutex);
    m_signalled = true;
    m_cv.notify_one();
}

void AutoResetEvent::reset() {
    std::lock_guard lock(m_mutex);
    m_signalled = false;
}

void AutoResetEvent::wait() {
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return m_signalled; });
    m_signalled = false;
}

bool AutoResetEvent::waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    if (!m_cv.wait_for(lock, timeout, [this] { return m_signalled; })) return false;
    m_signalled = false;
    return true;
}

void SystemClock::sleepFor(std::chrono::milliseconds ms) {
    std::this_thread::sleep_for(ms);
}

SystemClock& systemClock() {
    static SystemClock clock;
    return clock;
}

namespace {
std::mutex g_ownerMutex;
std::string g_ownerPath;
std::uint32_t g_ownerTime = 0;
bool g_ownerSet = false;
}  // namespace

void CatalogueOwner::set(const std::string& sourcePath, std::uint32_t sourceTime) {
    std::lock_guard lock(g_ownerMutex);
    g_ownerPath = sourcePath;
    g_ownerTime = sourceTime;
    g_ownerSet = true;
}

void CatalogueOwner::clear() {
    std::lock_guard lock(g_ownerMutex);
    g_ownerSet = false;
}

bool CatalogueOwner::matches(const std::string& sourcePath, std::uint32_t sourceTime) {
    std::lock_guard lock(g_ownerMutex);
    return g_ownerSet && g_ownerPath == sourcePath && g_ownerTime == sourceTime;
}

// ---- Construction ----

ScriptInterpreter::ScriptInterpreter(DevicePort& port, OutputSink& sink, ParamCatalogue& catalogue)
    : m_port(port), m_sink(sink), m_catalogue(catalogue), m_clock(&systemClock()) {
    callStack.reserve(10);
    locals.reserve(20);
    globals.reserve(10);
}

ScriptInterpreter::~ScriptInterpreter() = default;

void ScriptInterpreter::requestStop() {
    stopRequested = true;
    if (pauseRequested.exchange(false)) pauseEvent.signal();
}

void ScriptInterpreter::resume() {
    pauseRequested = false;
    pauseEvent.signal();
}

// ---- Output and errors ----

void ScriptInterpreter::write(std::string_view text) {
    m_sink.append(text);
}

void ScriptInterpreter::writeScriptText(std::string_view bytes) {
    m_sink.append(scriptTextToUtf8(bytes, m_encoding));
}

void ScriptInterpreter::reportError(std::string_view message, std::string_view name,
                                    std::uint32_t /*line*/) {
    m_errorReported = true;
    std::string shownName = name.empty() ? std::string() : scriptTextToUtf8(name, m_encoding);
    std::string out;
    if (immediateMode) {
        if (!name.empty()) out += "\"" + shownName + "\"";
        out.append(message);
        out += "\r\n";
    } else {
        // The line of the statement being executed: the line of its first token, which stays
        // right even when the error is found before the statement's line end was read.
        std::uint32_t textLine = m_stmtLine;
        long source = textLine < lineMap.size() ? static_cast<long>(lineMap[textLine]) + 1
                                                : static_cast<long>(textLine) + 1;
        char head[64];
        std::snprintf(head, sizeof head, "error(%ld):第%ld行：", source, source);
        out = head;
        if (!name.empty()) out += "\"" + shownName + "\"";
        out.append(message);
        out += "\r\n";
    }
    m_sink.append(out);
}

void ScriptInterpreter::reportStatus(int status) {
    reportDeviceStatus(
        status, [this](std::string_view text) { reportError(text); }, finished);
}

// ---- Pause, step, marks ----

void ScriptInterpreter::pauseCheck() {
    if (pauseRequested) {
        const bool report = m_observer && !immediateMode;
        if (report) m_observer->runPaused(sourceLine(), variablesNow());
        pauseEvent.wait();
        pauseEvent.reset();
        pauseRequested = false;
        if (report) m_observer->runResumed();
    }
}

void ScriptInterpreter::fifoPause() {
    m_clock->sleepFor(std::chrono::milliseconds(5));
}

int ScriptInterpreter::sourceLine() const {
    return lineNo < lineMap.size() ? static_cast<int>(lineMap[lineNo]) : -1;
}

void ScriptInterpreter::markLine() {
    if (immediateMode) return;
    const int line = sourceLine();
    if (line < 0) return;
    if (editorView) editorView->markLine(line);
    if (m_observer) m_observer->runningLine(line);
}

std::vector<RunObserver::Variable> ScriptInterpreter::variablesNow() const {
    std::vector<RunObserver::Variable> out;
    out.reserve(globals.size() + locals.size() - std::min<std::size_t>(scopeStart, locals.size()));
    for (const Variable& v : globals)
        out.push_back({scriptTextToUtf8(v.name, m_encoding), v.value, false});
    for (std::size_t i = scopeStart; i < locals.size(); ++i)
        out.push_back({scriptTextToUtf8(locals[i].name, m_encoding), locals[i].value, true});
    return out;
}

void ScriptInterpreter::setBreakpoints(const std::vector<int>& lines) {
    std::lock_guard lock(m_breakMutex);
    m_breakLines.clear();
    for (int line : lines) {
        if (line < 0) continue;
        if (static_cast<std::size_t>(line) >= m_breakLines.size()) m_breakLines.resize(line + 1, 0);
        m_breakLines[line] = 1;
    }
    m_hasBreaks = !m_breakLines.empty() || m_runToLine >= 0;
}

void ScriptInterpreter::setRunToLine(int line) {
    std::lock_guard lock(m_breakMutex);
    m_runToLine = line < 0 ? -1 : line;
    m_hasBreaks = !m_breakLines.empty() || m_runToLine >= 0;
}

// Pauses before the statement when its line holds a breakpoint (or is the run-to line), as
// the Pause command does. True when the run paused here.
bool ScriptInterpreter::breakpointCheck() {
    if (immediateMode || !m_hasBreaks.load(std::memory_order_relaxed)) return false;
    const int line = sourceLine();
    bool hit = false;
    {
        std::lock_guard lock(m_breakMutex);
        if (line >= 0 && line == m_runToLine) {
            m_runToLine = -1;
            m_hasBreaks = !m_breakLines.empty();
            hit = true;
        } else {
            hit = line >= 0 && static_cast<std::size_t>(line) < m_breakLines.size() &&
                  m_breakLines[line];
        }
    }
    if (!hit) {
        m_lastBreakLine = -1;
        return false;
    }
    if (line == m_lastBreakLine) return false;
    m_lastBreakLine = line;
    pauseRequested = true;
    write(msg::kPaused);
    markLine();
    pauseCheck();
    return true;
}

bool ScriptInterpreter::stepCheck() {
    if (immediateMode || !m_stepMode || !m_stepMode->load()) return false;
    pauseRequested = true;
    markLine();
    pauseCheck();
    return true;
}

// ---- Variables ----

ScriptInterpreter::Variable* ScriptInterpreter::findVariable(std::string_view name) {
    for (std::size_t i = scopeStart; i < locals.size(); ++i)
        if (locals[i].name == name) return &locals[i];
    for (Variable& v : globals)
        if (v.name == name) return &v;
    return nullptr;
}

// ---- Run frame ----

bool ScriptInterpreter::runProgram(std::uint32_t* boardTable, const std::string& programDir,
                                   const std::string& documentPath,
                                   const std::function<void()>& loaded) {
    for (int i = 0; i < kBoardCount; ++i) boardSlots[i] = boardTable ? &boardTable[i] : nullptr;
    boardNumber = 0;
    currentBoardSlot = boardSlots[0];
    immediateMode = false;
    locals.clear();
    globals.clear();
    scopeStart = 0;
    if (!load(programDir, documentPath)) {
        freeProgram();
        return false;
    }
    if (loaded) loaded();
    m_lastBreakLine = -1;
    m_wasStopped = false;
    if (!m_requestsClearedByCaller) {
        stopRequested = false;
        pauseRequested = false;
    }
    finished = false;
    // A signal left from before the run (a Step that started it) must not release the first
    // wait.
    pauseEvent.reset();
    m_errorReported = false;
    write(msg::kRunStart);
    declareGlobals();
    execute();
    endOfRun();
    return true;
}

void ScriptInterpreter::declareGlobals() {
    if (globalListPos == 0) return;
    readPos = globalListPos;
    advance();
    while (token != rt::EndOfLine && token != rt::EndOfSource) {
        if (token == ',') {
            advance();
            continue;
        }
        globals.push_back({tokenText, 0.0});
        advance();
        if (token == ',') advance();
    }
}

void ScriptInterpreter::execute() {
    callStack.clear();
    if (!jumpTo(0)) return;  // no label 0: reported
    callStack.push_back({0xFFFFFFFFu, 0xFFFFFFFFu, 0, currentBoardSlot, boardNumber});
    m_conditionRegister = true;
    while (token != rt::EndOfSource) {
        if (stopRequested || finished) break;
        pauseCheck();
        if (token != rt::EndOfLine) {
            if (!breakpointCheck() && !stepCheck()) markLine();
            if (stopRequested) break;
        }
        statement();
    }
}

void ScriptInterpreter::statement() {
    m_stmtLine = lineNo;
    switch (token) {
        case rt::Identifier:
            labelOrAssignment();
            break;
        case rt::Var:
            declareLocals();
            break;
        case rt::Exit:
            finished = true;
            advance();
            break;
        case rt::JumpZ:
        case rt::JumpN:
        case rt::JumpH:
        case rt::JumpE:
        case rt::Req:
            jump(token);
            break;
        case rt::Board:
            boardStatement();
            break;
        case rt::Mg:
            mgStatement();
            break;
        case rt::Pause:
            pauseRequested = true;
            write(msg::kPaused);
            advance();
            markLine();
            break;
        case rt::Sleep:
            sleepStatement();
            break;
        default:
            if (!dispatch(token)) {
                // A keyword that nothing executes (ld, IGET, a condition word at the start of a
                // line ...): staying on it would loop for ever.
                reportError(msg::kNoHandler, tokenText, 0);
                finished = true;
            }
            break;
    }
}

void ScriptInterpreter::endOfRun() {
    m_wasStopped = stopRequested.load();
    if (stopRequested) {
        write(msg::kRunStopped);
        // Empty the queue FIFO so that nothing the run queued goes on after the stop.
        clearQueueFifo();
    } else {
        write(msg::kRunFinished);
    }
    stopRequested = false;
    locals.clear();
    globals.clear();
    freeProgram();
    if (editorView) editorView->clearMark();
}

void ScriptInterpreter::freeProgram() {
    m_programText.clear();
    m_programText.shrink_to_fit();
    programText = nullptr;
    textLength = 0;
    labelTable.clear();
    lineMap.clear();
    callStack.clear();
}

// ---- Single-instruction run ----

bool ScriptInterpreter::runText(std::uint32_t* handleSlot, std::string_view text) {
    currentBoardSlot = handleSlot;
    locals.clear();
    globals.clear();
    scopeStart = 0;
    m_encoding = detectScriptEncoding(text);
    programText = text.data();
    textLength = static_cast<std::uint32_t>(text.size());
    if (!m_requestsClearedByCaller) {
        stopRequested = false;
        pauseRequested = false;
    }
    finished = false;
    pauseEvent.reset();
    m_errorReported = false;
    immediateMode = true;
    readPos = 0;
    lineNo = 0;
    write(msg::kTextStart);
    advance();
    while (token != rt::EndOfSource) {
        if (stopRequested || finished) break;
        m_stmtLine = lineNo;
        if (!dispatch(token)) {
            reportError(msg::kNoHandler, tokenText, 0);
            finished = true;
        }
    }
    if (stopRequested) {
        write(msg::kTextStopped);
        m_port.writeParam16(handle(), 0, 513, 1, false);  // clrififo
    } else {
        write(msg::kTextFinished);
    }
    stopRequested = false;
    locals.clear();
    globals.clear();
    programText = nullptr;
    textLength = 0;
    immediateMode = false;
    return true;
}

// ---- Control flow ----

bool ScriptInterpreter::jumpTo(std::uint32_t label) {
    if (label >= labelTable.size() || labelTable[label].position > textLength) {
        reportError(msg::kBadLabel, tokenText, 0);
        finished = true;
        token = rt::EndOfSource;
        return false;
    }
    readPos = labelTable[label].position;
    lineNo = labelTable[label].line;
    advance();
    return true;
}

void ScriptInterpreter::jump(int kind) {
    std::string keyword = tokenText;
    advance();
    if (token != ':') {
        // Not a jump after all: a variable that happens to bear the keyword's name.
        assignmentTo(keyword);
        return;
    }
    advance();
    if (kind == rt::Req) {
        m_conditionRegister = evaluate() != 0.0;
        return;
    }
    if (kind == rt::JumpE) {
        if (callStack.empty()) {
            token = rt::EndOfSource;
            return;
        }
        CallFrame frame = callStack.back();
        callStack.pop_back();
        if (frame.returnPos == 0xFFFFFFFFu) {
            token = rt::EndOfSource;
            return;
        }
        readPos = frame.returnPos;
        lineNo = frame.returnLine;
        currentBoardSlot = frame.boardSlot;
        boardNumber = static_cast<std::uint16_t>(frame.boardNumber);
        if (locals.size() > scopeStart) locals.resize(scopeStart);
        scopeStart = frame.scopeStart;
        advance();
        return;
    }
    // The label token: "Lable" and the decimal label number.
    std::size_t len = std::strlen(tokenText);
    std::uint32_t label = 0;
    bool ok = len > 5;
    for (std::size_t i = 5; i < len && ok; ++i) {
        if (tokenText[i] < '0' || tokenText[i] > '9' || label > 100000000u)
            ok = false;
        else
            label = label * 10 + static_cast<std::uint32_t>(tokenText[i] - '0');
    }
    if (!ok) {
        reportError(msg::kBadLabel, tokenText, 0);
        finished = true;
        return;
    }
    if (kind == rt::JumpZ && m_conditionRegister) {
        advance();
        return;
    }
    if (kind == rt::JumpH) {
        callStack.push_back({lineNo, readPos, scopeStart, currentBoardSlot, boardNumber});
        scopeStart = static_cast<std::uint32_t>(locals.size());
    }
    jumpTo(label);
}

// ---- Statements of the loop ----

void ScriptInterpreter::labelOrAssignment() {
    std::string name = tokenText;
    advance();
    if (token == ':') {
        advance();
        return;
    }
    assignmentTo(name);
}

void ScriptInterpreter::echoValue(std::string_view name, double value, const char* separator) {
    char number[kNumberRoom + 2];
    char digits[kNumberRoom];
    int n = formatValue(value, digits);
    std::memcpy(number, digits, static_cast<std::size_t>(n));
    number[n++] = '\r';
    number[n++] = '\n';
    const std::size_t sepLen = std::strlen(separator);
    bool ascii = name.size() < 256;
    for (char c : name) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
        // The common case needs no conversion and no allocation.
        char line[256 + 8 + sizeof number];
        std::memcpy(line, name.data(), name.size());
        std::memcpy(line + name.size(), separator, sepLen);
        std::memcpy(line + name.size() + sepLen, number, static_cast<std::size_t>(n));
        m_sink.append(std::string_view(line, name.size() + sepLen + static_cast<std::size_t>(n)));
        return;
    }
    std::string out = scriptTextToUtf8(name, m_encoding);
    out += separator;
    out.append(number, static_cast<std::size_t>(n));
    m_sink.append(out);
}

void ScriptInterpreter::assignmentTo(const std::string& name) {
    Variable* var = findVariable(name);
    if (!var) {
        reportError(msg::kUnknownName, name, 0);
        finished = true;
        return;
    }
    expect('=');
    if (token == rt::Rd) {
        readStatement(var);
        return;
    }
    const bool wasFinished = finished;
    double value = evaluate();
    if (finished && !wasFinished) return;  // the expression failed: nothing to store
    // The tables do not grow during an expression, so the entry is still where it was.
    var->value = value;
    echoValue(var->name, value, "=");
}

void ScriptInterpreter::declareLocals() {
    advance();
    while (!atEnd() && token != rt::EndOfSource) {
        if (token != ',') locals.push_back({tokenText, 0.0});
        advance();
    }
}

void ScriptInterpreter::boardStatement() {
    advance();
    double value = evaluate();
    auto number = static_cast<std::uint16_t>(static_cast<std::int64_t>(value));
    if (number > 7) {
        char buf[96];
        std::snprintf(buf, sizeof buf, msg::kBoardRange, number);
        reportError(buf);
        return;
    }
    boardNumber = number;
    currentBoardSlot = boardSlots[number];
    if (handle() == 0) {
        reportError(msg::kBoardNoDevice);
        finished = true;
    }
}

void ScriptInterpreter::mgStatement() {
    const char* text = programText;
    std::uint32_t pos = readPos;
    while (pos < textLength && text[pos] == ' ') ++pos;
    std::string out;
    out.reserve(256);
    auto isIdentStart = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    };
    auto isIdent = [&](char c) { return isIdentStart(c) || (c >= '0' && c <= '9'); };
    while (pos < textLength && text[pos] != '\n') {
        char c = text[pos];
        if (c == '\r') {
            ++pos;
            continue;
        }
        if (c == '&' && pos + 1 < textLength && isIdentStart(text[pos + 1])) {
            std::uint32_t start = ++pos;
            while (pos < textLength && isIdent(text[pos])) ++pos;
            std::string name(text + start, pos - start);
            if (Variable* v = findVariable(name)) {
                char buf[kNumberRoom];
                out.append(buf, static_cast<std::size_t>(formatValue(v->value, buf)));
            } else {
                out += '&';
                out += name;
            }
            continue;
        }
        out += c;
        ++pos;
    }
    out += '\n';
    writeScriptText(out);
    if (pos >= textLength) {
        // Only a hand-made text ends inside an mg line; the compiler always ends its lines.
        readPos = textLength;
        reportError(msg::kTextEnd);
        finished = true;
        token = rt::EndOfSource;
        return;
    }
    readPos = pos + 1;
    ++lineNo;
    advance();
}

void ScriptInterpreter::sleepStatement() {
    advance();
    double value = evaluate();
    auto ms = static_cast<std::int64_t>(value) & 0xFFFF;
    // Sleep in slices so that a stop ends a long sleep.
    while (ms > 0 && !stopRequested) {
        std::int64_t slice = ms > 50 ? 50 : ms;
        m_clock->sleepFor(std::chrono::milliseconds(slice));
        ms -= slice;
    }
}

}  // namespace zeq::desk
