#include "Eq.h"

#include "ExitCodes.h"

#include "eq/FilterList.h"
#include "link/PresetFiles.h"
#include "model/Layout.h"

#include <cstring>

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

// Bytes; a filter list is a few kilobytes, a preset file at most 57019.
constexpr std::size_t kLargestFile = 1 << 20;

std::string BlockNamesText() {
    std::string text;
    for (const SBlockName& name : kBlockNames) {
        text += (text.empty() ? "" : ", ") + std::string(name.m_strName);
    }
    return text;
}

bool EndsWith(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

bool ReadBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::ostream& err) {
    std::string error;
    if (!ReadRegularFile(path, kLargestFile, bytes, error)) {
        err << "zoltctl: " << error << '\n';
        return false;
    }
    return true;
}

// A preset file in memory and the mode image inside it that the command works on.
struct SPresetFile {
    std::string m_strPath;
    std::vector<std::uint8_t> m_abBytes;
    int m_nMode = 0; // 1..21 in an all-modes file, 0 in a one-mode file
    std::size_t m_nImage = 0;
    std::uint8_t* Image() { return m_abBytes.data() + m_nImage; }
};

// "FILE" or "FILE:MODE": the mode is the digits after the last colon.
void SplitMode(const std::string& spec, std::string& path, std::string& mode) {
    const std::size_t colon = spec.rfind(':');
    const bool digits = colon != std::string::npos && colon + 1 < spec.size() &&
                        spec.find_first_not_of("0123456789", colon + 1) == std::string::npos;
    path = digits ? spec.substr(0, colon) : spec;
    mode = digits ? spec.substr(colon + 1) : std::string();
}

int LoadPreset(const std::string& spec, SPresetFile& file, std::ostream& err) {
    std::string mode;
    SplitMode(spec, file.m_strPath, mode);
    if (!ReadBytes(file.m_strPath, file.m_abBytes, err)) {
        return kExitFile;
    }
    const std::size_t size = file.m_abBytes.size();
    const bool allModes = EndsWith(file.m_strPath, ".dat") ||
                          (!EndsWith(file.m_strPath, ".dia") && size >= kAllModesFileSize);
    if (!allModes) {
        if (!mode.empty()) {
            err << "zoltctl: eq: " << file.m_strPath
                << " holds one mode; a mode number needs an all-modes file (.dat)\n";
            return kExitUsage;
        }
        if (size < kOneModeFileSize) {
            err << "zoltctl: " << file.m_strPath << ": shorter than a one-mode file (2778 bytes)\n";
            return kExitFile;
        }
        file.m_nImage = kSystemSize;
        return kExitDone;
    }
    if (size < kAllModesFileSize) {
        err << "zoltctl: " << file.m_strPath << ": shorter than an all-modes file (57019 bytes)\n";
        return kExitFile;
    }
    const int current = file.m_abBytes[sysblock::kMode];
    const bool named = current >= 1 && current <= static_cast<int>(kModeCount);
    file.m_nMode = !mode.empty() ? (mode.size() <= 2 ? std::stoi(mode) : 0) : named ? current : 1;
    if (file.m_nMode < 1 || file.m_nMode > static_cast<int>(kModeCount)) {
        err << "zoltctl: eq: the mode is a number from 1 to 21\n";
        return kExitUsage;
    }
    file.m_nImage = kSystemSize + kImageSize * static_cast<std::size_t>(file.m_nMode - 1);
    return kExitDone;
}

int Import(const std::string& spec, const std::string& blockName, const std::string& listPath,
           std::ostream& out, std::ostream& err) {
    SPresetFile file;
    if (const int code = LoadPreset(spec, file, err); code != kExitDone) {
        return code;
    }
    std::vector<std::uint8_t> list;
    if (!ReadBytes(listPath, list, err)) {
        return kExitFile;
    }
    SImportResult result;
    std::string error;
    const std::string_view text(reinterpret_cast<const char*>(list.data()), list.size());
    if (!ImportFilterList(text, EqBlockOfName(blockName), file.Image(), result, error)) {
        err << "zoltctl: " << listPath << ": " << error << '\n';
        return kExitFile;
    }
    std::string reason;
    if (!ReplaceFile(file.m_strPath, file.m_abBytes, reason)) {
        err << "zoltctl: " << file.m_strPath << ": cannot write: " << reason << '\n';
        return kExitFile;
    }
    out << file.m_strPath;
    if (file.m_nMode > 0) {
        out << " mode " << file.m_nMode;
    }
    out << ", " << blockName << ": " << result.m_aBands.size() << " of " << result.m_nBlockBands
        << " bands from " << listPath << '\n'
        << result.m_strReport;
    return kExitDone;
}

int Export(const std::string& spec, int nBlock, std::ostream& out, std::ostream& err) {
    SPresetFile file;
    if (const int code = LoadPreset(spec, file, err); code != kExitDone) {
        return code;
    }
    out << ExportFilterList(nBlock, file.Image());
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
                  : Export(words[2], nBlock, out, err);
}

} // namespace zolt::ctl
