// zoltctl eq: room-correction filter lists into and out of the equalisers of a preset
// file, and an equaliser fitted to a measured response, without a processor.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zolt::ctl {

// EQ block 0..17 of a block name as a person types it ("music-left", "mic-1-2", "out-3",
// "surround-l", "music-left-deq", ...); -1 for an unknown name.
int EqBlockOfName(std::string_view name);

// The options of "eq fit" as written on the command line; empty when not given.
struct SFitOptions {
    std::string m_strTarget; // --target FILE: a target response in the measurement's format
    std::string m_strHouse;  // --house BASS_DB,TILT_DB: a house curve
    std::string m_strFrom;   // --from HZ
    std::string m_strTo;     // --to HZ
    std::string m_strBands;  // --bands N
    bool Any() const;
};

// Runs "eq import FILE[:MODE] BLOCK LIST", "eq export FILE[:MODE] BLOCK" or "eq fit
// FILE[:MODE] BLOCK MEASUREMENT" (words start with "eq"). FILE is a one-mode (.dia) or
// all-modes (.dat) file; MODE 1..21 picks a mode of an all-modes file (default: the mode
// its system block names). Import and fit rewrite FILE in one step and print their report;
// export prints the list. The options belong to fit alone. Returns a zoltctl exit code.
int RunEq(const std::vector<std::string>& words, const SFitOptions& options, std::ostream& out,
          std::ostream& err);

} // namespace zolt::ctl
