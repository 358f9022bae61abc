#include "Diff.h"

namespace zolt::ctl {

void PrintDifferences(const std::vector<SFieldDifference>& differences, const SPresetFile& a,
                      const SPresetFile& b, bool raw, std::ostream& out) {
    for (const SFieldDifference& difference : differences) {
        out << DifferenceText(difference, a, b, raw) << '\n';
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
