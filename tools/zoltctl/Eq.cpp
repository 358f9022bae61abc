#include "Eq.h"

#include "ExitCodes.h"

#include "eq/FilterList.h"
#include "link/PresetFiles.h"
#include "model/Layout.h"

namespace zolt::ctl {

namespace {

struct SBlockName {
    std::string_view m_strName;
    int m_nBlock;
};
// Output records in image order are Out 4, Out 3, Center, SUB, Out 2, Out 1, Surround L
// and Surround R: EQ blocks 8..15.
constexpr SBlockName kBlockNames[] = {
    {"music-left", 0},
    {"music-right", 1},
    {"mic-1-2", 2},
    {"mic-3-4", 3},
    {"echo-a", 4},
    {"echo-b", 5},
    {"reverb", 6},
    {"out-1", 13},
    {"out-2", 12},
    {"out-3", 9},
    {"out-4", 8},
    {"center", 10},
    {"sub", 11},
    {"surround-l", 14},
    {"surround-r", 15},
    {"music-left-deq", 16},
    {"music-right-deq", 17},
};

// Bytes; a filter list is a few kilobytes.
constexpr std::size_t kLargestList = 1 << 20;

std::string BlockNamesText() {
    std::string text;
    for (const SBlockName& name : kBlockNames) {
        text += (text.empty() ? "" : ", ") + std::string(name.m_strName);
    }
    return text;
}

// A preset file in memory and the mode image inside it that the command works on.
struct SEditedPreset {
    std::string m_strPath;
    SPresetFile m_file;
    int m_nMode = 0; // 1..21 in an all-modes file, 0 in a one-mode file
    // The mode image worked on, writable (ImageOf gives it read-only).
    std::uint8_t* Image() {
        const std::ptrdiff_t nOffset = m_file.ImageOf(m_nMode) - m_file.m_abBytes.data();
        return m_file.m_abBytes.data() + nOffset;
    }
};

// "FILE" or "FILE:MODE": the mode is the digits after the last colon.
void SplitMode(const std::string& spec, std::string& path, std::string& mode) {
    const std::size_t colon = spec.rfind(':');
    const bool digits = colon != std::string::npos && colon + 1 < spec.size() &&
                        spec.find_first_not_of("0123456789", colon + 1) == std::string::npos;
    path = digits ? spec.substr(0, colon) : spec;
    mode = digits ? spec.substr(colon + 1) : std::string();
}

// Reads the preset as dump and diff do: a regular file of one of the two preset sizes,
// whose size says its kind.
int LoadPreset(const std::string& spec, SEditedPreset& preset, std::ostream& err) {
    std::string mode;
    SplitMode(spec, preset.m_strPath, mode);
    std::string error;
    if (!ReadPresetFile(preset.m_strPath, preset.m_file, error)) {
        err << "zoltctl: " << error << '\n';
        return kExitFile;
    }
    if (!preset.m_file.m_bAllModes) {
        if (!mode.empty()) {
            err << "zoltctl: eq: " << preset.m_strPath
                << " holds one mode; a mode number needs an all-modes file (.dat)\n";
            return kExitUsage;
        }
        return kExitDone;
    }
    const int current = preset.m_file.System()[sysblock::kMode];
    const bool named = current >= 1 && current <= static_cast<int>(kModeCount);
    preset.m_nMode = !mode.empty() ? (mode.size() <= 2 ? std::stoi(mode) : 0) : named ? current : 1;
    if (preset.m_nMode < 1 || preset.m_nMode > static_cast<int>(kModeCount)) {
        err << "zoltctl: eq: the mode is a number from 1 to 21\n";
        return kExitUsage;
    }
    return kExitDone;
}

int Import(const std::string& spec, const std::string& blockName, const std::string& listPath,
           std::ostream& out, std::ostream& err) {
    SEditedPreset preset;
    if (const int code = LoadPreset(spec, preset, err); code != kExitDone) {
        return code;
    }
    std::vector<std::uint8_t> list;
    std::string error;
    if (!ReadRegularFile(listPath, kLargestList, list, error)) {
        err << "zoltctl: " << error << '\n';
        return kExitFile;
    }
    SImportResult result;
    const std::string_view text(reinterpret_cast<const char*>(list.data()), list.size());
    if (!ImportFilterList(text, EqBlockOfName(blockName), preset.Image(), result, error)) {
        err << "zoltctl: " << listPath << ": " << error << '\n';
        return kExitFile;
    }
    std::string reason;
    if (!ReplaceFile(preset.m_strPath, preset.m_file.m_abBytes, reason)) {
        err << "zoltctl: " << preset.m_strPath << ": cannot write: " << reason << '\n';
        return kExitFile;
    }
    out << preset.m_strPath;
    if (preset.m_nMode > 0) {
        out << " mode " << preset.m_nMode;
    }
    out << ", " << blockName << ": " << result.m_aBands.size() << " of " << result.m_nBlockBands
        << " bands from " << listPath << '\n'
        << result.m_strReport;
    return kExitDone;
}

// The list on out; a stored byte outside its table's steps is written as the nearest step,
// and each such value is named on err.
int Export(const std::string& spec, int nBlock, const std::string& blockName, std::ostream& out,
           std::ostream& err) {
    SEditedPreset preset;
    if (const int code = LoadPreset(spec, preset, err); code != kExitDone) {
        return code;
    }
    out << ExportFilterList(nBlock, preset.Image());
    for (const std::string& note : ExportClampNotes(nBlock, preset.Image())) {
        err << "zoltctl: eq export: " << blockName << ' ' << note << '\n';
    }
    return kExitDone;
}

} // namespace

int EqBlockOfName(std::string_view name) {
    for (const SBlockName& entry : kBlockNames) {
        if (entry.m_strName == name) {
            return entry.m_nBlock;
        }
    }
    return -1;
}

int RunEq(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    const bool import = words.size() == 5 && words[1] == "import";
    const bool exportList = words.size() == 4 && words[1] == "export";
    if (!import && !exportList) {
        err << "usage: zoltctl eq import FILE[:MODE] BLOCK LIST | eq export FILE[:MODE] BLOCK\n";
        return kExitUsage;
    }
    const int nBlock = EqBlockOfName(words[3]);
    if (nBlock < 0) {
        err << "zoltctl: eq: unknown block \"" << words[3] << "\"; one of " << BlockNamesText()
            << '\n';
        return kExitUsage;
    }
    return import ? Import(words[2], words[3], words[4], out, err)
                  : Export(words[2], nBlock, words[3], out, err);
}

} // namespace zolt::ctl
