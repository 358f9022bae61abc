// Renders every control in its states to PNG files under the build tree's test output, for
// people to look at, and checks the pixels that carry meaning.
#include "ControlTestSupport.h"
#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/DialogTemplate.h"
#include "controls/Edit_Static.h"
#include "controls/EnTabCtrl.h"
#include "controls/EnglishEdit.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "controls/SLamp.h"
#include "controls/Skin.h"
#include "controls/SxGroupBox.h"
#include "controls/TransparentStatic.h"

#include <QDir>
#include <QPainter>

#include <gtest/gtest.h>

namespace zolt {
namespace {

QString OutputPath(const char* pszName) {
    const QString strDir = QStringLiteral(ZOLT_TEST_OUTPUT_DIR "/controls");
    QDir().mkpath(strDir);
    return strDir + QLatin1Char('/') + QLatin1String(pszName) + QStringLiteral(".png");
}

// A page-coloured panel that holds the controls being drawn.
class CPanel : public QWidget {
public:
    explicit CPanel(QSize size) {
        resize(size);
        setFont(DialogFont());
        setAutoFillBackground(true);
        setPalette(QPalette(QColorOf(kPageColour)));
    }
    QImage Save(const char* pszName) {
        const QImage image = test::Snapshot(*this);
        EXPECT_TRUE(image.save(OutputPath(pszName))) << pszName;
        return image;
    }
};

CBitmapSlider* AddSlider(CPanel& panel, QPoint at, int nPos) {
    auto* pSlider = new CBitmapSlider(&panel);
    pSlider->move(at);
    pSlider->SetChannelPictures(kSkinSliderChannel, kSkinSliderChannelActive);
    pSlider->SetThumbPictures(kSkinSliderThumb);
    pSlider->SetRange(0, 361);
    pSlider->SetPos(nPos);
    return pSlider;
}

TEST(Render, Sliders) {
    CPanel panel(QSize(420, 170));
    AddSlider(panel, {10, 10}, 0);
    CBitmapSlider* pMiddle = AddSlider(panel, {10, 40}, 180);
    AddSlider(panel, {10, 70}, 361)->SetFocusLook(true);
    AddSlider(panel, {10, 100}, 180)->Enable(false);

    auto* pVolume = new CBitmapSlider(&panel);
    pVolume->move(10, 135);
    pVolume->SetChannelPictures(kSkinVolumeChannel, kSkinVolumeChannelActive);
    pVolume->SetThumbPictures(kSkinVolumeThumb);
    pVolume->SetRange(0, 84);
    pVolume->SetPos(60);

    for (int i = 0; i < 3; ++i) {
        auto* pGain = new CBitmapSlider(&panel);
        pGain->move(230 + 45 * i, 10);
        pGain->SetVertical(true);
        pGain->SetChannelPictures(kSkinGainChannel);
        pGain->SetMargins(12, 1, 0, 2);
        pGain->SetThumbPictures(kSkinGainThumb, kSkinGainThumbActive, true, kKeyFromPixel, 0, 0);
        pGain->SetRange(0, 180);
        pGain->SetPosFromFarEnd(i * 90);
        pGain->SetFocusLook(i == 2);
    }
    const QImage image = panel.Save("sliders");

    // The channel is blue up to the thumb and dark after it; a disabled slider has no thumb.
    const int nCentre = 10 + ThumbCentre(pMiddle->Axis(), 180);
    const QColor before = image.pixelColor(nCentre - 30, 40 + 4);
    const QColor after = image.pixelColor(nCentre + 30, 40 + 4);
    EXPECT_GT(before.blue(), before.red() + 80);
    EXPECT_LT(after.value(), 80);
    EXPECT_EQ(image.pixelColor(nCentre, 100 + 9), image.pixelColor(nCentre + 40, 100 + 9));
}

TEST(Render, Buttons) {
    struct SSkinPair {
        int nNormal;
        int nChecked;
        const char* pszCaption;
        int nWidth;
        int nHeight;
    };
    constexpr SSkinPair kPairs[] = {
        {kSkinButton, kSkinButtonChecked, "EQ Bypass", 75, 26},
        {kSkinSelector, kSkinSelectorChecked, "Echo A", 75, 21},
        {kSkinPolarityPlus, kSkinPolarityMinus, "", 20, 20},
        {kSkinMute, kSkinMuted, "", 15, 19},
        {kSkinModeButton, kSkinModeButtonActive, "Recall", 180, 26},
        {kSkinConfirm, kSkinConfirmActive, "OK", 75, 26},
    };
    // Columns: unchecked, checked, disabled without disabled pictures, disabled with them.
    CPanel panel(QSize(4 * 190 + 10, 6 * 34 + 10));
    for (int nRow = 0; nRow < 6; ++nRow) {
        const SSkinPair& pair = kPairs[nRow];
        for (int nColumn = 0; nColumn < 4; ++nColumn) {
            auto* pButton = new CBitButton(&panel);
            pButton->setGeometry(10 + 190 * nColumn, 10 + 34 * nRow, pair.nWidth, pair.nHeight);
            pButton->setText(QString::fromLatin1(pair.pszCaption));
            pButton->SetPictures(pair.nNormal, pair.nChecked, pair.nChecked, pair.nChecked,
                                 pair.nChecked, pair.nChecked);
            pButton->SetChecked(nColumn == 1 ? 1 : 0);
            if (nColumn == 3) {
                pButton->SetDisabledPictures(pair.nNormal, pair.nChecked);
            }
            pButton->setEnabled(nColumn < 2);
        }
    }
    panel.Save("buttons");
}

TEST(Render, FieldsLabelsAndCombos) {
    CPanel panel(QSize(420, 200));
    auto* pFrequency = new CNumEdit(&panel);
    pFrequency->setGeometry(10, 10, 70, 20);
    pFrequency->SetRange(0, 361);
    pFrequency->SetDisplayMode(kNumEditFrequency, QStringLiteral("Hz"));
    pFrequency->SetValue(204);
    auto* pGain = new CNumEdit(&panel);
    pGain->setGeometry(90, 10, 50, 20);
    pGain->SetRange(0, 180);
    pGain->SetScale(0.2);
    pGain->SetOffset(24);
    pGain->SetDisplayMode(kNumEditScaled);
    pGain->SetValue(135);
    auto* pName = new CEnglishEdit(&panel);
    pName->setGeometry(150, 10, 120, 20);
    pName->setText(QStringLiteral("Mode 1"));

    auto* pCaption = new CTransparentStatic(&panel);
    pCaption->setGeometry(10, 40, 120, 16);
    pCaption->SetText(QString::fromUtf8("话筒1&&2幻像电源"));
    auto* pLabel = new CEdit_Static(&panel);
    pLabel->setGeometry(140, 40, 60, 16);
    pLabel->SetRange(0, 60);
    pLabel->SetFormat({kLabelOffAtMin, 1, 78, 0, 0, "dBV"});
    pLabel->SetPos(20);
    auto* pTitle = new CFontStatic(&panel);
    pTitle->setGeometry(210, 40, 40, 16);
    pTitle->SetLeftAligned(false);
    pTitle->SetText(QStringLiteral("12"));
    pTitle->SetTextColor(kRed);

    for (int i = 0; i < 2; ++i) {
        auto* pCombo = new CBitComboBox(&panel);
        pCombo->setGeometry(10 + 150 * i, 70, 130, kComboHeight);
        pCombo->SetStandardSkin();
        pCombo->addItems({QStringLiteral("ByPass"), QStringLiteral("12dBButterworth")});
        pCombo->setCurrentIndex(i);
    }
    auto* pGroup = new CSxGroupBox(&panel);
    pGroup->setGeometry(10, 105, 180, 85);
    pGroup->SetCaption(QStringLiteral("Setting"), false);
    auto* pOff = new CSxGroupBox(&panel);
    pOff->setGeometry(210, 105, 180, 85);
    pOff->SetCaption(QStringLiteral("Disabled"), false);
    pOff->setEnabled(false);
    const QImage image = panel.Save("fields_labels_combos");
    EXPECT_EQ(test::PixelAt(image, 12, 12), kFieldColour) << "fields are dark";
}

TEST(Render, MetersShowTheirSegmentColours) {
    CPanel panel(QSize(4 * 60 + 10, 300));
    constexpr int kLevels[] = {0, 120, 180, 220};
    std::vector<CSLamp*> apLamps;
    for (int i = 0; i < 4; ++i) {
        auto* pLamp = new CSLamp(&panel);
        pLamp->setGeometry(10 + 60 * i, 10, 50, 283);
        pLamp->Layout();
        pLamp->LevelUpdate(kLevels[i]);
        pLamp->LimitUpdate(i == 3 ? 100 : 250);
        apLamps.push_back(pLamp);
    }
    const QImage image = panel.Save("meters");
    const auto segment = [&image](int nMeter, int i) {
        const QPoint centre = LampSegmentRect(i, 50, 283).center() + QPoint(10 + 60 * nMeter, 10);
        return test::PixelAt(image, centre.x(), centre.y());
    };
    constexpr ColorRef kGrey = 0x848484;
    EXPECT_EQ(segment(0, 0), kGrey);
    EXPECT_EQ(segment(1, 1), Rgb(0, 176, 80)) << "green";
    EXPECT_EQ(segment(1, 2), kGrey);
    EXPECT_EQ(segment(3, 15), Rgb(0, 176, 80));
    EXPECT_EQ(segment(3, kLampClip), Rgb(255, 255, 0)) << "yellow clip";
    EXPECT_EQ(segment(3, kLampLimit), Rgb(255, 165, 0)) << "orange limit";
    EXPECT_EQ(segment(2, kLampClip), kGrey);
    EXPECT_EQ(test::PixelAt(image, 10 + 180 + 25, 10 + 283 - 13), kGrey) << "the gap";
}

TEST(Render, TheMainWindowsTabBar) {
    CPanel panel(QSize(640, 90));
    auto* pTabs = new CEnTabCtrl(&panel);
    pTabs->setGeometry(0, 0, 640, 90);
    pTabs->SetBkColour(kWhite);
    pTabs->SetDrawMode(2);
    CEnTabCtrl::SetLookFlags(true, 31);
    for (const char* pszCaption : {"音乐", "动态均衡", "话筒", "输出1&2", "输出3&4", "系统"}) {
        pTabs->InsertItem(pTabs->ItemCount(), QString::fromUtf8(pszCaption));
    }
    pTabs->SetCurrentIndex(5);
    const QImage image = panel.Save("tab_bar");
    bool bRed = false;
    const QRect selected = pTabs->ItemRect(5);
    for (int y = selected.top(); y <= selected.bottom(); ++y) {
        for (int x = selected.left(); x <= selected.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            bRed = bRed || (c.red() > 200 && c.green() < 80 && c.blue() < 80);
        }
    }
    EXPECT_TRUE(bRed) << "the selected caption is red";
}

TEST(Render, SkinSheet) {
    CPanel panel(QSize(600, 260));
    constexpr int kIds[] = {142, 155, 141, 134, 169, 133, 138, 137, 139, 152, 153, 158, 157,
                            161, 160, 172, 173, 175, 176, 178, 177, 200, 201, 202, 128};
    QPixmap sheet(panel.size());
    sheet.fill(QColorOf(kPageColour));
    {
        QPainter p(&sheet);
        int x = 10;
        int y = 10;
        int nRow = 0;
        for (const int nId : kIds) {
            const QPixmap& picture = SkinPixmap(nId);
            if (x + picture.width() > sheet.width() - 10) {
                x = 10;
                y += nRow + 10;
                nRow = 0;
            }
            p.drawPixmap(x, y, picture);
            x += picture.width() + 10;
            nRow = std::max(nRow, picture.height());
        }
    }
    EXPECT_TRUE(sheet.save(OutputPath("skins")));
    EXPECT_TRUE(SkinPixmap(kSkinBackground).save(OutputPath("background_167")));
}

} // namespace
} // namespace zolt
