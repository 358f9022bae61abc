#include "ShellFixture.h"

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/DialogTemplate.h"
#include "controls/EnglishEdit.h"
#include "controls/FontStatic.h"
#include "controls/SLamp.h"
#include "link/Command.h"
#include "link/SerialPort.h"
#include "pages/SysData.h"
#include "pages/SysDlg.h"
#include "shell/FileCommands.h"
#include "shell/Show_Dlg.h"
#include "sim/SimServer.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <string>

#include <filesystem>
#include <fstream>

namespace zolt {
namespace {

constexpr int kConnectButton = 3831;

class SimulatorTest : public SimShellTest {
protected:
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

    // The lit segments of every meter, one string.
    static std::string MeterStates(CZoltDlg& dlg) {
        std::string states;
        QWidget* page = dlg.PageWidget(kSystemPageIndex);
        for (int id = 3900; id < 3912; ++id) {
            const CSLamp* lamp = DlgItem<CSLamp>(page, id);
            for (int segment = 0; lamp != nullptr && segment <= kLampLimit; ++segment) {
                states += lamp->IsLit(segment) ? '1' : '0';
            }
        }
        return states;
    }
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
    EXPECT_EQ(m_boxes,
              QStringList{QString::fromStdString("Unable to Open Device!\n" + std::string(kPort) +
                                                 ": no answer to the probe (3 "
                                                 "transmissions)")});
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
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_TRUE(m_boxes[0].startsWith(QString::fromStdString(
        "Unable to Open Device!\n" + std::string(kPort) + ": the line hung up")))
        << m_boxes[0].toStdString();
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
    EXPECT_EQ(m_boxes,
              QStringList{QString::fromStdString(
                  std::string(kPort) + ": the device acknowledged the probe without sending "
                                       "its state, so nothing was read back")});
    EXPECT_NE(ProgramName(*dlg), QStringLiteral("Off Line"));
    CBitButton* button = DlgItem<CBitButton>(&dlg->Content(), kConnectButton);
    EXPECT_EQ(button->text(), QStringLiteral("Disconnect"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(g_flags.m_bOnline);
}

TEST_F(SimulatorTest, TheConnectionDisplaySaysOnLineWhileTheReadBackRuns) {
    sim::SSimFaults slow;
    slow.m_nDelayMs = 200; // the read-back takes seconds
    auto dlg = Connect(slow);
    ASSERT_TRUE(WaitUntil([] { return g_flags.m_bOnline.load(); }, kTimeoutMs));
    EXPECT_NE(ProgramName(*dlg), QStringLiteral("Off Line"));
    EXPECT_EQ(DlgItem<CBitButton>(&dlg->Content(), kConnectButton)->text(),
              QStringLiteral("Disconnect"));
    EXPECT_FALSE(dlg->StartupSettled());
}

// Over a real pseudo-terminal, as a serial port another program holds.
TEST_F(SimulatorTest, APortInUseByAnotherProgramIsNamedInTheMessage) {
    sim::CSimServer processor;
    std::string error;
    ASSERT_TRUE(processor.Start(error)) << error;
    CSerialPort otherProgram;
    ASSERT_TRUE(otherProgram.Open(processor.Path()));
    auto dlg = MakeWindow({processor.Path()});
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_TRUE(m_boxes[0].startsWith(QString::fromStdString(
        "Unable to Open Device!\n" + processor.Path() + ": in use by another program")))
        << m_boxes[0].toStdString();
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
    {
        // Mode 3 has a name: the store says what it replaces and asks first. The program has
        // not read the modes, so it names the mode.
        QStringList asked;
        CScopedMessageBoxHandler confirm([&](QWidget*, const SMessageBox& box) {
            asked << box.m_strText << box.m_astrButtons;
            return EMsgResult::Yes;
        });
        click(sysid::kStoreButton);
        EXPECT_EQ(asked, (QStringList{QStringLiteral("Store will replace mode 3 (Sim mode 3) with "
                                                     "the edited mode"),
                                      QStringLiteral("Store"), QStringLiteral("Cancel")}));
    }
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

TEST_F(SimulatorTest, ImportAllOnLineOffersACheckThatNamesWhatDidNotArrive) {
    sim::SSimFaults faults;
    faults.m_nDropWrite = 4; // mode 4's frame is acknowledged but never stored
    auto dlg = Connect(faults);
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));

    sim::SSimState edited = sim::MakeFactoryState();
    edited.m_aModes[4][image::kMic12 + mic::kLevel] = 40;
    const std::vector<std::uint8_t> bytes = sim::AllModesFile(edited);
    const std::filesystem::path path =
        std::filesystem::path(ZOLT_TEST_OUTPUT_DIR) / "shell-import-check.dat";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));

