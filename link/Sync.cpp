#include "link/Sync.h"

#include "link/Command.h"
#include "model/Command.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zolt {

namespace {

// Where an item's bytes lie: the working image, the system block, or the live output set
// (offset from the start of the set).
enum class ESource : std::uint8_t { Image, System, LiveSet };

// What is compared: all bytes of the item, or one nibble of a single byte.
enum class ECompare : std::uint8_t { Bytes, LowNibble, HighNibble };

// How the compared value becomes a frame.
enum class EPayload : std::uint8_t {
    Raw,          // the bytes themselves (a nibble item: the nibble)
    ZeroThenByte, // 0, the byte
    ByteThenZero, // the byte, 0
    ParameterPad, // the value as parameter, payload 0, 0
    Parameter,    // the value as parameter, no payload
    GateFlag,     // the 3 bytes, then 1 when the threshold is on
    ExciterFlag,  // 1 when harmonic or timbre is on, the 4 bytes, 5 zero bytes
};

struct SSyncItem {
    std::uint8_t m_nCommand;
    std::uint8_t m_nParameter;
    ESource m_eSource;
    std::uint16_t m_nOffset;
    std::uint8_t m_nSize;
    ECompare m_eCompare;
    EPayload m_ePayload;
};

constexpr std::size_t kItemCount = 413;

// Output record r of the live set, as an offset from the set's start.
constexpr std::uint16_t Rec(int r, std::size_t field) {
    return static_cast<std::uint16_t>(output::kSize * static_cast<std::size_t>(r) + field);
}

struct STableBuilder {
    std::array<SSyncItem, kItemCount> m_aItems{};
    std::size_t m_nCount = 0;

