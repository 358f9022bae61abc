#include "link/PresetCompare.h"

#include "model/DataConver.h"
#include "model/Layout.h"

#include <set>

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

namespace {

// " and the system password", " and both passwords", or nothing, in language.
std::string PasswordsText(const SChangeSummary& summary, int language) {
    constexpr const char* kTexts[2][3] = {
        {" and the system password", " and the panel password", " and both passwords"},
        {"以及系统密码", "以及面板密码", "以及两个密码"}};
    const int which = summary.m_bSystemPassword && summary.m_bPanelPassword ? 2
                      : summary.m_bPanelPassword                            ? 1
                                                                            : 0;
    return summary.m_bSystemPassword || summary.m_bPanelPassword ? kTexts[language][which] : "";
}

// "1 setting", "312 settings"; in Chinese "312 项设置".
std::string Count(std::size_t n, const char* one, const char* many, const char* chinese,
                  int language) {
    if (language != 0) {
        return std::to_string(n) + " " + chinese;
    }
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

std::string SChangeSummary::Headline(bool allModes, int language) const {
    const int lang = language != 0 ? 1 : 0;
    const std::string settings = Count(m_nSettings, "setting", "settings", "项设置", lang);
    if (m_nSettings == 0) {
        if (lang != 0) {
            return allModes ? "全部导入不改变任何设置" : "导入不改变任何设置";
        }
        return allModes ? "Import all changes nothing" : "Import changes nothing";
    }
    std::string text;
    if (!allModes) {
        text = lang != 0 ? "导入将改变当前编辑模式的 " + settings
                         : "Import will change " + settings + " of the edited mode";
    } else if (m_nModes == 0) {
        text = lang != 0 ? "全部导入将改变 " + std::to_string(m_nSettings) + " 项系统设置"
                         : "Import all will change " + settings + " of the system settings";
    } else {
        text = lang != 0 ? "全部导入将改变 " + std::to_string(m_nModes) + " 个模式中的 " + settings
                         : "Import all will change " + settings + " in " +
                               Count(m_nModes, "mode", "modes", "", lang);
    }
    return text + PasswordsText(*this, lang);
}

std::string StoreHeadline(long settings, int mode, const std::string& name, int language) {
    const int lang = language != 0 ? 1 : 0;
    const std::string what = lang != 0 ? "模式 " + std::to_string(mode) + "（" + name + "）"
                                       : "mode " + std::to_string(mode) + " (" + name + ")";
    if (settings < 0) {
        return lang != 0 ? "保存将用正在编辑的模式替换" + what
                         : "Store will replace " + what + " with the edited mode";
    }
    if (settings == 0) {
        return lang != 0 ? "保存不改变" + what + "中的任何设置"
                         : "Store changes nothing in " + what;
    }
    const std::string count =
        Count(static_cast<std::size_t>(settings), "setting", "settings", "项设置", lang);
    return lang != 0 ? "保存将改变" + what + "中的 " + count
                     : "Store will change " + count + " of " + what;
}

SChangeSummary SummarizeChanges(const SPresetFile& before, const SPresetFile& after,
                                std::size_t maxLines, int language) {
    SChangeSummary summary;
    std::vector<SFieldDifference> differences;
    std::string error;
    if (!ComparePresets(before, after, differences, error)) {
        return summary;
    }
    std::set<int> modes;
    for (const SFieldDifference& difference : differences) {
        const SField& field = *difference.m_pField;
        if (field.m_eArea == EArea::Image) {
            modes.insert(difference.m_nMode);
        } else if (field.m_nOffset == sysblock::kSystemCode) {
            summary.m_bSystemPassword = true;
        } else if (field.m_nOffset == sysblock::kPanelCode) {
            summary.m_bPanelPassword = true;
        }
        if (summary.m_astrLines.size() < maxLines) {
            summary.m_astrLines.push_back(
                DifferenceText(difference, before, after, false, language));
        }
    }
    summary.m_nSettings = differences.size();
    summary.m_nModes = modes.size();
    return summary;
}

} // namespace zolt
