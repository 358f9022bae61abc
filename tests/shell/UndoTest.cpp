// Undo and redo in the assembled main window, driven as the user drives it: gestures with
// the mouse and keys, Ctrl+Z and Ctrl+Y, the window's menu; on line, the simulated
// processor follows every undo through the ordinary synchronisation.
#include "ShellFixture.h"

#include "link/PresetFiles.h"
#include "model/Fields.h"
#include "shell/FileCommands.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/DialogTemplate.h"
#include "eq/CFStatic.h"
#include "eq/FilterList.h"
#include "pages/Mic_Dlg.h"
#include "pages/MusicData.h"
#include "pages/SysData.h"
#include "shell/Show_Dlg.h"
#include "shell/UndoTracker.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <vector>

namespace zolt {
namespace {

constexpr int kMusicVolumeSlider = 3820;
constexpr int kBand = 4; // band 5 of Music Left

using Bytes = std::vector<std::uint8_t>;

Bytes WorkingImage() {
    const CImageGuard guard(ImageLock());
    return Bytes(Image(), Image() + kImageSize);
}

Bytes SystemBlock() {
    const CImageGuard guard(ImageLock());
    return Bytes(System(), System() + kSystemSize);
}

// A key as the window system delivers it; a held key repeats with autoRepeat set.
void Key(QWidget* pWidget, Qt::Key key, Qt::KeyboardModifiers modifiers = {},
         bool autoRepeat = false) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(pWidget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(pWidget, &release);
    QCoreApplication::processEvents();
}

// The texts of the undo and redo entries of the window's menu, and whether they are enabled.
struct SMenuEntries {
    QString m_strUndo;
    bool m_bUndo;
    QString m_strRedo;
    bool m_bRedo;
};
SMenuEntries MenuEntries(CZoltDlg& dlg) {
    QMenu menu;
    dlg.Undo().AddActions(menu);
    const QList<QAction*> actions = menu.actions();
    return {actions.at(0)->text(), actions.at(0)->isEnabled(), actions.at(1)->text(),
            actions.at(1)->isEnabled()};
}

class UndoTest : public SimShellTest {
protected:
    // Drags the marker of a Music Left band in several moves, one gesture.
    void DragBand(CZoltDlg& dlg) {
        dlg.ShowPage(0);
        auto* pCurve = dlg.PageWidget(0)->findChild<CFStatic*>();
        ASSERT_NE(pCurve, nullptr);
        const QPoint start = pCurve->MarkerRect(kBand).center();
        // From elsewhere first: a move to where the pointer already is moves nothing.
        QTest::mouseMove(pCurve, start + QPoint(0, 40));
        QTest::mouseMove(pCurve, start);
        QTest::mousePress(pCurve, Qt::LeftButton, {}, start);
        for (int step = 1; step <= 4; ++step) {
            QTest::mouseMove(pCurve, start + QPoint(15 * step, -8 * step));
        }
        QTest::mouseRelease(pCurve, Qt::LeftButton, {}, start + QPoint(60, -32));
        QCoreApplication::processEvents();
    }

    // The settings the processor plays differ from image's in these fields. The
    // synchronisation sends the settings of the live output set; the mode's name, the other
    // sets and the reverb's mirror are not among them.
    std::vector<std::string> SettingsDiffering(const Bytes& image) {
        const sim::SSimState state = m_sim->State();
        std::vector<SFieldDifference> differences;
        CompareArea(EArea::Image, 0, state.m_abImage.data(), image.data(), differences);
        const std::string live = "(set " + std::to_string(LiveOutputSet()) + ")";
        std::vector<std::string> names;
        for (const SFieldDifference& difference : differences) {
            const std::string& name = difference.m_pField->Name();
            const bool otherSet =
                name.find("(set ") != std::string::npos && name.find(live) == std::string::npos;
            if (difference.m_pField->m_eKind != EFieldKind::Text && !otherSet &&
                name.find("mirror") == std::string::npos) {
                names.push_back(name);
            }
        }
        return names;
    }

