#include "eq/EqCopy.h"

#include "eq/Filter.h"
#include "eq/FilterList.h"
#include "eq/KTVEQ.h"
#include "eq/TextScan.h"

#include <algorithm>

namespace zolt {

namespace {

constexpr SText kBlockNames[kEqBlockCount] = {
    {"音乐左", "Music Left"},
    {"音乐右", "Music Right"},
    {"话筒1&2", "Mic 1&2"},
    {"话筒3&4", "Mic 3&4"},
    {"回声A", "Echo A"},
    {"回声B", "Echo B"},
    {"混响", "Reverb"},
    {"混响镜像", "Reverb mirror"},
    {"输出4", "Out 4"},
    {"输出3", "Out 3"},
    {"中置", "Center"},
    {"超低音", "SUB"},
    {"输出2", "Out 2"},
    {"输出1", "Out 1"},
    {"环绕左", "Surround L"},
    {"环绕右", "Surround R"},
    {"音乐左动态均衡", "Music Left DEQ"},
    {"音乐右动态均衡", "Music Right DEQ"},
};

bool Plays(const std::array<std::uint8_t, band::kSize>& record) {
    return record[band::kType] >= ftype::kPeaking && record[band::kType] <= ftype::kHighShelf;
}

SEqBlock BlockOfImage(int nBlock, const std::uint8_t* pImage) {
    return EqBlock(nBlock, LiveOutputSet(pImage[image::kOutputMode]));
}

std::string Name(int nBlock, int language) {
    return EqBlockName(nBlock).In(language);
}

// The records the target's bands take, in order: in their places, or the playing ones.
bool Arranged(const SEqClip& clip, int nBlock, int nTargetBands,
              std::vector<std::array<std::uint8_t, band::kSize>>& records, std::string& error,
              int language) {
    if (static_cast<int>(clip.m_aBands.size()) <= nTargetBands) {
        records = clip.m_aBands;
        return true;
    }
    if (clip.PlayingBands() > nTargetBands) {
        error = language == 1 ? Printf("%s 使用 %d 个频段，%s 只有 %d 个：未粘贴",
                                       Name(clip.m_nBlock, 1).c_str(), clip.PlayingBands(),
                                       Name(nBlock, 1).c_str(), nTargetBands)
                              : Printf("%s plays %d bands and %s has %d: nothing pasted",
                                       Name(clip.m_nBlock, 0).c_str(), clip.PlayingBands(),
                                       Name(nBlock, 0).c_str(), nTargetBands);
        return false;
    }
    std::copy_if(clip.m_aBands.begin(), clip.m_aBands.end(), std::back_inserter(records), Plays);
    return true;
}

// The gain byte within what the target's page edits; a note when it had to move.
std::uint8_t GainWithin(const SGainRange& gains, int nBand, std::uint8_t raw, std::string& notes,
                        int language) {
    const int nMin = RawOfGainDb(gains.m_dMin);
    const int nMax = RawOfGainDb(gains.m_dMax);
    const auto kept = static_cast<std::uint8_t>(std::clamp<int>(raw, nMin, nMax));
    if (kept != raw) {
        notes += Printf(language == 1 ? "频段 %d：增益 %+.1f dB 超出 %+g..%+g dB：设为 %+.1f dB\n"
                                      : "band %d: gain %+.1f dB is outside %+g..%+g dB: set to "
                                        "%+.1f dB\n",
                        nBand + 1, GainDbOfRaw(raw), gains.m_dMin, gains.m_dMax, GainDbOfRaw(kept));
    }
    return kept;
}

} // namespace

SText EqBlockName(int nBlock) {
    if (nBlock < 0 || nBlock >= static_cast<int>(kEqBlockCount)) {
        return {"", ""};
    }
    return kBlockNames[nBlock];
}

int SEqClip::PlayingBands() const {
    return static_cast<int>(std::count_if(m_aBands.begin(), m_aBands.end(), Plays));
}

SEqClip CopyEq(int nBlock, const std::uint8_t* pImage) {
    SEqClip clip;
    const SEqBlock block = BlockOfImage(nBlock, pImage);
    if (block.m_nBands == 0) {
        return clip;
    }
    clip.m_nBlock = nBlock;
    for (int i = 0; i < block.m_nBands; ++i) {
        const std::uint8_t* record =
            pImage + block.m_nFirst + block.m_nStride * static_cast<std::size_t>(i);
        std::array<std::uint8_t, band::kSize> bytes{};
        std::copy_n(record, band::kSize, bytes.begin());
        clip.m_aBands.push_back(bytes);
    }
    const std::size_t highPass = HighPassOffset(nBlock, pImage[image::kOutputMode]);
    clip.m_bCrossovers = highPass != kImageSize;
    if (clip.m_bCrossovers) {
        std::copy_n(pImage + highPass, clip.m_abCrossovers.size(), clip.m_abCrossovers.begin());
    }
    return clip;
}

bool PasteEq(const SEqClip& clip, int nBlock, bool bCrossovers, std::uint8_t* pImage,
             std::string& notes, std::string& error, int language) {
    const SEqBlock block = BlockOfImage(nBlock, pImage);
    const bool zh = language == 1;
    if (clip.Empty() || block.m_nBands == 0) {
        error = zh ? "没有可粘贴的均衡" : "there is no EQ to paste";
        return false;
    }
    const std::size_t highPass = HighPassOffset(nBlock, pImage[image::kOutputMode]);
    if (bCrossovers && (!clip.m_bCrossovers || highPass == kImageSize)) {
        const int nWithout = clip.m_bCrossovers ? nBlock : clip.m_nBlock;
        error = zh ? Name(nWithout, 1) + " 没有分频器：未粘贴"
                   : Name(nWithout, 0) + " has no crossovers: nothing pasted";
        return false;
    }
    std::vector<std::array<std::uint8_t, band::kSize>> records;
    if (!Arranged(clip, nBlock, block.m_nBands, records, error, language)) {
        return false;
    }
    const SGainRange gains = BandGainRange(nBlock);
    std::string said;
    for (int i = 0; i < block.m_nBands; ++i) {
        std::uint8_t* record =
            pImage + block.m_nFirst + block.m_nStride * static_cast<std::size_t>(i);
        if (i >= static_cast<int>(records.size())) {
            record[band::kType] = ftype::kBypass;
            continue;
        }
        std::copy_n(records[static_cast<std::size_t>(i)].begin(), band::kSize, record);
        record[band::kGain] = GainWithin(gains, i, record[band::kGain], said, language);
    }
    if (bCrossovers) {
        for (const std::size_t kind : {std::size_t{0}, xover::kSize}) {
            std::copy_n(clip.m_abCrossovers.begin() +
                            static_cast<std::ptrdiff_t>(kind + xover::kFreq),
                        xover::kSize - xover::kFreq, pImage + highPass + kind + xover::kFreq);
        }
    }
    notes = std::move(said);
    return true;
}

} // namespace zolt
