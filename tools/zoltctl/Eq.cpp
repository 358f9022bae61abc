#include "Eq.h"

#include "ExitCodes.h"

#include "eq/FilterList.h"
#include "eq/Measurement.h"
#include "eq/RoomFit.h"
#include "eq/TextScan.h"
#include "link/PresetFiles.h"
#include "model/Layout.h"

#include <cmath>

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

// Writes the edited preset back and starts the report with its name: "room.dia",
// "modes.dat mode 3".
int SavePreset(const SEditedPreset& preset, std::ostream& out, std::ostream& err) {
    std::string reason;
    if (!ReplaceFile(preset.m_strPath, preset.m_file.m_abBytes, reason)) {
        err << "zoltctl: " << preset.m_strPath << ": cannot write: " << reason << '\n';
        return kExitFile;
    }
    out << preset.m_strPath;
    if (preset.m_nMode > 0) {
        out << " mode " << preset.m_nMode;
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
    if (const int code = SavePreset(preset, out, err); code != kExitDone) {
        return code;
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

constexpr const char* kUsage =
    "usage: zoltctl eq import FILE[:MODE] BLOCK LIST | eq export FILE[:MODE] BLOCK\n"
    "       | eq fit FILE[:MODE] BLOCK MEASUREMENT [--target FILE | --house BASS_DB,TILT_DB]\n"
    "         [--from HZ] [--to HZ] [--bands N]\n";

// A measured response (or a target in its format) on the response grid.
int LoadCurve(const std::string& path, CResponseDb& curve, std::ostream& err) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    SMeasurement measurement;
    if (!ReadRegularFile(path, kMaxMeasurementBytes, bytes, error)) {
        err << "zoltctl: " << error << '\n';
        return kExitFile;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!ParseMeasurement(text, measurement, error)) {
        err << "zoltctl: " << PrintableText(path) << ": " << error << '\n';
        return kExitFile;
    }
    curve = CurveOnGrid(measurement);
    return kExitDone;
}

// A number of the fit's options; false when it is not one.
bool OptionNumber(const std::string& text, double& value) {
    std::string_view suffix;
    return ParseDecimal(text, value, suffix) && suffix.empty();
}

// The target the options name (flat when none), or a usage error.
int LoadTarget(const SFitOptions& options, STarget& target, std::ostream& err) {
    if (!options.m_strTarget.empty() && !options.m_strHouse.empty()) {
        err << "zoltctl: eq fit: --target and --house: one target at a time\n";
        return kExitUsage;
    }
    if (!options.m_strTarget.empty()) {
        target.m_eKind = ETarget::File;
        target.m_strFile = options.m_strTarget;
        return LoadCurve(options.m_strTarget, target.m_adFile, err);
    }
    if (!options.m_strHouse.empty()) {
        const std::size_t comma = options.m_strHouse.find(',');
        target.m_eKind = ETarget::House;
        if (comma == std::string::npos ||
            !OptionNumber(options.m_strHouse.substr(0, comma), target.m_dBassDb) ||
            !OptionNumber(options.m_strHouse.substr(comma + 1), target.m_dTiltDb)) {
            err << "zoltctl: eq fit: --house takes two numbers, the bass rise and the treble "
                   "tilt in dB: --house 6,-3\n";
            return kExitUsage;
        }
    }
    return kExitDone;
}

// The range and the bands the options set, or a usage error.
int ReadFitSettings(const SFitOptions& options, int nBlock, SFitSettings& settings,
                    std::ostream& err) {
    settings.m_nBlock = nBlock;
    const bool from = !options.m_strFrom.empty();
    const bool to = !options.m_strTo.empty();
    if ((from && !OptionNumber(options.m_strFrom, settings.m_dFromHz)) ||
        (to && !OptionNumber(options.m_strTo, settings.m_dToHz)) || !(settings.m_dFromHz > 0.0) ||
        !(settings.m_dFromHz < settings.m_dToHz)) {
        err << "zoltctl: eq fit: --from and --to are frequencies in Hz, the first below the "
               "second\n";
        return kExitUsage;
    }
    const int nBands = EqBlock(nBlock, 1).m_nBands;
    double bands = nBands;
    if (!options.m_strBands.empty() &&
        (!OptionNumber(options.m_strBands, bands) || bands != std::floor(bands) || bands < 1 ||
         bands > nBands)) {
        err << "zoltctl: eq fit: --bands is a number from 1 to " << nBands << '\n';
        return kExitUsage;
    }
    settings.m_nBands = static_cast<int>(bands);
    return kExitDone;
}

std::string TargetText(const STarget& target) {
    switch (target.m_eKind) {
    case ETarget::House:
        return Printf("house curve (bass %+g dB, treble tilt %+g dB)", target.m_dBassDb,
                      target.m_dTiltDb);
    case ETarget::File:
        return PrintableText(target.m_strFile);
    case ETarget::Flat:
        break;
    }
    return "flat";
}

int Fit(const std::vector<std::string>& words, int nBlock, const SFitOptions& options,
        std::ostream& out, std::ostream& err) {
    SFitSettings settings;
    STarget target;
    if (const int code = ReadFitSettings(options, nBlock, settings, err); code != kExitDone) {
        return code;
    }
    if (const int code = LoadTarget(options, target, err); code != kExitDone) {
        return code;
    }
    SEditedPreset preset;
    if (const int code = LoadPreset(words[2], preset, err); code != kExitDone) {
        return code;
    }
    CResponseDb measured{};
    if (const int code = LoadCurve(words[4], measured, err); code != kExitDone) {
        return code;
    }
    SFitResult result;
    std::string error;
    if (!FitBlock(measured, TargetCurve(target), settings, preset.Image(), result, error)) {
        err << "zoltctl: eq fit: " << error << '\n';
        return kExitFile;
    }
    if (const int code = SavePreset(preset, out, err); code != kExitDone) {
        return code;
    }
    out << ", " << words[3] << ": fitted to " << PrintableText(words[4]) << ", target "
        << TargetText(target) << '\n'
        << FitReport(result, 0);
    return kExitDone;
}

} // namespace

bool SFitOptions::Any() const {
    return !m_strTarget.empty() || !m_strHouse.empty() || !m_strFrom.empty() || !m_strTo.empty() ||
           !m_strBands.empty();
}

int EqBlockOfName(std::string_view name) {
    for (const SBlockName& entry : kBlockNames) {
        if (entry.m_strName == name) {
            return entry.m_nBlock;
        }
    }
    return -1;
}

int RunEq(const std::vector<std::string>& words, const SFitOptions& options, std::ostream& out,
          std::ostream& err) {
    const bool import = words.size() == 5 && words[1] == "import";
    const bool exportList = words.size() == 4 && words[1] == "export";
    const bool fit = words.size() == 5 && words[1] == "fit";
    if ((!import && !exportList && !fit) || (options.Any() && !fit)) {
        err << kUsage;
        return kExitUsage;
    }
    const int nBlock = EqBlockOfName(words[3]);
    if (nBlock < 0) {
        err << "zoltctl: eq: unknown block \"" << words[3] << "\"; one of " << BlockNamesText()
            << '\n';
        return kExitUsage;
    }
    if (fit) {
        return Fit(words, nBlock, options, out, err);
    }
    return import ? Import(words[2], words[3], words[4], out, err)
                  : Export(words[2], nBlock, words[3], out, err);
}

} // namespace zolt::ctl