    constexpr void Add(int command, int parameter, ESource source, std::size_t offset,
                       std::size_t size, ECompare compare = ECompare::Bytes,
                       EPayload payload = EPayload::Raw) {
        m_aItems[m_nCount++] = {static_cast<std::uint8_t>(command),
                                static_cast<std::uint8_t>(parameter),
                                source,
                                static_cast<std::uint16_t>(offset),
                                static_cast<std::uint8_t>(size),
                                compare,
                                payload};
    }
    constexpr void Image(int command, int parameter, std::size_t offset, std::size_t size,
                         EPayload payload = EPayload::Raw) {
        Add(command, parameter, ESource::Image, offset, size, ECompare::Bytes, payload);
    }
    constexpr void Live(int command, int parameter, std::size_t offset, std::size_t size,
                        EPayload payload = EPayload::Raw) {
        Add(command, parameter, ESource::LiveSet, offset, size, ECompare::Bytes, payload);
    }
    constexpr void System(int command, int parameter, std::size_t offset,
                          EPayload payload = EPayload::Raw) {
        Add(command, parameter, ESource::System, offset, 1, ECompare::Bytes, payload);
    }
    // A run of count consecutive 5-byte band records starting at band number first.
    constexpr void Bands(int first, int count, std::size_t offset) {
        for (int k = 0; k < count; ++k) {
            Image(cmd::kEqBand, first + k, offset + band::kSize * static_cast<std::size_t>(k),
                  band::kSize);
        }
    }
};

// Step 2a: the effect sends, in the processor's order: command, parameter, image offset.
struct SFixedMix {
    std::uint8_t m_nCommand;
    std::uint8_t m_nParameter;
    std::uint16_t m_nOffset;
};
constexpr std::array<SFixedMix, 14> kFixedMix{{
    {cmd::kMixLevel, 0, 76},
    {cmd::kMixLevel, 1, 56},
    {cmd::kMixPolarity, 1, 57},
    {cmd::kMixLevel, 2, 58},
    {cmd::kMixPolarity, 2, 59},
    {cmd::kMixLevel, 3, 133},
    {cmd::kMixLevel, 4, 113},
    {cmd::kMixPolarity, 4, 114},
    {cmd::kMixLevel, 5, 115},
    {cmd::kMixPolarity, 5, 116},
    {cmd::kMixLevel, 6, 170},
    {cmd::kMixLevel, 7, 172},
    {cmd::kMixPolarity, 6, 171},
    {cmd::kMixPolarity, 7, 173},
}};

// Step 2b: output records in mix-point order.
constexpr std::array<int, 8> kMixRecordOrder{0, 2, 3, 4, 6, 1, 5, 7};

// Step 4: the high-pass record of crossover numbers 0..6; the low-pass follows at +4.
constexpr std::array<std::uint16_t, 7> kFixedCrossovers{560, 724, 247, 404, 60, 174, 117};

// Step 5: the fixed u16 time values 0..9.
constexpr std::array<std::uint16_t, 10> kFixedTimes{68, 70, 72, 74, 125, 127, 129, 131, 182, 184};

// Step 6: limiter index 2..6 take the first record of each output group.
constexpr std::array<int, 5> kLimiterRecords{0, 2, 3, 4, 6};

// Step 9: EQ bypass flags 0..10.
constexpr std::array<std::uint16_t, 11> kFixedBypass{643, 669, 807, 833, 355, 381,
                                                     512, 538, 55,  169, 112};

// Step 10: link flags 0..5.
constexpr std::array<std::uint16_t, 6> kLinks{552, 881, 2707, 2708, 2709, 2710};

// Step 11: dynamic-EQ band records 0..5.
constexpr std::array<std::uint16_t, 6> kDynamicBands{674, 684, 694, 838, 848, 858};

// Step 16: exciter records 0..7.
constexpr std::array<std::uint16_t, 8> kExciters{708, 872, 386, 543, 704, 868, 382, 539};

constexpr std::size_t kSystemNibbles = sysblock::kSensPitch; // high nibble pitch, low setting

// Every item of a pass, highest priority first.
constexpr std::array<SSyncItem, kItemCount> BuildTable() {
    STableBuilder t;
    // 1: master volumes, command 1.
    t.System(cmd::kVolume, 2, sysblock::kEffectVolume);
    t.System(cmd::kVolume, 1, sysblock::kMicVolume);
    t.System(cmd::kVolume, 0, sysblock::kMusicVolume);
    // 2a: effect mix levels and polarities.
    for (const SFixedMix& m : kFixedMix) {
        t.Image(m.m_nCommand, m.m_nParameter, m.m_nOffset, 1);
    }
    // 2b: output mix matrix; levels (2) then polarities (11) of each record.
    for (int i = 0; i < 8; ++i) {
        const int r = kMixRecordOrder[static_cast<std::size_t>(i)];
        const int base = i <= 4 ? 5 * i + 8 : 5 * i + 18;
        for (int command : {cmd::kMixLevel, cmd::kMixPolarity}) {
            for (int j = 0; j < 5; ++j) {
                const std::size_t field = output::kMix + 2 * static_cast<std::size_t>(j) +
                                          (command == cmd::kMixPolarity ? 1 : 0);
                t.Live(command, base + j, Rec(r, field), 1);
            }
        }
    }
    // 3: EQ bands 0..190, command 3.
    t.Bands(0, 15, 568);
    t.Bands(15, 5, 644);
    t.Bands(20, 15, 732);
    t.Bands(35, 5, 808);
    t.Bands(40, 20, 255);
    t.Bands(60, 5, 356);
    t.Bands(65, 20, 412);
    t.Bands(85, 5, 513);
    t.Bands(90, 7, 20);
    t.Bands(97, 7, 134);
    t.Bands(104, 7, 77);
    for (int n = 111; n < 191; ++n) {
        const std::size_t k = static_cast<std::size_t>((n - 111) % 10);
        t.Live(cmd::kEqBand, n, Rec((n - 111) / 10, output::kBands + band::kSize * k), band::kSize);
    }
    // 4: crossovers 0..16, command 4: high-pass record, then low-pass record.
    for (int n = 0; n < 7; ++n) {
        const std::size_t hp = kFixedCrossovers[static_cast<std::size_t>(n)];
        t.Image(cmd::kFilter, n, hp, xover::kSize);
        t.Image(cmd::kFilter, n, hp + xover::kSize, xover::kSize);
    }
    for (int n = 7; n < 15; ++n) {
        t.Live(cmd::kFilter, n, Rec(n - 7, output::kHighPass), xover::kSize);
        t.Live(cmd::kFilter, n, Rec(n - 7, output::kLowPass), xover::kSize);
    }
    // 15 and 16 are single records ("MainMusic HPF"): their second comparison repeats the
    // first and can never fire, so each appears once.
    t.Image(cmd::kFilter, 15, 670, xover::kSize);
    t.Image(cmd::kFilter, 16, 834, xover::kSize);
    // 5: times 0..17, command 5, u16 values.
    for (int n = 0; n < 10; ++n) {
        t.Image(cmd::kTime, n, kFixedTimes[static_cast<std::size_t>(n)], 2);
    }
    for (int n = 10; n < 18; ++n) {
        t.Live(cmd::kTime, n, Rec(n - 10, output::kDelay), 2);
    }
    // 6: limiters 0..7, command 7.
    t.Image(cmd::kLimiter, 0, 240, limiter::kSize);
    t.Image(cmd::kLimiter, 1, 397, limiter::kSize);
    for (int n = 2; n < 7; ++n) {
        t.Live(cmd::kLimiter, n,
               Rec(kLimiterRecords[static_cast<std::size_t>(n - 2)], output::kLimiter),
               limiter::kSize);
    }
    t.Image(cmd::kLimiter, 7, 553, limiter::kSize);
    // 7: output mute bytes, command 8.
    for (int r = 0; r < 8; ++r) {
        t.Live(cmd::kOutputByte, r, Rec(r, output::kMute), 1, EPayload::ByteThenZero);
    }
    // 8: setting bytes, command 19.
    t.Add(cmd::kSettingByte, 0, ESource::System, kSystemNibbles, 1, ECompare::LowNibble);
    t.Image(cmd::kSettingByte, 1, 238, 1);
    t.Image(cmd::kSettingByte, 2, 395, 1);
    for (int n = 3; n < 7; ++n) {
        t.System(cmd::kSettingByte, n, sysblock::kAudioGain + static_cast<std::size_t>(n - 3));
    }
    // 9: EQ bypass flags 0..18, command 20.
    for (int n = 0; n < 11; ++n) {
        t.Image(cmd::kEqBypass, n, kFixedBypass[static_cast<std::size_t>(n)], 1);
    }
    for (int n = 11; n < 19; ++n) {
        t.Live(cmd::kEqBypass, n, Rec(n - 11, output::kBypass), 1);
    }
    // 10: link flags, command 135.
    for (int n = 0; n < 6; ++n) {
        t.Image(cmd::kLink, n, kLinks[static_cast<std::size_t>(n)], 1);
    }
    // 11: dynamic-EQ band records, command 17.
    for (int n = 0; n < 6; ++n) {
        t.Image(cmd::kDynamicBand, n, kDynamicBands[static_cast<std::size_t>(n)], deq::kSize);
    }
    // 12: mic bytes, command 6.
    t.Image(cmd::kMicByte, 0, 239, 1, EPayload::ZeroThenByte);
    t.Image(cmd::kMicByte, 1, 396, 1, EPayload::ZeroThenByte);
    // 13: music pitch nibble, command 9.
    t.Add(cmd::kSystemNibble, 0, ESource::System, kSystemNibbles, 1, ECompare::HighNibble,
          EPayload::ParameterPad);
    // 14: music input, command 13.
    t.System(cmd::kInputSelect, 0, sysblock::kInput, EPayload::Parameter);
    // 15: noise gates, command 10.
    t.Image(cmd::kNoiseGate, 0, 244, gate::kSize, EPayload::GateFlag);
    t.Image(cmd::kNoiseGate, 1, 401, gate::kSize, EPayload::GateFlag);
    t.Image(cmd::kNoiseGate, 2, 557, gate::kSize, EPayload::GateFlag);
    // 16: exciters, command 18.
    for (int n = 0; n < 8; ++n) {
        t.Image(cmd::kExciter, n, kExciters[static_cast<std::size_t>(n)], exciter::kSize,
                EPayload::ExciterFlag);
    }
    // 17: volume limits, command 137.
    t.System(cmd::kVolumeLimit, 0, sysblock::kMusicMax);
    t.System(cmd::kVolumeLimit, 1, sysblock::kMicMax);
    t.System(cmd::kVolumeLimit, 2, sysblock::kEffectMax);
    // 18, 19: phantom power and IR control.
    t.System(cmd::kPhantom, 0, sysblock::kPhantom, EPayload::Parameter);
    t.System(cmd::kIrControl, 0, sysblock::kIrControl, EPayload::Parameter);
    // 20: output mode, command 142.
    t.Image(cmd::kOutputMode, 0, image::kOutputMode, 1, EPayload::Parameter);
    if (t.m_nCount != kItemCount) {
        throw "sync table size mismatch"; // fails the constant evaluation
    }
    return t.m_aItems;
}

constexpr std::array<SSyncItem, kItemCount> kSyncTable = BuildTable();

// Runs of consecutive items whose bytes together fill one range of one source. When a
// run's range equals its shadow, none of its items can differ, so a pass compares runs
// first and looks at single items only inside a run that differs; items are still found
// in the table's order.
struct SSyncRun {
    ESource m_eSource;
    std::uint16_t m_nOffset;
    std::uint16_t m_nSize;
    std::uint16_t m_nFirst; // first item
    std::uint16_t m_nCount; // items
};

struct SSyncRuns {
    std::array<SSyncRun, kItemCount> m_aRuns{};
    std::size_t m_nCount = 0;
};

// From each item on, the longest stretch of items of the same source whose bytes, taken
// together, leave no gap (the items in between may, as the mix matrix does: levels first,
// polarities after).
constexpr SSyncRuns BuildRuns() {
    constexpr std::size_t kMaxSpread = 64; // look no further than this many bytes apart
    SSyncRuns runs;
    for (std::size_t first = 0; first < kItemCount;) {
        std::size_t last = first;
        std::size_t low = kSyncTable[first].m_nOffset;
        std::size_t high = low;
        std::size_t filled = 0;
        for (std::size_t j = first; j < kItemCount; ++j) {
            const SSyncItem& item = kSyncTable[j];
            if (item.m_eSource != kSyncTable[first].m_eSource) {
                break;
            }
            low = std::min<std::size_t>(low, item.m_nOffset);
            high = std::max<std::size_t>(high, item.m_nOffset + item.m_nSize);
            filled += item.m_nSize;
            if (filled > high - low || high - low > filled + kMaxSpread) {
                break;
            }
            if (filled == high - low) {
                last = j;
            }
        }
        std::size_t runLow = kSyncTable[first].m_nOffset;
        std::size_t runHigh = runLow;
        for (std::size_t j = first; j <= last; ++j) {
            runLow = std::min<std::size_t>(runLow, kSyncTable[j].m_nOffset);
            runHigh =
                std::max<std::size_t>(runHigh, kSyncTable[j].m_nOffset + kSyncTable[j].m_nSize);
        }
        runs.m_aRuns[runs.m_nCount++] = {
            kSyncTable[first].m_eSource, static_cast<std::uint16_t>(runLow),
            static_cast<std::uint16_t>(runHigh - runLow), static_cast<std::uint16_t>(first),
            static_cast<std::uint16_t>(last - first + 1)};
        first = last + 1;
    }
    return runs;
}

constexpr SSyncRuns kSyncRuns = BuildRuns();

// The working and shadow bytes of an item.
struct SItemBytes {
    std::uint8_t* m_pWork;
    std::uint8_t* m_pShadow;
};

// Where each source starts in the working copy and in its shadow, for one pass.
struct SSourceBases {
    std::uint8_t* m_apWork[3];
    std::uint8_t* m_apShadow[3];

