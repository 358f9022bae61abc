#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"
#include "controls/DialogTemplate.h"
#include "controls/Skin.h"

#include "ControlTestSupport.h"

#include <QAbstractItemView>
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

// Not a blank face: the normal picture, dimmed, with a grey caption.
TEST_F(CBitButtonTest, DisabledWithoutPicturesIsItsPictureDimmedWithAGreyCaption) {
    const QImage enabled = test::Snapshot(*m_pButton);
    m_pButton->setEnabled(false);
    EXPECT_TRUE(m_pButton->Dimmed());
    EXPECT_EQ(m_pButton->CurrentPicture(), kSkinButton);
    EXPECT_EQ(m_pButton->CurrentTextColour(), 0x999999u);
    const QImage image = test::Snapshot(*m_pButton);
    EXPECT_NE(test::PixelAt(image, 30, 12), test::PixelAt(enabled, 30, 12)) << "dimmed";
    m_pButton->SetDisabledPictures(kSkinButtonChecked, kSkinButtonChecked);
    EXPECT_FALSE(m_pButton->Dimmed());
    EXPECT_EQ(m_pButton->CurrentPicture(), kSkinButtonChecked);
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
    EXPECT_EQ(combo.TextArea(), QRect(QPoint(6, 3), QPoint(103, 13)));
    EXPECT_EQ(combo.List()->TextIndent(), 2 + 5);
    EXPECT_EQ(combo.currentText(), QStringLiteral("P"));
    const QImage face = test::Snapshot(combo);
    EXPECT_EQ(test::PixelAt(face, 50, 4), kFieldColour);
}

// The band-type boxes of the strips (39 pixels wide) and the crossover slope boxes of the
// Music page (99 pixels): every choice stays inside the text area, clear of the separator
// and the arrow, before and after the list has been open.
TEST(BitComboBox, TheTextStaysInsideTheTextAreaAfterAnOpen) {
    const QImage cap = SkinPixmap(kSkinComboRight).toImage().convertToFormat(QImage::Format_ARGB32);
    for (const int nWidth : {39, 99}) {
        QWidget window;
        window.setFont(DialogFont());
        auto* pCombo = new CBitComboBox(&window);
        pCombo->setGeometry(0, 0, nWidth, 22);
        pCombo->SetStandardSkin();
        pCombo->addItems({QStringLiteral("BY"), QStringLiteral("P"), QStringLiteral("LS"),
                          QStringLiteral("HS"), QStringLiteral("24dBLink-Riley"),
                          QStringLiteral("36dB Butuerworth")});
        window.show();
        // The arrow cap shows as it is drawn wherever it is opaque: no text over it.
        auto capIsClear = [&] {
            const QImage face = test::Snapshot(*pCombo).convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < cap.height(); ++y) {
                for (int x = 0; x < cap.width(); ++x) {
                    const QColor drawn = cap.pixelColor(x, y);
                    if (drawn.alpha() == 255 &&
                        face.pixelColor(nWidth - cap.width() + x, y) != drawn) {
                        return false;
                    }
                }
            }
            return true;
        };
        for (int i = 0; i < pCombo->count(); ++i) {
            pCombo->setCurrentIndex(i);
            const QString item = pCombo->currentText();
            const QRect before = pCombo->TextRect();
            EXPECT_TRUE(pCombo->TextArea().contains(before)) << nWidth << " " << item.toStdString();
            EXPECT_TRUE(capIsClear()) << nWidth << " " << item.toStdString();
            pCombo->showPopup();
            test::Pump();
            pCombo->hidePopup();
            test::Pump();
            EXPECT_EQ(pCombo->TextRect(), before) << nWidth << " " << item.toStdString();
            EXPECT_TRUE(capIsClear()) << "after an open: " << nWidth << " " << item.toStdString();
        }
    }
}

TEST(BitComboBox, TheListIsDarkFromItsFirstOpen) {
    QWidget window;
    auto* pCombo = new CBitComboBox(&window);
    pCombo->setGeometry(0, 0, 80, 22);
    pCombo->SetStandardSkin();
    pCombo->addItems({QStringLiteral("OFF"), QStringLiteral("ON")});
    window.show();
    pCombo->showPopup();
    test::Pump();
    QWidget* pPopup = pCombo->view()->window();
    ASSERT_TRUE(pPopup->isVisible());
    const QImage list = pPopup->grab().toImage();
    // A column left of the item texts, inside the list's left border, top to bottom of the
    // items: field colour or the highlight of the current item, never a light background.
    const QPoint origin = pCombo->view()->viewport()->mapTo(pPopup, QPoint(3, 0));
    for (int y = origin.y() + 1; y < origin.y() + pCombo->view()->viewport()->height() - 1; ++y) {
        const QColor pixel = list.pixelColor(origin.x(), y);
        EXPECT_LT(pixel.lightness(), 160) << "row " << y;
    }
    pCombo->hidePopup();
}

} // namespace
} // namespace zolt
