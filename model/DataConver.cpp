#include "model/DataConver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zolt {

constexpr std::array<double, kFreqCount> kFrequencyTable{
    19.7,  20.1,  20.5,  20.9,  21.3,  21.7,  22.1,  22.5,  23,    23.4,  23.9,  24.3,  24.8,
    25.3,  25.8,  26.3,  26.8,  27.3,  27.8,  28.4,  28.9,  29.5,  30.1,  30.7,  31.3,  31.9,
    32.5,  33.1,  33.8,  34.4,  35.1,  35.8,  36.5,  37.2,  37.9,  38.6,  39.4,  40.1,  40.9,
    41.7,  42.5,  43.4,  44.2,  45.1,  45.9,  46.8,  47.7,  48.7,  49.6,  50.6,  51.6,  52.6,
    53.6,  54.6,  55.7,  56.8,  57.9,  59,    60.1,  61.3,  62.5,  63.7,  65,    66.2,  67.5,
    68.8,  70.2,  71.5,  72.9,  74.3,  75.8,  77.2,  78.7,  80.3,  81.8,  83.4,  85,    86.7,
    88.4,  90.1,  91.9,  94,    95,    97,    99,    101,   103,   105,   107,   109,   111,
    114,   116,   118,   120,   123,   125,   127,   130,   132,   135,   138,   140,   143,
    146,   149,   152,   154,   157,   161,   164,   167,   170,   173,   177,   180,   184,
    187,   191,   195,   198,   202,   206,   210,   214,   218,   223,   227,   231,   236,
    241,   245,   250,   255,   260,   265,   270,   275,   281,   286,   292,   297,   303,
    309,   315,   321,   327,   334,   340,   347,   354,   360,   367,   375,   382,   389,
    397,   405,   412,   420,   429,   437,   445,   454,   463,   472,   481,   490,   500,
    510,   520,   530,   540,   551,   561,   572,   583,   595,   606,   618,   630,   642,
    655,   667,   680,   694,   707,   721,   735,   749,   764,   779,   794,   809,   825,
    841,   857,   874,   891,   908,   926,   944,   962,   981,   1000,  1020,  1040,  1060,
    1080,  1100,  1120,  1140,  1170,  1190,  1210,  1240,  1260,  1280,  1310,  1330,  1360,
    1390,  1410,  1440,  1470,  1500,  1530,  1560,  1590,  1620,  1650,  1680,  1710,  1750,
    1780,  1820,  1850,  1890,  1920,  1960,  2000,  2040,  2080,  2120,  2160,  2200,  2240,
    2290,  2330,  2380,  2420,  2470,  2520,  2570,  2620,  2670,  2720,  2770,  2830,  2880,
    2940,  3000,  3050,  3110,  3170,  3240,  3300,  3360,  3430,  3500,  3560,  3630,  3700,
    3780,  3850,  3920,  4000,  4080,  4160,  4240,  4320,  4400,  4490,  4580,  4670,  4760,
    4850,  4940,  5040,  5140,  5240,  5340,  5440,  5550,  5660,  5770,  5880,  5990,  6110,
    6230,  6350,  6470,  6600,  6730,  6860,  6990,  7130,  7270,  7410,  7550,  7700,  7850,
    8000,  8160,  8310,  8480,  8640,  8810,  8980,  9150,  9330,  9510,  9700,  9890,  10100,
    10300, 10500, 10700, 10900, 11100, 11300, 11500, 11800, 12000, 12200, 12500, 12700, 12900,
    13200, 13500, 13700, 14000, 14300, 14500, 14800, 15100, 15400, 15700, 16000, 16300, 16600,
    17000, 17300, 17600, 18000, 18300, 18700, 19000, 19400, 19800, 20200, 20600,
};

constexpr std::array<double, kQCount> kQTable{
    0.4,  0.42, 0.45, 0.47, 0.5,  0.53, 0.56, 0.59, 0.63, 0.67, 0.71, 0.75, 0.79, 0.84, 0.89,
    0.94, 1,    1.06, 1.12, 1.19, 1.26, 1.3,  1.4,  1.5,  1.6,  1.7,  1.8,  1.9,  2,    2.1,
    2.2,  2.4,  2.5,  2.7,  2.8,  3,    3.2,  3.4,  3.6,  3.8,  4,    4.2,  4.5,  4.8,  5,
    5.3,  5.7,  6,    6.3,  6.7,  7.1,  7.6,  8,    8.5,  9,    9.5,  10.1, 10.7, 11.3, 12,
    12.7, 13.5, 14,   15,   16,   17,   18,   19,   20,   21,   23,   24,   25,   27,   29,
    30,   32,   34,   36,   38,   40,   43,   45,   48,   51,   54,   57,   60,   64,   68,
    72,   76,   81,   85,   91,   96,   102,  108,  114,  121,  128,
};

