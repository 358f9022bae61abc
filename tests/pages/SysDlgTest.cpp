#include "pages/SysDlg.h"

#include "PageUser.h"
#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/EnglishEdit.h"
#include "controls/Message.h"
#include "controls/SLamp.h"
#include "controls/TransparentStatic.h"
#include "model/Command.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace zolt {
namespace {

using namespace sysid;

class SysPage : public test::CPageUser<CSysDlg> {
protected:
    void SetUp() override {
        ResetProcessData();
        std::memcpy(System() + sysblock::kSystemCode, "123456", 6);
        std::memcpy(System() + sysblock::kPanelCode, "9876", 4);
        for (int mode = 1; mode <= 21; ++mode) {
            SetModeName(mode, "Mode " + std::to_string(mode));
        }
        SetModeName(0, "Working");
        System()[sysblock::kMode] = 3;
        System()[sysblock::kMicMax] = 70;
        System()[sysblock::kMusicMax] = 84;
        System()[sysblock::kAudioGain] = 20;
        System()[sysblock::kAuxGain] = 30;
        System()[sysblock::kInput] = 1;
        System()[sysblock::kPhantom] = 1;
        System()[sysblock::kSensPitch] = 0x71;
        ShowPage();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_pPage.get()));
    }
    void ShowOnline(bool bUnlock) {
        g_flags.m_bOnline = true;
        g_flags.m_bUnlock = bUnlock;
        m_pPage->Refresh();
    }
    // Delivers what the controls posted (slider notices).
    static void Deliver() { QCoreApplication::sendPostedEvents(); }
};

using Commands = std::vector<std::pair<int, int>>;

TEST_F(SysPage, RefreshLoadsTheSystemBlockWithoutWritingIt) {
    System()[sysblock::kAudioGain] = 40;
    System()[sysblock::kAuxGain] = 0;
    const SDeviceData before = g_data;
    ShowOnline(false);
    EXPECT_EQ(std::memcmp(&before, &g_data, sizeof g_data), 0);
    EXPECT_TRUE(m_api.m_aCommands.empty());
    EXPECT_EQ(m_api.m_nClamps, 0);

    EXPECT_EQ(Item<CBitmapSlider>(kMicMaxSlider)->Pos(), 70);
    EXPECT_EQ(Text(kMicMaxSlider + kLabelOffset), "70");
    EXPECT_EQ(Text(kAudioGainSlider + kLabelOffset), "10.0");
    EXPECT_EQ(Text(kAuxGainSlider + kLabelOffset), "-10.0");
    EXPECT_EQ(Item<CBitComboBox>(kInputCombo)->currentText(), "AUDIO");
    EXPECT_EQ(Item<CBitComboBox>(kPhantomCombo)->currentText(), "ON");
    EXPECT_EQ(Item<CBitComboBox>(kSensitivityCombo)->currentText(), "H");
    EXPECT_EQ(Text(kPitchSlider + kLabelOffset), "0"); // raw 7
}

TEST_F(SysPage, PitchAndSensitivityShareByteNine) {
    System()[sysblock::kSensPitch] = 0x5A;
    m_pPage->Refresh();
    EXPECT_EQ(Item<CBitmapSlider>(kPitchSlider)->Pos(), 5);
    EXPECT_EQ(Text(kPitchSlider + kLabelOffset), "-2");
    EXPECT_EQ(Item<CBitComboBox>(kSensitivityCombo)->currentIndex(), -1);

    // The pitch slider is hidden, so its notice is sent the way the slider posts it.
    Item<CBitmapSlider>(kPitchSlider)->SetPos(9);
    SendMessage(m_pPage.get(), WM_SLIDER_MOVED, kPitchSlider, 9);
    EXPECT_EQ(System()[sysblock::kSensPitch], 0x9A);
    EXPECT_EQ(Text(kPitchSlider + kLabelOffset), "2");

    Item<CBitComboBox>(kSensitivityCombo)->setCurrentIndex(0);
    EXPECT_EQ(System()[sysblock::kSensPitch], 0x90);
    Item<CBitComboBox>(kInputCombo)->setCurrentIndex(2);
    Item<CBitComboBox>(kIrCombo)->setCurrentIndex(1);
    EXPECT_EQ(System()[sysblock::kInput], 2);
    EXPECT_EQ(System()[sysblock::kIrControl], 1);
}

