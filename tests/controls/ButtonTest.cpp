#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"
#include "controls/Skin.h"

#include "ControlTestSupport.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace zolt {
namespace {

using test::Pump;

TEST(BitButtonLook, PressedShowsOnlyWhileThePointerIsOver) {
    EXPECT_EQ(BitButtonPictureIndex(false, false, false), 0);
    EXPECT_EQ(BitButtonPictureIndex(false, true, false), 1);
    EXPECT_EQ(BitButtonPictureIndex(false, true, true), 2);
    EXPECT_EQ(BitButtonPictureIndex(false, false, true), 0);
    EXPECT_EQ(BitButtonPictureIndex(true, false, true), 3);
    EXPECT_EQ(BitButtonPictureIndex(true, true, true), 5);
}

class CBitButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_window.resize(200, 100);
        m_pButton->setGeometry(20, 20, 75, 26);
        m_pButton->setText(QStringLiteral("SYNC"));
        m_pButton->SetPictures(kSkinButton, kSkinSelector, kSkinButtonChecked);
    }
    QWidget m_window;
    CBitButton* m_pButton = new CBitButton(&m_window);
};

TEST_F(CBitButtonTest, AnyNonZeroFlagShowsTheCheckedPictures) {
    m_pButton->SetPictures(kSkinButton, kSkinButton, kSkinButton, kSkinButtonChecked,
                           kSkinButtonChecked, kSkinButtonChecked);
    m_pButton->SetChecked(2);
    EXPECT_EQ(m_pButton->CurrentPicture(), kSkinButtonChecked);
    m_window.show();
    Pump();
    test::CPaintCounter paints(m_pButton);
    m_pButton->SetChecked(2);
    Pump();
    EXPECT_EQ(paints.m_nPaints, 0) << "the same value again does not redraw";
    m_pButton->SetChecked(0);
    Pump();
    EXPECT_EQ(paints.m_nPaints, 1);
    EXPECT_EQ(m_pButton->CurrentPicture(), kSkinButton);
}

TEST_F(CBitButtonTest, WithoutCheckedPicturesCheckedLooksUnchecked) {
    m_pButton->SetChecked(0);
    const int nUnchecked = m_pButton->CurrentPicture();
    m_pButton->SetChecked(1);
    EXPECT_EQ(m_pButton->CurrentPicture(), nUnchecked);
}

TEST_F(CBitButtonTest, DisabledWithoutPicturesIsAPlainFaceWithAGreyCaption) {
    m_pButton->setEnabled(false);
    EXPECT_EQ(m_pButton->CurrentPicture(), 0);
    EXPECT_EQ(m_pButton->CurrentTextColour(), 0x999999u);
    const QImage image = test::Snapshot(*m_pButton);
    EXPECT_EQ(test::PixelAt(image, 1, 1), SysButtonFace());
    EXPECT_EQ(test::PixelAt(image, 73, 24), SysButtonFace());
    bool bCaption = false;
    for (int y = 0; y < image.height() && !bCaption; ++y) {
        for (int x = 0; x < image.width() && !bCaption; ++x) {
            bCaption = test::PixelAt(image, x, y) == 0x999999u;
        }
    }
    EXPECT_TRUE(bCaption) << "the caption is drawn in 0x999999";
}

TEST_F(CBitButtonTest, LeavingWhilePressedShowsTheNormalPicture) {
    ASSERT_TRUE(test::ShowActive(m_window));
    QSignalSpy clicks(m_pButton, &QAbstractButton::clicked);
    QTest::mouseMove(m_pButton, QPoint(30, 10));
    EXPECT_EQ(m_pButton->CurrentPicture(), kSkinSelector) << "hover";
    QTest::mousePress(m_pButton, Qt::LeftButton, {}, QPoint(30, 10));
    EXPECT_EQ(m_pButton->CurrentPicture(), kSkinButtonChecked) << "pressed";
    QTest::mouseMove(m_pButton, QPoint(150, 60));
    EXPECT_EQ(m_pButton->CurrentPicture(), kSkinButton) << "pressed, but the pointer is away";
    QTest::mouseRelease(m_pButton, Qt::LeftButton, {}, QPoint(150, 60));
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseClick(m_pButton, Qt::LeftButton, {}, QPoint(30, 10));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(m_pButton->cursor().shape(), Qt::PointingHandCursor);
}

TEST(BitComboBox, TheFaceTextAreaAndTheListIndent) {
    QWidget window;
    CBitComboBox combo(&window);
    combo.setGeometry(0, 0, 120, 22);
    combo.SetStandardSkin();
    for (const char* pszItem : {"BY", "P", "LS", "HS"}) {
        combo.addItem(QString::fromLatin1(pszItem));
    }
    combo.setCurrentIndex(1);
    EXPECT_EQ(combo.TextArea(), QRect(QPoint(6, 3), QPoint(99, 13)));
    EXPECT_EQ(combo.List()->TextIndent(), 2 + 5);
    EXPECT_EQ(combo.currentText(), QStringLiteral("P"));
    const QImage face = test::Snapshot(combo);
    EXPECT_EQ(test::PixelAt(face, 50, 4), kFieldColour);
}

} // namespace
} // namespace zolt
