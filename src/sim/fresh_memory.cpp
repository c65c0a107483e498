#include "sim/fresh_memory.h"

#include <algorithm>

#include "link/fresh_pager.h"

namespace kpx::sim {

BoardMemory FreshBoardMemory() {
    BoardMemory memory{};
    const ImageBytes pager = FreshPagerMemory();
    std::copy(pager.begin(), pager.end(), memory.begin());
    return memory;
}

EepromMemory FreshEepromMemory() {
    EepromMemory memory;
    memory.fill(0xFF);
    const ImageBytes pager = FreshPagerMemory();
    std::copy(pager.begin(), pager.end(), memory.begin());
    return memory;
}

}  // namespace kpx::sim
