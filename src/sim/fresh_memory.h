#pragma once

#include "sim/board_core.h"
#include "sim/eeprom_simulator.h"

namespace kpx::sim {

// The memories every simulated pager powers up with when none is given (kpx41-boardsim
// without --memory, the window's --simulate in either build): the first 1024 bytes as a write
// of the start-up image leaves them; the rest as an unwritten part of the chip holds it.
BoardMemory FreshBoardMemory();
EepromMemory FreshEepromMemory();

}  // namespace kpx::sim