    // The confirmation before the import (it names its own buttons) is answered apart.
    std::vector<SMessageBox> boxes;
    QStringList confirmations;
    EMsgResult answer = EMsgResult::Yes;
    CScopedMessageBoxHandler record([&](QWidget*, const SMessageBox& box) {
        if (!box.m_astrButtons.isEmpty()) {
            confirmations << box.m_strText;
            return EMsgResult::Yes;
        }
        boxes.push_back(box);
        return box.m_eButtons == EMsgButtons::YesNo ? answer : EMsgResult::Ok;
    });
    auto checkAfterImport = [&](std::size_t expectedBoxes) {
        boxes.clear();
        confirmations.clear();
        QTimer::singleShot(0, [&] { dlg->Files().ImportAllModesFrom(path.string()); });
        return WaitUntil([&] { return boxes.size() == expectedBoxes; }, kTimeoutMs);
    };

    // The program has not read the processor's modes: it reads them first, to say what the
    // import changes.
    ASSERT_TRUE(checkAfterImport(2)) << boxes.size();
    EXPECT_EQ(confirmations, QStringList{QStringLiteral("Import all will change 1 setting in 1 "
                                                        "mode\nmode 4: Mic 1&2 level: 5.0 dB -> "
                                                        "10.0 dB")});
    EXPECT_EQ(boxes[0].m_strText,
              QStringLiteral("Read the modes back from the processor and compare them with the "
                             "file?"));
    EXPECT_EQ(dlg->ProgressBox().Total(), 22); // the read-back of the system block and 21 modes
    EXPECT_EQ(boxes[1].m_strText,
              QStringLiteral("Fields that differ between the file and the processor: 1\n"
                             "mode 4: Mic 1&2 level: 10.0 dB -> 5.0 dB"));

    ASSERT_TRUE(checkAfterImport(2)) << boxes.size();
    EXPECT_EQ(confirmations.size(), 1); // the check read mode 4 back as the processor kept it
    EXPECT_EQ(boxes[1].m_strText, QStringLiteral("The processor holds every field of the file."));
    EXPECT_EQ(m_sim->State().m_aModes[4], edited.m_aModes[4]);

