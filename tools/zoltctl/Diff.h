// zoltctl diff and the --verify checks: the differences between two presets shown one line
// per differing field, or as JSON.
#pragma once

#include "Dump.h"

#include "link/PresetCompare.h"

#include <ostream>
#include <string>
#include <vector>

namespace zolt::ctl {

// One line per difference, in order: "mode 3: Mic 1&2 EQ band 3 gain: 6.0 dB -> 4.2 dB",
// "system: Music max volume: 84 -> 70"; with raw, the field's bytes in hex instead.
void PrintDifferences(const std::vector<SFieldDifference>& differences, const SPresetFile& a,
                      const SPresetFile& b, bool raw, std::ostream& out);

// The differences as nodes for JSON: a list of {mode, block, field, a, b}.
SDumpNode DescribeDifferences(const std::vector<SFieldDifference>& differences,
                              const SPresetFile& a, const SPresetFile& b);

} // namespace zolt::ctl
