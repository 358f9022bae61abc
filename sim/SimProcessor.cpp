#include "sim/SimProcessor.h"

#include "link/Command.h"
#include "link/Frame.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace zolt::sim {

namespace {

constexpr std::uint8_t kStatusAccepted = 0;
constexpr std::uint8_t kStatusBadFrame = 1;
constexpr std::uint8_t kStatusRejected = 2;

// Noise sent before an answer: none of FF, 55, 03, CC, which the host may take for a start.
constexpr std::array<std::uint8_t, 6> kNoise{0x00, 0xA5, 0x12, 0x7E, 0x80, 0x3C};

// A place a sync frame writes: a byte of the working image, of the system block, or of
// output record r of the live output set.
enum class EArea : std::uint8_t { Image, System, Record };
struct SPlace {
    EArea m_eArea;
    std::uint16_t m_nOffset; // image or system offset, or offset inside the output record
    std::uint8_t m_nRecord;
};
constexpr SPlace Img(std::size_t offset) {
    return {EArea::Image, static_cast<std::uint16_t>(offset), 0};
}
constexpr SPlace Sys(std::size_t offset) {
    return {EArea::System, static_cast<std::uint16_t>(offset), 0};
}
constexpr SPlace Rec(int record, std::size_t offset) {
    return {EArea::Record, static_cast<std::uint16_t>(offset), static_cast<std::uint8_t>(record)};
}

// Command 5: time values (u16), by index.
constexpr std::array<SPlace, 18> kTimes{
    Img(image::kEchoA + effect::kPreDelay),
    Img(image::kEchoA + effect::kRightPreDelay),
    Img(image::kEchoA + effect::kDelay),
    Img(image::kEchoA + effect::kRightDelay),
    Img(image::kEchoB + effect::kPreDelay),
    Img(image::kEchoB + effect::kRightPreDelay),
    Img(image::kEchoB + effect::kDelay),
    Img(image::kEchoB + effect::kRightDelay),
    Img(image::kReverb + effect::kPreDelay),
    Img(image::kReverb + effect::kReverbTime),
    Rec(0, output::kDelay),
    Rec(1, output::kDelay),
    Rec(2, output::kDelay),
    Rec(3, output::kDelay),
    Rec(4, output::kDelay),
    Rec(5, output::kDelay),
    Rec(6, output::kDelay),
    Rec(7, output::kDelay),
};
// Command 7: limiter records, by index.
constexpr std::array<SPlace, 8> kLimiters{
    Img(image::kMic12 + mic::kLimiter), Img(image::kMic34 + mic::kLimiter),
    Rec(0, output::kLimiter),           Rec(2, output::kLimiter),
    Rec(3, output::kLimiter),           Rec(4, output::kLimiter),
    Rec(6, output::kLimiter),           Img(image::kMusicLeft + music::kLimiter),
};
// Command 10: noise-gate records.
constexpr std::array<SPlace, 3> kGates{Img(image::kMic12 + mic::kGate),
                                       Img(image::kMic34 + mic::kGate),
                                       Img(image::kMusicLeft + music::kGate)};
// Command 17: dynamic-EQ band records, three of each music channel.
constexpr SPlace DynamicBand(std::size_t channel, std::size_t band) {
    return Img(channel + music::kDynamicBands + deq::kSize * band);
}
constexpr std::array<SPlace, 6> kDynamicBands{
    DynamicBand(image::kMusicLeft, 0),  DynamicBand(image::kMusicLeft, 1),
    DynamicBand(image::kMusicLeft, 2),  DynamicBand(image::kMusicRight, 0),
    DynamicBand(image::kMusicRight, 1), DynamicBand(image::kMusicRight, 2),
};
// Command 18: exciter records.
constexpr std::array<SPlace, 8> kExciters{
    Img(image::kMusicLeft + music::kHighExciter), Img(image::kMusicRight + music::kHighExciter),
    Img(image::kMic12 + mic::kHighExciter),       Img(image::kMic34 + mic::kHighExciter),
    Img(image::kMusicLeft + music::kLowExciter),  Img(image::kMusicRight + music::kLowExciter),
    Img(image::kMic12 + mic::kLowExciter),        Img(image::kMic34 + mic::kLowExciter),
};
// Command 19: setting bytes (index 0, the low nibble of the sensitivity and pitch byte, is
// handled apart).
constexpr std::array<SPlace, 7> kSettings{
    Sys(sysblock::kSensPitch), Img(image::kMic12 + mic::kLevel), Img(image::kMic34 + mic::kLevel),
    Sys(sysblock::kAudioGain), Sys(sysblock::kAuxGain),          Sys(sysblock::kCoaxGain),
    Sys(sysblock::kOptiGain),
};
// Command 20: EQ bypass flags.
constexpr std::array<SPlace, 19> kBypasses{
    Img(image::kMusicLeft + music::kBypass),
    Img(image::kMusicLeft + music::kAuxBypass),
    Img(image::kMusicRight + music::kBypass),
    Img(image::kMusicRight + music::kAuxBypass),
    Img(image::kMic12 + mic::kBypass),
    Img(image::kMic12 + mic::kAuxBypass),
    Img(image::kMic34 + mic::kBypass),
    Img(image::kMic34 + mic::kAuxBypass),
    Img(image::kEchoA + effect::kBypass),
    Img(image::kReverb + effect::kBypass),
    Img(image::kEchoB + effect::kBypass),
    Rec(0, output::kBypass),
    Rec(1, output::kBypass),
    Rec(2, output::kBypass),
    Rec(3, output::kBypass),
    Rec(4, output::kBypass),
    Rec(5, output::kBypass),
    Rec(6, output::kBypass),
    Rec(7, output::kBypass),
};
// Command 135: link flags.
constexpr std::array<SPlace, 6> kLinks{
    Img(image::kMicLink),      Img(image::kMusicLink), Img(image::kLinkOut34),
    Img(image::kLinkReserved), Img(image::kLinkOut12), Img(image::kLinkSurround),
};
// Commands 2 and 11, mix points 0..7: the effects' level and polarity bytes outside the
// output records (0 = no byte).
constexpr std::array<std::size_t, 8> kFixedMixLevels{
    image::kEchoA + effect::kRepeat, image::kEchoA + effect::kWet,  image::kEchoA + effect::kDry,
    image::kEchoB + effect::kRepeat, image::kEchoB + effect::kWet,  image::kEchoB + effect::kDry,
    image::kReverb + effect::kWet,   image::kReverb + effect::kDry,
};
constexpr std::array<std::size_t, 8> kFixedMixPolarities{
    0,
    image::kEchoA + effect::kWetPolarity,
    image::kEchoA + effect::kDryPolarity,
    0,
    image::kEchoB + effect::kWetPolarity,
    image::kEchoB + effect::kDryPolarity,
    image::kReverb + effect::kWetPolarity,
    image::kReverb + effect::kDryPolarity,
};
// Mix points 8..32 and 43..57: output records in this order, five sources each.
constexpr std::array<std::uint8_t, 8> kMixRecordOrder{0, 2, 3, 4, 6, 1, 5, 7};

class CApplier {
public:
    explicit CApplier(SSimState& state)
        : m_state(state),
          m_nRecordBase(OutputSetOffset(LiveOutputSet(state.m_abImage[image::kOutputMode]))) {}

