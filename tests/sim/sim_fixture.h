// Shared helpers of the virtual-card tests: a fresh card opened through the sim backend with
// the deterministic clock, raw frame writes and reads, and command-block builders.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <vector>

#include "sim/sim.h"
#include "sim/sim_backend.h"

namespace simtest {

using Bytes = std::vector<uint8_t>;

inline uint16_t cmd(int op, int axis, int addr) {
    return static_cast<uint16_t>((op << 13) | (axis << 10) | addr);
}

// A command block as a write transfer to port 0 (immediate) or 4 (queue).
inline Bytes block(int port, std::initializer_list<uint16_t> words) {
    Bytes b{static_cast<uint8_t>(0x80 | port), static_cast<uint8_t>(2 * (words.size() + 1) - 1)};
    uint16_t sum = 0;
    for (uint16_t w : words) {
        b.push_back(static_cast<uint8_t>(w));
        b.push_back(static_cast<uint8_t>(w >> 8));
        sum = static_cast<uint16_t>(sum + w);
    }
    b.push_back(static_cast<uint8_t>(sum));
    b.push_back(static_cast<uint8_t>(sum >> 8));
    return b;
}
inline Bytes write16(int port, int axis, int addr, uint16_t v) {
    return block(port, {cmd(4, axis, addr), v});
}
inline Bytes write32(int port, int axis, int addr, uint32_t v) {
    return block(port,
                 {cmd(5, axis, addr), static_cast<uint16_t>(v), static_cast<uint16_t>(v >> 16)});
}
inline Bytes read_cmd(int port, int width, int axis, int addr) {
    return block(port, {cmd(width == 16 ? 0 : width == 32 ? 1 : 2, axis, addr)});
}

class SimFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* v :
             {"ZEQLINK_SIM_FAULTS", "ZEQLINK_SIM_CLOCK", "ZEQLINK_SIM_AXES",
              "ZEQLINK_SIM_LATENCY_US", "ZEQLINK_SIM_TICK_US", "ZEQLINK_SIM_STEP_US"})
            unsetenv(v);
        setenv("ZEQLINK_SIM", "2", 1);
        zeq::sim::reset_all();
        backend = zeq::sim::make_sim_backend();
        ASSERT_EQ(backend->list().size(), 2u);
        card = &zeq::sim::card(0);
        card->set_clock(zeq::sim::ClockMode::Step, 10'000);  // 10 µs of card time per call
        ASSERT_EQ(backend->open(0, &port), ZEQ_FT_OK);
    }
    void TearDown() override {
        port.reset();
        zeq::sim::reset_all();
        unsetenv("ZEQLINK_SIM");
    }

    void send(const Bytes& b) {
        uint32_t n = 0;
        ASSERT_EQ(port->write(b.data(), static_cast<uint32_t>(b.size()), &n), ZEQ_FT_OK);
        ASSERT_EQ(n, b.size());
    }
    Bytes recv(uint32_t n) {
        Bytes b(n);
        uint32_t got = 0;
        EXPECT_EQ(port->read(b.data(), n, &got), ZEQ_FT_OK);
        b.resize(got);
        return b;
    }
    uint8_t status(uint8_t q) {
        send({q});
        Bytes b = recv(1);
        return b.empty() ? 0xEE : b[0];
    }
    uint16_t word(int port_reg) {
        send({static_cast<uint8_t>(0xC0 | port_reg), 0x01});
        Bytes b = recv(2);
        return b.size() == 2 ? static_cast<uint16_t>(b[0] | (b[1] << 8)) : 0xEEEE;
    }

    std::unique_ptr<zeq::bridge::Backend> backend;
    std::unique_ptr<zeq::bridge::Port> port;
    zeq::sim::SimCard* card = nullptr;
};

}  // namespace simtest
