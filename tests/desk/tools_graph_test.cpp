// The graph capture's core: the range rules, the depth, what is read, the zoom factors, the
// settings and the CSV file.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "desk/tools_fixture.h"
#include "tools/graph/graph_capture.h"

namespace zeq::desk::test {
namespace {

GraphRequest request(const char* x, const char* y, std::int32_t low, std::int32_t high, int depth) {
    GraphRequest rq;
    rq.board = 0;
    rq.x = {x, 0};
    rq.y[0] = {y, 0};
    rq.low = low;
    rq.high = high;
    rq.depth = depth;
    return rq;
}

class GraphSim : public SimToolTest {};

TEST_F(GraphSim, EqualLimitsRefuseToStart) {
    GraphCapture capture(boards, dialogs);
    EXPECT_FALSE(capture.start(request("mcspos", "curpos", 100, 100, 8)));
    EXPECT_FALSE(capture.running());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "横坐标的取值范围不能为零");
}

TEST_F(GraphSim, SwappedLimitsCaptureOverTheRange) {
    struct Case {
        std::int32_t position;
        bool inside;
    };
    const Case cases[] = {{150, true}, {100, true}, {200, true}, {99, false}, {201, false}};
    for (const Case& c : cases) {
        write32("mcspos", 0, c.position);
        GraphCapture capture(boards, dialogs);
        ASSERT_TRUE(capture.start(request("mcspos", "curpos", 200, 100, 8)));
        capture.waitIdle();
        EXPECT_EQ(capture.low(), 100);
        EXPECT_EQ(capture.high(), 200);
        const auto samples = capture.samples();
        ASSERT_EQ(samples.size(), 8u) << c.position;  // outside the range counts too
        for (const GraphSample& s : samples) {
            EXPECT_EQ(s.x, c.position);
            EXPECT_EQ(s.read[0], c.inside) << c.position;
            EXPECT_FALSE(s.read[1]);
            if (c.inside) {
                EXPECT_EQ(s.y[0], c.position);
            }
        }
        EXPECT_EQ(capture.cursorText(c.position), c.inside ? std::to_string(c.position) : "----");
    }
    write32("mcspos", 0, 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(GraphSim, FortyEightBitOrdinateIsReadWhole) {
    write48("user48b1", 0, -(1LL << 40));
    GraphCapture capture(boards, dialogs);
    GraphRequest rq = request("mcspos", "gearratio", -10, 10, 2);
    rq.y[1] = {"user48b1", 0};
    rq.yUsed[1] = true;
    ASSERT_TRUE(capture.start(rq));
    capture.waitIdle();
    const auto samples = capture.samples();
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0].y[0], 1LL << 32);  // gearratio 1.0 in S16.32
    EXPECT_EQ(samples[0].y[1], -(1LL << 40));
}

TEST_F(GraphSim, RefusalsOnTheWorkerEndTheCapture) {
    struct Case {
        GraphRequest rq;
        const char* message;
    };
    GraphRequest noName = request("", "curpos", 0, 10, 4);
    GraphRequest badName = request("mcspos", "nosuch", 0, 10, 4);
    GraphRequest noAxis = request("mcspos", "curpos", 0, 10, 4);
    noAxis.y[0].axis = -1;
    GraphRequest noBoard = request("mcspos", "curpos", 0, 10, 4);
    noBoard.board = 3;
    GraphRequest noDepth = request("mcspos", "curpos", 0, 10, 0);
    const Case cases[] = {{noName, "请输入参数名!"},
                          {badName, "错误的参数名!"},
                          {noAxis, "请选择轴号!"},
                          {noBoard, "设备没有连接!"},
                          {noDepth, "内存分配失败!"}};
    for (const Case& c : cases) {
        dialogs.messages.clear();
        GraphCapture capture(boards, dialogs);
        ASSERT_TRUE(capture.start(c.rq));
        capture.waitIdle();
        EXPECT_FALSE(capture.running());
        EXPECT_EQ(capture.sampleCount(), 0);
        ASSERT_EQ(dialogs.messages.size(), 1u) << c.message;
        EXPECT_EQ(dialogs.messages[0], c.message);
    }
}

class GraphStub : public StubToolTest {};

TEST_F(GraphStub, NoOrdinateCheckedReadsNothing) {
    GraphCapture capture(boards, dialogs);
    GraphRequest rq = request("mcspos", "curpos", 0, 10, 4);
    rq.yUsed = {false, false, false};
    ASSERT_TRUE(capture.start(rq));
    capture.waitIdle();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "请至少选择一个y轴!");
    EXPECT_EQ(stub->count("ZEQ_GetParam16") + stub->count("ZEQ_GetParam32") +
                  stub->count("ZEQ_GetParam48"),
              0);
}

