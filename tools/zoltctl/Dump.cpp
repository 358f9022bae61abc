#include "Dump.h"

#include "link/PresetFiles.h"
#include "model/DataConver.h"
#include "model/Layout.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace zolt::ctl {

namespace {

using EKind = SDumpNode::EKind;

constexpr std::array<const char*, 8> kChannelNames{"Out 4", "Out 3", "Center",     "SUB",
                                                   "Out 2", "Out 1", "Surround L", "Surround R"};
// EQ blocks 0..17 (7, the reverb mirror, is never shown and is left out).
constexpr std::array<const char*, 18> kBlockNames{"Music Left",
                                                  "Music Right",
                                                  "Mic 1&2",
                                                  "Mic 3&4",
                                                  "Echo A",
                                                  "Echo B",
                                                  "Reverb",
                                                  nullptr,
                                                  "Out 4",
                                                  "Out 3",
                                                  "Center",
                                                  "SUB",
                                                  "Out 2",
                                                  "Out 1",
                                                  "Surround L",
                                                  "Surround R",
                                                  "Music Left dynamic EQ",
                                                  "Music Right dynamic EQ"};
// Crossover numbers 0..16.
constexpr std::array<const char*, 17> kCrossoverNames{"Music Left",
                                                      "Music Right",
                                                      "Mic 1&2",
                                                      "Mic 3&4",
                                                      "Echo A",
                                                      "Reverb",
                                                      "Echo B",
                                                      "Out 4",
                                                      "Out 3",
                                                      "Center",
                                                      "SUB",
                                                      "Out 2",
                                                      "Out 1",
                                                      "Surround L",
                                                      "Surround R",
                                                      "MainMusic HPF Left",
                                                      "MainMusic HPF Right"};
constexpr std::array<const char*, 2> kOffOn{"OFF", "ON"};
constexpr std::array<const char*, 3> kMusicInputs{"Auto", "AUDIO", "AUX"};
constexpr std::array<const char*, 2> kSensitivities{"L", "H"};
constexpr std::array<const char*, 2> kIrControl{"Disable", "Enable"};

template <std::size_t N> std::string Choice(const std::array<const char*, N>& names, int value) {
    return value >= 0 && value < static_cast<int>(N) ? names[static_cast<std::size_t>(value)]
                                                     : "(" + std::to_string(value) + ")";
}

void DescribeVolume(SDumpNode& node, const char* name, std::uint8_t value) {
    SDumpNode& volume = node.Add(name);
    volume.Number("level", value & 0x7F);
    volume.Text("mute", (value & 0x80) != 0 ? "on" : "off");
}

void DescribeSystem(SDumpNode& root, const std::uint8_t* s) {
    SDumpNode& node = root.Add("system");
    node.Number("current mode", s[0]);
    DescribeVolume(node, "effect volume", s[1]);
    DescribeVolume(node, "mic volume", s[2]);
    DescribeVolume(node, "music volume", s[3]);
    node.Number("effect max volume", s[4]);
    node.Number("mic max volume", s[5]);
    node.Number("music max volume", s[6]);
    node.Text("mic 1&2 phantom", Choice(kOffOn, s[7]));
    node.Text("music input", Choice(kMusicInputs, s[8]));
    node.Text("analogue input sensitivity", Choice(kSensitivities, s[9] & 0x0F));
    node.Number("music pitch", (s[9] >> 4) - 7);
    constexpr std::array<const char*, 4> kGains{"AUDIO input gain dB", "AUX input gain dB",
                                                "COAX input gain dB",
                                                "OPTI/HDMI1~3/ARC input gain dB"};
    for (std::size_t i = 0; i < kGains.size(); ++i) {
        node.Number(kGains[i], s[10 + i] * 0.5 - 10.0, 1);
    }
    node.Text("IR control", Choice(kIrControl, s[14]));
    node.Text("panel password", FieldText(s + 15, 4));
    node.Text("system password", FieldText(s + 19, 6));
}

void DescribeBand(SDumpNode& list, int number, const std::uint8_t* record) {
    SDumpNode& band = list.Add("");
    band.Number("band", number);
    band.Text("type", Choice(kBandTypeNames, record[band::kType]));
    band.Number("frequency Hz", FreqOfIndex(GetU16(record + band::kFreq)), 1);
    band.Number("gain dB", GainDbOfRaw(record[band::kGain]), 1);
    band.Number("Q", QOfIndex(record[band::kQ]), 2);
}

void DescribeFilter(SDumpNode& node, const char* key, const std::uint8_t* record) {
    SDumpNode& filter = node.Add(key);
    filter.Number("frequency Hz", FreqOfIndex(GetU16(record + xover::kFreq)), 1);
    filter.Text("slope", Choice(kSlopeNames, record[xover::kSlope]));
}

void DescribeMode(SDumpNode& list, int number, const std::uint8_t* image) {
    SDumpNode& mode = list.Add("");
    if (number > 0) {
        mode.Number("mode", number);
    }
    mode.Text("name", FieldText(image + image::kName, kNameSize));
    const int set = LiveOutputSet(image[image::kOutputMode]);
    mode.Number("output mode", image[image::kOutputMode]);
    mode.Number("mic 1&2 level", image[image::kMic12 + mic::kLevel]);
    mode.Number("mic 3&4 level", image[image::kMic34 + mic::kLevel]);

    SDumpNode& eq = mode.Add("equalisers", EKind::List);
    for (std::size_t b = 0; b < kBlockNames.size(); ++b) {
        if (kBlockNames[b] == nullptr) {
            continue;
        }
        const SEqBlock block = EqBlock(static_cast<int>(b), set);
        SDumpNode& node = eq.Add("");
        node.Text("block", kBlockNames[b]);
        SDumpNode& bands = node.Add("bands", EKind::List);
        for (int i = 0; i < block.m_nBands; ++i) {
            DescribeBand(bands, i + 1,
                         image + block.m_nFirst + block.m_nStride * static_cast<std::size_t>(i));
        }
    }

    SDumpNode& filters = mode.Add("crossovers", EKind::List);
    for (std::size_t n = 0; n < kCrossoverNames.size(); ++n) {
        const std::size_t offset = CrossoverOffset(static_cast<int>(n), set);
        SDumpNode& node = filters.Add("");
        node.Text("crossover", kCrossoverNames[n]);
        DescribeFilter(node, "high-pass", image + offset);
        if (CrossoverHasLowPass(static_cast<int>(n))) {
            DescribeFilter(node, "low-pass", image + offset + xover::kSize);
        }
    }

    SDumpNode& outputs = mode.Add("outputs", EKind::List);
    for (std::size_t r = 0; r < output::kRecordCount; ++r) {
        const std::uint8_t* record = image + OutputSetOffset(set) + output::kSize * r;
        SDumpNode& node = outputs.Add("");
        node.Text("channel", kChannelNames[r]);
        node.Text("mute", record[output::kMute] != 0 ? "on" : "off");
        node.Number("delay ms", GetU16(record + output::kDelay) * 0.1, 1);
    }
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04x", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

bool AllScalars(const SDumpNode& node) {
    for (const SDumpNode& item : node.m_aItems) {
        if (item.m_eKind == EKind::Object || item.m_eKind == EKind::List) {
            return false;
        }
    }
    return true;
}

void PrintTextNode(const SDumpNode& node, std::ostream& out, const std::string& indent) {
    for (const SDumpNode& item : node.m_aItems) {
        if (item.m_eKind == EKind::Text || item.m_eKind == EKind::Number) {
            out << indent << item.m_strKey << ": " << item.m_strValue << '\n';
        } else if (node.m_eKind == EKind::List && AllScalars(item)) {
            out << indent << "-";
            const char* separator = " ";
            for (const SDumpNode& field : item.m_aItems) {
                out << separator << field.m_strKey << " " << field.m_strValue;
                separator = ", ";
            }
            out << '\n';
        } else {
            out << indent << (node.m_eKind == EKind::List ? "-" : item.m_strKey + ":") << '\n';
            PrintTextNode(item, out, indent + "  ");
        }
    }
}

void PrintJsonNode(const SDumpNode& node, std::ostream& out, const std::string& indent) {
    switch (node.m_eKind) {
    case EKind::Text:
        out << '"' << Escaped(node.m_strValue) << '"';
        return;
    case EKind::Number:
        out << node.m_strValue;
        return;
    case EKind::Object:
    case EKind::List:
        break;
    }
    const bool list = node.m_eKind == EKind::List;
    out << (list ? '[' : '{');
    const std::string inner = indent + "  ";
    for (std::size_t i = 0; i < node.m_aItems.size(); ++i) {
        out << (i == 0 ? "\n" : ",\n") << inner;
        if (!list) {
            out << '"' << Escaped(node.m_aItems[i].m_strKey) << "\": ";
        }
        PrintJsonNode(node.m_aItems[i], out, inner);
    }
    if (!node.m_aItems.empty()) {
        out << '\n' << indent;
    }
    out << (list ? ']' : '}');
}

bool EndsWith(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

} // namespace

SDumpNode& SDumpNode::Add(std::string key, EKind kind) {
    m_aItems.push_back({std::move(key), kind, {}, {}});
    return m_aItems.back();
}

void SDumpNode::Text(std::string key, std::string value) {
    m_aItems.push_back({std::move(key), EKind::Text, std::move(value), {}});
}

void SDumpNode::Number(std::string key, double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    m_aItems.push_back({std::move(key), EKind::Number, text, {}});
}

SDumpNode DescribeOneMode(const std::vector<std::uint8_t>& bytes) {
    SDumpNode root;
    root.Text("kind", "one mode");
    DescribeSystem(root, bytes.data());
    DescribeMode(root.Add("modes", EKind::List), 0, bytes.data() + kSystemSize);
    return root;
}

SDumpNode DescribeAllModes(const std::vector<std::uint8_t>& bytes) {
    SDumpNode root;
    root.Text("kind", "all modes");
    DescribeSystem(root, bytes.data());
    SDumpNode& modes = root.Add("modes", EKind::List);
    for (std::size_t n = 1; n <= kModeCount; ++n) {
        DescribeMode(modes, static_cast<int>(n), bytes.data() + kSystemSize + (n - 1) * kImageSize);
    }
    root.Number("store valid", bytes[kAllModesFileSize - 1]);
    return root;
}

bool DescribeFile(const std::string& path, SDumpNode& root, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const bool allModes =
        EndsWith(path, ".dat") || (!EndsWith(path, ".dia") && bytes.size() >= kAllModesFileSize);
    const std::size_t needed = allModes ? kAllModesFileSize : kOneModeFileSize;
    if (bytes.size() < needed) {
        error = path + ": shorter than " +
                (allModes ? "an all-modes file (57019 bytes)" : "a one-mode file (2778 bytes)");
        return false;
    }
    root = allModes ? DescribeAllModes(bytes) : DescribeOneMode(bytes);
    root.m_aItems.insert(root.m_aItems.begin(), {"file", EKind::Text, path, {}});
    return true;
}

void PrintText(const SDumpNode& root, std::ostream& out) {
    PrintTextNode(root, out, "");
}

void PrintJson(const SDumpNode& root, std::ostream& out) {
    PrintJsonNode(root, out, "");
    out << '\n';
}

} // namespace zolt::ctl