    explicit SSourceBases(std::size_t liveBase)
        : m_apWork{g_data.m_abImage, g_data.m_abSystem, g_data.m_abImage + liveBase},
          m_apShadow{g_data.m_abShadow, g_data.m_abSystemShadow, g_data.m_abShadow + liveBase} {}

    template <typename T> SItemBytes Locate(const T& entry) const {
        const auto source = static_cast<std::size_t>(entry.m_eSource);
        return {m_apWork[source] + entry.m_nOffset, m_apShadow[source] + entry.m_nOffset};
    }
};

inline std::uint8_t Nibble(std::uint8_t b, ECompare compare) {
    return compare == ECompare::LowNibble ? (b & 0x0F) : static_cast<std::uint8_t>(b >> 4);
}

// The bytes of p as one number; N is a size the table uses (1..5, 10 takes two words).
template <std::size_t N> inline std::uint64_t Load(const std::uint8_t* p) {
    std::uint64_t value = 0;
    std::memcpy(&value, p, N);
    return value;
}

template <std::size_t N> inline bool Equal(const std::uint8_t* a, const std::uint8_t* b) {
    if constexpr (N > 8) {
        return Load<8>(a) == Load<8>(b) && Load<N - 8>(a + 8) == Load<N - 8>(b + 8);
    } else {
        return Load<N>(a) == Load<N>(b);
    }
}

// Equal bytes over a run, eight at a time.
inline bool RangeEqual(const std::uint8_t* a, const std::uint8_t* b, std::size_t size) {
    for (; size >= 8; size -= 8, a += 8, b += 8) {
        if (!Equal<8>(a, b)) {
            return false;
        }
    }
    switch (size) {
    case 0:
        return true;
    case 1:
        return *a == *b;
    case 2:
        return Equal<2>(a, b);
    case 3:
        return Equal<3>(a, b);
    case 4:
        return Equal<4>(a, b);
    case 5:
        return Equal<5>(a, b);
    case 6:
        return Equal<6>(a, b);
    default:
        return Equal<7>(a, b);
    }
}

inline bool Differs(const SSyncItem& item, const SItemBytes& bytes) {
    const std::uint8_t* w = bytes.m_pWork;
    const std::uint8_t* s = bytes.m_pShadow;
    if (item.m_eCompare != ECompare::Bytes) {
        return Nibble(*w, item.m_eCompare) != Nibble(*s, item.m_eCompare);
    }
    switch (item.m_nSize) {
    case 1:
        return *w != *s;
    case 2:
        return !Equal<2>(w, s);
    case 3:
        return !Equal<3>(w, s);
    case 4:
        return !Equal<4>(w, s);
    case 5:
        return !Equal<5>(w, s);
    case 10:
        return !Equal<10>(w, s);
    default:
        return std::memcmp(w, s, item.m_nSize) != 0;
    }
}

void CopyToShadow(const SSyncItem& item, const SItemBytes& bytes) {
    switch (item.m_eCompare) {
    case ECompare::Bytes:
        std::memcpy(bytes.m_pShadow, bytes.m_pWork, item.m_nSize);
        break;
    case ECompare::LowNibble:
        *bytes.m_pShadow =
            static_cast<std::uint8_t>((*bytes.m_pShadow & 0xF0) | (*bytes.m_pWork & 0x0F));
        break;
    case ECompare::HighNibble:
        *bytes.m_pShadow =
            static_cast<std::uint8_t>((*bytes.m_pShadow & 0x0F) | (*bytes.m_pWork & 0xF0));
        break;
    }
}

void StartFrame(SFrameRecord& current, std::uint8_t command, std::uint8_t parameter) {
    current.m_abFrame[0] = kStartMark1;
    current.m_abFrame[1] = kStartMark2;
    current.m_abFrame[kCommandOffset] = command;
    current.m_abFrame[kParameterOffset] = parameter;
}

void WriteItemFrame(SFrameRecord& current, const SSyncItem& item, const SItemBytes& bytes) {
    std::uint8_t* payload = current.m_abFrame + kPayloadOffset;
    const std::uint8_t* work = bytes.m_pWork;
    const std::uint8_t value =
        item.m_eCompare == ECompare::Bytes ? *work : Nibble(*work, item.m_eCompare);
    std::size_t size = 0;
    std::uint8_t parameter = item.m_nParameter;
    switch (item.m_ePayload) {
    case EPayload::Raw:
        if (item.m_eCompare == ECompare::Bytes) {
            std::memcpy(payload, work, item.m_nSize);
        } else {
            payload[0] = value;
        }
        size = item.m_nSize;
        break;
    case EPayload::ZeroThenByte:
        payload[0] = 0;
        payload[1] = value;
        size = 2;
        break;
    case EPayload::ByteThenZero:
        payload[0] = value;
        payload[1] = 0;
        size = 2;
        break;
    case EPayload::ParameterPad:
        parameter = value;
        payload[0] = 0;
        payload[1] = 0;
        size = 2;
        break;
    case EPayload::Parameter:
        parameter = value;
        break;
    case EPayload::GateFlag:
        std::memcpy(payload, work, gate::kSize);
        payload[gate::kSize] = work[gate::kThreshold] != 0 ? 1 : 0;
        size = gate::kSize + 1;
        break;
    case EPayload::ExciterFlag:
        payload[0] = (work[exciter::kHarmonic] != 0 || work[exciter::kTimbre] != 0) ? 1 : 0;
        std::memcpy(payload + 1, work, exciter::kSize);
        std::memset(payload + 1 + exciter::kSize, 0, 5);
        size = 1 + exciter::kSize + 5;
        break;
    }
    StartFrame(current, item.m_nCommand, parameter);
    FinaliseFrame(current, static_cast<std::uint16_t>(3 + size));
}

} // namespace

