// The cost of one parameter exchange: ZEQ_SetParam32 and ZEQ_GetParam32 against a virtual card,
// and the library's own share of it (the same exchanges against a bridge that answers at once
// without modelling a card). Heap allocations per exchange are counted: the engines make none.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "transport/device.h"
#include "transport/device_registry.h"
#include "zeqlink.h"

namespace {

std::atomic<long> g_allocations{0};

// A bridge that acknowledges every block and answers every read with the correct checksum.
class InstantPort final : public zeq::bridge::Port {
  public:
    zeq::bridge::Status write(const void* buf, uint32_t n, uint32_t* written) override {
        const auto* b = static_cast<const uint8_t*>(buf);
        *written = n;
        if (n == 1) {
            // 0x4C: every block taken. 0x49: the immediate read-back FIFO holds the reply of
            // the last read (0x02: only the queue one is empty) or nothing (0x0A).
            reply_[0] = b[0] == 0x49 ? (pendingRead_ ? 0x02 : 0x0A) : 0x00;
            replyLen_ = 1;
        } else if (b[0] == 0x80 && n == 6) {  // a read block: command word twice
            cmd_ = static_cast<uint16_t>(b[2] | b[3] << 8);
            pendingRead_ = true;
        } else if (b[0] == 0xC0) {
            replyLen_ = b[1] + 1u;
            if (replyLen_ == 4) {
                std::memcpy(reply_, &value_, 4);
            } else {
                const auto sum = static_cast<uint16_t>(cmd_ + (value_ & 0xFFFF) + (value_ >> 16));
                std::memcpy(reply_, &sum, 2);
                pendingRead_ = false;
            }
        }
        return ZEQ_FT_OK;
    }
    zeq::bridge::Status read(void* buf, uint32_t n, uint32_t* got) override {
        const uint32_t k = n < replyLen_ ? n : replyLen_;
        std::memcpy(buf, reply_, k);
        *got = k;
        replyLen_ = 0;
        return ZEQ_FT_OK;
    }
    zeq::bridge::Status purge(uint32_t) override { return ZEQ_FT_OK; }
    zeq::bridge::Status setTimeouts(uint32_t, uint32_t) override { return ZEQ_FT_OK; }
    zeq::bridge::Status resetDevice() override { return ZEQ_FT_OK; }
    zeq::bridge::Status eeRead(ZEQ_EEPROM_DATA*) override { return ZEQ_FT_OK; }
    zeq::bridge::Status eeProgram(const ZEQ_EEPROM_DATA*) override { return ZEQ_FT_OK; }
    zeq::bridge::Status close() override { return ZEQ_FT_OK; }

  private:
    uint8_t reply_[8] = {};
    uint32_t replyLen_ = 0;
    uint16_t cmd_ = 0;
    uint32_t value_ = 0x00012345;
    bool pendingRead_ = false;
};

ZEQ_HANDLE open_sim() {
    setenv("ZEQLINK_SIM", "1", 1);
    setenv("ZEQLINK_SIM_CLOCK", "step", 1);
    unsetenv("ZEQLINK_TRACE");
    ZEQ_HANDLE h = 0;
    uint32_t count = 0;
    ZEQ_ListDevices(&count, nullptr, ZEQ_FT_LIST_NUMBER_ONLY);
    ZEQ_Open(static_cast<int>(count) - 1, &h);
    return h;
}

ZEQ_HANDLE open_instant() {
    auto rec = std::make_unique<zeq::link::DeviceRecord>();
    rec->link = std::make_unique<InstantPort>();
    return zeq::link::register_device(std::move(rec))->handle;
}

template <typename Op>
void run(benchmark::State& state, ZEQ_HANDLE h, Op op) {
    if (h == 0) {
        state.SkipWithError("no device");
        return;
    }
    long before = g_allocations.load();
    for (auto _ : state) benchmark::DoNotOptimize(op(h));
    state.counters["allocs_per_exchange"] = static_cast<double>(g_allocations.load() - before) /
                                            static_cast<double>(state.iterations());
}

int set32(ZEQ_HANDLE h) {
    return ZEQ_SetParam32(h, 12, 0x12345, 0, 0);
}
int get32(ZEQ_HANDLE h) {
    int32_t v;
    return ZEQ_GetParam32(h, 12, &v, 0, 0);
}

// Each benchmark function runs several times; the devices are opened once.
ZEQ_HANDLE sim_card() {
    static ZEQ_HANDLE h = open_sim();
    return h;
}
ZEQ_HANDLE instant_card() {
    static ZEQ_HANDLE h = open_instant();
    return h;
}

void BM_SetParam32_VirtualCard(benchmark::State& s) {
    run(s, sim_card(), set32);
}
void BM_GetParam32_VirtualCard(benchmark::State& s) {
    run(s, sim_card(), get32);
}
void BM_SetParam32_LibraryOnly(benchmark::State& s) {
    run(s, instant_card(), set32);
}
void BM_GetParam32_LibraryOnly(benchmark::State& s) {
    run(s, instant_card(), get32);
}

BENCHMARK(BM_SetParam32_VirtualCard);
BENCHMARK(BM_GetParam32_VirtualCard);
BENCHMARK(BM_SetParam32_LibraryOnly);
BENCHMARK(BM_GetParam32_LibraryOnly);

}  // namespace

void* operator new(std::size_t n) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

BENCHMARK_MAIN();
