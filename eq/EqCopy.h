// "Copy EQ" and "Paste EQ": the bands of one EQ block (and, as a second choice, its
// crossovers) taken as they are, and written into any other block that has room for what
// they play, across pages and channels (an output onto its partner, Music Left onto an
// output, Mic 1&2 onto the dynamic EQ). Pure functions of a mode image, any thread, with
// the image lock held when the image is the working image.
#pragma once

#include "model/Layout.h"
#include "model/Text.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zolt {

// The name of EQ block 0..17 as the window shows it ("Music Left", "Out 1", "Music Left
// DEQ"); an empty text for any other number.
SText EqBlockName(int nBlock);

// What "Copy EQ" took.
struct SEqClip {
    int m_nBlock = -1; // the block copied; -1: nothing copied yet
    std::vector<std::array<std::uint8_t, band::kSize>> m_aBands; // every band record, in order
    bool m_bCrossovers = false; // the block has a crossover pair, held below
    std::array<std::uint8_t, 2 * xover::kSize> m_abCrossovers{}; // high-pass, then low-pass

    bool Empty() const { return m_nBlock < 0; }
    // The bands that play (types peaking and shelves).
    int PlayingBands() const;
};

// Copies EQ block 0..17 of pImage (blocks 8..15 from its live output set); an empty clip for
// any other number.
SEqClip CopyEq(int nBlock, const std::uint8_t* pImage);

// Writes the clip into EQ block 0..17 of pImage. A block with as many bands or more takes
// the bands in their places and bypasses the ones after them; a block with fewer takes the
// playing bands, in order, when they fit. With bCrossovers the crossover pair's frequencies
// and slopes are written too. A gain beyond what the block's page edits is set to the
// nearest end and said in notes (one line each, in language: 0 English, 1 Chinese).
// Refused, with the reason in error and nothing written: an empty clip, a block out of
// range, more playing bands than the block has, crossovers asked for where either block
// has none.
bool PasteEq(const SEqClip& clip, int nBlock, bool bCrossovers, std::uint8_t* pImage,
             std::string& notes, std::string& error, int language);

} // namespace zolt
