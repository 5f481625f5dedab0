// Set-up for the motion and event tests: one freshly powered virtual card on the deterministic
// clock, opened through the public interface, with the bridge trace decoded into the parameter
// command blocks that went out.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/sim.h"
#include "zeqlink.h"

namespace zeq::test {

// One command block as decoded from a write transfer to a command FIFO port.
struct Block {
    bool queue = false;  // port 4 (queue FIFO) rather than port 0
    int op = 0;          // bits 15..13 of the command word: 4 = write 16, 5 = write 32, 6 = 48
    int axis = 0;
    int address = 0;
    int64_t value = 0;  // the value words, low first (raw, not sign-extended)

    int width() const { return op == 4 ? 16 : op == 5 ? 32 : op == 6 ? 48 : 0; }
};

class MotionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tracePath_ =
            ::testing::TempDir() + "zeq_motion_trace_" + std::to_string(::getpid()) + ".txt";
        std::ofstream(tracePath_, std::ios::trunc);
        setenv("ZEQLINK_SIM", "1", 1);
        setenv("ZEQLINK_SIM_CLOCK", "step", 1);
        setenv("ZEQLINK_TRACE", tracePath_.c_str(), 1);
        unsetenv("ZEQLINK_SIM_FAULTS");
        unsetenv("ZEQLINK_SIM_AXES");
        zeq::sim::reset_all();
        ASSERT_EQ(ZEQ_Open(0, &h_), ZEQ_OK);
        mark();
    }

    void TearDown() override {
        if (h_ != 0) ZEQ_Close(h_);
        unsetenv("ZEQLINK_TRACE");
        unsetenv("ZEQLINK_SIM_CLOCK");
        zeq::sim::reset_all();
    }

    zeq::sim::SimCard& card() { return zeq::sim::card(0); }

    // Forget the trace so far: later calls see only what follows.
    void mark() { traceStart_ = lines().size(); }

    // Trace lines since the mark.
    std::vector<std::string> since() const {
        std::vector<std::string> all = lines();
        if (traceStart_ >= all.size()) return {};
        return {all.begin() + static_cast<long>(traceStart_), all.end()};
    }

    // Parameter write blocks since the mark, in order.
    std::vector<Block> writes() const {
        std::vector<Block> out;
        for (const std::string& line : since()) {
            std::vector<int> b = bytes(line);
            if (line[0] != 'W' || b.size() < 4) continue;
            if ((b[0] != 0x80 && b[0] != 0x84) || b[1] + 3 != static_cast<int>(b.size())) continue;
            const int words = (b[1] + 1) / 2;
            if (words < 3) continue;  // a raw word, not a command block
            Block k;
            k.queue = b[0] == 0x84;
            const int cmd = b[2] | b[3] << 8;
            k.op = cmd >> 13;
            k.axis = (cmd >> 10) & 7;
            k.address = cmd & 0x3FF;
            for (int i = 1; i < words - 1; ++i) {
                k.value |= static_cast<int64_t>(b[2 + 2 * i] | b[3 + 2 * i] << 8) << (16 * (i - 1));
            }
            if (k.op >= 4) out.push_back(k);
        }
        return out;
    }

    // The (address) sequence of the writes since the mark.
    std::vector<int> written_addresses() const {
        std::vector<int> out;
        for (const Block& b : writes()) out.push_back(b.address);
        return out;
    }

    ZEQ_HANDLE h_ = 0;

  private:
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        std::ifstream in(tracePath_);
        for (std::string l; std::getline(in, l);) out.push_back(l);
        return out;
    }

    static std::vector<int> bytes(const std::string& line) {
        std::vector<int> out;
        std::istringstream in(line.substr(1));
        for (std::string hex; in >> hex;) out.push_back(std::stoi(hex, nullptr, 16));
        return out;
    }

    std::string tracePath_;
    size_t traceStart_ = 0;
};

}  // namespace zeq::test