TEST_F(SysPage, LoweringTheMusicMaximumLowersTheMusicVolume) {
    System()[sysblock::kMusicVolume] = 0x80 | 60;
    m_pPage->Refresh();
    auto* pSlider = Item<CBitmapSlider>(kMusicMaxSlider);
    pSlider->setFocus();
    QTest::keyClick(pSlider, Qt::Key_PageUp); // 84 - 20
    QTest::keyClick(pSlider, Qt::Key_PageUp);
    Deliver();
    EXPECT_EQ(System()[sysblock::kMusicMax], 44);
    EXPECT_EQ(Text(kMusicMaxSlider + kLabelOffset), "44");
    EXPECT_EQ(System()[sysblock::kMusicVolume], 44); // clamped after the new limit was written
    EXPECT_EQ(m_api.m_nClamps, 2);

    QTest::keyClick(pSlider, Qt::Key_End);
    Deliver();
    EXPECT_EQ(System()[sysblock::kMusicMax], 84);
    EXPECT_EQ(System()[sysblock::kMusicVolume], 44);

    // Gains are no limits.
    QTest::keyClick(Item<CBitmapSlider>(kAuxGainSlider), Qt::Key_Home);
    Deliver();
    EXPECT_EQ(System()[sysblock::kAuxGain], 0);
    EXPECT_EQ(Text(kAuxGainSlider + kLabelOffset), "-10.0");
    EXPECT_EQ(m_api.m_nClamps, 3);
}

TEST_F(SysPage, MetersFollowThePollsOnlineAndStayDarkOffline) {
    m_api.m_abLevels.fill(200);
    m_api.m_abStates.fill(100);
    auto litCount = [this] {
        int nLit = 0;
        for (int nMeter = 0; nMeter < 12; ++nMeter) {
            for (int i = 0; i < kLampSegments; ++i) {
                nLit += Item<CSLamp>(kFirstMeter + nMeter)->IsLit(i) ? 1 : 0;
            }
        }
        return nLit;
    };
    m_pPage->UpdateMeters(12);
    m_pPage->UpdateMeters(24);
    EXPECT_EQ(litCount(), 0);

    g_flags.m_bOnline = true;
    m_pPage->UpdateMeters(12);
    EXPECT_EQ(litCount(), 12 * 17); // sixteen levels and the clip lamp
    m_pPage->UpdateMeters(24);
    EXPECT_EQ(litCount(), 12 * 18);

    g_flags.m_bOnline = false;
    m_pPage->UpdateMeters(24);
    EXPECT_EQ(litCount(), 0);
}

TEST_F(SysPage, ConfirmOpensOnlyForTheExactPassword) {
    m_pPage->Refresh(); // offline the verification edit, and so the button, stays closed
    EXPECT_FALSE(Enabled(kVerifyEdit) || Enabled(kConfirmButton) || Enabled(kSystemOldEdit));
    ShowOnline(false);
    EXPECT_EQ(Text(kPermissionText), "No Store Allow");
    EXPECT_FALSE(Enabled(kStoreButton));
    ASSERT_TRUE(Enabled(kVerifyEdit));
    EXPECT_FALSE(Enabled(kConfirmButton));

    TypeKeys(kVerifyEdit, "123456");
    EXPECT_TRUE(Enabled(kConfirmButton));
    TypeKeys(kVerifyEdit, "7"); // the limit keeps six characters
    EXPECT_EQ(Item<CEnglishEdit>(kVerifyEdit)->text(), "123456");
    QTest::keyClick(Item<CEnglishEdit>(kVerifyEdit), Qt::Key_Backspace);
    TypeKeys(kVerifyEdit, "7");
    EXPECT_FALSE(Enabled(kConfirmButton));
    QTest::keyClick(Item<CEnglishEdit>(kVerifyEdit), Qt::Key_Backspace);
    TypeKeys(kVerifyEdit, "6");
    ASSERT_TRUE(Enabled(kConfirmButton));

    EXPECT_TRUE(Shown(kPasswordOrigin));
    EXPECT_TRUE(Text(kPasswordOrigin).contains("the processor's own"));
    Click(kConfirmButton);
    EXPECT_EQ(m_api.m_aCommands, (Commands{{140, 0}}));
    EXPECT_TRUE(g_flags.m_bUnlock);
    EXPECT_EQ(Text(kPermissionText), "Store Allow");
    EXPECT_FALSE(Shown(kPasswordOrigin));
    EXPECT_FALSE(Enabled(kVerifyEdit));
    EXPECT_FALSE(Enabled(kConfirmButton));
    EXPECT_TRUE(Enabled(kStoreButton) && Enabled(kNameEdit) && Enabled(kImportButton));
}

TEST_F(SysPage, FactoryModesCanBeRecalledButNotStored) {
    ShowOnline(true);
    auto* pList = Item<CBitComboBox>(kModeCombo);
    ASSERT_EQ(pList->count(), 21);
    EXPECT_EQ(pList->currentText(), "3-Mode 3");
    pList->setCurrentIndex(16);
    EXPECT_EQ(pList->currentText(), "F1-Mode 17");
    EXPECT_FALSE(Enabled(kStoreButton));
    EXPECT_FALSE(Enabled(kNameEdit));
    EXPECT_EQ(Item<CEnglishEdit>(kNameEdit)->text(), "Mode 17");
    Click(kRecallButton);
    EXPECT_EQ(m_api.m_aCommands, (Commands{{133, 17}}));

    pList->setCurrentIndex(15);
    EXPECT_TRUE(Enabled(kStoreButton));
}

