// zoltctl eq: room-correction filter lists into and out of the equalisers of a preset
// file, without a processor.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zolt::ctl {

// EQ block 0..17 of a block name as a person types it ("music-left", "mic-1-2", "out-3",
// "surround-l", "music-left-deq", ...); -1 for an unknown name.
int EqBlockOfName(std::string_view name);

// Runs "eq import FILE[:MODE] BLOCK LIST" or "eq export FILE[:MODE] BLOCK" (words start
// with "eq"). FILE is a one-mode (.dia) or all-modes (.dat) file; MODE 1..21 picks a mode
// of an all-modes file (default: the mode its system block names). Import rewrites FILE
// in one step and prints the report; export prints the list. Returns a zoltctl exit code.
int RunEq(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

} // namespace zolt::ctl
