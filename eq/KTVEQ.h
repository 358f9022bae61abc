// One equaliser set (one block's EQ): its band filters in band order, then the high-pass
// and the low-pass filter when the block has a crossover pair, and the composite curve
// (the sum in dB of all filters) at the 420 grid points. Also the 34 curve sets of the
// working image, reachable by EQ block number or by output set and record.
// UI thread, with the image lock held around anything that binds or writes records.
#pragma once

#include "eq/Filter.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zolt {

class CKTVEQ {
public:
    // Creates nBands band filters bound to records nStride bytes apart from pFirstBand
    // (numbered "1", "2", ...), then, when pHighPass is given, a high-pass filter bound to
    // it and a low-pass filter bound to the record that follows it. Replaces any filters
    // this set held before (filter pointers taken earlier become invalid).
    void Create(int nBlock, int nBands, std::uint8_t* pFirstBand, std::size_t nStride,
                std::uint8_t* pHighPass);
    // Three dynamic-EQ band filters bound to the band part of 10-byte records.
    void CreateDynamic(int nBlock, std::uint8_t* pFirstRecord);

    // The EQ block number given at creation (8..15 for every output set's records).
    int Block() const { return m_nBlock; }
    int BandCount() const { return m_nBands; }
    // Bands, then high-pass, then low-pass.
    int FilterCount() const { return static_cast<int>(m_filters.size()); }
    CFilter* Filter(int nIndex);
    const CFilter* Filter(int nIndex) const;
    // nullptr when the set has no crossover pair.
    CFilter* HighPass();
    CFilter* LowPass();
    // Positions of the crossover filters in the set, -1 when there are none.
    int HighPassIndex() const { return m_nHighPass; }
    int LowPassIndex() const { return m_nLowPass; }

    // Re-reads every filter's record and recomputes it.
    void Rebind();
    // Sums the dB responses of all filters; bypassed ones add 0.
    void ComputeComposite();
    const CResponseDb& CompositeDb() const { return m_adComposite; }

private:
    int m_nBlock = -1;
    int m_nBands = 0;
    int m_nHighPass = -1;
    int m_nLowPass = -1;
    std::vector<CFilter> m_filters;
    CResponseDb m_adComposite{};
};

// Offset in a mode image of the high-pass record of EQ block 0..15 (its low-pass record
// follows; blocks 8..15 are the output records of liveSet 1..3); kImageSize for the
// dynamic-EQ blocks and any other number, which have no crossovers.
std::size_t HighPassOffset(int nBlock, int nLiveSet);

constexpr int kCurveSetCount = 34;

// The 34 curve sets are created on first use, bound to their records in the working image
// and computed from its bytes; from then on the model's routines that rewrite records keep
// them in step (the eq layer installs itself as their curve observer).

// The curve set of EQ block 0..17; 8..15 are resolved against the live output set at
// the time of the call. nullptr for any other number.
CKTVEQ* CurveSetOfBlock(int nBlock);
// The curve set of output record 0..7 of output set 1..3; nullptr outside those ranges.
CKTVEQ* OutputCurveSet(int nSet, int nRecord);
// Re-reads and recomputes all 34 sets, after the working image was replaced.
void RebindAllCurveSets();

} // namespace zolt
