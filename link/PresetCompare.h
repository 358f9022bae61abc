// Two presets (preset files, or what the processor holds in their format) compared field by
// field through the field table: the one engine behind zoltctl diff, the checks after a
// transfer, and the window's check after "Import all". Any thread.
#pragma once

#include "link/PresetFiles.h"
#include "model/Fields.h"

#include <cstddef>
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

// What replacing the presets `before` with `after` would change, for a confirmation:
// how many settings (fields of the field table) in how many modes, whether the system
// password and the panel password change, and the first lines, one per changed field,
// in language (0 English, 1 Chinese).
struct SChangeSummary {
    std::size_t m_nSettings = 0;          // changed fields, all blocks
    std::size_t m_nModes = 0;             // modes 1..21 (or the working image: 1) with a change
    bool m_bSystemPassword = false;       // system block bytes of the system password
    bool m_bPanelPassword = false;        // system block bytes of the panel password
    std::vector<std::string> m_astrLines; // the first lines, DifferenceText of each
    // e.g. "Import all will change 312 settings in 14 modes and the system password";
    // allModes false: "Import will change 3 settings of the edited mode".
    std::string Headline(bool allModes, int language) const;
};
SChangeSummary SummarizeChanges(const SPresetFile& before, const SPresetFile& after,
                                std::size_t maxLines, int language);

// The headline of a confirmation before storing over stored mode 1..16 called name (as
// printable text): "Store will change 12 settings of mode 3 (Party)", "Store changes
// nothing in mode 3 (Party)"; with settings negative, when what the mode holds is not known:
// "Store will replace mode 3 (Party) with the edited mode". language 1: Chinese.
std::string StoreHeadline(long settings, int mode, const std::string& name, int language);

} // namespace zolt