TEST_F(SysPage, PasswordChangeOpensStepByStepAndResetsAfterSending) {
    ShowOnline(false);
    EXPECT_TRUE(Enabled(kSystemOldEdit));
    EXPECT_FALSE(Enabled(kSystemNewEdit));
    TypeKeys(kSystemOldEdit, "12a3456"); // digits only
    EXPECT_EQ(Item<CEnglishEdit>(kSystemOldEdit)->text(), "123456");
    ASSERT_TRUE(Enabled(kSystemNewEdit));
    TypeKeys(kSystemNewEdit, "65432");
    EXPECT_FALSE(Enabled(kSystemConfirmEdit));
    TypeKeys(kSystemNewEdit, "1");
    ASSERT_TRUE(Enabled(kSystemConfirmEdit));
    TypeKeys(kSystemConfirmEdit, "654320");
    EXPECT_FALSE(Enabled(kSystemSendButton));
    QTest::keyClick(Item<CEnglishEdit>(kSystemConfirmEdit), Qt::Key_Backspace);
    TypeKeys(kSystemConfirmEdit, "1");
    ASSERT_TRUE(Enabled(kSystemSendButton));

    Click(kSystemSendButton);
    EXPECT_EQ(m_api.m_aCommands, (Commands{{140, 0}}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Slot(0) + slot0::kNewSixCode), 6),
              "654321");
    EXPECT_TRUE(Item<CEnglishEdit>(kSystemOldEdit)->text().isEmpty());
    EXPECT_TRUE(Item<CEnglishEdit>(kSystemNewEdit)->text().isEmpty());
    EXPECT_FALSE(Enabled(kSystemNewEdit) || Enabled(kSystemSendButton));
}

TEST_F(SysPage, EnterAndEscapeTakeTheFocusToThePage) {
    ShowOnline(false);
    m_pPage->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pPage.get()));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        auto* pEdit = Item<CEnglishEdit>(kVerifyEdit);
        pEdit->setFocus();
        ASSERT_TRUE(pEdit->hasFocus());
        QTest::keyClick(pEdit, key);
        EXPECT_TRUE(m_pPage->hasFocus());
        EXPECT_TRUE(m_pPage->isVisible());
    }
}

TEST_F(SysPage, FileButtonsReachTheMainWindow) {
    ShowOnline(true);
    Click(kExportButton);
    Click(kImportButton);
    Click(kImportAllButton);
    Click(kExportAllButton);
    EXPECT_EQ(m_api.m_nExports, 1);
    EXPECT_EQ(m_api.m_nImports, 1);
    EXPECT_EQ(m_api.m_nImportAlls, 1);
    EXPECT_EQ(m_api.m_aCommands, (Commands{{130, 1}}));
}

TEST_F(SysPage, LanguageSwitchRecaptionsThePage) {
    g_flags.m_nLanguage = 1;
    m_pPage->ApplyLanguage();
    EXPECT_EQ(Text(2502), "音乐最大音量");
    EXPECT_EQ(Text(kPermissionText), "无保存权限");
    EXPECT_EQ(Item<CBitButton>(kStoreButton)->text(), "保存设备模式");
    ShowOnline(true);
    EXPECT_EQ(Text(kPermissionText), "有保存权限");
    g_flags.m_nLanguage = 0;
    m_pPage->ApplyLanguage();
    EXPECT_EQ(Text(kPermissionText), "Store Allow");
    EXPECT_EQ(Text(2511), "音乐变调");
}

TEST_F(SysPage, ThePasswordsOriginFitsItsPlaceInBothLanguages) {
    ShowOnline(false);
    for (const int nLanguage : {1, 0}) {
        g_flags.m_nLanguage = nLanguage;
        m_pPage->ApplyLanguage();
        const QWidget* pLine = Item(kPasswordOrigin);
        const QRect needed = pLine->fontMetrics().boundingRect(
            QRect(QPoint(), pLine->size()), Qt::TextWordWrap, Text(kPasswordOrigin));
        EXPECT_LE(needed.height(), pLine->height()) << "language " << nLanguage;
        EXPECT_TRUE(Text(kPasswordOrigin).contains("123456"));
    }
}

TEST_F(SysPage, RendersInBothLanguages) {
    ShowOnline(true);
    for (int i = 0; i < 12; ++i) {
        m_api.m_abLevels[i] = static_cast<std::uint8_t>(110 + 8 * i);
        m_api.m_abStates[i] = i % 3 == 0 ? 100 : 220;
    }
    m_pPage->UpdateMeters(12);
    m_pPage->UpdateMeters(24);
    QDir().mkpath(QStringLiteral(ZOLT_TEST_OUTPUT_DIR));
    for (const int nLanguage : {1, 0}) {
        g_flags.m_nLanguage = nLanguage;
        m_pPage->ApplyLanguage();
        const QImage image = m_pPage->grab().toImage();
        const QString strPath = QStringLiteral(ZOLT_TEST_OUTPUT_DIR "/sys-page-%1.png")
                                    .arg(nLanguage ? QStringLiteral("zh") : QStringLiteral("en"));
        ASSERT_TRUE(image.save(strPath));
        EXPECT_EQ(image.size(), m_pPage->size());
    }
}

} // namespace
} // namespace zolt
