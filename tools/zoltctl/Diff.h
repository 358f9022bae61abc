// zoltctl diff and the --verify checks: two presets compared field by field through the
// field table, shown one line per differing field, or as JSON.
#pragma once

#include "Dump.h"

#include "model/Fields.h"

#include <ostream>
#include <string>
#include <vector>

namespace zolt {
struct SPresetFile;
}

namespace zolt::ctl {

// The fields that differ between a and b, block by block: the system blocks, then the
// images (two one-mode files: their images, mode 0; two all-modes files: modes 1..21; a
// one-mode file and an all-modes file: the image against the mode the all-modes file names
// as current). False with a reason when such a mixed pair names no mode 1..21.
bool ComparePresets(const SPresetFile& a, const SPresetFile& b,
                    std::vector<SFieldDifference>& differences, std::string& error);

// One line per difference, in order: "mode 3: Mic 1&2 EQ band 3 gain: 6.0 dB -> 4.2 dB",
// "system: Music max volume: 84 -> 70"; with raw, the field's bytes in hex instead.
void PrintDifferences(const std::vector<SFieldDifference>& differences, const SPresetFile& a,
                      const SPresetFile& b, bool raw, std::ostream& out);

// The differences as nodes for JSON: a list of {mode, block, field, a, b}.
SDumpNode DescribeDifferences(const std::vector<SFieldDifference>& differences,
                              const SPresetFile& a, const SPresetFile& b);

} // namespace zolt::ctl
