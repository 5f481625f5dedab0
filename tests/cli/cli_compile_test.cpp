// The built `zeq` program: compile, params and the command line's own errors.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

struct ZeqRun {
    int status = -1;
    std::string out;
};

// Runs the command through the shell; stdout is captured, stderr goes to `errFile`.
ZeqRun runZeq(const std::string& args, const fs::path& errFile) {
    const std::string cmd = std::string(ZEQ_BIN_DIR) + "/zeq " + args + " 2>" + errFile.string();
    ZeqRun r;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf{};
    size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    const int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

std::string read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ZeqCli : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("zeq_cli_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        err = dir / "stderr.txt";
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path script(const std::string& name, const std::string& text) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    std::string home() const { return (dir / "home").string(); }

    fs::path dir;
    fs::path err;
};

}  // namespace

TEST_F(ZeqCli, CompileWritesBuildFilesAndPaneText) {
    const fs::path src = script("ok.zeq", "var a\nmain\n\ta = 1\n\tmg \"完成\"\nend\n");
    const ZeqRun r = runZeq("--home " + home() + " compile " + src.string(), err);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "\n开始分析……\n开始拼写检查……\n开始语法分析……\n\n语法分析结束 —— 共 0 个错误\n");
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
    EXPECT_EQ(read(fs::path(home()) / "dat" / "build.dat"),
              "Lable0:\r\na = 1\r\nmg \"完成\"\r\njumpE:\r\nGV: a");
    const std::string info = read(fs::path(home()) / "dat" / "binfo.dat");
    ASSERT_GE(info.size(), 24u);
    const uint32_t len = static_cast<unsigned char>(info[8]) | static_cast<unsigned char>(info[9])
                                                                   << 8;
    EXPECT_EQ(info.substr(24, len), src.string());  // absolute path recorded
}

TEST_F(ZeqCli, RelativePathIsRecordedAbsolute) {
    script("rel.zeq", "main\nend\n");
    const std::string cmd = "cd " + dir.string() + " && " + std::string(ZEQ_BIN_DIR) +
                            "/zeq --home " + home() + " compile rel.zeq >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string info = read(fs::path(home()) / "dat" / "binfo.dat");
    ASSERT_GE(info.size(), 24u);
    const uint32_t len = static_cast<unsigned char>(info[8]);
    EXPECT_EQ(info.substr(24, len), (dir / "rel.zeq").string());
}

TEST_F(ZeqCli, RelativeHomeAndEnvironmentHome) {
    script("h.zeq", "main\nend\n");
    std::string cmd = "cd " + dir.string() + " && " + std::string(ZEQ_BIN_DIR) +
                      "/zeq --home relhome compile h.zeq >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_TRUE(fs::exists(dir / "relhome" / "dat" / "build.dat"));
    cmd = "cd " + dir.string() + " && ZEQ_HOME=" + (dir / "envhome").string() + " " +
          std::string(ZEQ_BIN_DIR) + "/zeq compile h.zeq >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_TRUE(fs::exists(dir / "envhome" / "dat" / "binfo.dat"));
}

TEST_F(ZeqCli, CompileErrorsExitOne) {
    const fs::path src = script("bad.zeq", "main\n\tSetMCSmaxvel 1000\nend\n");
    const ZeqRun r = runZeq("--home " + home() + " compile " + src.string(), err);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("error(2):第2行：语法格式不正确或函数缺少参数!\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(fs::path(home()) / "dat" / "build.dat"));
}

TEST_F(ZeqCli, MissingSourceExitsOne) {
    const ZeqRun r = runZeq("--home " + home() + " compile " + (dir / "none.zeq").string(), err);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("无法打开源文件:"), std::string::npos);
}

TEST_F(ZeqCli, ParamsListsTheCatalogue) {
    const ZeqRun r = runZeq("params", err);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("全局参数："), std::string::npos);
    EXPECT_NE(r.out.find("mcsmaxvel"), std::string::npos);
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
}

TEST_F(ZeqCli, CommandLineProblemsExitTwo) {
    EXPECT_EQ(runZeq("", err).status, 2);
    EXPECT_EQ(runZeq("frobnicate", err).status, 2);
    EXPECT_EQ(runZeq("compile", err).status, 2);
    EXPECT_FALSE(read(err).empty());
}
