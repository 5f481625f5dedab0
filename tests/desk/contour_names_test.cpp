// FileContour names: the compiler checks and the run opens the same file.
#include <gtest/gtest.h>

#include "core/contour_path.h"
#include "interp_support.h"
#include "interpreter/run_controller.h"

namespace zeq::desk::test {
namespace {

TEST(ContourNames, ResolvedAgainstTheProgramFolder) {
    struct Case {
        const char* dir;
        const char* name;
        const char* path;
    };
    const Case cases[] = {
        {"/h/app", "c.txt", "/h/app/c.txt"},
        {"/h/app/", "sub/c.txt", "/h/app/sub/c.txt"},
        {"/h/app", "sub\\c.txt", "/h/app/sub\\c.txt"},
        {"/h/app", "./c.txt", "/h/app/c.txt"},
        {"/h/app", "../c.txt", "/h/c.txt"},
        {"/h/app", "..\\../x/c.txt", "/x/c.txt"},
        {"/h", "../../../c.txt", "/c.txt"},  // never above the root
        {"/h/app", "/abs/c.txt", "/abs/c.txt"},
        {"/h/app", "\\abs\\c.txt", "\\abs\\c.txt"},
        {"/h/app", "D:\\c.txt", "D:\\c.txt"},
        {"/h/app", "sub/../c.txt", "/h/app/sub/../c.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(resolveContourPath(c.dir, c.name), c.path) << c.name;
}

// The script is compiled and run against a fake card; the file exists only where the shared
// rule puts it, so a compiler that looked elsewhere would refuse the script.
TEST(ContourNames, CompiledAndRunAlike) {
    TempHome outer;
    TempHome home(outer.dir + "/app");
    const std::string contour = "1\n0\n1\n2\n5,6\n";
    struct Case {
        std::string name;
        std::string path;
    };
    const Case cases[] = {
        {"sub/c.txt", home.dir + "/sub/c.txt"},
        {"../c.txt", outer.dir + "/c.txt"},
        {outer.dir + "/abs/c.txt", outer.dir + "/abs/c.txt"},
    };
    for (const Case& c : cases) {
        std::filesystem::create_directories(std::filesystem::path(c.path).parent_path());
        TempHome::writeFile(c.path, contour);
        TempHome::writeFile(home.source, "main\n\tFileContour " + c.name + "\nend\n");
        FakePort port;
        StringSink sink;
        FakeClock clock;
        std::uint32_t boards[8] = {1};
        RunController::Setup s;
        s.port = &port;
        s.sink = &sink;
        s.boardTable = boards;
        s.programDir = home.dir;
        s.clock = &clock;
        s.targetBoard = [] { return 0; };
        {
            RunController ctl(s);
            ctl.setDocumentPath(home.source);
            ASSERT_TRUE(ctl.run(true));
            ctl.waitIdle();
            EXPECT_FALSE(ctl.lastRunFailed()) << c.name << "\n" << sink.text();
        }
        EXPECT_NE(sink.text().find("正在发送文件:\"" + c.path + "\"中的数据...\n"),
                  std::string::npos)
            << c.name << "\n"
            << sink.text();
        EXPECT_EQ(port.contourWords, (std::vector<std::int16_t>{5, 6})) << c.name;
        std::filesystem::remove(c.path);
    }
}

}  // namespace
}  // namespace zeq::desk::test