TEST_F(GraphStub, TimeoutIsReportedAndEndsTheCapture) {
    stub->results["ZEQ_GetParam32"] = ZEQ_ERR_TIMEOUT;
    GraphCapture capture(boards, dialogs);
    ASSERT_TRUE(capture.start(request("mcspos", "curpos", 0, 10, 4)));
    capture.waitIdle();
    EXPECT_EQ(capture.sampleCount(), 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "获取数据超时!");
}

TEST(GraphZoom, FactorsAtTheSliderPositions) {
    struct Case {
        ZoomAxis axis;
        int position;
        double factor;
        const char* label;
    };
    const Case cases[] = {
        {ZoomAxis::X, 1, 1.0 / 1000, "0.1000%"}, {ZoomAxis::X, 10, 1.0 / 110, "0.9091%"},
        {ZoomAxis::X, 19, 1.0 / 20, "5.0000%"},  {ZoomAxis::X, 20, 1.0 / 11, "9.0909%"},
        {ZoomAxis::X, 29, 0.5, "50.0000%"},      {ZoomAxis::X, 30, 1.0, "100.0000%"},
        {ZoomAxis::X, 39, 10.0, "1000.0000%"},   {ZoomAxis::Y, 1, 1.0 / 100000, "0.0010%"},
        {ZoomAxis::Y, 49, 0.5, "50.0000%"},      {ZoomAxis::Y, 50, 1.0, "100.0000%"},
        {ZoomAxis::Y, 59, 10.0, "1000.0000%"},
    };
    for (const Case& c : cases) {
        const double f = zoomFactor(c.axis, c.position);
        EXPECT_NEAR(f, c.factor, 1e-12) << c.position;
        EXPECT_EQ(zoomLabel(f), c.label) << c.position;
    }
    EXPECT_EQ(zoomSlider(ZoomAxis::X).start, 29);
    EXPECT_EQ(zoomSlider(ZoomAxis::Y).max, 59);
}

class GraphFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("zeq-graph-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string path(const char* name) const { return (dir / name).string(); }
    std::filesystem::path dir;
};

TEST_F(GraphFiles, CsvKeepsEverySlotAndEmptyCellsForUnreadY) {
    std::vector<GraphSample> samples(2);
    samples[0].x = -7;
    samples[0].y = {1LL << 40, 0, 3};
    samples[0].read = {true, false, true};
    samples[1].x = 9;  // outside the range: no Y read
    ASSERT_TRUE(writeGraphCsv(path("a.csv"), samples));
    std::ifstream in(path("a.csv"));
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "sample,x,y1,y2,y3\n0,-7,1099511627776,,3\n1,9,,,\n");

    std::vector<GraphSample> back;
    std::string error;
    ASSERT_TRUE(readGraphCsv(path("a.csv"), back, error)) << error;
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].y[0], 1LL << 40);
    EXPECT_EQ(back[0].read, (std::array<bool, 3>{true, false, true}));
    EXPECT_FALSE(back[1].read[0]);

    const char* bad[] = {"x,y\n", "sample,x,y1,y2,y3\n0,1,2,3\n", "sample,x,y1,y2,y3\n1,1,,,\n",
                         "sample,x,y1,y2,y3\n0,1,z,,\n", ""};
    for (const char* text : bad) {
        std::ofstream(path("b.csv"), std::ios::trunc) << text;
        back = samples;
        EXPECT_FALSE(readGraphCsv(path("b.csv"), back, error)) << text;
        EXPECT_EQ(back.size(), 2u);  // left as it was
    }
}

TEST_F(GraphFiles, SettingsDefaultsAndRoundTrip) {
    const GraphSettings d = loadGraphSettings(path("none.ini"));
    EXPECT_EQ(d.xName, "mcspos");
    EXPECT_EQ(d.high, 5120);
    EXPECT_EQ(d.depth, 512);
    std::ofstream(path("z.ini")) << "[GRAPHDLG]\nDepth = lots\nXAxisMax = -40\n[Other]\nk = v\n";
    GraphSettings s = loadGraphSettings(path("z.ini"));
    EXPECT_EQ(s.depth, 512);
    EXPECT_EQ(s.low, -40);
    s.yNames[2] = "curpos";
    s.inputX = 12;
    ASSERT_TRUE(saveGraphSettings(path("z.ini"), s));
    const GraphSettings again = loadGraphSettings(path("z.ini"));
    EXPECT_EQ(again.yNames[2], "curpos");
    EXPECT_EQ(again.inputX, 12);
    EXPECT_EQ(again.low, -40);
}

}  // namespace
}  // namespace zeq::desk::test
