// Keeps the serial flash of every virtual card in a directory across processes
// (ZEQLINK_SIM_FLASH=DIR): card i's flash is the file DIR/zeqsim<i>.flash, exactly the flash's
// size. It is read when the card is created and written when the card's port closes and when
// the process exits. Writing goes to a temporary file in DIR that is then renamed over the
// old one, so a reader never sees half a flash.
#pragma once

#include <string>

#include "sim/card.h"

namespace zeq::sim {

// The flash file of card `index`, "" when ZEQLINK_SIM_FLASH is unset or empty.
std::string flash_file(int index);

// Loads the card's flash from its file. A missing file leaves the flash erased; a file of
// another size is ignored (the flash stays erased) rather than trusted.
void load_flash(SimCard& card);

// Writes the card's flash to its file. False when the variable is unset or the write failed
// (the old file then stays as it was).
bool save_flash(SimCard& card);

}  // namespace zeq::sim
