// Golden tests of the script compiler: every NAME.zeq in compiler_golden/ is compiled and the
// pane text, build.dat and binfo.dat (modification times and source path masked) are compared
// with NAME.pane.txt, NAME.build.dat and NAME.binfo.dat. A script whose compile fails has no
// expected build files, and the test checks that none were written.
//
// ZEQ_UPDATE_GOLDEN=1 rewrites the expected files from the current compiler (review the diff).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
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
    const fs::path home = fs::temp_directory_path() /
                          ("zeq_golden_" + std::to_string(::getpid()) + "_" +
                           script.stem().string());
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
        }
    }
}
