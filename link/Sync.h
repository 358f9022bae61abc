// The synchronisation pass: compares the working image with the shadow and the system
// block with its shadow, item by item in a fixed priority order, and turns the first
// difference into one frame; with no difference it builds the next meter poll.
#pragma once

#include "link/Frame.h"

#include <cstdint>

namespace zolt {

// One pass. Copies the first differing item into its shadow and leaves exactly one
// finalised frame in current (bytes 0 and 1 are written too); with nothing differing it
// writes the level poll (12) or the state poll (24), alternating through alternation
// (0: level poll next). Output records refer to the live output set; an output mode other
// than 1..3 uses set 1, like the rest of the program. No allocation. Comm thread, image
// lock held.
void SyncPass(SFrameRecord& current, std::uint8_t& alternation);

// The next meter poll (alternating as SyncPass does) for outputMode, nothing compared: the
// pass while synchronisation is held. Comm thread, image lock held.
void WritePoll(SFrameRecord& current, std::uint8_t& alternation, std::uint8_t outputMode);

// The number of compared items of one pass (for tests and the benchmark).
std::size_t SyncItemCount();

} // namespace zolt
