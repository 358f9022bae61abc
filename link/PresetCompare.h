// Two presets (preset files, or what the processor holds in their format) compared field by
// field through the field table: the one engine behind zoltctl diff, the checks after a
// transfer, and the window's check after "Import all". Any thread.
#pragma once

#include "link/PresetFiles.h"
#include "model/Fields.h"

#include <string>
#include <vector>

namespace zolt {

// The fields that differ between a and b, block by block: the system blocks, then the
// images (two one-mode files: their images, mode 0; two all-modes files: modes 1..21; a
// one-mode file and an all-modes file: the image against the mode the all-modes file names
// as current). False with a reason when such a mixed pair names no mode 1..21.
bool ComparePresets(const SPresetFile& a, const SPresetFile& b,
                    std::vector<SFieldDifference>& differences, std::string& error);

// The copy of the difference's field that file holds (its system block, or its image of the
// difference's mode).
const std::uint8_t* AreaOf(const SPresetFile& file, const SFieldDifference& difference);

// One line for a difference: "mode 3: Mic 1&2 EQ band 3 gain: 6.0 dB -> 4.2 dB",
// "system: Music max volume: 84 -> 70", "image: ..." for a one-mode pair; with raw, the
// field's bytes in hex instead of the values. language 1: the Chinese names. The values
// come out as PrintableText, safe to show; two that would read the same (names that
// differ after a NUL) show every byte of the field.
std::string DifferenceText(const SFieldDifference& difference, const SPresetFile& a,
                           const SPresetFile& b, bool raw = false, int language = 0);

} // namespace zolt
