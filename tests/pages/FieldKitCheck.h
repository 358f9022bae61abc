// The check that binding rows name the fields they edit: the page tests walk every page
// with it, the shell tests the volume strip.
#pragma once

#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/DialogTemplate.h"
#include "model/Fields.h"
#include "pages/FieldBinding.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace zolt::test {

// Every row of binder, whose controls pControls holds, where the page stands now: the row's
// bits are the first byte of a field of the row's kind, as wide as the row writes and with
// the bits it writes, and its slider and combo box offer the kind's range. Returns the rows
// checked and adds their kinds to kinds.
inline std::size_t ExpectRowsOnTheirFields(const CFieldBinder& binder, QWidget& controls,
                                           const std::string& strWhere,
                                           std::set<EFieldKind>& kinds) {
    std::size_t nChecked = 0;
    for (const SFieldBinding& row : binder.Rows()) {
        const std::string strRow =
            strWhere + ", control " +
            std::to_string(row.m_nSlider + row.m_nField + row.m_nCombo + row.m_nButton);
        const auto place = binder.Place(row);
        if (!place.has_value()) {
            ADD_FAILURE() << strRow << ": no curve object";
            continue;
        }
        const SField* pField = FieldAt(place->m_eArea, place->m_nOffset, place->m_nBits);
        if (pField == nullptr) {
            ADD_FAILURE() << strRow << ": outside its area";
            continue;
        }
        EXPECT_EQ(pField->m_nOffset, place->m_nOffset) << strRow << " is inside " << pField->Name();
        EXPECT_EQ(pField->m_eKind, row.m_eKind) << strRow << " edits " << pField->Name();
        const bool bWord = row.m_eField == EField::Word || row.m_eField == EField::Frequency;
        EXPECT_EQ(pField->m_nWidth, bWord ? 2 : 1) << pField->Name();
        EXPECT_EQ(pField->m_nMask, place->m_nBits) << pField->Name();
        if (row.m_eField == EField::Level) {
            const SField* pLimit = FieldAt(place->m_eArea, row.m_nLimit);
            EXPECT_EQ(pLimit->m_eKind, row.m_eKind) << pLimit->Name() << " limits " << strRow;
        }
        const SFieldKind& kind = FieldKind(pField->m_eKind);
        if (row.m_nSlider != 0) {
            const auto* pSlider = DlgItem<CBitmapSlider>(&controls, row.m_nSlider);
            EXPECT_EQ(pSlider->RangeMin(), kind.m_nMin) << pField->Name();
            EXPECT_EQ(pSlider->RangeMax(), kind.m_nMax) << pField->Name();
        }
        if (row.m_nCombo != 0) {
            EXPECT_EQ(DlgItem<CBitComboBox>(&controls, row.m_nCombo)->count(),
                      kind.m_nMax - kind.m_nMin + 1)
                << pField->Name();
        }
        kinds.insert(pField->m_eKind);
        ++nChecked;
    }
    return nChecked;
}

} // namespace zolt::test