    answer = EMsgResult::No; // the transfer's last frame is in flight: nothing follows it
    ASSERT_TRUE(checkAfterImport(1));
    EXPECT_TRUE(confirmations.isEmpty()) << "the file changes nothing the program holds";
    CImageGuard guard(ImageLock());
    EXPECT_EQ(dlg->Link().Queue().Count(), 0u);
}

// "Import all" and a store over a named mode say what they change before they change it, and
// nothing reaches the processor when the user cancels.
TEST_F(SimulatorTest, ImportAllAndAStoreSayWhatTheyChangeFirstAndCancelChangesNothing) {
    auto dlg = Connect();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    const sim::SSimState before = m_sim->State();
    sim::SSimState edited = before;
    std::copy_n("654321", 6, edited.m_abSystem.begin() + sysblock::kSystemCode);
    edited.m_aModes[2][image::kReverb + effect::kWet] = 80;
    const std::vector<std::uint8_t> bytes = sim::AllModesFile(edited);
    const std::filesystem::path path =
        std::filesystem::path(ZOLT_TEST_OUTPUT_DIR) / "shell-import-confirm.dat";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    QStringList asked;
    CScopedMessageBoxHandler cancel([&](QWidget*, const SMessageBox& box) {
        asked << box.m_strText << box.m_astrButtons;
        return EMsgResult::No;
    });

    QTimer::singleShot(0, [&] { dlg->Files().ImportAllModesFrom(path.string()); });
    ASSERT_TRUE(WaitUntil([&] { return !asked.isEmpty() && WindowTakesInput(); }, kTimeoutMs));
    EXPECT_EQ(asked, (QStringList{QStringLiteral("Import all will change 2 settings in 1 mode and "
                                                 "the system password\n"
                                                 "system: System password: 123456 -> 654321\n"
                                                 "mode 2: Reverb wet volume: 50 % -> 80 %"),
                                  QStringLiteral("Import all"), QStringLiteral("Cancel")}));
    QTest::qWait(50);
    EXPECT_EQ(m_sim->State().m_abSystem, before.m_abSystem);
    EXPECT_EQ(m_sim->State().m_aModes, before.m_aModes);

    // The program now holds the processor's modes: the store lists what it replaces.
    asked.clear();
    g_flags.m_nLanguage = 1;
    EXPECT_FALSE(StoreMode(*dlg, 3, "Party"));
    ASSERT_EQ(asked.size(), 3);
    EXPECT_TRUE(asked[0].startsWith(QStringLiteral("保存将改变模式 3（Sim mode 3）中的 ")))
        << asked[0].toStdString();
    EXPECT_TRUE(asked[0].contains(QStringLiteral("\n当前模式: 模式名称: Sim mode 3 -> Party\n")))
        << asked[0].toStdString();
    EXPECT_EQ(asked[1], QStringLiteral("保存"));
    QTest::qWait(50);
    EXPECT_EQ(m_sim->State().m_aModes[3], before.m_aModes[3]);
    EXPECT_EQ(m_sim->TimesTaken(cmd::kStore, 3), 0);
}

// "Export all" on line: every mode is read from the processor, then the save dialog asks
// where, and the file holds the processor's store.
TEST_F(SimulatorTest, ExportAllReadsEveryModeAndSavesThemWhereTheUserSays) {
    sim::SSimState state = sim::MakeFactoryState();
    state.m_aModes[21][2000] = 0x5A;
    state.m_abSystem[sysblock::kMusicMax] = 70;
    auto dlg = Connect({}, state);
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    const std::filesystem::path file =
        std::filesystem::absolute(ZOLT_TEST_OUTPUT_DIR) / "shell-export-all.dat";
    std::filesystem::remove(file);

    const CFileDialogAnswer answer(file); // the user names the file once the dialog is up
    QTest::mouseClick(
        DlgItem<CBitButton>(dlg->PageWidget(kSystemPageIndex), sysid::kExportAllButton),
        Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(file); }, kTimeoutMs));
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(bytes, sim::AllModesFile(state));
    EXPECT_TRUE(m_boxes.isEmpty()) << m_boxes.join('|').toStdString();
}

// "Export all" asks for the file before the 21 modes are read, and Cancel in the progress box
// stops the read after the mode in flight: no file, and a report that says where it stopped.
TEST_F(SimulatorTest, ExportAllAsksForTheFileFirstAndCancelStopsTheReadWithoutAFile) {
    auto dlg = Connect();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    const std::filesystem::path file =
        std::filesystem::absolute(ZOLT_TEST_OUTPUT_DIR) / "shell-export-cancelled.dat";
    std::filesystem::remove(file);
    const int readsBefore = m_sim->TimesTaken(cmd::kReadMode, 1);

    bool bAskedBeforeReading = false;
    const CFileDialogAnswer answer(
        file, [&] { bAskedBeforeReading = m_sim->TimesTaken(cmd::kReadMode, 1) == readsBefore; });
    QTest::mouseClick(
        DlgItem<CBitButton>(dlg->PageWidget(kSystemPageIndex), sysid::kExportAllButton),
        Qt::LeftButton);
    const CShowDlg& box = dlg->ProgressBox();
    ASSERT_TRUE(
        WaitUntil([&] { return box.isVisible() && box.Total() == 21 && box.Bar()->value() >= 5; },
                  kTimeoutMs));
    EXPECT_TRUE(bAskedBeforeReading);
    QTest::mouseClick(dlg->ProgressBox().CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !m_boxes.isEmpty(); }, kTimeoutMs));
    EXPECT_FALSE(dlg->ProgressBox().isVisible());
    EXPECT_TRUE(WindowTakesInput());
    const int read = dlg->ProgressBox().Bar()->value();
    EXPECT_EQ(m_boxes, QStringList{QStringLiteral("The transfer was cancelled.\n"
                                                  "The read of all modes stopped at mode %1: "
                                                  "modes 1 to %2 were read, and no file of all "
                                                  "modes was written.")
                                       .arg(read + 1)
                                       .arg(read)});
    EXPECT_EQ(m_sim->TimesTaken(cmd::kReadMode, static_cast<std::uint8_t>(read + 1)), 0);
    QTest::qWait(100);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(g_flags.m_bOnline);
}

