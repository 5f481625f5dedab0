// The bridge backend of the virtual cards: list() shows ZEQLINK_SIM cards described
// "ZEQ-SIM0" …, open() hands out a Port that speaks the card's wire protocol.
#pragma once

#include <memory>

#include "transport/bridge.h"

namespace zeq::sim {

std::unique_ptr<zeq::bridge::Backend> make_sim_backend();

}  // namespace zeq::sim