    std::uint8_t* At(const SPlace& place) {
        switch (place.m_eArea) {
        case EArea::Image:
            return m_state.m_abImage.data() + place.m_nOffset;
        case EArea::System:
            return m_state.m_abSystem.data() + place.m_nOffset;
        case EArea::Record:
            return m_state.m_abImage.data() + RecordOffset(place.m_nRecord) + place.m_nOffset;
        }
        return nullptr;
    }
    std::uint8_t* ImageAt(std::size_t offset) { return m_state.m_abImage.data() + offset; }
    std::size_t RecordOffset(int record) const {
        return m_nRecordBase + output::kSize * static_cast<std::size_t>(record);
    }
    int LiveSet() const { return LiveOutputSet(m_state.m_abImage[image::kOutputMode]); }

    // Writes count payload bytes (from payload[first]) to the place of entry index in table.
    template <std::size_t N>
    bool Copy(const std::array<SPlace, N>& table, std::size_t index,
              std::span<const std::uint8_t> payload, std::size_t first, std::size_t count) {
        if (index >= N || payload.size() < first + count) {
            return false;
        }
        std::memcpy(At(table[index]), payload.data() + first, count);
        return true;
    }

    // Image offset of mix point 0..57 for command 2 (level) or 11 (polarity), or 0.
    std::size_t MixOffset(std::uint8_t command, int point) const {
        const bool level = command == 2;
        if (point < 8) {
            return (level ? kFixedMixLevels : kFixedMixPolarities)[static_cast<std::size_t>(point)];
        }
        int position = 0;
        int source = 0;
        if (point <= 32) {
            position = (point - 8) / 5;
            source = (point - 8) % 5;
        } else if (point >= 43 && point <= 57) {
            position = (point - 18) / 5;
            source = (point - 18) % 5;
        } else {
            return 0;
        }
        return RecordOffset(kMixRecordOrder[static_cast<std::size_t>(position)]) + output::kMix +
               2 * static_cast<std::size_t>(source) + (level ? 0 : 1);
    }

private:
    SSimState& m_state;
    std::size_t m_nRecordBase;
};

// Applies one sync frame; false when its index or payload does not fit.
bool ApplySync(SSimState& state, const SWireFrame& frame) {
    CApplier apply(state);
    const int p = frame.Parameter();
    const std::span<const std::uint8_t> data = frame.Payload();
    std::uint8_t* system = state.m_abSystem.data();
    switch (frame.Command()) {
    case cmd::kVolume:        // volume: parameter 2, 1, 0 for system bytes 1, 2, 3
    case cmd::kVolumeLimit: { // volume limit: parameter 0, 1, 2 for system bytes 6, 5, 4
        if (p > 2 || data.empty()) {
            return false;
        }
        system[frame.Command() == cmd::kVolume ? sysblock::kMusicVolume - p
                                               : sysblock::kMusicMax - p] = data[0];
        return true;
    }
    case cmd::kMixLevel:
    case cmd::kMixPolarity: {
        const std::size_t offset = apply.MixOffset(frame.Command(), p);
        if (offset == 0 || data.empty()) {
            return false;
        }
        *apply.ImageAt(offset) = data[0];
        return true;
    }
    case cmd::kEqBand: {
        const std::size_t offset = BandOffset(p, apply.LiveSet());
        if (offset >= kImageSize || data.size() < band::kSize) {
            return false;
        }
        std::memcpy(apply.ImageAt(offset), data.data(), band::kSize);
        return true;
    }
    case cmd::kFilter: {
        std::size_t offset = CrossoverOffset(p, apply.LiveSet());
        if (offset >= kImageSize || data.size() < xover::kSize) {
            return false;
        }
        if (data[xover::kKind] == 1 && CrossoverHasLowPass(p)) {
            offset += xover::kSize;
        }
        std::memcpy(apply.ImageAt(offset), data.data(), xover::kSize);
        return true;
    }
    case cmd::kTime:
        return apply.Copy(kTimes, static_cast<std::size_t>(p), data, 0, 2);
    case cmd::kMicByte: {
        if (p > 1 || data.size() < 2) {
            return false;
        }
        *apply.ImageAt((p == 0 ? image::kMic12 : image::kMic34) + mic::kFeedback) = data[1];
        return true;
    }
    case cmd::kLimiter:
        return apply.Copy(kLimiters, static_cast<std::size_t>(p), data, 0, limiter::kSize);
    case cmd::kOutputByte: {
        if (p > 7 || data.empty()) {
            return false;
        }
        *apply.ImageAt(apply.RecordOffset(p) + output::kMute) = data[0];
        return true;
    }
    case cmd::kSystemNibble:
        if (p > 15) {
            return false;
        }
        system[sysblock::kSensPitch] =
            static_cast<std::uint8_t>((p << 4) | (system[sysblock::kSensPitch] & 0x0F));
        return true;
    case cmd::kNoiseGate:
        return apply.Copy(kGates, static_cast<std::size_t>(p), data, 0, gate::kSize);
    case cmd::kInputSelect:
        system[sysblock::kInput] = static_cast<std::uint8_t>(p);
        return true;
    case cmd::kDynamicBand:
        return apply.Copy(kDynamicBands, static_cast<std::size_t>(p), data, 0, deq::kSize);
    case cmd::kExciter:
        return apply.Copy(kExciters, static_cast<std::size_t>(p), data, 1, exciter::kSize);
    case cmd::kSettingByte: {
        if (p == 0) {
            if (data.empty()) {
                return false;
            }
            system[sysblock::kSensPitch] =
                static_cast<std::uint8_t>((system[sysblock::kSensPitch] & 0xF0) | (data[0] & 0x0F));
            return true;
        }
        return apply.Copy(kSettings, static_cast<std::size_t>(p), data, 0, 1);
    }
    case cmd::kEqBypass:
        return apply.Copy(kBypasses, static_cast<std::size_t>(p), data, 0, 1);
    case cmd::kLink:
        return apply.Copy(kLinks, static_cast<std::size_t>(p), data, 0, 1);
    case cmd::kPhantom:
        system[sysblock::kPhantom] = static_cast<std::uint8_t>(p);
        return true;
    case cmd::kIrControl:
        system[sysblock::kIrControl] = static_cast<std::uint8_t>(p);
        return true;
    case cmd::kOutputMode:
        state.m_abImage[image::kOutputMode] = static_cast<std::uint8_t>(p);
        return true;
    default:
        return true; // a code this processor does not know is acknowledged and ignored
    }
}

std::vector<std::uint8_t> Ack(std::uint8_t command, std::uint8_t status) {
    return MakeFrame(command, status);
}

void WriteName(std::uint8_t* image, const char* text) {
    std::memset(image + image::kName, ' ', kNameSize);
    std::memcpy(image + image::kName, text, std::min(std::strlen(text), kNameSize));
}

void SeedBands(std::uint8_t* image, int mode, const SEqBlock& block) {
    const bool dynamic = block.m_nStride == deq::kSize;
    for (int i = 0; i < block.m_nBands; ++i) {
        std::uint8_t* record =
            image + block.m_nFirst + block.m_nStride * static_cast<std::size_t>(i);
        SetU16(record + band::kFreq, static_cast<std::uint16_t>(20 + i * 320 / block.m_nBands));
        record[band::kGain] = static_cast<std::uint8_t>(120 + ((mode + i) % 5 - 2) * 5);
        record[band::kQ] = 10;
        record[band::kType] = 1;
        if (dynamic) {
            record[deq::kThreshold] = 30;
            record[deq::kAttack] = 5;
            record[deq::kRelease] = 3;
            record[deq::kRatio] = 10;
            record[deq::kExtra] = 1;
        }
    }
}

void SeedCrossover(std::uint8_t* record, std::uint8_t kind) {
    record[xover::kKind] = kind;
    SetU16(record + xover::kFreq, kind == 0 ? 0 : 361);
    record[xover::kSlope] = 0;
}

void SeedMode(std::uint8_t* image, int mode) {
    char name[kNameSize + 1];
    std::snprintf(name, sizeof name, "Sim mode %d", mode);
    WriteName(image, name);
    for (int set = 1; set <= 3; ++set) {
        for (int block = 0; block < static_cast<int>(kEqBlockCount); ++block) {
            if (set == 1 || IsOutputEqBlock(block)) {
                SeedBands(image, mode, EqBlock(block, set));
            }
        }
        for (int number = 0; number < static_cast<int>(kCrossoverNumberCount); ++number) {
            if (set == 1 || IsOutputCrossover(number)) {
                const std::size_t offset = CrossoverOffset(number, set);
                SeedCrossover(image + offset, 0);
                if (CrossoverHasLowPass(number)) {
                    SeedCrossover(image + offset + xover::kSize, 1);
                }
            }
        }
        for (std::size_t r = 0; r < output::kRecordCount; ++r) {
            std::uint8_t* record = image + OutputSetOffset(set) + output::kSize * r;
            for (std::size_t j = 0; j < output::kMixSources; ++j) {
                record[output::kMix + 2 * j] = 100;
            }
        }
    }
    image[image::kMic12 + mic::kLevel] = 30;
    image[image::kMic34 + mic::kLevel] = 30;
    image[image::kEchoA + effect::kWet] = 50;
    image[image::kEchoB + effect::kWet] = 50;
    image[image::kReverb + effect::kWet] = 50;
    image[image::kOutputMode] = 1;
}

// The settings of the system block as the processor leaves the factory.
struct SSystemByte {
    std::size_t m_nOffset;
    std::uint8_t m_nValue;
};
constexpr std::array<SSystemByte, 15> kFactorySettings{{
    {sysblock::kMode, 1},
    {sysblock::kEffectVolume, 40},
    {sysblock::kMicVolume, 40},
    {sysblock::kMusicVolume, 40},
    {sysblock::kEffectMax, 70},
    {sysblock::kMicMax, 84},
    {sysblock::kMusicMax, 84},
    {sysblock::kPhantom, 0},
    {sysblock::kInput, 0},
    {sysblock::kSensPitch, 0x70},
    {sysblock::kAudioGain, 20},
    {sysblock::kAuxGain, 20},
    {sysblock::kCoaxGain, 20},
    {sysblock::kOptiGain, 20},
    {sysblock::kIrControl, 1},
}};

} // namespace