namespace {

constexpr std::array<double, 35> kGridBelow{
    10,   10.2, 10.4, 10.6, 10.8, 11,   11.3, 11.5, 11.7, 11.9, 12.2, 12.4,
    12.6, 12.9, 13.1, 13.4, 13.7, 13.9, 14.2, 14.5, 14.7, 15,   15.3, 15.6,
    15.9, 16.2, 16.6, 16.9, 17.2, 17.5, 17.9, 18.2, 18.6, 18.9, 19.3,
};
constexpr std::array<double, 23> kGridAbove{
    21000, 21400, 21800, 22200, 22600, 23100, 23500, 24000, 24400, 24900, 25400, 25900,
    26400, 26900, 27400, 28000, 28500, 29100, 29600, 30200, 30800, 31400, 32000,
};

constexpr std::array<double, kGridCount> MakeGrid() {
    std::array<double, kGridCount> grid{};
    auto out = std::copy(kGridBelow.begin(), kGridBelow.end(), grid.begin());
    out = std::copy(kFrequencyTable.begin(), kFrequencyTable.end(), out);
    std::copy(kGridAbove.begin(), kGridAbove.end(), out);
    return grid;
}

constexpr std::array<const char*, 41> kRatioLabels{
    "1.0", "1.2", "1.4",  "1.6",  "1.8",  "2.0", "2.4", "2.8", "3.2", "3.6", "4.0",
    "4.4", "4.8", "5.2",  "5.6",  "6.0",  "6.4", "6.8", "7.2", "7.6", "8.0", "8.4",
    "9.0", "9.6", "10.2", "10.8", "11.4", "12",  "13",  "14",  "15",  "16",  "17",
    "18",  "19",  "20",   "22",   "24",   "26",  "30",  "100"};
constexpr std::array<const char*, 20> kAttackLabels{"0.5", "0.7", "1.0", "1.4", "2.0", "2.8", "4.0",
                                                    "5.7", "8.0", "11",  "16",  "23",  "32",  "45",
                                                    "64",  "90",  "100", "120", "150", "400"};
constexpr std::array<const char*, 8> kReleaseLabels{"Atk X2",  "Atk X4",  "Atk X6",  "Atk X8",
                                                    "Atk X12", "Atk X16", "Atk X24", "Atk X32"};

// Walks the table upward to the first entry not below x; takes the nearer of it and its
// predecessor, the higher one on a tie. Values above the last entry give the last index.
template <std::size_t N> int NearestIndex(const std::array<double, N>& table, double x) {
    for (std::size_t i = 0; i < N; ++i) {
        if (table[i] >= x) {
            if (i == 0) {
                return 0;
            }
            return (x - table[i - 1] < table[i] - x) ? static_cast<int>(i - 1)
                                                     : static_cast<int>(i);
        }
    }
    return static_cast<int>(N - 1);
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

constexpr std::array<double, kGridCount> kResponseGrid = MakeGrid();

double FreqOfIndex(int index) {
    return kFrequencyTable[std::clamp(index, 0, kFreqCount - 1)];
}

int IndexOfFreq(double hz) {
    return NearestIndex(kFrequencyTable, ClampFreq(hz));
}

double ClampFreq(double hz) {
    return std::clamp(hz, kFrequencyTable.front(), kFrequencyTable.back());
}

double QOfIndex(int index) {
    return kQTable[std::clamp(index, 0, kQCount - 1)];
}

int IndexOfQ(double q) {
    return NearestIndex(kQTable, ClampQ(q));
}

double ClampQ(double q) {
    return std::clamp(q, kQTable.front(), kQTable.back());
}

double GainDbOfRaw(int raw) {
    return std::clamp(raw, 0, kGainRawMax) * kGainStepDb - kGainFloorDb;
}

std::uint8_t RawOfGainDb(double db) {
    const double g = std::clamp(db, -kGainFloorDb, kGainFloorDb);
    return static_cast<std::uint8_t>(
        static_cast<int>(((g + kGainFloorDb) * 100.0) / (kGainStepDb * 100.0) + 0.5));
}

const char* LabelText(ELabelTable table, int position) {
    auto pick = [position](const auto& labels) {
        return labels[static_cast<std::size_t>(
            std::clamp(position, 0, static_cast<int>(labels.size()) - 1))];
    };
    switch (table) {
    case ELabelTable::Ratio:
        return pick(kRatioLabels);
    case ELabelTable::Attack:
        return pick(kAttackLabels);
    case ELabelTable::Release:
        return pick(kReleaseLabels);
    }
    return "";
}

int LabelCount(ELabelTable table) {
    switch (table) {
    case ELabelTable::Ratio:
        return static_cast<int>(kRatioLabels.size());
    case ELabelTable::Attack:
        return static_cast<int>(kAttackLabels.size());
    case ELabelTable::Release:
        return static_cast<int>(kReleaseLabels.size());
    }
    return 0;
}

namespace {

void SetNumber(SLabelValue& value, double number, int decimals, const char* unit) {
    value.m_bNumber = true;
    value.m_dNumber = number;
    value.m_nDecimals = decimals;
    value.m_strText = Format(decimals == 0 ? "%.0f" : "%.1f", number);
    value.m_strUnit = unit;
}

// A table entry that reads as a number ("0.5", "100") is one.
void SetTableEntry(SLabelValue& value, const char* entry, const char* unit) {
    value.m_strText = entry;
    value.m_strUnit = unit;
    char* end = nullptr;
    const double number = std::strtod(entry, &end);
    if (end != entry && *end == '\0') {
        const char* point = std::strchr(entry, '.');
        value.m_bNumber = true;
        value.m_dNumber = number;
        value.m_nDecimals = point != nullptr ? static_cast<int>(std::strlen(point + 1)) : 0;
    }
}

} // namespace

SLabelValue LabelValue(const SLabelFormat& format, int nValue, int nMin) {
    SLabelValue value;
    switch (format.nMode) {
    case kLabelOffAtMin:
        if (nValue == nMin) {
            value.m_strText = "OFF";
            break;
        }
        SetNumber(value, nValue * format.nMultiplier - format.nIntOffset, 0, format.pszUnit);
        break;
    case kLabelScaled:
        SetNumber(value, nValue * format.dScale - format.dOffset, 1, format.pszUnit);
        break;
    case kLabelDistance:
        value.m_strText = DistanceText(nValue);
        value.m_strUnit = format.pszUnit;
        break;
    case kLabelAttack:
        SetTableEntry(value, LabelText(ELabelTable::Attack, nValue), format.pszUnit);
        break;
    case kLabelRelease:
        SetTableEntry(value, LabelText(ELabelTable::Release, nValue), format.pszUnit);
        break;
    case kLabelRatio:
        SetTableEntry(value, LabelText(ELabelTable::Ratio, nValue), format.pszUnit);
        break;
    default:
        SetNumber(value, nValue * format.nMultiplier - format.nIntOffset, 0, format.pszUnit);
        break;
    }
    return value;
}

std::string LabelText(const SLabelFormat& format, int nValue, int nMin) {
    const SLabelValue value = LabelValue(format, nValue, nMin);
    return value.m_strText + value.m_strUnit;
}

std::string FreqTextByValue(double hz) {
    return Format(hz >= 101.0 ? "%.0f" : "%.1f", hz);
}

std::string FreqTextByIndex(int index) {
    return Format(index < 82 ? "%.1f" : "%.0f", FreqOfIndex(index));
}

std::string QText(double q, bool shelving) {
    return Format(shelving ? "%.3f" : "%.2f", q);
}

std::string DistanceText(int delay) {
    return Format("%.3fm", delay / 10.0 * 0.34);
}

const std::array<const char*, 13> kSlopeNames{
    "ByPass",      "6dB/ct",           "12dB Bessel",   "12dB Butuerworth", "12dBLink-Riley",
    "18dB Bessel", "18dB Butuerworth", "24dB Bessel",   "24dB Butuerworth", "24dBLink-Riley",
    "36dB Bessel", "36dB Butuerworth", "36dBLink-Riley"};

const std::array<const char*, 4> kBandTypeNames{"BY", "P", "LS", "HS"};

const std::array<const char*, 5> kFeedbackModeNames{"OFF", "FB.EX1", "FB.EX2", "FB.EX3", "FB.EX4"};

std::string FieldText(const std::uint8_t* field, std::size_t width) {
    const auto* chars = reinterpret_cast<const char*>(field);
    std::string text(chars, std::find(chars, chars + width, '\0'));
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

namespace {

bool Prints(char32_t code) {
    return (code >= 0x20 && code < 0x7F) || code >= 0xA0;
}

} // namespace

std::size_t Utf8Sequence(std::string_view text, char32_t& code) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        least = 0x80;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        least = 0x800;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        least = 0x10000;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < least || surrogate || code > 0x10FFFF ? 0 : length;
}

std::string PrintableText(std::string_view bytes) {
    std::string out;
    while (!bytes.empty()) {
        char32_t code = 0;
        std::size_t length = Utf8Sequence(bytes, code);
        if (length != 0 && Prints(code)) {
            out += code == U'\\' ? "\\\\" : std::string(bytes.substr(0, length));
        } else {
            length = std::max<std::size_t>(length, 1);
            for (std::size_t i = 0; i < length; ++i) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(bytes[i]));
                out += hex;
            }
        }
        bytes.remove_prefix(length);
    }
    return out;
}

} // namespace zolt
