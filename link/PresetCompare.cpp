#include "link/PresetCompare.h"

#include "model/DataConver.h"
#include "model/Layout.h"

namespace zolt {

namespace {

std::string Where(const SFieldDifference& difference, int language) {
    if (difference.m_pField->m_eArea == EArea::System) {
        return language != 0 ? "系统" : "system";
    }
    if (difference.m_nMode == 0) {
        return language != 0 ? "当前模式" : "image";
    }
    return (language != 0 ? "模式 " : "mode ") + std::to_string(difference.m_nMode);
}

std::string Shown(const SFieldDifference& difference, const SPresetFile& file, bool raw) {
    const std::uint8_t* area = AreaOf(file, difference);
    return PrintableText(raw ? RawBytesText(*difference.m_pField, area)
                             : ReadField(*difference.m_pField, area).Display());
}

// Every byte of the field, for two values that read the same (a name that differs after
// a NUL, where its text ends): a text with each byte, escaped, a number in hex.
std::string ShownWhole(const SFieldDifference& difference, const SPresetFile& file) {
    const SField& field = *difference.m_pField;
    const std::uint8_t* area = AreaOf(file, difference);
    if (field.m_eKind != EFieldKind::Text) {
        return RawBytesText(field, area);
    }
    return PrintableText(
        std::string_view(reinterpret_cast<const char*>(area + field.m_nOffset), field.m_nWidth));
}

} // namespace

bool ComparePresets(const SPresetFile& a, const SPresetFile& b,
                    std::vector<SFieldDifference>& differences, std::string& error) {
    differences.clear();
    CompareArea(EArea::System, 0, a.System(), b.System(), differences);
    if (a.m_bAllModes && b.m_bAllModes) {
        for (int n = 1; n <= static_cast<int>(kModeCount); ++n) {
            CompareArea(EArea::Image, n, a.ImageOf(n), b.ImageOf(n), differences);
        }
        return true;
    }
    if (!a.m_bAllModes && !b.m_bAllModes) {
        CompareArea(EArea::Image, 0, a.ImageOf(0), b.ImageOf(0), differences);
        return true;
    }
    const int mode = (a.m_bAllModes ? a : b).System()[sysblock::kMode];
    if (mode < 1 || mode > static_cast<int>(kModeCount)) {
        error = "the all-modes file names no stored mode as current (" + std::to_string(mode) +
                "), so there is no mode to compare the one-mode file with";
        return false;
    }
    CompareArea(EArea::Image, mode, a.ImageOf(a.m_bAllModes ? mode : 0),
                b.ImageOf(b.m_bAllModes ? mode : 0), differences);
    return true;
}

const std::uint8_t* AreaOf(const SPresetFile& file, const SFieldDifference& difference) {
    if (difference.m_pField->m_eArea == EArea::System) {
        return file.System();
    }
    return file.ImageOf(file.m_bAllModes ? difference.m_nMode : 0);
}

std::string DifferenceText(const SFieldDifference& difference, const SPresetFile& a,
                           const SPresetFile& b, bool raw, int language) {
    std::string shownA = Shown(difference, a, raw);
    std::string shownB = Shown(difference, b, raw);
    if (shownA == shownB) {
        shownA = ShownWhole(difference, a);
        shownB = ShownWhole(difference, b);
    }
    return Where(difference, language) + ": " + difference.m_pField->Name(language) + ": " +
           shownA + " -> " + shownB;
}

} // namespace zolt