SSimState MakeFactoryState() {
    SSimState state;
    for (int mode = 1; mode <= static_cast<int>(kModeCount); ++mode) {
        SeedMode(state.m_aModes[static_cast<std::size_t>(mode)].data(), mode);
    }
    state.m_abImage = state.m_aModes[1];
    for (const SSystemByte& setting : kFactorySettings) {
        state.m_abSystem[setting.m_nOffset] = setting.m_nValue;
    }
    std::memcpy(state.m_abSystem.data() + sysblock::kPanelCode, "1234", 4);
    std::memcpy(state.m_abSystem.data() + sysblock::kSystemCode, "123456", 6);
    state.m_bUnlock = true;
    return state;
}

std::vector<std::uint8_t> AllModesFile(const SSimState& state) {
    std::vector<std::uint8_t> file(state.m_abSystem.begin(), state.m_abSystem.end());
    for (std::size_t mode = 1; mode <= kModeCount; ++mode) {
        file.insert(file.end(), state.m_aModes[mode].begin(), state.m_aModes[mode].end());
    }
    file.push_back(1);
    return file;
}

bool LoadAllModesFile(const std::string& path, SSimState& state, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<std::uint8_t> bytes(kAllModesFileSize);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size())) {
        error = path + ": shorter than an all-modes file (57019 bytes)";
        return false;
    }
    std::copy_n(bytes.begin(), kSystemSize, state.m_abSystem.begin());
    for (std::size_t mode = 1; mode <= kModeCount; ++mode) {
        std::copy_n(bytes.begin() +
                        static_cast<std::ptrdiff_t>(kSystemSize + (mode - 1) * kImageSize),
                    kImageSize, state.m_aModes[mode].begin());
    }
    const std::size_t current = state.m_abSystem[sysblock::kMode];
    state.m_abImage = state.m_aModes[(current >= 1 && current <= kModeCount) ? current : 1];
    return true;
}

