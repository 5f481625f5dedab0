// Shared set-up for tests that talk to virtual cards through the public interface: the
// deterministic clock, a bridge trace to inspect the bytes on the wire, and faults per open.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "sim/sim.h"
#include "zeqlink.h"

namespace zeq::test {

class LinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tracePath_ = ::testing::TempDir() + "zeqlink_trace_" + std::to_string(::getpid()) + ".txt";
        setenv("ZEQLINK_SIM", "2", 1);
        setenv("ZEQLINK_SIM_CLOCK", "step", 1);
        setenv("ZEQLINK_TRACE", tracePath_.c_str(), 1);
        unsetenv("ZEQLINK_SIM_FAULTS");
        unsetenv("ZEQLINK_SIM_AXES");
        zeq::sim::reset_all();  // freshly powered cards, no faults left from another test
        clearTrace();
    }

    void TearDown() override {
        for (ZEQ_HANDLE h : opened_) ZEQ_Close(h);
        unsetenv("ZEQLINK_SIM_FAULTS");
        unsetenv("ZEQLINK_SIM_AXES");
        unsetenv("ZEQLINK_TRACE");
    }

    // Opens virtual card `index`, keeps it for TearDown, then arms the given faults (so that
    // the open sequence itself does not consume them).
    ZEQ_HANDLE open(int index = 0, const char* faults = nullptr) {
        ZEQ_HANDLE h = 0;
        int rc = ZEQ_Open(index, &h);
        EXPECT_EQ(rc, ZEQ_OK);
        if (rc == ZEQ_OK) opened_.push_back(h);
        if (faults) {
            EXPECT_TRUE(zeq::sim::card(index).set_faults(faults)) << faults;
        }
        return h;
    }

    void forget(ZEQ_HANDLE h) { std::erase(opened_, h); }

    void clearTrace() { std::ofstream(tracePath_, std::ios::trunc); }

    std::vector<std::string> trace() const {
        std::vector<std::string> lines;
        std::ifstream in(tracePath_);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    // Only the lines that write a frame beginning with `header` (e.g. "80", "4C").
    std::vector<std::string> writes(const std::string& header) const {
        std::vector<std::string> out;
        for (const std::string& l : trace())
            if (l.rfind("W " + header, 0) == 0) out.push_back(l);
        return out;
    }

    std::string tracePath_;
    std::vector<ZEQ_HANDLE> opened_;
};

}  // namespace zeq::test
