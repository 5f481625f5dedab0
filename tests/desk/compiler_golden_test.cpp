// Golden tests of the script compiler: every NAME.zeq in compiler_golden/ is compiled and the
// pane text, build.dat and binfo.dat (modification times and source path masked) are compared
// with NAME.pane.txt, NAME.build.dat and NAME.binfo.dat. A script whose compile fails has no
// expected build files, and the test checks that none were written.
//
// ZEQ_UPDATE_GOLDEN=1 rewrites the expected files from the current compiler (review the diff).
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalogue/param_catalogue.h"
#include "compiler/script_compiler.h"
#include "core/stdout_sink.h"

namespace fs = std::filesystem;
using zeq::desk::ParamCatalogue;
using zeq::desk::ScriptCompiler;
using zeq::desk::StringSink;

namespace {

const fs::path kGoldenDir = fs::path(ZEQ_TEST_DIR) / "desk" / "compiler_golden";

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}
uint32_t u32At(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}
void putU32At(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The pane names the source file only in no message of a successful or failed compile; the
// temporary folder is replaced in case a message (FileContour) names it.
std::string maskPath(std::string text, const std::string& dir, const std::string& by) {
    for (size_t at = text.find(dir); at != std::string::npos; at = text.find(dir, at)) {
        text.replace(at, dir.size(), by);
    }
    return text;
}

struct Compiled {
    bool ok = false;
    std::string pane;
    bool hasBuild = false;
    std::string build;
    std::string info;  // masked
};

Compiled compileGolden(const fs::path& script) {
    const fs::path home = fs::temp_directory_path() / ("zeq_golden_" + std::to_string(::getpid()) +
                                                       "_" + script.stem().string());
    fs::remove_all(home);
    fs::create_directories(home);
    // Contour files named by scripts are looked up in the program folder.
    for (const auto& e : fs::directory_iterator(kGoldenDir)) {
        if (e.path().extension() == ".txt" && e.path().stem().string().rfind("contour", 0) == 0)
            fs::copy_file(e.path(), home / e.path().filename());
    }
    const fs::path source = home / "script.zeq";
    fs::copy_file(script, source);

    StringSink sink;
    ScriptCompiler compiler(zeq::desk::paramCatalogue(), &sink);
    Compiled c;
    c.ok = compiler.compile(home.string(), source.string());
    c.pane = maskPath(sink.text(), home.string(), "<home>");
    const fs::path build = home / "dat" / "build.dat";
    const fs::path info = home / "dat" / "binfo.dat";
    c.hasBuild = fs::exists(build);
    if (c.hasBuild) {
        c.build = readFile(build);
        std::string raw = readFile(info);
        EXPECT_GE(raw.size(), 24u);
        if (raw.size() >= 24) {
            struct stat st {};
            ::stat(source.c_str(), &st);
            EXPECT_EQ(u32At(raw, 0), static_cast<uint32_t>(st.st_mtime));
            ::stat(build.c_str(), &st);
            EXPECT_EQ(u32At(raw, 4), static_cast<uint32_t>(st.st_mtime));
            const uint32_t len = u32At(raw, 8);
            EXPECT_EQ(raw.substr(24, len), source.string());
            // Mask: times zero, the path replaced by "<source>".
            putU32At(raw, 0, 0);
            putU32At(raw, 4, 0);
            const std::string mask = "<source>";
            raw.replace(24, len, mask);
            putU32At(raw, 8, static_cast<uint32_t>(mask.size()));
            c.info = raw;
        }
    }
    fs::remove_all(home);
    return c;
}

std::vector<fs::path> goldenScripts() {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(kGoldenDir)) {
        if (e.path().extension() == ".zeq") out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The index file must describe the text it belongs to: one line-map entry per item, and for
// every label line "LableN:" the label table holds the offset just behind it and the index of
// the item that follows. Every jump names a label that has its line.
void checkIndexMatchesText(const std::string& build, const std::string& info) {
    ASSERT_GE(info.size(), 24u);
    const uint32_t len = u32At(info, 8);
    const uint32_t gvOffset = u32At(info, 12);
    const uint32_t labels = u32At(info, 16);
    const uint32_t items = u32At(info, 20);
    ASSERT_EQ(info.size(), 24u + len + 8u * labels + 4u * items);
    const size_t table = 24 + len;

    std::vector<std::string> lines;
    size_t pos = 0;
    const size_t textEnd = gvOffset ? gvOffset - 4 : build.size();
    while (pos < textEnd) {
        const size_t eol = build.find("\r\n", pos);
        ASSERT_NE(eol, std::string::npos);
        lines.push_back(build.substr(pos, eol - pos));
        pos = eol + 2;
        if (lines.back().rfind("Lable", 0) == 0 && lines.back().back() == ':') {
            const int n = std::stoi(lines.back().substr(5));
            ASSERT_LT(static_cast<uint32_t>(n), labels);
            EXPECT_EQ(u32At(info, table + 8 * n), pos) << lines.back();
            EXPECT_EQ(u32At(info, table + 8 * n + 4), lines.size()) << lines.back();
        }
    }
    EXPECT_EQ(items, lines.size() + (gvOffset ? 2 : 0));
    if (gvOffset) {
        EXPECT_EQ(build.substr(gvOffset - 4, 4), "GV: ");
    }
    for (const std::string& line : lines) {
        const size_t at = line.find(": Lable");
        if (line.rfind("jump", 0) != 0 || at == std::string::npos) continue;
        const std::string target = "Lable" + line.substr(at + 7) + ":";
        EXPECT_NE(std::find(lines.begin(), lines.end(), target), lines.end()) << line;
    }
}

}  // namespace

TEST(CompilerGolden, EveryScriptMatchesItsExpectedOutput) {
    const bool update = std::getenv("ZEQ_UPDATE_GOLDEN") != nullptr;
    const auto scripts = goldenScripts();
    ASSERT_GE(scripts.size(), 20u) << "golden scripts missing in " << kGoldenDir;
    for (const fs::path& script : scripts) {
        SCOPED_TRACE(script.filename().string());
        const Compiled c = compileGolden(script);
        fs::path base = script;
        base.replace_extension();
        const fs::path panePath = base.string() + ".pane.txt";
        const fs::path buildPath = base.string() + ".build.dat";
        const fs::path infoPath = base.string() + ".binfo.dat";
        if (update) {
            writeFile(panePath, c.pane);
            fs::remove(buildPath);
            fs::remove(infoPath);
            if (c.hasBuild) {
                writeFile(buildPath, c.build);
                writeFile(infoPath, c.info);
            }
            continue;
        }
        EXPECT_EQ(c.pane, readFile(panePath));
        EXPECT_EQ(c.ok, c.hasBuild);
        EXPECT_EQ(c.hasBuild, fs::exists(buildPath)) << "build files written or missing";
        if (c.hasBuild && fs::exists(buildPath)) {
            EXPECT_EQ(c.build, readFile(buildPath));
            EXPECT_EQ(c.info, readFile(infoPath)) << "binfo.dat differs";
            checkIndexMatchesText(c.build, c.info);
        }
    }
}

TEST(CompilerGolden, IndexCheckCatchesAMisplacedLabel) {
    const fs::path script = kGoldenDir / "10_while.zeq";
    const Compiled c = compileGolden(script);
    ASSERT_TRUE(c.hasBuild);
    checkIndexMatchesText(c.build, c.info);
    std::string bad = c.info;
    const size_t table = 24 + u32At(bad, 8);
    putU32At(bad, table + 8 * 2, u32At(bad, table + 8 * 2) + 1);  // label 2 off by one byte
    EXPECT_NONFATAL_FAILURE(checkIndexMatchesText(c.build, bad), "Lable2:");
}
