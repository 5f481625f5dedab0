// Several threads hammering two cards: the exchange lock keeps every exchange intact.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "link_fixture.h"

using zeq::test::LinkTest;

namespace {

TEST_F(LinkTest, ConcurrentExchangesOnTwoCardsStayIntact) {
    unsetenv("ZEQLINK_TRACE");  // keep the run light
    ZEQ_HANDLE cards[2] = {open(0), open(1)};
    constexpr int kThreads = 4;
    constexpr int kRounds = 150;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ZEQ_HANDLE h = cards[t % 2];
            const int axis = t / 2;  // each thread owns one (card, axis) register
            for (int i = 0; i < kRounds; ++i) {
                const int value = t * 100000 + i;
                if (ZEQ_SetParam32(h, 12, value, axis, i & 1) != ZEQ_OK) failures++;
                int32_t back = 0;
                if (ZEQ_GetParam32(h, 12, &back, axis, 0) != ZEQ_OK || back != value) failures++;
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
