#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/ControlFactory.h"
#include "controls/Edit_Static.h"
#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace zolt {
namespace {

// A dialog of the size of the main window with a few of the kinds of rows templates hold:
// a tab control, a slider, labels, buttons, and rows created hidden.
constexpr SControlTemplate kTestControls[] = {
    {1028, ECtl::EnTabCtrl, 2, 16, 720, 358},      {3820, ECtl::BitmapSlider, 38, 2, 67, 11},
    {3810, ECtl::EditStatic, 109, 3, 10, 8},       {3830, ECtl::FontStatic, 449, 3, 137, 9},
    {3802, ECtl::FontStatic, 282, 3, 21, 8, true}, {3822, ECtl::BitmapSlider, 324, 2, 67, 11, true},
    {3812, ECtl::EditStatic, 396, 3, 10, 8, true}, {4001, ECtl::BitButton, 412, 2, 10, 10, true},
};
constexpr SDialogTemplate kTestDialog{102, 723, 373, kTestControls};

TEST(DialogUnits, ConvertAtOneAndAHalfAcrossAndOnePointEightSevenFiveDown) {
    EXPECT_EQ(DluToPixelsX(0), 0);
    EXPECT_EQ(DluToPixelsX(1), 2); // 1.5 rounds up
    EXPECT_EQ(DluToPixelsX(2), 3);
    EXPECT_EQ(DluToPixelsX(67), 101);
    EXPECT_EQ(DluToPixelsX(723), 1085);
    EXPECT_EQ(DluToPixelsX(-3), -5); // halves away from zero
    EXPECT_EQ(DluToPixelsY(1), 2);   // 1.875
    EXPECT_EQ(DluToPixelsY(8), 15);
    EXPECT_EQ(DluToPixelsY(11), 21); // 20.625
    EXPECT_EQ(DluToPixelsY(373), 699);
    EXPECT_EQ(DluToPixels(2, 16, 720, 358), QRect(3, 30, 1080, 671));
}

TEST(DialogTemplate, BuildsADialogAndFindsItsControlsById) {
    QWidget window;
    BuildDialog(&window, kTestDialog);
    EXPECT_EQ(window.size(), QSize(1085, 699));
    EXPECT_EQ(window.font().pixelSize(), 12);

    auto* pTabs = DlgItem<CEnTabCtrl>(&window, 1028);
    ASSERT_NE(pTabs, nullptr);
    EXPECT_EQ(pTabs->geometry(), QRect(3, 30, 1080, 671));
    EXPECT_EQ(ControlId(pTabs), 1028);

    auto* pMusic = DlgItem<CBitmapSlider>(&window, 3820);
    ASSERT_NE(pMusic, nullptr);
    EXPECT_EQ(pMusic->geometry(), QRect(57, 4, 101, 21));
    EXPECT_NE(DlgItem<CEdit_Static>(&window, 3810), nullptr);
    EXPECT_NE(DlgItem<CFontStatic>(&window, 3830), nullptr);

    EXPECT_FALSE(pMusic->isHidden());
    for (const int nHidden : {3802, 3822, 3812, 4001}) {
        ASSERT_NE(FindDlgItem(&window, nHidden), nullptr) << nHidden;
        EXPECT_TRUE(FindDlgItem(&window, nHidden)->isHidden()) << nHidden;
    }
    EXPECT_EQ(FindDlgItem(&window, 9999), nullptr);
    EXPECT_EQ(DlgItem<CNumEdit>(&window, 3820), nullptr) << "a slider is not a numeric field";
}

TEST(DialogTemplate, CustomRowsComboHeightsAndStyles) {
    static constexpr SControlTemplate kRows[] = {
        {1292, ECtl::Custom, 6, 176, 706, 167},
        {1055, ECtl::BitComboBox, 373, 60, 60, 100},
        {2612, ECtl::EnglishEdit, 387, 99, 60, 12, false, "", kStylePassword | kStyleReadOnly},
        {1068, ECtl::BitButton, 313, 158, 50, 14, false, "EQ Bypass", kStyleDisabled},
        {1293, ECtl::Custom, 0, 0, 10, 10},
    };
    QWidget page;
    const SControlTemplate* pSeen = nullptr;
    BuildControls(&page, kRows, [&pSeen](const SControlTemplate& row, QWidget* pParent) {
        if (row.nId != 1292) {
            return static_cast<QWidget*>(nullptr); // falls back to a placeholder
        }
        pSeen = &row;
        return new QWidget(pParent);
    });
    ASSERT_EQ(pSeen, &kRows[0]);
    EXPECT_EQ(FindDlgItem(&page, 1292)->geometry(), DluToPixels(6, 176, 706, 167));
    ASSERT_NE(FindDlgItem(&page, 1293), nullptr);

    auto* pCombo = DlgItem<CBitComboBox>(&page, 1055);
    ASSERT_NE(pCombo, nullptr);
    EXPECT_EQ(pCombo->height(), kComboHeight);

    auto* pEdit = DlgItem<QLineEdit>(&page, 2612);
    ASSERT_NE(pEdit, nullptr);
    EXPECT_EQ(pEdit->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(pEdit->isReadOnly());

    QWidget* pButton = FindDlgItem(&page, 1068);
    EXPECT_FALSE(pButton->isEnabled());
    EXPECT_EQ(ControlStyle(pButton), unsigned{kStyleDisabled});
}

} // namespace
} // namespace zolt