    bool ProcessorHolds(const Bytes& image) {
        return WaitUntil(
            [&] {
                const sim::SSimState state = m_sim->State();
                return Bytes(state.m_abImage.begin(), state.m_abImage.end()) == image;
            },
            kTimeoutMs);
    }
};

TEST_F(UndoTest, ADragIsOneStepAndTheProcessorFollowsUndoAndRedo) {
    auto dlg = Connect();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    // The read-back replaced the factory state: a step of its own.
    EXPECT_EQ(MenuEntries(*dlg).m_strUndo, QStringLiteral("Undo the read-back"));
    const Bytes before = WorkingImage();

    DragBand(*dlg);
    const Bytes dragged = WorkingImage();
    ASSERT_NE(dragged, before);
    ASSERT_TRUE(ProcessorHolds(dragged));
    const SMenuEntries entries = MenuEntries(*dlg);
    EXPECT_TRUE(entries.m_strUndo.startsWith(QStringLiteral("Undo Music Left")))
        << entries.m_strUndo.toStdString();
    EXPECT_TRUE(entries.m_bUndo);
    EXPECT_FALSE(entries.m_bRedo);

    Key(dlg.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(WorkingImage(), before) << "the whole drag is one step";
    EXPECT_TRUE(ProcessorHolds(before));
    EXPECT_EQ(dlg->Undo().History().UndoCount(), 1U); // the read-back
    EXPECT_TRUE(MenuEntries(*dlg).m_bRedo);

    Key(dlg.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(WorkingImage(), dragged);
    EXPECT_TRUE(ProcessorHolds(dragged));
    Key(dlg.get(), Qt::Key_Z, Qt::ControlModifier);
    Key(dlg.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(WorkingImage(), dragged);
    EXPECT_TRUE(m_boxes.isEmpty()) << m_boxes.join('|').toStdString();
}

TEST_F(UndoTest, AHeldKeyIsOneStepAndTheMasterVolumeIsUndoneToo) {
    auto dlg = MakeWindow();
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    auto* pSlider = DlgItem<CBitmapSlider>(&dlg->Content(), kMusicVolumeSlider);
    ASSERT_NE(pSlider, nullptr);
    pSlider->setFocus();
    const Bytes before = SystemBlock();

    Key(pSlider, Qt::Key_Up);
    for (int repeat = 0; repeat < 5; ++repeat) {
        Key(pSlider, Qt::Key_Up, {}, true);
    }
    const Bytes raised = SystemBlock();
    ASSERT_EQ(raised[sysblock::kMusicVolume], before[sysblock::kMusicVolume] + 6);
    Key(pSlider, Qt::Key_Down); // a second press: a second gesture
    EXPECT_EQ(dlg->Undo().History().NextUndo()->m_aChanges.size(), 1U);
    EXPECT_TRUE(MenuEntries(*dlg).m_strUndo.startsWith(QStringLiteral("Undo Music")))
        << MenuEntries(*dlg).m_strUndo.toStdString();

    Key(pSlider, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(SystemBlock(), raised);
    Key(pSlider, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(SystemBlock(), before);
    EXPECT_EQ(pSlider->Pos(), before[sysblock::kMusicVolume] & 0x7F) << "the slider reloaded";

    // A click that changes nothing adds no step: the redo side survives it.
    QTest::mouseClick(&dlg->Content(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(dlg->Undo().History().UndoCount(), 0U);
    EXPECT_EQ(dlg->Undo().History().RedoCount(), 2U);
}

TEST_F(UndoTest, TheMenuNamesTheFieldInChineseAndARecallIsOneStepTheProcessorFollows) {
    auto dlg = Connect();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    auto* pSlider = DlgItem<CBitmapSlider>(&dlg->Content(), kMusicVolumeSlider);
    pSlider->setFocus();
    Key(pSlider, Qt::Key_Up);
    dlg->SetLanguage(1);
    EXPECT_TRUE(MenuEntries(*dlg).m_strUndo.startsWith(QStringLiteral("撤销 ")))
        << MenuEntries(*dlg).m_strUndo.toStdString();
    EXPECT_EQ(MenuEntries(*dlg).m_strRedo, QStringLiteral("重做"));

    // A recall replaces the whole image from the processor: one step, and undoing it brings
    // back what it replaced, which the synchronisation sends.
    const Bytes before = WorkingImage();
    dlg->SendCommand(cmd::kRecall, 2);
    ASSERT_TRUE(WaitUntil([&] { return !g_flags.m_bStoreBusy && !dlg->ProgressBox().isVisible(); },
                          kTimeoutMs));
    ASSERT_TRUE(WaitUntil(
        [&] { return MenuEntries(*dlg).m_strUndo == QStringLiteral("撤销 调用模式"); }, kTimeoutMs))
        << MenuEntries(*dlg).m_strUndo.toStdString();
    EXPECT_TRUE(MenuEntries(*dlg).m_bUndo);
    EXPECT_NE(WorkingImage(), before);
    Key(pSlider, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(WorkingImage(), before);
    EXPECT_TRUE(WaitUntil([&] { return SettingsDiffering(before).empty(); }, kTimeoutMs))
        << SettingsDiffering(before).size()
        << " fields: " << ::testing::PrintToString(SettingsDiffering(before));
}

// Edits made off line meet the processor's settings on the next connect: the user keeps them
// (they go onto the processor's settings and reach it) or takes the processor's, and the
// read-back is one step either way, so undo brings back what it replaced.
class OfflineEditsTest : public UndoTest {
protected:
    // On line, then off line with a band dragged and the music volume raised; then the connect
    // button, with answer to the question.
    std::unique_ptr<CZoltDlg> EditOffLineAndConnect(EMsgResult answer) {
        auto dlg = Connect();
        EXPECT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
        QTest::mouseClick(DlgItem<CBitButton>(&dlg->Content(), kConnectButton), Qt::LeftButton);
        EXPECT_FALSE(g_flags.m_bOnline);
        m_sim->Edit([](sim::SSimState& state) { // meanwhile a knob on its panel
            state.m_abImage[image::kMusicLeft + music::kLowExciter + exciter::kTimbre] = 7;
        });
        DragBand(*dlg);
        auto* pSlider = DlgItem<CBitmapSlider>(&dlg->Content(), kMusicVolumeSlider);
        pSlider->setFocus();
        Key(pSlider, Qt::Key_Down);
        m_offline = WorkingImage();
        m_offlineSystem = SystemBlock();
        m_question.clear();
        m_pAnswer = std::make_unique<CScopedMessageBoxHandler>(
            [this, answer](QWidget*, const SMessageBox& box) {
                m_question << box.m_strText << box.m_astrButtons;
                return box.m_eButtons == EMsgButtons::YesNo ? answer : EMsgResult::Ok;
            });
        QTest::mouseClick(DlgItem<CBitButton>(&dlg->Content(), kConnectButton), Qt::LeftButton);
        EXPECT_TRUE(
            WaitUntil([&] { return !m_question.isEmpty() && WindowTakesInput(); }, kTimeoutMs));
        return dlg;
    }

    static constexpr int kConnectButton = 3831;
    static constexpr std::size_t kTimbre =
        image::kMusicLeft + music::kLowExciter + exciter::kTimbre;
    Bytes m_offline;
    Bytes m_offlineSystem;
    QStringList m_question;
    std::unique_ptr<CScopedMessageBoxHandler> m_pAnswer;
};

TEST_F(OfflineEditsTest, SentEditsGoOntoTheProcessorsSettingsAndReachIt) {
    auto dlg = EditOffLineAndConnect(EMsgResult::Yes);
    EXPECT_EQ(m_question,
              (QStringList{QStringLiteral("The processor's settings have been read back. You "
                                          "changed 3 settings while off line, and they have not "
                                          "reached the processor."),
                           QStringLiteral("Send my edits to the processor"),
                           QStringLiteral("Take the processor's settings")}));
    const Bytes kept = WorkingImage();
    const std::size_t gain = image::kMusicLeft + music::kBands + kBand * band::kSize + band::kGain;
    EXPECT_EQ(kept[gain], m_offline[gain]) << "the band dragged off line";
    EXPECT_EQ(kept[kTimbre], 7) << "the processor's own change stays";
    EXPECT_EQ(SystemBlock()[sysblock::kMusicVolume], m_offlineSystem[sysblock::kMusicVolume]);
    EXPECT_TRUE(WaitUntil(
        [&] {
            const sim::SSimState state = m_sim->State();
            return state.m_abImage[gain] == m_offline[gain] &&
                   state.m_abSystem[sysblock::kMusicVolume] ==
                       m_offlineSystem[sysblock::kMusicVolume];
        },
        kTimeoutMs));
    EXPECT_TRUE(SettingsDiffering(kept).empty())
        << ::testing::PrintToString(SettingsDiffering(kept));
    EXPECT_EQ(MenuEntries(*dlg).m_strUndo, QStringLiteral("Undo the edits made off line"));
}

TEST_F(OfflineEditsTest, TakingTheProcessorsSettingsIsOneStepThatUndoBringsBack) {
    g_flags.m_nLanguage = 1;
    auto dlg = EditOffLineAndConnect(EMsgResult::No);
    ASSERT_EQ(m_question.size(), 3);
    EXPECT_EQ(
        m_question[0],
        QStringLiteral("处理器的设置已读回。脱机时您修改了 3 项设置，它们还没有发送到处理器。"));
    EXPECT_EQ(m_question[2], QStringLiteral("采用处理器的设置"));
    const Bytes taken = WorkingImage();
    EXPECT_EQ(taken[kTimbre], 7);
    EXPECT_TRUE(SettingsDiffering(taken).empty());
    EXPECT_EQ(MenuEntries(*dlg).m_strUndo, QStringLiteral("撤销 读回"));

    Key(dlg.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(WorkingImage(), m_offline) << "what the read-back replaced";
    EXPECT_EQ(SystemBlock()[sysblock::kMusicVolume], m_offlineSystem[sysblock::kMusicVolume]);
    EXPECT_TRUE(WaitUntil([&] { return SettingsDiffering(m_offline).empty(); }, kTimeoutMs))
        << ::testing::PrintToString(SettingsDiffering(m_offline));
}

// An import replaces the whole image: one step, and undo brings back what it replaced.
TEST_F(UndoTest, AnImportIsOneStepThatUndoBringsBack) {
    auto dlg = MakeWindow();
    dlg->show();
    const std::filesystem::path file =
        std::filesystem::path(ZOLT_TEST_OUTPUT_DIR) / "undo-import.dia";
    {
        CImageGuard guard(ImageLock());
        Image()[image::kMusicLeft + music::kLowExciter + exciter::kTimbre] = 9;
    }
    ASSERT_TRUE(ExportOneMode(file.string()));
    {
        CImageGuard guard(ImageLock());
        Image()[image::kMusicLeft + music::kLowExciter + exciter::kTimbre] = 0;
    }
    dlg->Undo().Absorb();
    const Bytes before = WorkingImage();
    dlg->Files().ImportModeFrom(file.string());
    EXPECT_NE(WorkingImage(), before);
    EXPECT_EQ(MenuEntries(*dlg).m_strUndo, QStringLiteral("Undo the import"));
    Key(dlg.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(WorkingImage(), before);
}

// A field committed with Enter, and one committed by clicking another control, are each
// their own step, apart from what the click itself does to that control.
TEST_F(UndoTest, ACommittedFieldIsOneStep) {
    auto dlg = MakeWindow();
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    dlg->ShowPage(0);
    QWidget* pPage = dlg->PageWidget(0);
    auto* pField = DlgItem<QLineEdit>(pPage, musicid::kLowFreqField);
    auto* pSlider = DlgItem<CBitmapSlider>(pPage, musicid::kHpfSlider);
    ASSERT_TRUE(pField != nullptr && pSlider != nullptr);
    const Bytes before = WorkingImage();

    QTest::mouseClick(pField, Qt::LeftButton);
    pField->selectAll();
    QTest::keyClicks(pField, "1000");
    Key(pField, Qt::Key_Return);
    const Bytes entered = WorkingImage();
    ASSERT_NE(entered, before);

    QTest::mouseClick(pField, Qt::LeftButton);
    pField->selectAll();
    QTest::keyClicks(pField, "2000");
    // The click commits the field as it takes the focus, then moves the slider a page.
    QTest::mouseClick(pSlider, Qt::LeftButton);
    QCoreApplication::processEvents();
    const Bytes clicked = WorkingImage();
    Key(pSlider, Qt::Key_Up);
    ASSERT_EQ(dlg->Undo().History().UndoCount(), 3U); // Enter, the focus change, the click

    Key(pSlider, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(WorkingImage(), clicked) << "the key's step";
    Key(pSlider, Qt::Key_Z, Qt::ControlModifier);
    const Bytes committed = WorkingImage();
    EXPECT_NE(committed, clicked) << "the click's step";
    EXPECT_NE(committed, entered) << "the field's commit stays";
    Key(pSlider, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(WorkingImage(), entered) << "the field committed by the click";
    Key(pSlider, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(WorkingImage(), before) << "the field committed with Enter";
}

TEST_F(UndoTest, APasswordChangeAndAStoreAreNoSteps) {
    auto dlg = Connect();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    auto* pSlider = DlgItem<CBitmapSlider>(&dlg->Content(), kMusicVolumeSlider);
    pSlider->setFocus();
    Key(pSlider, Qt::Key_Up); // one edit before them
    const Bytes edited = SystemBlock();

    // Each flow starts with a click on its button.
    QTest::mouseClick(&dlg->Content(), Qt::LeftButton, {}, QPoint(2, 2));
    ASSERT_TRUE(SendCodeChange(*dlg, ECode::System, "123456", "654321", "654321"));
    QTest::mouseClick(&dlg->Content(), Qt::LeftButton, {}, QPoint(2, 2));
    {
        // Mode 3 has a name: the store asks first.
        CScopedMessageBoxHandler confirm(
            [](QWidget*, const SMessageBox&) { return EMsgResult::Yes; });
        ASSERT_TRUE(StoreMode(*dlg, 3, "Party"));
    }
    ASSERT_TRUE(WaitUntil([&] { return !g_flags.m_bStoreBusy && !dlg->ProgressBox().isVisible(); },
                          kTimeoutMs));
    EXPECT_EQ(dlg->Undo().History().UndoCount(), 2U); // the read-back, the volume
    Key(pSlider, Qt::Key_Z, Qt::ControlModifier);
    const Bytes undone = SystemBlock();
    EXPECT_EQ(undone[sysblock::kMusicVolume], edited[sysblock::kMusicVolume] - 1);
    EXPECT_EQ(undone[sysblock::kMode], 3) << "the store's mode number stays";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m_sim->State().m_abSystem.data() + 19), 6),
              "654321")
        << "the processor keeps the new password";
    const SEditStep* pNext = dlg->Undo().History().NextUndo();
    ASSERT_NE(pNext, nullptr);
    EXPECT_EQ(pNext->m_pName, &kReadBackStep) << "nothing else between the read-back and the edit";
}

// --- Filter lists through the window ---

class FilterListTest : public ShellTest {
protected:
    std::filesystem::path WriteList(const char* name, const std::string& text) {
        const std::filesystem::path path = std::filesystem::path(ZOLT_TEST_OUTPUT_DIR) / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
        return path;
    }
};

TEST_F(FilterListTest, AListGoesToTheShownPairAndIsOneUndoableStep) {
    auto dlg = MakeWindow();
    dlg->show();
    dlg->ShowPage(2);
    const Bytes before = WorkingImage();
    const auto path = WriteList("mic-room.txt", "Preamp: -3.0 dB\n"
                                                "Filter 1: ON PK Fc 63 Hz Gain -5.0 dB Q 4.00\n"
                                                "Filter 2: ON HS Fc 8000 Hz Gain 2.0 dB Q 0.70\n");
    dlg->Files().ImportFiltersFrom(path.string(), kMicPair12);
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_TRUE(m_boxes[0].contains(QStringLiteral("Preamp"))) << m_boxes[0].toStdString();

    Bytes expected = before;
    SImportResult result;
    std::string error;
    ASSERT_TRUE(ImportFilterList("Filter 1: ON PK Fc 63 Hz Gain -5.0 dB Q 4.00\nFilter 2: ON HS Fc "
                                 "8000 Hz Gain 2.0 dB Q 0.70\n",
                                 kMicPair12, expected.data(), result, error))
        << error;
    EXPECT_EQ(WorkingImage(), expected);
    {
        const CImageGuard guard(ImageLock());
        EXPECT_EQ(ExportFilterList(kMicPair12, Image()),
                  ExportFilterList(kMicPair12, expected.data()));
    }

    // "&" doubled, or the menu would take it for a shortcut letter.
    EXPECT_TRUE(MenuEntries(*dlg).m_strUndo.startsWith(QStringLiteral("Undo Mic 1&&2")))
        << MenuEntries(*dlg).m_strUndo.toStdString();
    Key(dlg.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(WorkingImage(), before);

    const auto exported = std::filesystem::path(ZOLT_TEST_OUTPUT_DIR) / "mic-export.txt";
    dlg->Files().ExportFiltersTo(exported.string(), kMicPair12);
    std::ifstream in(exported);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const CImageGuard guard(ImageLock());
    EXPECT_EQ(text, ExportFilterList(kMicPair12, Image()));
}

TEST_F(FilterListTest, ABadListIsRefusedWithTheFileAndLineAndChangesNothing) {
    auto dlg = MakeWindow();
    const Bytes before = WorkingImage();
    const auto path = WriteList("bad-room.txt", "Filter 1: ON PK Fc 63 Hz Gain -5.0 dB Q 4.00\n"
                                                "Filter 2: sideways\n");
    dlg->Files().ImportFiltersFrom(path.string(), 0);
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_TRUE(m_boxes[0].startsWith(QStringLiteral("Filter list read Error\n") +
                                      QString::fromStdString(path.string())))
        << m_boxes[0].toStdString();
    EXPECT_TRUE(m_boxes[0].contains(QLatin1Char('2'))) << m_boxes[0].toStdString();
    EXPECT_EQ(WorkingImage(), before);

    m_boxes.clear();
    dlg->Files().ImportFiltersFrom(ZOLT_TEST_OUTPUT_DIR, 0); // a directory
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_TRUE(m_boxes[0].startsWith(QStringLiteral("Filter list read Error\n")));
    EXPECT_EQ(WorkingImage(), before);

    m_boxes.clear();
    dlg->Files().ExportFiltersTo("/nonexistent/dir/out.txt", 0);
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_TRUE(
        m_boxes[0].startsWith(QStringLiteral("Filter list Write Error\n/nonexistent/dir/out.txt")))
        << m_boxes[0].toStdString();
}

// The texts of the window's right-click menu on page index; those of its disabled entries
// also go to pDisabled when given.
QStringList MenuOnPage(CZoltDlg& dlg, int index, QStringList* pDisabled = nullptr) {
    dlg.ShowPage(index);
    QStringList texts;
    QTimer::singleShot(50, [&texts, pDisabled] {
        if (auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (const QAction* pAction : pMenu->actions()) {
                texts << pAction->text();
                if (pDisabled != nullptr && !pAction->isEnabled()) {
                    *pDisabled << pAction->text();
                }
            }
            pMenu->close();
        }
    });
    const QPoint corner(2, 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, corner, dlg.mapToGlobal(corner));
    QApplication::sendEvent(&dlg, &event);
    return texts;
}

TEST_F(FilterListTest, EveryPageWithAnEqualiserOffersTheListsAndTheSystemPageDoesNot) {
    auto dlg = MakeWindow();
    dlg->show();
    for (const int index : {0, 1, 2, 3, 4, 6, 7, 8, 9}) {
        EXPECT_TRUE(MenuOnPage(*dlg, index).contains(QStringLiteral("Import filters...")))
            << "page " << index;
    }
    const QStringList system = MenuOnPage(*dlg, kSystemPageIndex);
    EXPECT_FALSE(system.contains(QStringLiteral("Import filters...")));
    EXPECT_TRUE(system.contains(QStringLiteral("&About..."))) << system.join('|').toStdString();
    dlg->SetLanguage(1);
    const QStringList chinese = MenuOnPage(*dlg, 2);
    EXPECT_TRUE(chinese.contains(QStringLiteral("导出滤波器...")));
    EXPECT_TRUE(chinese.contains(QStringLiteral("关于(&A)...")));
}

// In output mode 0 ("Auto") every control of the output views is disabled, and so are
// their filter-list entries; the other pages' equalisers stay editable.
TEST_F(FilterListTest, TheOutputViewsOfferNoListInOutputModeAuto) {
    auto dlg = MakeWindow();
    dlg->show();
    const auto expectLists = [&dlg](int index, bool enabled) {
        QStringList disabled;
        const QStringList texts = MenuOnPage(*dlg, index, &disabled);
        for (const char* list : {"Import filters...", "Export filters..."}) {
            EXPECT_TRUE(texts.contains(QString::fromUtf8(list))) << "page " << index;
            EXPECT_EQ(disabled.contains(QString::fromUtf8(list)), !enabled) << "page " << index;
        }
    };
    const auto setOutputMode = [](std::uint8_t mode) {
        const CImageGuard guard(ImageLock());
        Image()[image::kOutputMode] = mode;
    };
    setOutputMode(0);
    for (const int index : {3, 4, 7, 8, 9}) {
        expectLists(index, false);
    }
    expectLists(0, true);
    setOutputMode(2);
    expectLists(3, true);
}

} // namespace
} // namespace zolt
