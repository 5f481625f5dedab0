// White-box access to the virtual cards, for tests and tools.
//
// Cards are process-wide: card i is created on first use (by the device list, an open, or
// card(i)) with ZEQLINK_SIM_AXES axes, and keeps its registers, flash and FIFOs across
// close and open, as a real card keeps them while powered. reset_all() drops every card, so a
// test can start from freshly powered cards; references and ports obtained before it keep the
// dropped cards alive but no longer reach the device list.
//
// Typical test:
//   zeq::sim::reset_all();
//   auto& c = zeq::sim::card(0);
//   c.set_clock(zeq::sim::ClockMode::Step, 100'000);
//   c.set_faults("drop=1");
//   ... drive the card through a Port or the C API ...
//   EXPECT_EQ(c.reg32(0, zeq::sim::reg::mcspos), 1000);
#pragma once

#include <memory>

#include "sim/card.h"
#include "sim/regs.h"

namespace zeq::sim {

// Card i (0-based), created when it does not exist yet.
SimCard& card(int i);
std::shared_ptr<SimCard> card_ptr(int i);
// Drops every card.
void reset_all();
// The number of virtual cards the device list shows now (ZEQLINK_SIM, default 0).
int listed_cards();

}  // namespace zeq::sim
