// The stand-in libftdi1's USB bus carries the virtual cards: bus device i is virtual card i
// (ZEQLINK_SIM of them). The device list then shows them twice, first as USB bridges through the
// libftdi backend, then as the built-in virtual cards; the card tests open indexes 0 and 1, and
// so reach the cards through the libftdi backend.
#include <memory>

#include "ftdi_standin.h"
#include "sim/sim_backend.h"

namespace {

struct VirtualCardsOnTheBus {
    std::unique_ptr<zeq::bridge::Backend> cards = zeq::sim::make_sim_backend();
    VirtualCardsOnTheBus() { ftdi_standin_attach(cards.get()); }
    ~VirtualCardsOnTheBus() { ftdi_standin_attach(nullptr); }
};

VirtualCardsOnTheBus bus;

}  // namespace
