#include "model/Defaults.h"

#include "model/Command.h"
#include "model/DataConver.h"
#include "model/Layout.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <span>
#include <system_error>

namespace zolt {

namespace {

// Default band frequencies in Hz, turned into the nearest frequency index when written.
constexpr std::array<double, 15> kMusicBandHz{20.5, 31.9, 50.6, 80.3, 125,  198,  315,  490,
                                              721,  1240, 1920, 3050, 4940, 7550, 12000};
constexpr std::array<double, 20> kMicBandHz{20.5, 31.9, 50.6,  80.3,  125,   198,  315,
                                            490,  721,  1240,  1920,  3050,  4940, 6230,
                                            8160, 9890, 12000, 14500, 17600, 20200};
constexpr std::array<double, 7> kEffectBandHz{20.5, 51.6, 135, 354, 926, 2420, 6350};
constexpr std::array<double, 10> kOutputBandHz{20.5, 36.5, 65,   116,  206,
                                               367,  655,  1170, 2080, 3700};
constexpr std::array<double, 3> kDynamicBandHz{28.9, 236, 4230};
constexpr std::array<double, 5> kAuxBandHz{1000, 1000, 1000, 1000, 1000};

constexpr std::uint8_t kFlatQIndex = 10; // Q 0.71
constexpr std::uint8_t kTypeBypass = 0;
constexpr std::uint8_t kTypePeaking = 1;

constexpr std::uint8_t kEffectMaxVolume = 70;
constexpr std::uint8_t kMicMusicMaxVolume = 84;
constexpr std::uint8_t kMusicPitch = 14; // high nibble of system byte 9

// Slot 0: spaces over 2622..2633 and 2636..2639, and byte 2642 cleared.
constexpr std::size_t kSlot0LeadingSpaces = 12;
constexpr std::size_t kSlot0NewSixSpaces = 4;
constexpr std::size_t kSlot0ClearedByte = 2642;

// Flat bands at the listed frequencies, records nStride bytes apart.
void WriteBands(std::uint8_t* pFirst, std::span<const double> adHz, std::size_t nStride,
                std::uint8_t bType) {
    for (std::size_t i = 0; i < adHz.size(); ++i) {
        std::uint8_t* p = pFirst + nStride * i;
        SetU16(p + band::kFreq, static_cast<std::uint16_t>(IndexOfFreq(adHz[i])));
        p[band::kGain] = kGainRawZero;
        p[band::kQ] = kFlatQIndex;
        p[band::kType] = bType;
    }
}

// High-pass {0, index 0, "ByPass"} followed by low-pass {1, index 361, "ByPass"}.
void WriteOpenCrossoverPair(std::uint8_t* pHighPass) {
    std::uint8_t* pLowPass = pHighPass + xover::kSize;
    pHighPass[xover::kKind] = 0;
    SetU16(pHighPass + xover::kFreq, 0);
    pHighPass[xover::kSlope] = 0;
    pLowPass[xover::kKind] = 1;
    SetU16(pLowPass + xover::kFreq, kFreqCount - 1);
    pLowPass[xover::kSlope] = 0;
}

void WriteExciter(std::uint8_t* p, std::uint16_t nFreqIndex) {
    SetU16(p + exciter::kFreq, nFreqIndex);
    p[exciter::kHarmonic] = 0;
    p[exciter::kTimbre] = 0;
}

void Zero(std::uint8_t* p, std::size_t nCount) {
    std::memset(p, 0, nCount);
}

// Music Right := Music Left in the image, and the same bytes into the shadow.
void CopyMusicLeftToRight() {
    std::memcpy(Image() + image::kMusicRight, Image() + image::kMusicLeft, music::kSize);
    std::memcpy(Shadow() + image::kMusicRight, Image() + image::kMusicLeft, music::kSize);
}

// Mic 3&4 := Mic 1&2, block byte included, in the image and the shadow.
void CopyMic12To34() {
    std::memcpy(Image() + image::kMic34, Image() + image::kMic12, mic::kSize);
    std::memcpy(Shadow() + image::kMic34, Image() + image::kMic12, mic::kSize);
}

void DefaultMusicLeft() {
    std::uint8_t* pBlock = Image() + image::kMusicLeft;
    WriteBands(pBlock + music::kBands, kMusicBandHz, band::kSize, kTypeBypass);
    WriteBands(pBlock + music::kAuxBands, kAuxBandHz, band::kSize, kTypeBypass);
    WriteBands(pBlock + music::kDynamicBands, kDynamicBandHz, deq::kSize, kTypeBypass);
    for (std::size_t i = 0; i < music::kDynamicBandCount; ++i) {
        std::uint8_t* pDynamic = pBlock + music::kDynamicBands + deq::kSize * i;
        Zero(pDynamic + deq::kThreshold, 4);
        pDynamic[deq::kExtra] = 1;
    }
    pBlock[music::kBypass] = 0;
    pBlock[music::kAuxBypass] = 0;
    std::uint8_t* pMain = pBlock + music::kMainHighPass;
    pMain[xover::kKind] = 0;
    SetU16(pMain + xover::kFreq, 0);
    pMain[xover::kSlope] = 1; // "6dB/ct"
    Zero(pBlock + music::kLimiter, limiter::kSize + gate::kSize);
    WriteOpenCrossoverPair(pBlock + music::kHighPass);
    WriteExciter(pBlock + music::kLowExciter, kFreqCount - 1);
    WriteExciter(pBlock + music::kHighExciter, 0);
}

void DefaultMic12() {
    std::uint8_t* pBlock = Image() + image::kMic12;
    WriteBands(pBlock + mic::kBands, kMicBandHz, band::kSize, kTypeBypass);
    WriteBands(pBlock + mic::kAuxBands, kAuxBandHz, band::kSize, kTypeBypass);
    Zero(pBlock + mic::kLimiter, limiter::kSize + gate::kSize);
    WriteOpenCrossoverPair(pBlock + mic::kHighPass);
    WriteExciter(pBlock + mic::kLowExciter, kFreqCount - 1);
    WriteExciter(pBlock + mic::kHighExciter, 0);
}

// Echo A and the reverb share their first 48 bytes' layout: bands, bypass, wet and dry
// with their polarities, the crossover pair; what follows (delays, repeat) is zeroed.
void DefaultEffect(std::size_t nBlock, std::size_t nSize) {
    std::uint8_t* pBlock = Image() + nBlock;
    WriteBands(pBlock + effect::kBands, kEffectBandHz, band::kSize, kTypeBypass);
    Zero(pBlock + effect::kBypass, effect::kHighPass - effect::kBypass);
    WriteOpenCrossoverPair(pBlock + effect::kHighPass);
    Zero(pBlock + effect::kPreDelay, nSize - effect::kPreDelay);
}

void DefaultOutputs() {
    std::uint8_t* pFirst = Image() + image::kOutputSet1;
    WriteBands(pFirst + output::kBands, kOutputBandHz, band::kSize, kTypeBypass);
    Zero(pFirst + output::kMix, 2 * output::kMixSources);
    pFirst[output::kBypass] = 0;
    Zero(pFirst + output::kLimiter, limiter::kSize);
    WriteOpenCrossoverPair(pFirst + output::kHighPass);
    SetU16(pFirst + output::kDelay, 0);
    for (std::size_t k = 1; k < output::kRecordCount; ++k) {
        std::memcpy(pFirst + output::kSize * k, pFirst, output::kSize);
    }
    std::memcpy(Image() + OutputSetOffset(2), pFirst, output::kSetSize);
    std::memcpy(Image() + OutputSetOffset(3), pFirst, output::kSetSize);
}

void DefaultSystem() {
    std::uint8_t* pSystem = System();
    pSystem[sysblock::kMode] = 0;
    pSystem[sysblock::kEffectVolume] = 0; // and unmuted
    pSystem[sysblock::kMusicVolume] = 0;
    pSystem[sysblock::kEffectMax] = kEffectMaxVolume;
    pSystem[sysblock::kMicMax] = kMicMusicMaxVolume;
    pSystem[sysblock::kMusicMax] = kMicMusicMaxVolume;
    pSystem[sysblock::kPhantom] = 0;
    pSystem[sysblock::kInput] = 0;
    std::uint8_t& bSensPitch = pSystem[sysblock::kSensPitch];
    bSensPitch = static_cast<std::uint8_t>((kMusicPitch << 4) | (bSensPitch & 0x0F));
    Zero(pSystem + sysblock::kAudioGain, sysblock::kPanelCode - sysblock::kAudioGain); // + IR
    std::memcpy(pSystem + sysblock::kPanelCode, kFactoryPanelPassword, 4);
    std::memcpy(pSystem + sysblock::kSystemCode, kFactorySystemPassword, 6);
}

void DefaultSlot0Passwords() {
    std::uint8_t* pSlot = Slot(0);
    std::memset(pSlot + slot0::kFourCodeRecord, ' ', kSlot0LeadingSpaces);
    std::memset(pSlot + slot0::kNewSixCode, ' ', kSlot0NewSixSpaces);
    pSlot[kSlot0ClearedByte] = 0;
}

// The default frequency list of the main bands of EQ block 0..17 (empty for block 7).
std::span<const double> DefaultBandList(int nBlock) {
    if (nBlock == 0 || nBlock == 1) {
        return kMusicBandHz;
    }
    if (nBlock == 2 || nBlock == 3) {
        return kMicBandHz;
    }
    if (nBlock >= 4 && nBlock <= 6) {
        return kEffectBandHz;
    }
    if (nBlock >= 8 && nBlock <= 15) {
        return kOutputBandHz;
    }
    if (nBlock == 16 || nBlock == 17) {
        return kDynamicBandHz;
    }
    return {};
}

std::atomic<CCurveObserver*> g_pCurveObserver{nullptr};

void RebindBlock(int nBlock) {
    if (CCurveObserver* pObserver = g_pCurveObserver.load()) {
        pObserver->BlockRewritten(nBlock);
    }
}

void RebindImage() {
    if (CCurveObserver* pObserver = g_pCurveObserver.load()) {
        pObserver->ImageReplaced();
    }
}

} // namespace

void FactoryDefaults() {
    CImageGuard guard(ImageLock());
    DefaultMusicLeft();
    CopyMusicLeftToRight();
    DefaultMic12();
    CopyMic12To34();
    DefaultEffect(image::kEchoA, effect::kEchoSize);
    std::memcpy(Image() + image::kEchoB, Image() + image::kEchoA, effect::kEchoSize);
    DefaultEffect(image::kReverb, effect::kReverbSize);
    std::memcpy(Image() + image::kReverbMirror, Image() + image::kReverb, effect::kReverbSize);
    DefaultOutputs();
    Image()[image::kMicLink] = 0;
    Image()[image::kMusicLink] = 0;
    Image()[image::kOutputMode] = 1; // output mode 0 falls back to set 1 (LiveOutputSet)
    DefaultSystem();
    Zero(Image() + image::kName, kNameSize);
    DefaultSlot0Passwords();
    g_data.m_store.m_bValid = 0;
    RebindImage();
    // The factory state is what the program starts from: none of it is an edit that has yet
    // to reach a processor.
    CommitShadow(true);
}

void SetCurveObserver(CCurveObserver* pObserver) {
    g_pCurveObserver.store(pObserver);
}

void ResetEqBlock(int nBlock) {
    const std::span<const double> adHz = DefaultBandList(nBlock);
    if (adHz.empty()) {
        return;
    }
    CImageGuard guard(ImageLock());
    const SEqBlock block = EqBlock(nBlock, LiveOutputSet());
    WriteBands(Image() + block.m_nFirst, adHz, block.m_nStride, kTypePeaking);
    RebindBlock(nBlock);
}

void MusicLinkCopy() {
    CImageGuard guard(ImageLock());
    CopyMusicLeftToRight();
    RebindBlock(1);
    RebindBlock(17);
}

void MicLinkCopy() {
    CImageGuard guard(ImageLock());
    CopyMic12To34();
    RebindBlock(3);
}

void OutputPairLinkCopy(int fromRecord, int toRecord) {
    const int first = std::min(fromRecord, toRecord);
    if ((first != 0 && first != 4 && first != 6) || std::abs(fromRecord - toRecord) != 1) {
        return;
    }
    CImageGuard guard(ImageLock());
    for (int nSet = 1; nSet <= 3; ++nSet) {
        const std::size_t nSetStart = OutputSetOffset(nSet);
        std::uint8_t* pTo =
            Image() + nSetStart + output::kSize * static_cast<std::size_t>(toRecord);
        const std::uint8_t bMute = pTo[output::kMute];
        const std::uint16_t nDelay = GetU16(pTo + output::kDelay);
        std::memcpy(pTo, Image() + nSetStart + output::kSize * static_cast<std::size_t>(fromRecord),
                    output::kSize);
        pTo[output::kMute] = bMute;
        SetU16(pTo + output::kDelay, nDelay);
        if (CCurveObserver* pObserver = g_pCurveObserver.load()) {
            pObserver->OutputRecordRewritten(nSet, toRecord);
        }
    }
}

void RebindCurves() {
    CImageGuard guard(ImageLock());
    RebindImage();
}

void CommitWithRebind() {
    CImageGuard guard(ImageLock());
    CommitShadow(false);
    RebindImage();
}

void LocalRecall(int mode) {
    if (mode < 1 || mode > int{kModeCount}) {
        return;
    }
    CImageGuard guard(ImageLock());
    std::memcpy(Image(), Slot(static_cast<std::size_t>(mode)), kImageSize);
    System()[sysblock::kMode] = static_cast<std::uint8_t>(mode);
    CommitWithRebind();
}

} // namespace zolt
