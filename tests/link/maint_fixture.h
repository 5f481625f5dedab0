// Set-up for the maintenance and text-command tests: freshly powered virtual cards on the
// deterministic clock, card 0 open, and helpers to read the bridge trace as byte strings.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "link_fixture.h"
#include "sim/sim.h"
#include "zeqlink.h"

namespace zeq::test {

class MaintTest : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        h_ = open(0);
        ASSERT_NE(h_, 0u);
        clearTrace();
    }

    zeq::sim::SimCard& card() { return zeq::sim::card(0); }

    // The upper-case hex text of `bytes` as a trace line shows it ("B8 01 00 00").
    static std::string hex(const std::vector<uint8_t>& bytes) {
        std::string s;
        char buf[4];
        for (uint8_t b : bytes) {
            std::snprintf(buf, sizeof buf, "%02X", b);
            if (!s.empty()) s += ' ';
            s += buf;
        }
        return s;
    }

    // The written byte strings of the trace, in order, without the "W " prefix.
    std::vector<std::string> written() const {
        std::vector<std::string> out;
        for (const std::string& l : trace())
            if (l.rfind("W ", 0) == 0) out.push_back(l.substr(2));
        return out;
    }

    ZEQ_HANDLE h_ = 0;
};

}  // namespace zeq::test