CSimProcessor::CSimProcessor(SSimFaults faults, SSimState state)
    : m_faults(faults), m_state(std::move(state)) {}

bool IsBulkFrame(const SWireFrame& frame) {
    return (frame.Command() == cmd::kReadMode || frame.Command() == cmd::kWriteMode) &&
           frame.Parameter() != 0;
}

std::vector<std::uint8_t> CSimProcessor::Handle(const SWireFrame& frame) {
    ++m_nFrames;
    if (!frame.m_bSumOk || m_faults.m_bSilent) {
        return {};
    }
    if (Rejects()) {
        return WithFaults(Ack(frame.Command(), kStatusRejected));
    }
    std::vector<std::uint8_t> answer = WithFaults(Answer(frame));
    const auto& lost = m_faults.m_anLoseAnswers;
    if (std::find(lost.begin(), lost.end(), m_nFrames) != lost.end()) {
        return {}; // applied, but the answer never arrives
    }
    return answer;
}

bool CSimProcessor::Rejects() const {
    return m_nFrames <= m_faults.m_nRejectFirst ||
           (m_faults.m_nRejectEvery > 0 && m_nFrames % m_faults.m_nRejectEvery == 0);
}

std::vector<std::uint8_t> CSimProcessor::WithFaults(std::vector<std::uint8_t> answer) {
    ++m_nAnswers;
    if (m_faults.m_nBadSumEvery > 0 && m_nAnswers % m_faults.m_nBadSumEvery == 0) {
        answer.back() = static_cast<std::uint8_t>(answer.back() + 1);
    }
    std::vector<std::uint8_t> wire;
    for (int i = 0; i < m_faults.m_nNoiseBytes; ++i) {
        wire.push_back(kNoise[static_cast<std::size_t>(i) % kNoise.size()]);
    }
    wire.insert(wire.end(), answer.begin(), answer.end());
    return wire;
}

