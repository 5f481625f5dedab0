// Program structure (main, fun, call), the statement dispatcher, the compile driver, the
// one-statement compile and the output items.
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>

#include "card/names.h"
#include "compiler/messages.h"
#include "compiler/script_compiler.h"
#include "compiler/tokens.h"
#include "core/prefault.h"

namespace zeq::desk {

namespace {
std::string formatCount(const char* form, int n) {
    char buf[128];
    std::snprintf(buf, sizeof buf, form, n);
    return buf;
}
bool isUpperMain(std::string_view name) {
    return card::equals_ignore_case(name, std::string_view("MAIN"));
}
}  // namespace

ScriptCompiler::ScriptCompiler(ParamCatalogue& catalogue, OutputSink* sink)
    : m_catalogue(catalogue) {
    m_lex.setSink(sink);
}

// ---- output items ------------------------------------------------------------------------

void ScriptCompiler::emitText(std::string_view text) {
    if (m_lex.immediate()) return;
    m_out.append(text);
    m_lineMap.push_back(static_cast<uint32_t>(m_lex.statementLine()));
}

void ScriptCompiler::emitSlice(size_t from) {
    if (m_lex.immediate()) return;
    m_out.append(m_lex.slice(from, m_lex.previousEnd())).append("\r\n");
    m_lineMap.push_back(static_cast<uint32_t>(m_lex.statementLine()));
}

void ScriptCompiler::emitCondition(std::string_view expression) {
    std::string item;
    item.reserve(expression.size() + 7);
    item.append("Req: ").append(expression).append("\r\n");
    emitText(item);
}

void ScriptCompiler::ensureLabelSlot(int n) {
    while (n >= 0 && static_cast<size_t>(n) >= m_labelTable.size())
        m_labelTable.push_back({0u, 0u});
}

namespace {
// "Lable<n>" and `tail` into `buf`; the length.
size_t labelText(char (&buf)[48], std::string_view head, int n, std::string_view tail) {
    size_t len = head.size();
    std::memcpy(buf, head.data(), len);
    const auto r = std::to_chars(buf + len, buf + sizeof buf - tail.size(), n);
    len = static_cast<size_t>(r.ptr - buf);
    std::memcpy(buf + len, tail.data(), tail.size());
    return len + tail.size();
}
}  // namespace

void ScriptCompiler::emitLabel(int n) {
    char buf[48];
    emitText(std::string_view(buf, labelText(buf, "Lable", n, ":\r\n")));
    if (m_lex.immediate()) return;
    ensureLabelSlot(n);
    m_labelTable[static_cast<size_t>(n)] = {static_cast<uint32_t>(m_out.size()),
                                            static_cast<uint32_t>(m_lineMap.size())};
}

void ScriptCompiler::emitJump(const char* kind, int n) {
    char head[24];
    const size_t kindLen = std::min(std::strlen(kind), sizeof head - 8);
    std::memcpy(head, kind, kindLen);
    std::memcpy(head + kindLen, ": Lable", 7);
    char buf[48];
    emitText(std::string_view(buf, labelText(buf, std::string_view(head, kindLen + 7), n, "\r\n")));
}

bool ScriptCompiler::polledStop() {
    if (m_observer) m_observer(m_lex.line());
    return m_stopRequested.load();
}

// ---- driver ------------------------------------------------------------------------------

void ScriptCompiler::initialise() {
    m_lex.setLine(0);
    m_lex.resetErrors();
    m_out.clear();
    m_lineMap.clear();
    m_labelTable.clear();
    m_labelCounter = 1;
    m_userWords = 0;
    m_globalListOffset = 0;
    m_globals.clear();
    m_locals.clear();
    m_functions.clear();
    m_labels.clear();
    m_blocks.clear();
    m_steps.clear();
    m_lex.say(msg::kStartAnalysis);
}

char* ScriptCompiler::SourceBuffer::reserve(size_t n) {
    if (n > capacity || !data) {
        data.reset(new char[n + 1]);
        capacity = n;
        prefaultForWriting(data.get(), n);
    }
    return data.get();
}

namespace {
// The whole file in one read into `buffer`; false when it is no regular file or cannot be read.
template <typename Buffer>
bool readWholeFile(const std::string& path, Buffer& buffer) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    buffer.size = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    struct stat st {};
    size_t expected = 0;
    if (::fstat(::fileno(f), &st) == 0 && st.st_size > 0)
        expected = static_cast<size_t>(st.st_size);
    // Read straight into the buffer; what a file that grew meanwhile holds beyond its size is
    // read on and appended.
    char* at = buffer.reserve(expected);
    size_t size = std::fread(at, 1, expected, f);
    std::string more;
    char chunk[4096];
    for (size_t n = 0; size == expected && (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
        more.append(chunk, n);
    if (!more.empty()) {
        std::string whole(at, size);
        whole += more;
        at = buffer.reserve(whole.size());
        std::memcpy(at, whole.data(), whole.size());
        size = whole.size();
    }
    buffer.size = size;
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}
}  // namespace

bool ScriptCompiler::compile(const std::string& programDir, const std::string& sourcePath) {
    if (!readWholeFile(sourcePath, m_source)) {
        // Nothing is analysed and no build file is touched.
        m_lex.resetErrors();
        m_lex.addError();
        m_out.clear();
        m_lineMap.clear();
        const std::string_view form = msg::kCannotOpenSource;
        const size_t at = form.find("%s");
        std::string text(form.substr(0, at));
        text.append(sourcePath).append(form.substr(at + 2));
        m_lex.say(text);
        m_lex.say(formatCount(msg::kFinished, m_lex.errorCount()));
        m_stopRequested.store(true);
        return false;
    }
    return compileText(m_source.view(), programDir, sourcePath);
}

bool ScriptCompiler::compileText(std::string_view bytes, const std::string& programDir,
                                 const std::string& sourcePath) {
    if (bytes.data() != m_source.data.get() || bytes.size() != m_source.size) {
        char* to = m_source.reserve(bytes.size());
        if (!bytes.empty()) std::memmove(to, bytes.data(), bytes.size());
        m_source.size = bytes.size();
    }
    const std::string_view source = m_source.view();
    m_lex.setImmediate(false);
    m_lex.setSource(source, detectScriptEncoding(source));
    m_programDir = programDir;
    try {
        initialise();
        // The compiled text adds labels and jumps to the source's lines: room for twice the
        // source spares the copies of a growing buffer.
        m_out.reserve(2 * source.size());
        m_lineMap.reserve(source.size() / 6);
        m_labelTable.reserve(source.size() / 64);
        prefaultForWriting(m_out.data(), m_out.capacity());
        prefaultForWriting(m_lineMap.data(), m_lineMap.capacity() * sizeof(uint32_t));
    } catch (const std::bad_alloc&) {
        m_lex.say(msg::kInitFailed);
        m_lex.addError();
        m_stopRequested.store(true);
        return false;
    }
    analyse();
    if (m_lex.errorCount() == 0 && !programDir.empty()) writeBuildFiles(programDir, sourcePath);
    // The compile-time tables are released; the output stays readable until the next compile.
    m_globals.clear();
    m_locals.clear();
    m_functions.clear();
    m_labels.clear();
    m_blocks.clear();
    m_steps.clear();
    const bool stopped = m_stopRequested.load();
    m_lex.say(formatCount(stopped ? msg::kTerminated : msg::kFinished, m_lex.errorCount()));
    m_stopRequested.store(true);
    return m_lex.errorCount() == 0;
}

void ScriptCompiler::analyse() {
    m_stopRequested.store(false);
    m_lex.say(msg::kStartSpellCheck);
    if (!m_lex.spellCheck()) return;
    m_lex.say(msg::kStartSyntax);
    m_catalogue.resetToSystemRows();
    m_lex.rewind();
    m_lex.next();
    // The handler runs at least once: an empty source meets its end at top level.
    do {
        topLevel();
    } while (m_lex.code() != tok::EndOfSource && !polledStop());
    endOfCompileChecks();
}

void ScriptCompiler::topLevel() {
    switch (m_lex.code()) {
        case tok::EndOfLine:
            m_lex.advance();
            return;
        case tok::Main:
        case tok::Fun:
            functionDefinition(m_lex.code());
            return;
        case tok::Var:
            declaration(true);
            return;
        case '#':
            macroDefinition();
            return;
        case tok::End:
            m_lex.report(msg::kMissingFunctionStart);
            m_lex.advance();
            return;
        default:
            m_lex.report(msg::kUnrecognisedKeyword, m_lex.text());
            m_lex.advance();
            return;
    }
}

// (main | fun NAME) EOL {statement} end
void ScriptCompiler::functionDefinition(int kind) {
    m_locals.clear();
    m_labels.clear();
    push(kind);
    const int b = m_blocks.back().b;
    std::string name(m_lex.text());
    bool nameOk = true;
    if (kind == tok::Fun) {
        const int line = m_lex.line();
        m_lex.advance();
        name = std::string(m_lex.text());
        if (m_lex.line() != line || m_lex.code() == tok::EndOfSource) {
            m_lex.report(msg::kFunctionNameMissing, m_lex.text(), line);
            nameOk = false;
        } else if (m_lex.code() != tok::Identifier) {
            m_lex.report(msg::kImproperFunctionName, name);
            nameOk = false;
        }
    }
    int entry = -1;
    if (nameOk) {
        if (m_globals.find(name) >= 0 || isCatalogueName(name)) {
            m_lex.report(msg::kDefinedOtherKind, name);
        } else {
            entry = m_functions.find(name);
            if (entry < 0) {
                entry = m_functions.add(name, kind == tok::Main ? 0 : b, m_lex.line(), true);
            } else if (m_functions[entry].defined) {
                m_lex.report(msg::kRedefinition, name);
            } else {
                m_functions[entry].defined = true;
            }
        }
    }
    // A fun without a name on its line keeps the line end for the body.
    if (kind == tok::Main || (m_lex.code() != tok::EndOfLine && m_lex.code() != tok::EndOfSource)) {
        m_lex.advance();
    }
    if (entry >= 0) emitLabel(m_functions[entry].label);

    while (m_lex.code() != tok::EndOfSource && m_lex.code() != tok::End && !polledStop()) {
        statement();
    }
    if (m_lex.code() == tok::End) {
        m_lex.advance();
        emitText("jumpE:\r\n");
    } else {
        m_lex.report(msg::kFunctionNoEnd);
    }
    endOfFunctionChecks();
}

void ScriptCompiler::endOfFunctionChecks() {
    for (const NameTable::Entry& label : m_labels.entries()) {
        if (!label.defined) m_lex.report(msg::kLabelUndefined, label.name, label.firstLine);
    }
    for (const Block& block : m_blocks) {
        if (block.kind != tok::Main && block.kind != tok::Fun) {
            m_lex.report(msg::kMissingEndMarker, std::nullopt, block.line);
        }
    }
    m_blocks.clear();
    m_steps.clear();
}

void ScriptCompiler::endOfCompileChecks() {
    bool hasMain = false;
    for (const NameTable::Entry& f : m_functions.entries()) {
        if (!f.defined) m_lex.report(msg::kLabelUndefined, f.name, f.firstLine);
        if (isUpperMain(f.name)) hasMain = true;
    }
    if (!hasMain) m_lex.report(msg::kMainMissing);
    if (m_lex.errorCount() == 0 && m_globals.size() > 0) {
        emitText("GV: ");
        m_globalListOffset = static_cast<uint32_t>(m_out.size());
        std::string names;
        for (const NameTable::Entry& g : m_globals.entries()) {
            if (!names.empty()) names += ',';
            names += g.name;
        }
        emitText(names);
    }
}

// call NAME
void ScriptCompiler::callStatement() {
    m_lex.advance();
    if (m_lex.code() != tok::Identifier) {
        m_lex.report(msg::kSyntaxError, m_lex.text());
        return;
    }
    const std::string name(m_lex.text());
    if (m_labels.find(name) >= 0 || isCatalogueName(name) || m_locals.find(name) >= 0) {
        m_lex.report(msg::kDefinedOtherKind, name);
        m_lex.advance();
        return;
    }
    int entry = m_functions.find(name);
    if (entry < 0) entry = m_functions.add(name, m_labelCounter++, m_lex.line(), false);
    emitJump("jumpH", m_functions[entry].label);
    m_lex.advance();
}

void ScriptCompiler::statement() {
    const int code = m_lex.code();
    bool eventWord = isEventInstruction(code) || (code >= tok::CondZ && code <= tok::IFL);
    std::string word(m_lex.text());
    if (code == '@') {  // "@" and the condition word are two tokens
        Lexer probe = m_lex;
        probe.setSink(nullptr);
        probe.advance();
        word = atWord(probe.text());
        eventWord = isEventCondition(lookupKeyword(word));
    }
    if (eventWord) {
        m_lex.report(msg::kEventNeedsId, word);
        m_lex.skipToEndOfLine();
        return;
    }
    switch (code) {
        case tok::EndOfLine:
            m_lex.advance();
            return;
        case tok::EndOfSource:
        case tok::End:
            return;
        case tok::Identifier:
            identifierStatement();
            return;
        case tok::Var:
            declaration(false);
            return;
        case '#':
            macroDefinition();
            return;
        case tok::If:
            ifStatement();
            return;
        case tok::Elseif:
            elseifStatement();
            return;
        case tok::Else:
            elseStatement();
            return;
        case tok::Endif:
            endifStatement();
            return;
        case tok::While:
            whileStatement();
            return;
        case tok::Wend:
            wendStatement();
            return;
        case tok::For:
            forStatement();
            return;
        case tok::Next:
            nextStatement();
            return;
        case tok::Break:
            loopJump(true);
            return;
        case tok::Continue:
            loopJump(false);
            return;
        case tok::Goto:
            gotoStatement();
            return;
        case tok::Call:
            callStatement();
            return;
        case tok::Then:
        case tok::Do:
            m_lex.report(msg::kSurplus, m_lex.text());
            m_lex.advance();
            return;
        case tok::Main:
            m_lex.report(msg::kMainInsideFunction);
            m_lex.advance();
            return;
        case tok::Fun:
            m_lex.report(msg::kNestedFunction);
            m_lex.advance();
            return;
        case tok::Exit: {
            // Copied, so that the interpreter ends the program here.
            const size_t start = m_lex.tokenStart();
            m_lex.advance();
            emitSlice(start);
            return;
        }
        case tok::Pause:
        case tok::Sleep:
        case tok::Board:
        case tok::Mg:
            simpleStatement();
            return;
        default:
            builtinCall();
            return;
    }
}

bool ScriptCompiler::compileImmediate(std::string_view statement) {
    m_lex.setImmediate(true);
    m_lex.setSource(statement, detectScriptEncoding(statement));
    initialise();
    m_stopRequested.store(false);
    m_lex.next();
    while (m_lex.code() != tok::EndOfSource && !m_stopRequested.load()) {
        if (m_lex.code() == tok::EndOfLine) {
            m_lex.next();
            continue;
        }
        builtinCall();
    }
    m_blocks.clear();
    m_steps.clear();
    m_lex.setImmediate(false);
    m_stopRequested.store(true);
    const bool ok = m_lex.errorCount() == 0;
    m_lex.setSource({}, TextEncoding::Gbk);
    return ok;
}

}  // namespace zeq::desk
