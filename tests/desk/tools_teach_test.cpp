// Teach: the point list, its CSV file, jog, record, return to point 1 and playback on a
// virtual card.
#include <gtest/gtest.h>

#include "binding/device_wrappers.h"
#include "desk/tools_card_fixture.h"
#include "tools/teach/point_list.h"
#include "tools/teach/teach_messages.h"
#include "tools/teach/teach_player.h"

namespace zeq::desk::test {
namespace {

using namespace zeq::desk::teach;

class NullObserver : public TeachObserver {
  public:
    void runningChanged(bool r) override { captions.push_back(r ? msg::kStop : msg::kRun); }
    std::vector<std::string> captions;
};

TEST(PointCells, OnlyDigitsDotAndMinus) {
    struct Case {
        const char* text;
        CellRead read;
        double value;
    } cases[] = {
        {"12.5", CellRead::Value, 12.5}, {"-3", CellRead::Value, -3}, {"", CellRead::Empty, 0},
        {"12a", CellRead::Bad, 0},       {"1e3", CellRead::Bad, 0},   {"--1", CellRead::Bad, 0},
        {" 1", CellRead::Bad, 0},        {"1.2.3", CellRead::Bad, 0},
    };
    for (const Case& c : cases) {
        double v = 0;
        EXPECT_EQ(readCell(c.text, v), c.read) << c.text;
        if (c.read == CellRead::Value) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
}

class Teach : public ToolsTest {
  protected:
    void SetUp() override {
        ToolsTest::SetUp();
        settings.handle = handle;
        settings.checkedAxes = 0x3;
        settings.jogSpeed = 10;
        for (int a = 0; a < 4; ++a) {
            double p = 0;
            ASSERT_EQ(MyGetActPos(handle, &p, a, 0), 0);
            start[a] = p;
        }
    }
    // Playback leaves the moves in the queue FIFO; the card finishes them as time goes on.
    void waitForRest() {
        int still = 0;
        for (int tries = 0; tries < 200000 && still < 20; ++tries) {
            bool moving = false;
            for (int a = 0; a < 4; ++a) {
                int st = 0;
                if (myReadParamWord(handle, a, 218, &st) != 0 || st != 0) moving = true;
            }
            int st = 0;  // contour words still queued (path playback)
            if (myReadParamWord(handle, 0, 519, &st) != 0 || st != 0) moving = true;
            still = moving ? 0 : still + 1;
        }
        ASSERT_EQ(still, 20) << "axes still moving";
    }
    double position(int axis) {
        double p = 0;
        EXPECT_EQ(MyGetActPos(handle, &p, axis, 0), 0);
        return p;
    }
    PointList twoPoints() {
        PointList points(4);
        const char* rows[][4] = {{"200", "-100", "", ""}, {"50", "300", "", ""}};
        for (auto& cells : rows) {
            PointRow& r = points.row(points.appendRow());
            for (int a = 0; a < 4; ++a) r.cells[static_cast<std::size_t>(a)] = cells[a];
            r.speed = "2000";
            r.endSpeed = "2000";
        }
        return points;
    }
    TeachSettings settings;
    NullObserver observer;
    TeachPlayer player{dialogs, observer, clock};
    double start[4] = {};
};

TEST_F(Teach, EveryModeMovesTheAxesToTheRecordedPoints) {
    for (int mode : {1, 0, 2}) {
        SCOPED_TRACE(mode);
        settings.mode = mode;
        ASSERT_TRUE(player.play(settings, twoPoints()))
            << (dialogs.messages.empty() ? "" : dialogs.messages.back());
        waitForRest();
        EXPECT_NEAR(position(0), 50, 1.0);
        EXPECT_NEAR(position(1), 300, 1.0);
        EXPECT_EQ(position(2), start[2]);
        // Back to a start that differs from point 1 for the next mode.
        ASSERT_EQ(MyMoveAbsolute(handle, 0, 0, 0), 0);
        ASSERT_EQ(MyMoveAbsolute(handle, 0, 1, 0), 0);
        waitForRest();
    }
    EXPECT_EQ(observer.captions.front(), msg::kStop);
    EXPECT_EQ(observer.captions.back(), msg::kRun);
}

TEST_F(Teach, RowsWithoutCheckedAxesOrWithBadCells) {
    settings.checkedAxes = 0;
    PointList points(4);
    ASSERT_TRUE(player.record(settings, points));
    EXPECT_EQ(points.row(0).cells, std::vector<std::string>(4));
    EXPECT_EQ(points.row(0).speed, "1.0");
    settings.checkedAxes = 0x3;
    for (int mode : {0, 1}) {
        settings.mode = mode;
        EXPECT_TRUE(player.play(settings, points));
        waitForRest();
        EXPECT_EQ(position(0), start[0]);
        EXPECT_EQ(position(1), start[1]);
    }
    PointList bad = twoPoints();
    bad.row(1).cells[1] = "12a";
    for (int mode : {0, 1, 2}) {
        settings.mode = mode;
        dialogs.messages.clear();
        EXPECT_FALSE(player.play(settings, bad));
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_EQ(dialogs.messages.back(), msg::kBadCell);
        waitForRest();
    }
    settings.mode = 2;
    settings.checkedAxes = 0xF;
    dialogs.messages.clear();
    EXPECT_FALSE(player.play(settings, twoPoints()));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{msg::kPathAxes});
}

TEST_F(Teach, RecordReturnToPoint1AndJog) {
    PointList points(4);
    ASSERT_TRUE(player.record(settings, points));
    char cell[32];
    std::snprintf(cell, sizeof cell, "%.4lf", start[0]);
    EXPECT_EQ(points.row(0).cells[0], cell);
    EXPECT_EQ(points.row(0).cells[2], "");
    points.row(0).cells[0] = "120";
    ASSERT_TRUE(player.returnToPoint1(settings, points));
    EXPECT_TRUE(player.atPoint1());
    waitForRest();
    EXPECT_NEAR(position(0), 120, 1.0);
    EXPECT_FALSE(player.jog(settings, 3, 1));
    EXPECT_EQ(dialogs.messages.back(), msg::kCheckAxisFirst);
    EXPECT_TRUE(player.atPoint1());
    ASSERT_TRUE(player.jog(settings, 0, 1));
    EXPECT_FALSE(player.atPoint1());
    ASSERT_TRUE(player.jog(settings, 0, 0));
    waitForRest();
    TeachSettings zero = settings;
    zero.jogSpeed = 0;
    EXPECT_FALSE(player.jog(zero, 0, 1));
    EXPECT_EQ(dialogs.messages.back(), msg::kSpeedZero);
    points.row(0).cells[0] = "x";
    EXPECT_FALSE(player.returnToPoint1(settings, points));
    EXPECT_EQ(dialogs.messages.back(), msg::kPoint1BadCell);
    EXPECT_FALSE(player.returnToPoint1(settings, PointList(4)));
    EXPECT_EQ(dialogs.messages.back(), msg::kRecordFirst);
}

TEST_F(Teach, PointListRenumbersAndSurvivesItsCsvFile) {
    PointList points = twoPoints();
    points.appendRow();
    points.row(2).cells[3] = "a,\"b\"";
    points.deleteRow(0);
    EXPECT_EQ(PointList::rowName(1), "point2");
    const std::string path = (dir / "p.csv").string();
    ASSERT_TRUE(points.saveCsv(path));
    PointList loaded(2);
    std::string error;
    ASSERT_TRUE(loaded.loadCsv(path, error)) << error;
    ASSERT_EQ(loaded.rowCount(), 2);
    EXPECT_EQ(loaded.axisCount(), 4);
    EXPECT_EQ(loaded.row(0).cells, points.row(0).cells);
    EXPECT_EQ(loaded.row(1).cells[3], "a,\"b\"");
    for (const char* text : {"", "junk\n", "point,axis0,speed,endspeed\npoint1,1,2\n",
                             "point,axis0,speed,endspeed\npoint1,\"1,2,3\n"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(loaded.loadCsv(writeFile("bad.csv", text), error));
        EXPECT_EQ(error, msg::kCsvBad);
        EXPECT_EQ(loaded.rowCount(), 2);
    }
}

}  // namespace
}  // namespace zeq::desk::test
