// Shared helpers of the core: encodings, the application home and the stdout pane.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/app_home.h"
#include "core/encoding.h"
#include "core/stdout_sink.h"

using namespace zeq::desk;
namespace fs = std::filesystem;

TEST(Encoding, Utf8Validity) {
    struct Case {
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"plain ascii", true},
        {"中文", true},
        {"\xD6\xD0\xCE\xC4", false},  // 中文 in GBK
        {"\xC0\xAF", false},          // overlong
        {"\xED\xA0\x80", false},      // surrogate
        {"\xF4\x90\x80\x80", false},  // above U+10FFFF
        {"\xE4\xB8", false},          // cut short
        {"\xF0\x9F\x98\x80", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
    }
    EXPECT_EQ(detectScriptEncoding("\xD6\xD0"), TextEncoding::Gbk);
    EXPECT_EQ(detectScriptEncoding("中"), TextEncoding::Utf8);
}

TEST(Encoding, GbkRoundTrip) {
    const std::string utf8 = "主程序：轴0走到位置";
    const std::string gbk = utf8ToGbk(utf8);
    EXPECT_EQ(gbk.substr(0, 2), "\xD6\xF7");
    EXPECT_EQ(gbkToUtf8(gbk), utf8);
    EXPECT_EQ(gbkToUtf8("ascii"), "ascii");
}

TEST(Encoding, BadBytesAreReplacedNotDropped) {
    // A lone lead byte at the end, then text: the text survives.
    const std::string out = gbkToUtf8(std::string("a\xFF") + "b");
    EXPECT_EQ(out.front(), 'a');
    EXPECT_EQ(out.back(), 'b');
    EXPECT_NE(out.find("\xEF\xBF\xBD"), std::string::npos);
    EXPECT_EQ(utf8ToGbk("x😀y"), "x?y");
}

TEST(StdoutSinkTest, CrLfBecomesLfAcrossAppends) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    {
        StdoutSink sink(f);
        sink.append("a\r\nb\r");
        sink.append("\nc\rd\n");
        sink.append("e\r");
        sink.append("f");
    }
    std::rewind(f);
    char buf[64] = {};
    const size_t n = std::fread(buf, 1, sizeof buf, f);
    std::fclose(f);
    EXPECT_EQ(std::string(buf, n), "a\nb\nc\rd\ne\rf");
}

TEST(AppHome, EnvironmentFirst) {
    const char* saved = std::getenv("ZEQ_HOME");
    const std::string keep = saved ? saved : "";
    ::setenv("ZEQ_HOME", "/some/where/", 1);
    EXPECT_EQ(applicationHome(), "/some/where");
    EXPECT_EQ(applicationDatDir(), "/some/where/dat");
    ::unsetenv("ZEQ_HOME");
    // Without the variable: the executable's folder (writable in a build tree) or the XDG one.
    const std::string home = applicationHome();
    EXPECT_TRUE(home == executableDir() || home.find("zeqdesk") != std::string::npos) << home;
    if (saved) ::setenv("ZEQ_HOME", keep.c_str(), 1);
}

TEST(AppHome, InstalledFoldersAreNeverTheHome) {
    const std::string tmp = fs::temp_directory_path().string();
    struct Case {
        std::string dir;
        bool portable;
    } cases[] = {
        {tmp, true},
        {"/usr/lib/zeq", false},  // writable for root, still an installed program
        {"/usr", false},
        {"/usrlocal-like", false},  // does not exist, so not writable
        {tmp + "/zeq_no_such_folder", false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isPortableFolder(c.dir), c.portable) << c.dir;
}

TEST(AppHome, EnsureDirectoryCreatesParents) {
    const fs::path p = fs::temp_directory_path() / "zeq_home_test" / "a" / "dat";
    fs::remove_all(fs::temp_directory_path() / "zeq_home_test");
    EXPECT_TRUE(ensureDirectory(p.string()));
    EXPECT_TRUE(fs::is_directory(p));
    fs::remove_all(fs::temp_directory_path() / "zeq_home_test");
}