void WritePoll(SFrameRecord& current, std::uint8_t& alternation, std::uint8_t outputMode) {
    std::uint8_t command = cmd::kLevelPoll;
    if (alternation != 0) {
        alternation = 0;
        command = cmd::kStatePoll;
    } else {
        alternation = 1;
    }
    StartFrame(current, command, outputMode);
    FinaliseFrame(current, 3);
}

void SyncPass(SFrameRecord& current, std::uint8_t& alternation) {
    // The live set is looked up every pass: an edit of the output mode moves every
    // set-dependent item to the new set at once.
    const SSourceBases bases(OutputSetOffset(LiveOutputSet()));
    for (std::size_t r = 0; r < kSyncRuns.m_nCount; ++r) {
        const SSyncRun& run = kSyncRuns.m_aRuns[r];
        const SItemBytes range = bases.Locate(run);
        if (RangeEqual(range.m_pWork, range.m_pShadow, run.m_nSize)) {
            continue;
        }
        for (std::size_t i = run.m_nFirst; i < run.m_nFirst + run.m_nCount; ++i) {
            const SSyncItem& item = kSyncTable[i];
            const SItemBytes bytes = bases.Locate(item);
            if (Differs(item, bytes)) {
                CopyToShadow(item, bytes);
                WriteItemFrame(current, item, bytes);
                return;
            }
        }
    }
    // The poll carries the output mode: the processor has it from now on.
    const std::uint8_t mode = g_data.m_abImage[image::kOutputMode];
    g_data.m_abShadow[image::kOutputMode] = mode;
    WritePoll(current, alternation, mode);
}

std::size_t SyncItemCount() {
    return kSyncTable.size();
}

} // namespace zolt
