// Run control in the window without a window: the enabling of every run command, and the
// breakpoints kept in zeq.ini.
#include "shell/rules/run_rules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/command_ids.h"
#include "shell/rules/breakpoint_book.h"
#include "shell/rules/ini_store.h"

namespace zeq::desk {
namespace {

// One row per state; the letters say which commands are enabled there:
// A analyse, R run, S step, P pause, C continue, T stop, H hold, E emergency stop,
// X execute instruction.
struct EnablingCase {
    const char* name;
    RunState state;
    const char* enabled;
};

TEST(RunRules, EveryCommandFollowsTheRunState) {
    const EnablingCase cases[] = {
        {"idle, no board", {}, "A"},
        {"idle, board", {.connected = true}, "ARSHEX"},
        {"running", {.connected = true, .running = true}, "SPTHEX"},
        {"paused", {.connected = true, .running = true, .paused = true}, "SCTHEX"},
        {"stepping",
         {.connected = true, .running = true, .paused = true, .stepMode = true},
         "SCTHEX"},
        {"step mode, between statements",
         {.connected = true, .running = true, .stepMode = true},
         "STHEX"},
        // The board went away under a run: it can still be stopped.
        {"running, board gone", {.running = true}, "TE"},
        {"box busy, board gone", {.boxBusy = true}, "AE"},
        {"box busy", {.connected = true, .boxBusy = true}, "ARSHEX"},
    };
    const std::pair<char, int> commands[] = {
        {'A', cmd::kCompile},     {'R', cmd::kRun},           {'S', cmd::kStep},
        {'P', cmd::kPause},       {'C', cmd::kContinue},      {'T', cmd::kStop},
        {'H', cmd::kPauseMotors}, {'E', cmd::kEmergencyStop}, {'X', cmd::kExecInstruction},
    };
    for (const EnablingCase& c : cases) {
        std::string got;
        for (const auto& [letter, id] : commands)
            if (runCommandEnabled(id, c.state)) got += letter;
        EXPECT_EQ(got, c.enabled) << c.name;
    }
    EXPECT_TRUE(runCommandEnabled(cmd::kMarkRunning, {}));
}

TEST(RunRules, BreakpointsRoundTripAndSurviveADamagedSection) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "zeq-breakpoints-test.ini").string();
    std::ofstream(path, std::ios::binary)
        << "[Breakpoints]\n"
           "1=3,12,3|/w/a.zeq\n"  // duplicate dropped
           "2=x,4|/w/b.zeq\n"     // damaged: skipped
           "3=5|\n"               // no path: skipped
           "4=0,2|/w/c.zeq\n"     // line 0 does not exist: skipped
           "5=7|/w/a.zeq\n"       // a second entry of a known file: skipped
           "6=99999999999|/w/d.zeq\n"
           "7=2|/w/e|f.zeq\n";  // a bar inside the path belongs to the path
    IniStore ini;
    ASSERT_TRUE(ini.load(path));
    BreakpointBook book;
    book.load(ini);
    EXPECT_EQ(book.lines("/w/a.zeq"), (std::vector<int>{2, 11}));
    EXPECT_TRUE(book.lines("/w/b.zeq").empty());
    EXPECT_TRUE(book.lines("/w/c.zeq").empty());
    EXPECT_TRUE(book.lines("/w/d.zeq").empty());
    EXPECT_EQ(book.lines("/w/e|f.zeq"), (std::vector<int>{1}));
    EXPECT_EQ(book.fileCount(), 2);

    book.set("/w/b.zeq", {9, -1, 4});
    book.set("/w/a.zeq", {});  // its last breakpoint went: forgotten
    for (int i = 0; i < BreakpointBook::kMaxFiles + 3; ++i)
        book.set("/w/many" + std::to_string(i), {i});
    book.save(ini);
    ASSERT_TRUE(ini.save(path));

    IniStore again;
    ASSERT_TRUE(again.load(path));
    EXPECT_EQ(again.getString("Breakpoints", "1", ""), "35|/w/many34");
    BreakpointBook reread;
    reread.load(again);
    EXPECT_EQ(reread.fileCount(), BreakpointBook::kMaxFiles);
    EXPECT_TRUE(reread.lines("/w/a.zeq").empty());
    EXPECT_TRUE(reread.lines("/w/b.zeq").empty());  // the oldest went first
    EXPECT_EQ(reread.lines("/w/many3"), (std::vector<int>{3}));
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace zeq::desk
