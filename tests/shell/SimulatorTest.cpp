#include "ShellFixture.h"

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/DialogTemplate.h"
#include "controls/EnglishEdit.h"
#include "controls/FontStatic.h"
#include "controls/SLamp.h"
#include "pages/SysDlg.h"
#include "shell/Show_Dlg.h"
#include "sim/SimServer.h"

#include <QTest>

namespace zolt {
namespace {

constexpr int kTimeoutMs = 20000;
constexpr int kConnectButton = 3831;

class SimulatorTest : public ShellTest {
protected:
    std::unique_ptr<CZoltDlg> Connect(sim::SSimFaults faults = {}) {
        m_sim = std::make_unique<sim::CSimServer>(faults);
        std::string error;
        EXPECT_TRUE(m_sim->Start(error)) << error;
        auto dlg = MakeWindow({m_sim->Path()});
        dlg->show();
        return dlg;
    }

    static QString ProgramName(CZoltDlg& dlg) {
        return DlgItem<CFontStatic>(&dlg.Content(), 3830)->Text();
    }

    static bool AnyMeterLit(CZoltDlg& dlg) {
        QWidget* page = dlg.PageWidget(kSystemPageIndex);
        for (int id = 3900; id < 3912; ++id) {
            const CSLamp* lamp = DlgItem<CSLamp>(page, id);
            for (int segment = 0; lamp != nullptr && segment <= kLampLimit; ++segment) {
                if (lamp->IsLit(segment)) {
                    return true;
                }
            }
        }
        return false;
    }

