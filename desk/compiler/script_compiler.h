// The script compiler: checks a script, lowers its control flow to labels and jumps, carries
// everything else through as source text, and writes build.dat and binfo.dat.
//
// One object per use (the main frame's compiles, the instruction box). A compile owns its
// tables only while it runs; the catalogue keeps the user rows of the last compile.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/param_catalogue.h"
#include "compiler/lexer.h"
#include "core/interfaces.h"

namespace zeq::desk {

// a followed by b (built with append: GCC 12 misreports `"x" + std::string` at -O2).
inline std::string joined(std::string_view a, std::string_view b) {
    std::string s;
    s.reserve(a.size() + b.size());
    s.append(a).append(b);
    return s;
}
// "@" and the word behind it: an event condition is written as two tokens.
inline std::string atWord(std::string_view word) {
    return joined("@", word);
}

// A table of names in declaration order; lookups are case-sensitive, first match wins. The
// names are hashed (open addressing over the entries' indices), so a lookup costs the same
// whatever the table's size.
class NameTable {
  public:
    struct Entry {
        std::string name;
        int label = 0;
        int firstLine = 0;
        bool defined = false;
    };
    int find(std::string_view name) const;
    int add(std::string_view name, int label = 0, int firstLine = 0, bool defined = false);
    Entry& operator[](int i) { return m_entries[static_cast<size_t>(i)]; }
    const Entry& operator[](int i) const { return m_entries[static_cast<size_t>(i)]; }
    int size() const { return static_cast<int>(m_entries.size()); }
    void clear();
    const std::vector<Entry>& entries() const { return m_entries; }

  private:
    static size_t hash(std::string_view name);
    void grow();

    std::vector<Entry> m_entries;
    std::vector<int> m_slots;  // entry index + 1; 0 = free
};

class ScriptCompiler {
  public:
    explicit ScriptCompiler(ParamCatalogue& catalogue = paramCatalogue(),
                            OutputSink* sink = nullptr);

    void setSink(OutputSink* sink) { m_lex.setSink(sink); }

    // Compiles the file at `sourcePath` (recorded as given) and, without errors, writes
    // programDir/dat/build.dat and binfo.dat. Progress and diagnostics go to the sink.
    // True when no error occurred.
    bool compile(const std::string& programDir, const std::string& sourcePath);
    // Compiles script bytes already in memory; the build files are written only when
    // `programDir` is not empty. `sourcePath` is the path recorded in binfo.dat.
    bool compileText(std::string_view bytes, const std::string& programDir,
                     const std::string& sourcePath);
    // Checks one statement of the instruction box; no files, no compiled text. The text must
    // outlive the call only.
    bool compileImmediate(std::string_view statement);

    // Called at every statement of the top-level and function-body loops with the 0-based
    // source line about to be analysed (progress display; tests stop a compile at a line).
    void setStatementObserver(std::function<void(int line)> observer) {
        m_observer = std::move(observer);
    }

    // Asks a running compile to stop at its next statement. Thread-safe.
    void requestStop() { m_stopRequested.store(true); }
    bool stopRequested() const { return m_stopRequested.load(); }

    // Results of the last compile (kept until the next one starts).
    const std::string& outputText() const { return m_out; }
    const std::vector<uint32_t>& lineMap() const { return m_lineMap; }
    int labelCount() const { return m_labelCounter; }
    uint32_t globalListOffset() const { return m_globalListOffset; }
    int errorCount() const { return m_lex.errorCount(); }
    // binfo.dat as it is written for the given source identity.
    std::string buildInfo(uint32_t sourceTime, uint32_t buildTime,
                          std::string_view sourcePath) const;

  private:
    struct Block {
        int kind = 0;  // keyword code: if, elseif, else, for, while, fun, main
        int a = 0;
        int b = 0;
        int line = 0;
        int continueLabel = -1;  // for loops: label before the increment, once a continue needs it
    };
    struct LoopStep {
        std::string name;
        bool global = false;
        double step = 1.0;
    };

    // Driver (functions.cpp).
    void initialise();
    void analyse();
    void topLevel();
    void functionDefinition(int kind);
    void endOfFunctionChecks();
    void endOfCompileChecks();
    void statement();
    void callStatement();
    bool writeBuildFiles(const std::string& programDir, const std::string& sourcePath);
    size_t buildInfoSize(std::string_view sourcePath) const;
    void fillBuildInfo(char* at, uint32_t sourceTime, uint32_t buildTime,
                       std::string_view sourcePath) const;

    // Declarations and expressions (declarations.cpp).
    void declaration(bool global);
    void macroDefinition();
    bool expression();
    void identifierStatement();
    bool isCatalogueName(std::string_view name) const;
    bool isVariable(std::string_view name) const;

    // Control flow (control_flow.cpp).
    int push(int kind, std::optional<int> b = std::nullopt);
    int findInnermost(std::initializer_list<int> kinds) const;
    void ifStatement();
    void elseifStatement();
    void elseStatement();
    void endifStatement();
    void whileStatement();
    void wendStatement();
    void forStatement();
    void nextStatement();
    void loopJump(bool isBreak);
    void gotoStatement();
    void labelDefinition(std::string_view name);

    // Built-ins (builtins.cpp, events.cpp).
    void builtinCall();
    void specialBuiltin(int code);
    bool atLineEnd(bool reportIt);
    bool commaStep();
    bool enterFunction();
    int paramName(ParamRow* row = nullptr);
    void fixedShape(int count, const char* tooMany);
    void varShape(int count, bool withVar);
    void getterShape();
    void getterAxisShape();
    bool readStatement(bool emit);
    void writeStatement();
    void waitStatement();
    void waStatement();
    void simpleStatement();
    void fileContour();
    void pathWrData();
    void pathWrDataFixed(int expressions);
    void segmentData(bool arc, bool withVelocities);
    void pathEventBlock();
    bool eventInstruction(bool withId);
    bool eventInstructionFrom(size_t lineStart, bool withId, int line);
    void eventLine();

    // Output.
    void emitText(std::string_view text);
    void emitSlice(size_t from);
    void emitCondition(std::string_view expression);
    void emitLabel(int n);
    void emitJump(const char* kind, int n);
    void ensureLabelSlot(int n);

    ParamCatalogue& m_catalogue;
    Lexer m_lex;
    // The source bytes (not zero-filled before they are read or copied in).
    struct SourceBuffer {
        std::unique_ptr<char[]> data;
        size_t size = 0;
        size_t capacity = 0;
        std::string_view view() const { return {data.get(), size}; }
        char* reserve(size_t n);  // room for n bytes; the contents are undefined
    };
    SourceBuffer m_source;
    std::atomic<bool> m_stopRequested{true};
    std::function<void(int)> m_observer;
    bool polledStop();

    NameTable m_globals;
    NameTable m_locals;
    NameTable m_functions;
    NameTable m_labels;
    std::vector<Block> m_blocks;
    std::vector<LoopStep> m_steps;
    int m_labelCounter = 1;
    int m_userWords = 0;
    std::string m_programDir;

    std::string m_out;
    std::vector<uint32_t> m_lineMap;
    std::vector<std::pair<uint32_t, uint32_t>> m_labelTable;
    uint32_t m_globalListOffset = 0;
};

}  // namespace zeq::desk
