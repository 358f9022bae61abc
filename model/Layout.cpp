#include "model/Layout.h"

#include <array>

namespace zolt {

namespace {

// Band numbers 0..110 in runs: first band number, count, offset of its first record.
struct SBandRun {
    int m_nFirstNumber;
    int m_nCount;
    std::size_t m_nFirstOffset;
};

constexpr std::array<SBandRun, 11> kBandRuns{{
    {0, 15, image::kMusicLeft + music::kBands},     // 568
    {15, 5, image::kMusicLeft + music::kAuxBands},  // 644
    {20, 15, image::kMusicRight + music::kBands},   // 732
    {35, 5, image::kMusicRight + music::kAuxBands}, // 808
    {40, 20, image::kMic12 + mic::kBands},          // 255
    {60, 5, image::kMic12 + mic::kAuxBands},        // 356
    {65, 20, image::kMic34 + mic::kBands},          // 412
    {85, 5, image::kMic34 + mic::kAuxBands},        // 513
    {90, 7, image::kEchoA},                         // 20
    {97, 7, image::kReverb},                        // 134
    {104, 7, image::kEchoB},                        // 77
}};

// Crossover numbers 0..6 and 15, 16: offset of the high-pass record.
constexpr std::array<std::size_t, 7> kFixedCrossovers{
    image::kMusicLeft + music::kHighPass,  // 560
    image::kMusicRight + music::kHighPass, // 724
    image::kMic12 + mic::kHighPass,        // 247
    image::kMic34 + mic::kHighPass,        // 404
    image::kEchoA + effect::kHighPass,     // 60
    image::kReverb + effect::kHighPass,    // 174
    image::kEchoB + effect::kHighPass,     // 117
};

constexpr std::array<SEqBlock, 8> kFixedBlocks{{
    {image::kMusicLeft + music::kBands, 15, band::kSize},
    {image::kMusicRight + music::kBands, 15, band::kSize},
    {image::kMic12 + mic::kBands, 20, band::kSize},
    {image::kMic34 + mic::kBands, 20, band::kSize},
    {image::kEchoA + effect::kBands, 7, band::kSize},
    {image::kEchoB + effect::kBands, 7, band::kSize},
    {image::kReverb + effect::kBands, 7, band::kSize},
    {image::kReverbMirror + effect::kBands, 7, band::kSize},
}};

std::size_t OutputRecordOffset(int record, int liveSet) {
    return OutputSetOffset(LiveOutputSet(static_cast<std::uint8_t>(liveSet))) +
           output::kSize * static_cast<std::size_t>(record);
}

} // namespace

std::size_t BandOffset(int bandNumber, int liveSet) {
    for (const SBandRun& run : kBandRuns) {
        if (bandNumber >= run.m_nFirstNumber && bandNumber < run.m_nFirstNumber + run.m_nCount) {
            return run.m_nFirstOffset +
                   band::kSize * static_cast<std::size_t>(bandNumber - run.m_nFirstNumber);
        }
    }
    if (bandNumber >= 111 && bandNumber < 191) {
        const int k = (bandNumber - 111) / 10;
        const int i = (bandNumber - 111) % 10;
        return OutputRecordOffset(k, liveSet) + output::kBands +
               band::kSize * static_cast<std::size_t>(i);
    }
    return kImageSize;
}

std::size_t CrossoverOffset(int crossoverNumber, int liveSet) {
    if (crossoverNumber >= 0 && crossoverNumber < 7) {
        return kFixedCrossovers[static_cast<std::size_t>(crossoverNumber)];
    }
    if (IsOutputCrossover(crossoverNumber)) {
        return OutputRecordOffset(crossoverNumber - 7, liveSet) + output::kHighPass;
    }
    if (crossoverNumber == 15) {
        return image::kMusicLeft + music::kMainHighPass; // 670
    }
    if (crossoverNumber == 16) {
        return image::kMusicRight + music::kMainHighPass; // 834
    }
    return kImageSize;
}

SEqBlock EqBlock(int blockNumber, int liveSet) {
    if (blockNumber >= 0 && blockNumber < 8) {
        return kFixedBlocks[static_cast<std::size_t>(blockNumber)];
    }
    if (IsOutputEqBlock(blockNumber)) {
        return {OutputRecordOffset(blockNumber - 8, liveSet) + output::kBands, 10, band::kSize};
    }
    if (blockNumber == 16) {
        return {image::kMusicLeft + music::kDynamicBands, 3, deq::kSize};
    }
    if (blockNumber == 17) {
        return {image::kMusicRight + music::kDynamicBands, 3, deq::kSize};
    }
    return {0, 0, band::kSize};
}

} // namespace zolt
