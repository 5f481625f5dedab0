// Test support for the interpreter: a recording device port with a small register file, a
// fake clock, and hand-assembled build files.
#pragma once

#include <sys/stat.h>
#include <utime.h>

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/stdout_sink.h"
#include "interpreter/device_port.h"
#include "interpreter/run_keywords.h"
#include "interpreter/script_interpreter.h"

namespace zeq::desk::test {

class FakePort : public DevicePort {
  public:
    std::vector<std::string> calls;
    std::map<std::pair<int, int>, std::uint16_t> regs;  // (axis, address) -> word
    // Status of the next call by name; called before every call, default 0.
    std::function<int(const std::string&)> statusFor = [](const std::string&) { return 0; };
    std::map<std::string, DeviceOut> outs;
    std::vector<int> contourBlocks;
    std::vector<std::int16_t> contourWords;
    int pathCallsLeft = 0;  // executePath returns 22 while > 0
    int axes = 4;
    std::function<void(const std::string&)> onCall;

    std::int64_t reg(int axis, int address, int words = 1) const {
        std::uint64_t v = 0;
        for (int w = 0; w < words; ++w) {
            auto it = regs.find({axis, address + w});
            v |= static_cast<std::uint64_t>(it == regs.end() ? 0 : it->second) << (16 * w);
        }
        if (words == 2) return static_cast<std::int32_t>(v);
        if (words == 3) return static_cast<std::int64_t>(v << 16) >> 16;
        return static_cast<std::int64_t>(v);
    }
    void setReg(int axis, int address, std::int64_t value, int words = 1) {
        for (int w = 0; w < words; ++w)
            regs[{axis, address + w}] = static_cast<std::uint16_t>(value >> (16 * w));
    }
    int log(const std::string& text, const std::string& name) {
        calls.push_back(text);
        if (onCall) onCall(name);
        return statusFor(name);
    }
    static std::string fmt(const char* f, auto... a) {
        char buf[512];
        std::snprintf(buf, sizeof buf, f, a...);
        return buf;
    }

