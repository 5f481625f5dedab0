// zeq's command-line conventions: --help for the tool and each command (with examples),
// --version, exit status 2 for usage errors.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <regex>
#include <string>

#include "command_output.h"

namespace {

using zeq::cli::test::Result;
using zeq::cli::test::runCommand;

Result zeq(const std::string& args) {
    const std::string cmd = std::string(ZEQ_BIN_DIR) + "/zeq " + args + " 2>&1";
    return runCommand(cmd);
}

TEST(ZeqHelp, TopLevelHelpShowsEveryCommandAndAnExampleOfEveryGlobalOption) {
    const Result r = zeq("--help");
    EXPECT_EQ(r.status, 0);
    for (const char* command : {"compile", "run", "exec", "devices", "params"}) {
        EXPECT_NE(r.out.find(command), std::string::npos) << command;
    }
    for (const char* example :
         {"zeq --home ", "zeq --sim ", "--board 0=0", "zeq --card-type ", "zeq --version"}) {
        EXPECT_NE(r.out.find(example), std::string::npos) << example;
    }
}

TEST(ZeqHelp, EachCommandsHelpEndsWithItsExamples) {
    for (const char* command : {"compile", "run", "exec", "devices", "params"}) {
        const Result r = zeq(std::string(command) + " --help");
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_NE(r.out.find("Example"), std::string::npos) << command;
        EXPECT_NE(r.out.find(std::string("zeq ")), std::string::npos) << command;
    }
}

TEST(ZeqHelp, VersionAnswersWithTheProgramVersion) {
    const Result r = zeq("--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(^zeq \d+\.\d+\.\d+)"))) << r.out;
}

TEST(ZeqHelp, UsageErrorsExitTwo) {
    for (const char* args : {"--bogus devices", "--sim many devices", "run", "exec",
                             "devices --unknown", "--card-type 3 devices"}) {
        EXPECT_EQ(zeq(args).status, 2) << args;
    }
}

}  // namespace
