#include "eq/KTVEQ.h"

#include "model/Command.h"
#include "model/Defaults.h"
#include "model/Layout.h"

#include <array>
#include <string>

namespace zolt {

void CKTVEQ::Create(int nBlock, int nBands, std::uint8_t* pFirstBand, std::size_t nStride,
                    std::uint8_t* pHighPass) {
    m_nBlock = nBlock;
    m_nBands = nBands;
    m_filters.clear();
    m_filters.resize(static_cast<std::size_t>(nBands) + (pHighPass != nullptr ? 2 : 0));
    for (int i = 0; i < nBands; ++i) {
        CFilter& filter = m_filters[static_cast<std::size_t>(i)];
        filter.SetNumberText(std::to_string(i + 1));
        filter.BindBand(pFirstBand + nStride * static_cast<std::size_t>(i));
    }
    m_nHighPass = pHighPass != nullptr ? nBands : -1;
    m_nLowPass = pHighPass != nullptr ? nBands + 1 : -1;
    if (pHighPass != nullptr) {
        m_filters[static_cast<std::size_t>(m_nHighPass)].BindCrossover(pHighPass, ftype::kHighPass);
        m_filters[static_cast<std::size_t>(m_nLowPass)].BindCrossover(pHighPass + xover::kSize,
                                                                      ftype::kLowPass);
    }
    ComputeComposite();
}

void CKTVEQ::CreateDynamic(int nBlock, std::uint8_t* pFirstRecord) {
    Create(nBlock, music::kDynamicBandCount, pFirstRecord, deq::kSize, nullptr);
    for (CFilter& filter : m_filters) {
        filter.SetDynamic(true);
    }
}

CFilter* CKTVEQ::Filter(int nIndex) {
    if (nIndex < 0 || nIndex >= FilterCount()) {
        return nullptr;
    }
    return &m_filters[static_cast<std::size_t>(nIndex)];
}

const CFilter* CKTVEQ::Filter(int nIndex) const {
    return const_cast<CKTVEQ*>(this)->Filter(nIndex);
}

CFilter* CKTVEQ::HighPass() {
    return Filter(m_nHighPass);
}

CFilter* CKTVEQ::LowPass() {
    return Filter(m_nLowPass);
}

void CKTVEQ::Rebind() {
    for (CFilter& filter : m_filters) {
        filter.Rebind();
    }
    ComputeComposite();
}

void CKTVEQ::ComputeComposite() {
    CResponseDb adSum{}; // a local sum the compiler knows no filter array aliases
    for (const CFilter& filter : m_filters) {
        const CResponseDb& adDb = filter.ResponseDb();
        for (std::size_t i = 0; i < adDb.size(); ++i) {
            adSum[i] += adDb[i];
        }
    }
    m_adComposite = adSum;
}

namespace {

// Sets 0..7 are EQ blocks 0..7, 8 and 9 the dynamic-EQ blocks 16 and 17, and 10..33 the
// output records, set by set.
constexpr int kFirstDynamicSet = 8;
constexpr int kFirstOutputSet = 10;

// The high-pass record of EQ blocks 0..7, in block order.
constexpr std::array<std::size_t, 8> kBlockHighPass{
    image::kMusicLeft + music::kHighPass,     // 560
    image::kMusicRight + music::kHighPass,    // 724
    image::kMic12 + mic::kHighPass,           // 247
    image::kMic34 + mic::kHighPass,           // 404
    image::kEchoA + effect::kHighPass,        // 60
    image::kEchoB + effect::kHighPass,        // 117
    image::kReverb + effect::kHighPass,       // 174
    image::kReverbMirror + effect::kHighPass, // 226
};

std::size_t OutputRecordOffset(int nSet, int nRecord) {
    return OutputSetOffset(nSet) + output::kSize * static_cast<std::size_t>(nRecord);
}

bool IsOutputRecord(int nSet, int nRecord) {
    return nSet >= 1 && nSet <= 3 && nRecord >= 0 && nRecord < int{output::kRecordCount};
}

void CreateBlockCurveSet(std::array<CKTVEQ, kCurveSetCount>& sets, int nBlock) {
    std::uint8_t* pImage = Image();
    if (nBlock >= 0 && nBlock < 8) {
        const SEqBlock block = EqBlock(nBlock, 1);
        sets[static_cast<std::size_t>(nBlock)].Create(nBlock, block.m_nBands,
                                                      pImage + block.m_nFirst, block.m_nStride,
                                                      pImage + HighPassOffset(nBlock, 1));
    } else if (nBlock == 16 || nBlock == 17) {
        const SEqBlock block = EqBlock(nBlock, 1);
        sets[static_cast<std::size_t>(kFirstDynamicSet + nBlock - 16)].CreateDynamic(
            nBlock, pImage + block.m_nFirst);
    }
}

void CreateOutputCurveSet(CKTVEQ& set, int nSet, int nRecord) {
    std::uint8_t* pRecord = Image() + OutputRecordOffset(nSet, nRecord);
    set.Create(8 + nRecord, output::kBandCount, pRecord + output::kBands, band::kSize,
               pRecord + output::kHighPass);
}

int OutputSetIndex(int nSet, int nRecord) {
    return kFirstOutputSet + int{output::kRecordCount} * (nSet - 1) + nRecord;
}

// Keeps the curve sets in step with the records the model's routines rewrite.
class CCurveSetObserver final : public CCurveObserver {
public:
    void BlockRewritten(int nBlock) override {
        if (CKTVEQ* pSet = CurveSetOfBlock(nBlock)) {
            pSet->Rebind();
        }
    }
    void OutputRecordRewritten(int nSet, int nRecord) override {
        if (CKTVEQ* pSet = OutputCurveSet(nSet, nRecord)) {
            pSet->Rebind();
        }
    }
    void ImageReplaced() override { RebindAllCurveSets(); }
};

std::array<CKTVEQ, kCurveSetCount> CreateCurveSets() {
    std::array<CKTVEQ, kCurveSetCount> sets;
    for (int nBlock : {0, 1, 2, 3, 4, 5, 6, 7, 16, 17}) {
        CreateBlockCurveSet(sets, nBlock);
    }
    for (int nSet = 1; nSet <= 3; ++nSet) {
        for (int k = 0; k < int{output::kRecordCount}; ++k) {
            CreateOutputCurveSet(sets[static_cast<std::size_t>(OutputSetIndex(nSet, k))], nSet, k);
        }
    }
    return sets;
}

// Created, bound and computed on first use, which comes from the UI thread before any
// comm thread runs (the pages' curve displays); from then on the model keeps them current.
std::array<CKTVEQ, kCurveSetCount>& CurveSets() {
    static std::array<CKTVEQ, kCurveSetCount>& sets = *[] {
        static std::array<CKTVEQ, kCurveSetCount> created = CreateCurveSets();
        static CCurveSetObserver observer;
        SetCurveObserver(&observer);
        return &created;
    }();
    return sets;
}

} // namespace

std::size_t HighPassOffset(int nBlock, int nLiveSet) {
    if (nBlock >= 0 && nBlock < 8) {
        return kBlockHighPass[static_cast<std::size_t>(nBlock)];
    }
    if (IsOutputEqBlock(nBlock)) {
        return OutputRecordOffset(LiveOutputSet(static_cast<std::uint8_t>(nLiveSet)), nBlock - 8) +
               output::kHighPass;
    }
    return kImageSize;
}

CKTVEQ* CurveSetOfBlock(int nBlock) {
    if (nBlock >= 0 && nBlock < 8) {
        return &CurveSets()[static_cast<std::size_t>(nBlock)];
    }
    if (nBlock >= 8 && nBlock < 16) {
        return OutputCurveSet(LiveOutputSet(), nBlock - 8);
    }
    if (nBlock == 16 || nBlock == 17) {
        return &CurveSets()[static_cast<std::size_t>(kFirstDynamicSet + nBlock - 16)];
    }
    return nullptr;
}

CKTVEQ* OutputCurveSet(int nSet, int nRecord) {
    if (!IsOutputRecord(nSet, nRecord)) {
        return nullptr;
    }
    return &CurveSets()[static_cast<std::size_t>(OutputSetIndex(nSet, nRecord))];
}

void RebindAllCurveSets() {
    for (CKTVEQ& set : CurveSets()) {
        set.Rebind();
    }
}

} // namespace zolt