    int writeParam16(std::uint32_t h, int axis, int address, int value, bool q) override {
        int s = log(fmt("W16(%u,%d,%d,%d,%s)", h, axis, address, value, q ? "Q" : "I"), "W16");
        if (s == 0) setReg(axis, address, value, 1);
        return s;
    }
    int writeParam32(std::uint32_t h, int axis, int address, int value, bool q) override {
        int s = log(fmt("W32(%u,%d,%d,%d,%s)", h, axis, address, value, q ? "Q" : "I"), "W32");
        if (s == 0) setReg(axis, address, value, 2);
        return s;
    }
    int writeParam48(std::uint32_t h, int axis, int address, std::int64_t value, bool q) override {
        int s =
            log(fmt("W48(%u,%d,%d,%" PRId64 ",%s)", h, axis, address, value, q ? "Q" : "I"), "W48");
        if (s == 0) setReg(axis, address, value, 3);
        return s;
    }
    int readParam16(std::uint32_t h, int axis, int address, int* status, bool q) override {
        *status = log(fmt("R16(%u,%d,%d,%s)", h, axis, address, q ? "Q" : "I"), "R16");
        return static_cast<int>(reg(axis, address, 1));
    }
    int readParam32(std::uint32_t h, int axis, int address, int* status, bool q) override {
        *status = log(fmt("R32(%u,%d,%d,%s)", h, axis, address, q ? "Q" : "I"), "R32");
        return static_cast<int>(reg(axis, address, 2));
    }
    int readParam48(std::uint32_t h, int axis, int address, std::int64_t* value, bool q) override {
        int s = log(fmt("R48(%u,%d,%d,%s)", h, axis, address, q ? "Q" : "I"), "R48");
        *value = reg(axis, address, 3);
        return s;
    }
    int waitFifoNotHalfFull(std::uint32_t, bool) override { return statusFor("FifoCheck"); }
    int writeWaitToken(std::uint32_t h, int axis, int address) override {
        return log(fmt("WaitToken(%u,%d,%d)", h, axis, address), "WaitToken");
    }
    int writeWaitToZero(std::uint32_t h, int axis, int address) override {
        return log(fmt("WaitToZero(%u,%d,%d)", h, axis, address), "WaitToZero");
    }
    int enableGroup(std::uint32_t h, int enable, int fifo) override {
        return log(fmt("EnableGroup(%u,%d,%d)", h, enable != 0 ? 1 : 0, fifo), "EnableGroup");
    }
    int exitGroup(std::uint32_t h, int fifo) override {
        return log(fmt("ExitGroup(%u,%d)", h, fifo), "ExitGroup");
    }
    int setGroupAxisNum(std::uint32_t h, int count, int fifo) override {
        return log(fmt("SetGroupAxisNum(%u,%d,%d)", h, count, fifo), "SetGroupAxisNum");
    }
    int putContourData(std::uint32_t, const std::int16_t* words, int count) override {
        int s = log(fmt("PutContourData(%d)", count), "PutContourData");
        if (s == 0) {
            contourBlocks.push_back(count);
            contourWords.insert(contourWords.end(), words, words + count);
        }
        return s;
    }
    int executePath(std::uint32_t) override {
        calls.push_back("ExecutePath");
        if (onCall) onCall("ExecutePath");
        int s = statusFor("ExecutePath");
        if (s) return s;
        return pathCallsLeft-- > 0 ? 22 : 0;
    }
    int getMachineData(std::uint32_t, AxisMachineData (&axesOut)[4]) override {
        for (int a = 0; a < 4; ++a)
            axesOut[a] = {a * 100 - 50, static_cast<std::uint16_t>(a & 1), 0, 7};
        return log("GetMCData", "GetMCData");
    }
    int pathAddEvent(std::uint32_t, const void* entries, int count) override {
        lastEvents.assign(static_cast<const char*>(entries),
                          static_cast<const char*>(entries) + 24 * count);
        return log(fmt("PathAddEvent(%d)", count), "PathAddEvent");
    }
    std::string lastEvents;
    int builtin(int code, std::uint32_t h, std::span<const DeviceArg> args, int fifo,
                DeviceOut& out) override {
        std::string name(rt::keywordName(code));
        std::string text = name + "(" + std::to_string(h);
        for (const DeviceArg& a : args) {
            if (a.kind == DeviceArg::Real)
                text += fmt(",%g", a.d);
            else if (a.kind == DeviceArg::Pointer)
                text += ",ptr";
            else
                text += fmt(",%" PRId64, a.i);
        }
        text += fifo >= 0 ? fmt(";%d)", fifo) : std::string(")");
        if (code == rt::PathWRData)
            lastWords.assign(static_cast<const std::int16_t*>(args[2].ptr()),
                             static_cast<const std::int16_t*>(args[2].ptr()) + args[1].i);
        if (code == rt::PathAddLine || code == rt::PathAddLineSegData)
            lastRecord.assign(static_cast<const std::int32_t*>(args[0].ptr()),
                              static_cast<const std::int32_t*>(args[0].ptr()) + 17);
        auto it = outs.find(name);
        if (it != outs.end()) out = it->second;
        return log(text, name);
    }
    std::vector<std::int16_t> lastWords;
    std::vector<std::int32_t> lastRecord;
    int axisCount(int) override { return axes; }
    // The deferred read-back: statuses by the names "RBWAIT" and "RBTAKE"; a reply is the
    // register's value.
    int queuedReplyWaiting(std::uint32_t h) override { return log(fmt("RBWAIT(%u)", h), "RBWAIT"); }
    int takeQueuedReply(std::uint32_t h, int axis, int address, int words,
                        std::int64_t* value) override {
        *value = reg(axis, address, words);
        return log(fmt("RBTAKE(%u,%d,%d,%d)", h, axis, address, words), "RBTAKE");
    }
};

class FakeClock : public Clock {
  public:
    std::chrono::steady_clock::time_point t{};
    std::atomic<std::int64_t> sleptMs{0};
    std::function<void()> onSleep;
    std::chrono::steady_clock::time_point now() override {
        t += std::chrono::microseconds(250);  // every reading advances a little
        return t;
    }
    void sleepFor(std::chrono::milliseconds ms) override {
        sleptMs += ms.count();
        t += ms;
        if (onSleep) onSleep();
    }
};

// A throw-away application home with dat/ and a source file.
class TempHome {
  public:
    TempHome() {
        char tmpl[] = "/tmp/zeq_interp_XXXXXX";
        init(::mkdtemp(tmpl));
    }
    // A home in the given (new) folder.
    explicit TempHome(const std::string& folder) { init(folder); }
    void init(const std::string& folder) {
        dir = folder;
        std::filesystem::create_directories(dir + "/dat");
        source = dir + "/prog.zeq";
        writeFile(source, "main\nend\n");
    }
    ~TempHome() { std::filesystem::remove_all(dir); }
    static void writeFile(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::uint32_t mtime(const std::string& path) {
        std::uint32_t t = 0;
        fileTime32(path, t);
        return t;
    }
    static void setMtime(const std::string& path, std::time_t t) {
        struct utimbuf times {
            t, t
        };
        ::utime(path.c_str(), &times);
    }
    // Writes build.dat = `text` and a binfo.dat whose label table is taken from the
    // "LableN:" lines of the text and whose line map is `lineMap` (identity when empty).
    void writeBuild(const std::string& text, std::vector<std::uint32_t> lineMap = {},
                    std::string recordedSource = {}, std::uint32_t globalPos = 0) {
        if (recordedSource.empty()) recordedSource = source;
        writeFile(dir + "/dat/build.dat", text);
        std::vector<std::pair<std::uint32_t, std::uint32_t>> labels;
        std::uint32_t line = 0;
        for (std::size_t pos = 0; pos < text.size();) {
            std::size_t eol = text.find('\n', pos);
            std::size_t end = eol == std::string::npos ? text.size() : eol + 1;
            std::string l = text.substr(pos, end - pos);
            unsigned n = 0;
            if (std::sscanf(l.c_str(), "Lable%u:", &n) == 1 && l.find(": ") == std::string::npos) {
                if (labels.size() <= n) labels.resize(n + 1, {0xFFFFFFFFu, 0});
                labels[n] = {static_cast<std::uint32_t>(end), line + 1};
            }
            ++line;
            pos = end;
            if (l == "GV: " || eol == std::string::npos) break;
        }
        if (globalPos == 0) {
            std::size_t gv = text.find("GV: ");
            if (gv != std::string::npos) globalPos = static_cast<std::uint32_t>(gv + 4);
        }
        if (lineMap.empty())
            for (std::uint32_t i = 0; i <= line + 1; ++i) lineMap.push_back(i);
        std::string info;
        auto put = [&](std::uint32_t v) {
            for (int b = 0; b < 4; ++b) info += static_cast<char>((v >> (8 * b)) & 0xFF);
        };
        put(mtime(source));
        put(mtime(dir + "/dat/build.dat"));
        put(static_cast<std::uint32_t>(recordedSource.size()));
        put(globalPos);
        put(static_cast<std::uint32_t>(labels.size()));
        put(static_cast<std::uint32_t>(lineMap.size()));
        info += recordedSource;
        for (auto& l : labels) {
            put(l.first);
            put(l.second);
        }
        for (auto v : lineMap) put(v);
        writeFile(dir + "/dat/binfo.dat", info);
        CatalogueOwner::set(source, mtime(source));
    }
    std::string dir;
    std::string source;
};

// One interpreter on a fake card with board 0 connected (handle 1).
struct Rig {
    FakePort port;
    StringSink sink;
    FakeClock clock;
    TempHome home;
    std::uint32_t boards[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    ScriptInterpreter interp{port, sink};
    Rig() { interp.setClock(&clock); }
    // Runs `text` as the compiled program of main; returns the pane text.
    std::string run(const std::string& text, std::vector<std::uint32_t> lineMap = {}) {
        home.writeBuild(text, std::move(lineMap));
        sink.clear();
        ok = interp.runProgram(boards, home.dir, home.source);
        return sink.text();
    }
    // Wraps statements (one per line) into main.
    std::string runMain(const std::string& body, const std::string& globals = {}) {
        std::string text = "Lable0:\r\n" + body + "jumpE:\r\n";
        if (!globals.empty()) text += "GV: " + globals;
        return run(text);
    }
    bool ok = false;
};

inline std::string framed(const std::string& body) {
    return "\r\n开始解析执行：\r\n" + body + "\r\n运行结束！\r\n";
}

}  // namespace zeq::desk::test
