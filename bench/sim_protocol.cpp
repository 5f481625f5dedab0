// Cost of the virtual card's wire protocol as the transport drives it: a 16-bit parameter write
// with its acknowledge query, and a verified 32-bit read (block, acknowledge, read-back status,
// value, checksum), each through a bridge port.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "sim/sim.h"
#include "sim/sim_backend.h"

namespace {

struct Bench {
    std::unique_ptr<zeq::bridge::Backend> backend;
    std::unique_ptr<zeq::bridge::Port> port;
    Bench() {
        setenv("ZEQLINK_SIM", "1", 1);
        zeq::sim::reset_all();
        backend = zeq::sim::make_sim_backend();
        backend->list();
        zeq::sim::card(0).set_clock(zeq::sim::ClockMode::Step, 10'000);
        backend->open(0, &port);
    }
    void send(const uint8_t* b, uint32_t n) {
        uint32_t w = 0;
        port->write(b, n, &w);
    }
    uint32_t recv(uint8_t* b, uint32_t n) {
        uint32_t got = 0;
        port->read(b, n, &got);
        return got;
    }
};

void BM_WriteParam16WithAck(benchmark::State& state) {
    Bench b;
    // user16b0 (307) of axis 0 ← 0x1234 through the queue FIFO, then the acknowledge query.
    const uint8_t frame[] = {0x84, 0x05, 0x33, 0x81, 0x34, 0x12, 0x67, 0x93};
    const uint8_t ack = 0x4C;
    uint8_t st = 0;
    for (auto _ : state) {
        b.send(frame, sizeof frame);
        b.send(&ack, 1);
        benchmark::DoNotOptimize(b.recv(&st, 1));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteParam16WithAck);

void BM_VerifiedRead32(benchmark::State& state) {
    Bench b;
    // curpos (225) of axis 0: block, acknowledge, read-back status, value, checksum.
    const uint8_t block[] = {0x80, 0x03, 0xE1, 0x20, 0xE1, 0x20};
    const uint8_t ack = 0x4C, fifo = 0x49;
    const uint8_t value[] = {0xC0, 0x03}, sum[] = {0xC0, 0x01};
    uint8_t buf[8];
    for (auto _ : state) {
        b.send(block, sizeof block);
        b.send(&ack, 1);
        b.recv(buf, 1);
        b.send(&fifo, 1);
        b.recv(buf, 1);
        b.send(value, 2);
        b.recv(buf, 4);
        b.send(sum, 2);
        benchmark::DoNotOptimize(b.recv(buf, 2));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_VerifiedRead32);

}  // namespace

BENCHMARK_MAIN();