// Cancel during an on-line "Import all": the modes written stay, the others are untouched,
// and the report says exactly which.
TEST_F(SimulatorTest, CancelDuringImportAllSaysWhichModesTheProcessorTook) {
    auto dlg = Connect();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    sim::SSimState edited = sim::MakeFactoryState();
    for (std::size_t mode = 1; mode <= kModeCount; ++mode) {
        edited.m_aModes[mode][image::kEchoB + effect::kRepeat] = static_cast<std::uint8_t>(mode);
    }
    const std::vector<std::uint8_t> bytes = sim::AllModesFile(edited);
    const std::filesystem::path path =
        std::filesystem::path(ZOLT_TEST_OUTPUT_DIR) / "shell-import-cancelled.dat";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    CScopedMessageBoxHandler answer([&](QWidget*, const SMessageBox& box) {
        m_boxes << box.m_strText;
        return box.m_eButtons == EMsgButtons::YesNo ? EMsgResult::Yes : EMsgResult::Ok;
    });
    QTimer::singleShot(0, [&] { dlg->Files().ImportAllModesFrom(path.string()); });
    const CShowDlg& box = dlg->ProgressBox();
    ASSERT_TRUE(
        WaitUntil([&] { return box.isVisible() && box.Total() == 22 && box.Bar()->value() >= 6; },
                  kTimeoutMs));
    QTest::mouseClick(dlg->ProgressBox().CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(
        WaitUntil([&] { return !m_boxes.isEmpty() && m_boxes.back().startsWith("The transfer"); },
                  kTimeoutMs))
        << m_boxes.join('|').toStdString();
    const sim::SSimState state = m_sim->State();
    std::size_t written = 0;
    while (written < kModeCount && state.m_aModes[written + 1] == edited.m_aModes[written + 1]) {
        ++written;
    }
    ASSERT_GE(written, 6u);
    for (std::size_t mode = written + 1; mode <= kModeCount; ++mode) {
        EXPECT_EQ(state.m_aModes[mode], sim::MakeFactoryState().m_aModes[mode]) << mode;
    }
    EXPECT_EQ(m_boxes.back(),
              QStringLiteral("The transfer was cancelled.\nThe restore stopped at mode %1: modes "
                             "1 to %2 were written from the file; modes %1 to 21 and the system "
                             "settings were not.\nThe processor now holds a mix of the file and "
                             "its own earlier settings. Restore the file again to finish.")
                  .arg(written + 1)
                  .arg(written));
    EXPECT_EQ(m_boxes.filter(QStringLiteral("compare them with the file")).size(), 0)
        << "no check is offered for a transfer cut short";
}

// A file dialog is modal, but the link stays on line behind it: the meters go on showing
// the levels, and are dark only off line.
TEST_F(SimulatorTest, TheMetersGoOnWhileAFileDialogIsOpen) {
    auto dlg = Connect();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    ASSERT_TRUE(g_flags.m_bOnline);
    ASSERT_TRUE(WaitUntil([&] { return AnyMeterLit(*dlg); }, kTimeoutMs));
    bool bChangedWhileOpen = false;
    bool bLitWhileOpen = false;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            if (!WaitUntil([] { return QApplication::activeModalWidget() != nullptr; })) {
                return;
            }
            QWidget* pDialog = QApplication::activeModalWidget();
            const std::string atOpen = MeterStates(*dlg);
            bChangedWhileOpen = WaitUntil([&] { return MeterStates(*dlg) != atOpen; }, kTimeoutMs);
            bLitWhileOpen = AnyMeterLit(*dlg) || WaitUntil([&] { return AnyMeterLit(*dlg); });
            pDialog->close();
        });
        dlg->ImportMode(); // the file dialog; closed above without a choice
    });
    ASSERT_TRUE(WaitUntil([&] { return bChangedWhileOpen || bLitWhileOpen; }, kTimeoutMs));
    EXPECT_TRUE(bChangedWhileOpen);
    EXPECT_TRUE(bLitWhileOpen);
    EXPECT_TRUE(g_flags.m_bOnline);
}

} // namespace
} // namespace zolt