// Counts the whole-mode and system-block writes; true for the one the fault drops.
bool CSimProcessor::DropsWrite() {
    ++m_nWrites;
    return m_faults.m_nDropWrite > 0 && m_nWrites == m_faults.m_nDropWrite;
}

std::vector<std::uint8_t> CSimProcessor::Meters(std::uint8_t poll) {
    ++m_nMeterTick;
    std::array<std::uint8_t, 12> values{};
    const unsigned top = poll == cmd::kLevelPoll ? 200 : 100;
    for (unsigned i = 0; i < values.size(); ++i) {
        values[i] = static_cast<std::uint8_t>((m_nMeterTick * 7 + i * 17) % (top + 1));
    }
    return MakeFrame(poll, values);
}

std::vector<std::uint8_t> CSimProcessor::Answer(const SWireFrame& frame) {
    const std::uint8_t command = frame.Command();
    const std::uint8_t n = frame.Parameter();
    const std::span<const std::uint8_t> data = frame.Payload();
    auto& image = m_state.m_abImage;
    auto& system = m_state.m_abSystem;
    auto& modes = m_state.m_aModes;
    switch (command) {
    case cmd::kLevelPoll:
    case cmd::kStatePoll:
        return Meters(command);
    case cmd::kProbe: {
        if (m_faults.m_bProbeAck) {
            return Ack(command, kStatusAccepted);
        }
        const std::array<std::uint8_t, 1> unlock{static_cast<std::uint8_t>(m_state.m_bUnlock)};
        return MakeFrame(command, 0, unlock);
    }
    case cmd::kReadName: {
        if (n > kModeCount) {
            return Ack(command, kStatusBadFrame);
        }
        const auto& source = n == 0 ? image : modes[n];
        return MakeFrame(command, n, std::span(source.data(), kNameSize));
    }
    case cmd::kReadSystem:
        return MakeFrame(command, system);
    case cmd::kReadMode:
        if (n > kModeCount) {
            return Ack(command, kStatusBadFrame);
        }
        if (n != 0 && n == m_faults.m_nWrongMode &&
            (m_faults.m_nWrongModeTimes == 0 || m_nWrongModes < m_faults.m_nWrongModeTimes)) {
            ++m_nWrongModes;
            return MakeFrame(command, static_cast<std::uint8_t>(n % kModeCount + 1), modes[n]);
        }
        return MakeFrame(command, n, n == 0 ? image : modes[n]);
    case cmd::kWriteSystem:
        if (data.size() < kSystemSize) {
            return Ack(command, kStatusBadFrame);
        }
        if (DropsWrite()) {
            return Ack(command, kStatusAccepted);
        }
        // The parameter byte is the caller's value, the 66 bytes follow it.
        std::copy_n(data.begin(), kSystemSize, system.begin());
        return Ack(command, kStatusAccepted);
    case cmd::kWriteMode:
        if (n > kModeCount || data.size() < kImageSize) {
            return Ack(command, kStatusBadFrame);
        }
        if (DropsWrite()) {
            return Ack(command, kStatusAccepted);
        }
        std::copy_n(data.begin(), kImageSize, (n == 0 ? image : modes[n]).begin());
        return Ack(command, kStatusAccepted);
    case cmd::kRecall:
        if (n > kModeCount) {
            return Ack(command, kStatusBadFrame);
        }
        if (n != 0) {
            image = modes[n];
            system[sysblock::kMode] = n;
        }
        return MakeFrame(command, 0, image);
    case cmd::kStore:
        if (n > kModeCount || data.size() < kNameSize) {
            return Ack(command, kStatusBadFrame);
        }
        std::copy_n(data.begin(), kNameSize, image.begin());
        if (n != 0) {
            modes[n] = image;
            system[sysblock::kMode] = n;
        }
        return Ack(command, kStatusAccepted);
    case cmd::kSixCodeChange:
    case cmd::kFourCodeChange: {
        // No parameter: the current code, then the new code, from the parameter's place on.
        const std::size_t width = command == cmd::kSixCodeChange ? 6 : 4;
        const std::size_t field =
            command == cmd::kSixCodeChange ? sysblock::kSystemCode : sysblock::kPanelCode;
        const std::uint8_t* body = frame.m_abBytes.data() + kParameterOffset;
        if (frame.Length() < 2 + 2 * width) {
            return Ack(command, kStatusBadFrame);
        }
        if (std::equal(body, body + width, system.begin() + static_cast<std::ptrdiff_t>(field))) {
            std::copy_n(body + width, width, system.begin() + static_cast<std::ptrdiff_t>(field));
            m_state.m_bUnlock = true;
        }
        return Ack(command, kStatusAccepted);
    }
    default:
        return Ack(command, ApplySync(m_state, frame) ? kStatusAccepted : kStatusBadFrame);
    }
}

} // namespace zolt::sim