    // Declared first so the window (and its port) goes before the simulator does.
    std::unique_ptr<sim::CSimServer> m_sim;
};

TEST_F(SimulatorTest, StartUpFindsTheProcessorAndReadsItBack) {
    auto dlg = Connect();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    EXPECT_TRUE(g_flags.m_bOnline);
    EXPECT_EQ(dlg->CurrentPage(), kSystemPageIndex);
    EXPECT_EQ(dlg->ProgressBox().Total(), 24);
    EXPECT_FALSE(dlg->ProgressBox().isVisible());
    EXPECT_TRUE(WindowTakesInput());
    EXPECT_EQ(ProgramName(*dlg), QStringLiteral("1:Sim mode 1"));
    EXPECT_EQ(DlgItem<CBitButton>(&dlg->Content(), kConnectButton)->text(),
              QStringLiteral("Disconnect"));
    ASSERT_TRUE(WaitUntil([&] { return AnyMeterLit(*dlg); }, kTimeoutMs));
    EXPECT_TRUE(m_boxes.isEmpty()) << m_boxes.join('|').toStdString();
}

TEST_F(SimulatorTest, TheButtonDisconnectsQuietlyAndConnectsAgain) {
    auto dlg = Connect();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    CBitButton* button = DlgItem<CBitButton>(&dlg->Content(), kConnectButton);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(g_flags.m_bOnline);
    EXPECT_EQ(ProgramName(*dlg), QStringLiteral("Off Line"));
    ASSERT_TRUE(WaitUntil([&] { return !AnyMeterLit(*dlg); }));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(
        WaitUntil([&] { return ProgramName(*dlg) == QStringLiteral("1:Sim mode 1"); }, kTimeoutMs))
        << ProgramName(*dlg).toStdString();
    EXPECT_TRUE(m_boxes.isEmpty()) << m_boxes.join('|').toStdString();
}

TEST_F(SimulatorTest, ASilentPortEndsTheLookupWithOneMessage) {
    sim::SSimFaults silent;
    silent.m_bSilent = true;
    auto dlg = Connect(silent);
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    QTest::qWait(200);
    EXPECT_EQ(m_boxes, QStringList{QStringLiteral("Unable to Open Device!")});
    EXPECT_FALSE(g_flags.m_bOnline);
    EXPECT_FALSE(dlg->ProgressBox().isVisible());
    EXPECT_TRUE(WindowTakesInput());
}

TEST_F(SimulatorTest, AProcessorThatHangsUpLeavesAUsableWindow) {
    sim::SSimFaults hangUp;
    hangUp.m_nHangUpAfter = 40; // the probe, the 24 frames of the read-back, then polls
    auto dlg = Connect(hangUp);
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    ASSERT_TRUE(WaitUntil([&] { return !g_flags.m_bOnline; }, kTimeoutMs));
    QTest::qWait(500);
    EXPECT_EQ(m_boxes, QStringList{QStringLiteral("Unable to Open Device!")});
    EXPECT_EQ(ProgramName(*dlg), QStringLiteral("Off Line"));
    EXPECT_TRUE(WindowTakesInput());
    EXPECT_FALSE(dlg->ProgressBox().isVisible());
    EXPECT_FALSE(AnyMeterLit(*dlg));
    dlg->ShowPage(0);
    EXPECT_EQ(dlg->CurrentPage(), 0);
}

TEST_F(SimulatorTest, AProbeThatIsOnlyAcknowledgedDoesNotHoldTheWindow) {
    sim::SSimFaults ack;
    ack.m_bProbeAck = true;
    auto dlg = Connect(ack);
    ASSERT_TRUE(WaitUntil([&] { return g_flags.m_bOnline && !dlg->ProgressBox().isVisible(); },
                          kTimeoutMs));
    EXPECT_TRUE(WindowTakesInput());
    EXPECT_FALSE(g_flags.m_bLookup);
    CBitButton* button = DlgItem<CBitButton>(&dlg->Content(), kConnectButton);
    EXPECT_EQ(button->text(), QStringLiteral("Disconnect"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(g_flags.m_bOnline);
}

TEST_F(SimulatorTest, StoreRecallAndPasswordChangeReachTheProcessor) {
    auto dlg = Connect();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    QWidget* page = dlg->PageWidget(kSystemPageIndex);
    auto click = [page](int id) {
        QTest::mouseClick(DlgItem<CBitButton>(page, id), Qt::LeftButton);
    };
    auto type = [page](int id, const char* text) {
        CEnglishEdit* edit = DlgItem<CEnglishEdit>(page, id);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    };
    auto simName = [this](int mode) {
        const sim::SSimState state = m_sim->State();
        const auto& bytes = state.m_aModes[static_cast<std::size_t>(mode)];
        return std::string(reinterpret_cast<const char*>(bytes.data()), kNameSize);
    };
    auto simSystemCode = [this] {
        const sim::SSimState state = m_sim->State();
        return std::string(reinterpret_cast<const char*>(state.m_abSystem.data() + 19), 6);
    };

    DlgItem<CBitComboBox>(page, sysid::kModeCombo)->setCurrentIndex(2);
    type(sysid::kNameEdit, "Party");
    click(sysid::kStoreButton);
    EXPECT_TRUE(WaitUntil([&] { return simName(3) == "Party" + std::string(15, ' '); }, kTimeoutMs))
        << simName(3);
    ASSERT_TRUE(WaitUntil([&] { return !g_flags.m_bStoreBusy && !dlg->ProgressBox().isVisible(); },
                          kTimeoutMs));

    type(sysid::kSystemOldEdit, "123456");
    type(sysid::kSystemNewEdit, "654321");
    type(sysid::kSystemConfirmEdit, "654321");
    click(sysid::kSystemSendButton);
    EXPECT_TRUE(WaitUntil([&] { return simSystemCode() == "654321"; }, kTimeoutMs))
        << simSystemCode();

    DlgItem<CBitComboBox>(page, sysid::kModeCombo)->setCurrentIndex(18);
    click(sysid::kRecallButton);
    ASSERT_TRUE(WaitUntil([&] { return !g_flags.m_bStoreBusy && !dlg->ProgressBox().isVisible(); },
                          kTimeoutMs));
    EXPECT_EQ(m_sim->State().m_abSystem[0], 19);
    EXPECT_TRUE(WaitUntil([&] { return ProgramName(*dlg) == QStringLiteral("F3:Sim mode 19"); },
                          kTimeoutMs))
        << ProgramName(*dlg).toStdString();
    EXPECT_TRUE(m_boxes.isEmpty()) << m_boxes.join('|').toStdString();
}

} // namespace
} // namespace zolt
