#include "Diff.h"

#include "link/PresetFiles.h"
#include "model/DataConver.h"
#include "model/Layout.h"

namespace zolt::ctl {

namespace {

// The copy of the field's area that file holds for a difference in mode.
const std::uint8_t* AreaOf(const SPresetFile& file, const SFieldDifference& difference) {
    if (difference.m_pField->m_eArea == EArea::System) {
        return file.System();
    }
    return file.ImageOf(file.m_bAllModes ? difference.m_nMode : 0);
}

std::string Where(const SFieldDifference& difference) {
    if (difference.m_pField->m_eArea == EArea::System) {
        return "system";
    }
    return difference.m_nMode > 0 ? "mode " + std::to_string(difference.m_nMode) : "image";
}

std::string Shown(const SFieldDifference& difference, const SPresetFile& file, bool raw) {
    const std::uint8_t* area = AreaOf(file, difference);
    return raw ? RawBytesText(*difference.m_pField, area)
               : ReadField(*difference.m_pField, area).Display();
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

void PrintDifferences(const std::vector<SFieldDifference>& differences, const SPresetFile& a,
                      const SPresetFile& b, bool raw, std::ostream& out) {
    for (const SFieldDifference& difference : differences) {
        out << Where(difference) << ": " << difference.m_pField->Name() << ": "
            << PrintableText(Shown(difference, a, raw)) << " -> "
            << PrintableText(Shown(difference, b, raw)) << '\n';
    }
}

SDumpNode DescribeDifferences(const std::vector<SFieldDifference>& differences,
                              const SPresetFile& a, const SPresetFile& b) {
    SDumpNode list{"differences", SDumpNode::EKind::List, {}, {}};
    for (const SFieldDifference& difference : differences) {
        const SField& field = *difference.m_pField;
        SDumpNode& item = list.Add("");
        if (field.m_eArea == EArea::System) {
            item.Text("area", "system");
        } else {
            item.Text("area", "image");
            item.Number("mode", difference.m_nMode);
        }
        item.Text("block", FieldGroups()[field.m_nGroup].Name());
        item.Text("field", field.Name());
        item.Field("a", field, AreaOf(a, difference));
        item.Field("b", field, AreaOf(b, difference));
    }
    return list;
}

} // namespace zolt::ctl
