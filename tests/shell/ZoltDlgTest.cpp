#include "ShellFixture.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/DialogTemplate.h"
#include "controls/Edit_Static.h"
#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "eq/CFStatic.h"
#include "pages/EQDlg.h"
#include "pages/EqStripBank.h"
#include "pages/MainDlg.h"
#include "pages/PageBase.h"
#include "pages/SysData.h"
#include "shell/Show_Dlg.h"
#include "shell/Zolt.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zolt {
namespace {

constexpr int kMusicSlider = 3820;
constexpr int kMusicLabel = 3810;
constexpr int kMusicMute = 4000;
constexpr int kMicSlider = 3821;
constexpr int kProgramName = 3830;
constexpr int kConnectButton = 3831;
constexpr int kLanguageButton = 3832;

template <class T> T& Item(CZoltDlg& dlg, int id) {
    T* item = DlgItem<T>(&dlg.Content(), id);
    EXPECT_NE(item, nullptr) << "control " << id;
    return *item;
}

QString ProgramName(CZoltDlg& dlg) {
    return Item<CFontStatic>(dlg, kProgramName).Text();
}

// A key on a volume slider, as the user presses it; the slider posts its notice.
void PressOnSlider(CZoltDlg& dlg, int id, Qt::Key key) {
    QTest::keyClick(&Item<CBitmapSlider>(dlg, id), key);
    QCoreApplication::processEvents();
}

TEST_F(ShellTest, TheLocaleChoosesTheFirstLanguage) {
    EXPECT_EQ(LanguageOfLocale(QLocale(QLocale::Chinese, QLocale::China)), 1);
    EXPECT_EQ(LanguageOfLocale(QLocale(QLocale::Chinese, QLocale::Taiwan)), 0);
    EXPECT_EQ(LanguageOfLocale(QLocale(QLocale::English, QLocale::UnitedStates)), 0);

    g_flags.m_nLanguage = 1;
    auto chinese = MakeWindow();
    EXPECT_EQ(chinese->Tabs().ItemText(9), QString::fromUtf8("系统"));
    EXPECT_EQ(Item<CBitButton>(*chinese, kLanguageButton).text(), QStringLiteral("English"));
    EXPECT_EQ(ProgramName(*chinese), QString::fromUtf8("脱机"));
    EXPECT_EQ(chinese->windowTitle(), QStringLiteral("Zolt " ZOLT_VERSION));

    g_flags.m_nLanguage = 0;
    auto english = MakeWindow();
    EXPECT_EQ(english->Tabs().ItemText(2), QStringLiteral("Mic"));
    EXPECT_EQ(Item<CBitButton>(*english, kLanguageButton).text(), QString::fromUtf8("中文"));
    EXPECT_EQ(Item<CBitButton>(*english, kConnectButton).text(), QStringLiteral("Connect"));
}

TEST_F(ShellTest, TheLanguageButtonSwitchesEveryCaption) {
    auto dlg = MakeWindow();
    QTest::mouseClick(&Item<CBitButton>(*dlg, kLanguageButton), Qt::LeftButton);
    EXPECT_EQ(g_flags.m_nLanguage, 1);
    EXPECT_EQ(dlg->Tabs().ItemText(0), QString::fromUtf8("音乐"));
    EXPECT_EQ(Item<CFontStatic>(*dlg, 3801).Text(), QString::fromUtf8("话筒音量"));
    EXPECT_EQ(Item<CBitButton>(*dlg, kConnectButton).text(), QString::fromUtf8("联机"));
    QTest::mouseClick(&Item<CBitButton>(*dlg, kLanguageButton), Qt::LeftButton);
    EXPECT_EQ(g_flags.m_nLanguage, 0);
    EXPECT_EQ(Item<CFontStatic>(*dlg, 3800).Text(), QStringLiteral("Music Vol"));
}

// The tooltip of every control that a field-binding row names, anywhere in the window (the
// volume strip, every page, the effect page's panels, every EQ strip), by control.
std::vector<std::pair<QWidget*, QString>> BoundToolTips(CZoltDlg& dlg) {
    std::vector<std::pair<QWidget*, const CFieldBinder*>> binders;
    for (CPageBase* page : dlg.findChildren<CPageBase*>()) {
        binders.emplace_back(page, &page->Fields());
    }
    for (CEQDlg* strip : dlg.findChildren<CEQDlg*>()) {
        binders.emplace_back(strip, &strip->Fields());
    }
    std::vector<std::pair<QWidget*, QString>> tips;
    for (const auto& [widget, binder] : binders) {
        for (const SFieldBinding& row : binder->Rows()) {
            for (const int id : {row.m_nSlider, row.m_nField, row.m_nCombo, row.m_nButton}) {
                if (QWidget* control = id != 0 ? DlgItem(widget, id) : nullptr) {
                    tips.emplace_back(control, control->toolTip());
                }
            }
        }
    }
    return tips;
}

TEST_F(ShellTest, EveryControlThatEditsASettingNamesItInTheWindowsLanguage) {
    auto dlg = MakeWindow();
    const auto english = BoundToolTips(*dlg);
    ASSERT_GT(english.size(), 300u);
    for (const auto& [control, tip] : english) {
        EXPECT_FALSE(tip.isEmpty()) << control->objectName().toStdString() << " in "
                                    << control->parentWidget()->metaObject()->className();
    }
    dlg->SetLanguage(1);
    const auto chinese = BoundToolTips(*dlg);
    ASSERT_EQ(chinese.size(), english.size());
    for (std::size_t i = 0; i < chinese.size(); ++i) {
        EXPECT_FALSE(chinese[i].second.isEmpty());
        EXPECT_NE(chinese[i].second, english[i].second);
    }
    auto* mic = qobject_cast<CPageBase*>(dlg->PageWidget(2));
    ASSERT_NE(mic, nullptr);
    EXPECT_TRUE(mic->Display().toolTip().contains(QString::fromUtf8("滚轮")));
    dlg->SetLanguage(0);
    EXPECT_TRUE(mic->Display().toolTip().contains("Right-drag a point sideways: Q"));
    CEQDlg& strip = mic->Strips().Strip(2);
    EXPECT_EQ(strip.GainField()->toolTip(),
              QString::fromUtf8("Mic 1&2 EQ band 3 gain, \u221224…+12 dB"));
    EXPECT_EQ(Item<CBitmapSlider>(*dlg, kMusicSlider).toolTip(), "Music volume, 0…84");
    EXPECT_EQ(Item<CBitButton>(*dlg, kMusicMute).toolTip(), "Music mute: OFF / ON");
}

TEST_F(ShellTest, TheSystemPageIsShownFirstAndEveryTabShowsItsPage) {
    // Left to right: the page index each tab shows, its caption and, for an output view, the
    // channel the output page then shows.
    struct STab {
        int m_nPage;
        const char* m_pszCaption;
        int m_nChannel;
    };
    constexpr STab kTabs[] = {
        {0, "Music", 0},  {1, "DEQ", 0},     {2, "Mic", 0},  {6, "Effect", 0},    {3, "Out1&2", 13},
        {4, "Out3&4", 9}, {7, "Center", 10}, {8, "SUB", 11}, {9, "Surround", 14}, {5, "System", 0},
    };
    Image()[OutputSetOffset(1) + 2 * output::kSize + output::kLimiter] = 20; // Center's
    auto dlg = MakeWindow();
    dlg->show();
    EXPECT_EQ(dlg->CurrentPage(), kSystemPageIndex);
    EXPECT_EQ(dlg->Tabs().CurrentIndex(), 9);
    EXPECT_TRUE(dlg->IsSystemPageShown());
    ASSERT_EQ(dlg->Tabs().ItemCount(), 10);

    auto* output = qobject_cast<CMainDlg*>(dlg->PageWidget(3));
    ASSERT_NE(output, nullptr);
    EXPECT_STREQ(PageRow(9).m_caption.In(1), "环绕");
    for (int tab = 0; tab < 10; ++tab) {
        const STab& expected = kTabs[tab];
        EXPECT_EQ(dlg->Tabs().ItemText(tab), QString::fromUtf8(expected.m_pszCaption));
        QTest::mouseClick(&dlg->Tabs(), Qt::LeftButton, {}, dlg->Tabs().ItemRect(tab).center());
        EXPECT_EQ(dlg->CurrentPage(), expected.m_nPage) << "tab " << tab;
        QWidget* shown = dlg->PageWidget(expected.m_nPage);
        for (int other = 0; other < kPageCount; ++other) {
            EXPECT_EQ(dlg->PageWidget(other)->isVisible(), dlg->PageWidget(other) == shown)
                << "tab " << tab << ", page " << other;
        }
        if (shown == output) {
            EXPECT_EQ(output->View(), expected.m_nPage);
            EXPECT_EQ(output->Strips().Block(), expected.m_nChannel) << "tab " << tab;
            EXPECT_EQ(output->Display().Block(), expected.m_nChannel) << "tab " << tab;
            EXPECT_EQ(DlgItem(output, outputid::kSync)->isVisibleTo(output),
                      expected.m_nChannel != 10 && expected.m_nChannel != 11);
        }
        if (expected.m_nPage == 7) {
            EXPECT_EQ(DlgItem<CEdit_Static>(output, outputid::kLimitLevelLabel)->Text(), "-2dB");
        }
    }
    EXPECT_EQ(DlgItem<CBitButton>(output, outputid::kSecondChannel)->text(), "Surround R");
    dlg->ShowPage(4);
    EXPECT_EQ(dlg->Tabs().CurrentIndex(), 5);
    EXPECT_EQ(DlgItem<CBitButton>(output, outputid::kSecondChannel)->text(), "Out 3");
    EXPECT_FALSE(dlg->IsSystemPageShown());
    dlg->ShowPage(6);
    EXPECT_EQ(dlg->Tabs().CurrentIndex(), 3);
    EXPECT_TRUE(dlg->PageWidget(6)->isVisible());
    EXPECT_FALSE(output->isVisible());
}

TEST_F(ShellTest, EveryTabCaptionFitsItsTabInBothLanguages) {
    auto dlg = MakeWindow();
    dlg->show();
    CEnTabCtrl& tabs = dlg->Tabs();
    for (int language : {0, 1}) {
        dlg->SetLanguage(language);
        const QFontMetrics metrics(tabs.font());
        for (int tab = 0; tab < tabs.ItemCount(); ++tab) {
            const QString text = tabs.ItemText(tab);
            const int room = tabs.ItemRect(tab).width() - 6; // the caption's inset
            EXPECT_EQ(metrics.elidedText(text, Qt::ElideRight, room), text)
                << "tab " << tab << " in language " << language;
            EXPECT_LE(metrics.horizontalAdvance(text), room);
        }
        EXPECT_LT(tabs.ItemRect(tabs.ItemCount() - 1).right(), tabs.width())
            << "the last tab ends inside the bar";
    }
}

TEST_F(ShellTest, AVolumeSliderStopsAtItsLimitAndReleasesTheMute) {
    System()[sysblock::kMusicMax] = 40;
    System()[sysblock::kMusicVolume] = 20;
    auto dlg = MakeWindow();
    dlg->show();
    CBitButton& mute = Item<CBitButton>(*dlg, kMusicMute);
    EXPECT_EQ(Item<CBitmapSlider>(*dlg, kMusicSlider).Pos(), 20);

    QTest::mouseClick(&mute, Qt::LeftButton);
    EXPECT_EQ(mute.Checked(), 1);
    EXPECT_EQ(System()[sysblock::kMusicVolume], 0x80 | 20);
    QTest::mouseClick(&mute, Qt::LeftButton);
    EXPECT_EQ(System()[sysblock::kMusicVolume], 20);
    QTest::mouseClick(&mute, Qt::LeftButton);

    PressOnSlider(*dlg, kMusicSlider, Qt::Key_End); // the slider's maximum, 84
    EXPECT_EQ(Item<CBitmapSlider>(*dlg, kMusicSlider).Pos(), 40);
    EXPECT_EQ(Item<CEdit_Static>(*dlg, kMusicLabel).Text(), QStringLiteral("40"));
    EXPECT_EQ(System()[sysblock::kMusicVolume], 40);
    EXPECT_EQ(mute.Checked(), 0);

    PressOnSlider(*dlg, kMicSlider, Qt::Key_Up);
    EXPECT_EQ(System()[sysblock::kMicVolume], Item<CBitmapSlider>(*dlg, kMicSlider).Pos());
}

TEST_F(ShellTest, LoweringALimitLowersOnlyTheVolumesAboveIt) {
    System()[sysblock::kMusicVolume] = 0x80 | 60;
    System()[sysblock::kMicVolume] = 30;
    auto dlg = MakeWindow();
    System()[sysblock::kMusicMax] = 50;
    System()[sysblock::kMicMax] = 30;
    dlg->ClampVolumes();
    EXPECT_EQ(System()[sysblock::kMusicVolume], 50);
    EXPECT_EQ(Item<CBitmapSlider>(*dlg, kMusicSlider).Pos(), 50);
    EXPECT_EQ(Item<CBitButton>(*dlg, kMusicMute).Checked(), 0);
    EXPECT_EQ(System()[sysblock::kMicVolume], 30);
    System()[sysblock::kMusicMax] = 84;
    dlg->ClampVolumes();
    EXPECT_EQ(System()[sysblock::kMusicVolume], 50);
}

TEST_F(ShellTest, TheProgramNameCarriesTheModeNumber) {
    auto dlg = MakeWindow();
    SetModeName(0, "Party");
    g_flags.m_bOnline = true;
    System()[sysblock::kMode] = 17;
    dlg->ConnectionDisplay(true);
    EXPECT_EQ(ProgramName(*dlg), QStringLiteral("F1:Party"));
    EXPECT_EQ(Item<CBitButton>(*dlg, kConnectButton).text(), QStringLiteral("Disconnect"));
    EXPECT_EQ(Item<CBitButton>(*dlg, kConnectButton).Checked(), 1);
    System()[sysblock::kMode] = 5;
    dlg->ConnectionDisplay(true);
    EXPECT_EQ(ProgramName(*dlg), QStringLiteral("5:Party"));
    // A language switch keeps the name while online.
    dlg->SetLanguage(1);
    EXPECT_EQ(ProgramName(*dlg), QStringLiteral("5:Party"));
    EXPECT_EQ(Item<CBitButton>(*dlg, kConnectButton).text(), QString::fromUtf8("断开"));
    g_flags.m_bOnline = false;
    dlg->ConnectionDisplay(false);
    EXPECT_EQ(ProgramName(*dlg), QString::fromUtf8("脱机"));
}

TEST_F(ShellTest, EnterAndEscapeNeverCloseTheWindow) {
    auto dlg = MakeWindow();
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    CBitButton& button = Item<CBitButton>(*dlg, kLanguageButton);
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        button.setFocus();
        QTest::keyClick(&button, key);
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_FALSE(button.hasFocus()) << key;
    }
    EXPECT_EQ(g_flags.m_nLanguage, 0); // Enter did not press the focused button
}

// The content's place in the window, and whether each scroll bar shows.
struct SContentView {
    QPoint m_ptContent;
    bool m_bHorizontalBar;
    bool m_bVerticalBar;
};
SContentView ViewOf(CZoltDlg& dlg) {
    QCoreApplication::processEvents();
    return {dlg.Content().mapTo(&dlg, QPoint()),
            dlg.ScrollArea().horizontalScrollBar()->isVisible(),
            dlg.ScrollArea().verticalScrollBar()->isVisible()};
}

// The place of every control of every page, in its page; each one shown lies inside its page
// (a hidden panel of the effect page is placed when it is shown).
std::vector<QRect> ControlPlaces(CZoltDlg& dlg) {
    std::vector<QRect> places;
    for (int index = 0; index < kPageCount; ++index) {
        const QWidget* page = dlg.PageWidget(index);
        for (const QWidget* control : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            EXPECT_TRUE(control->isHidden() || page->rect().contains(control->geometry()))
                << "page " << index << ": " << control->metaObject()->className();
            places.push_back(control->geometry());
        }
    }
    return places;
}

TEST_F(ShellTest, TheWindowResizesAroundItsContentAndScrollsOnlyWhenSmaller) {
    auto dlg = MakeWindow({}, QSize(1280, 1024));
    const QSize content = dlg->Content().size();
    EXPECT_EQ(dlg->size(), content) << "a 1280 x 1024 screen holds the whole window";
    EXPECT_FALSE(dlg->Scrollable());
    EXPECT_NE(dlg->minimumSize(), dlg->maximumSize());
    dlg->show();
    SContentView view = ViewOf(*dlg);
    EXPECT_EQ(view.m_ptContent, QPoint(0, 0));
    EXPECT_FALSE(view.m_bHorizontalBar || view.m_bVerticalBar);

    // Larger: the content keeps its size and layout, centred.
    const QRect page = dlg->PageWidget(0)->geometry();
    const std::vector<QRect> places = ControlPlaces(*dlg);
    dlg->resize(content + QSize(400, 200));
    view = ViewOf(*dlg);
    EXPECT_EQ(view.m_ptContent, QPoint(200, 100));
    EXPECT_FALSE(view.m_bHorizontalBar || view.m_bVerticalBar);
    EXPECT_EQ(dlg->Content().size(), content);
    EXPECT_EQ(dlg->PageWidget(0)->geometry(), page);
    EXPECT_EQ(ControlPlaces(*dlg), places);

    // Smaller than the content in height only: one scroll bar.
    dlg->resize(content.width() + 40, content.height() - 200);
    view = ViewOf(*dlg);
    EXPECT_TRUE(dlg->Scrollable());
    EXPECT_TRUE(view.m_bVerticalBar);
    EXPECT_FALSE(view.m_bHorizontalBar);
    EXPECT_GT(dlg->ScrollArea().verticalScrollBar()->maximum(), 0);

    // A small screen starts the window as large as the screen leaves room for.
    auto small = MakeWindow({}, QSize(1024, 600));
    EXPECT_EQ(small->size(), StartWindowSize(QSize(1024, 600), content));
    EXPECT_LE(small->width(), 1024);
    EXPECT_LE(small->height(), 600);
    EXPECT_TRUE(small->Scrollable());
    EXPECT_EQ(StartWindowSize(QSize(1920, 1080), content), content);
}

TEST_F(ShellTest, WithNoProcessorTheUserIsToldOnce) {
    auto dlg = MakeWindow({"/nonexistent/ttyUSB9"});
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }));
    QTest::qWait(100);
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_TRUE(m_boxes[0].startsWith(
        QStringLiteral("Unable to Open Device!\n/nonexistent/ttyUSB9: no such device")))
        << m_boxes[0].toStdString();
    EXPECT_FALSE(g_flags.m_bOnline);
    EXPECT_FALSE(dlg->ProgressBox().isVisible());
    EXPECT_TRUE(WindowTakesInput());
}

TEST_F(ShellTest, ABoxRaisedOnTheCommThreadIsShownOnTheWindowsThread) {
    auto dlg = MakeWindow({"/nonexistent/ttyUSB9"});
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }));
    m_boxes.clear();
    std::thread comm([&] { Notify().MessageBox("11", ""); }); // the link's sink: the session
    comm.join();
    EXPECT_TRUE(m_boxes.isEmpty());
    EXPECT_TRUE(WaitUntil([&] { return m_boxes == QStringList{QStringLiteral("11")}; }))
        << m_boxes.join('|').toStdString();
}

// The user picks a FIFO named like a preset in the Import dialog. Should the window open it,
// it would wait for a writer: a helper plays one after a while, so a frozen window fails the
// test instead of hanging it.
TEST_F(ShellTest, ImportingAFifoNamedLikeAPresetNeitherFreezesNorChangesAnything) {
    auto dlg = MakeWindow({"/nonexistent/ttyUSB9"});
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }));
    m_boxes.clear();
    const std::filesystem::path fifo =
        std::filesystem::absolute(ZOLT_TEST_OUTPUT_DIR) / "shell-import-pipe.dia";
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<std::uint8_t> image(Image(), Image() + kImageSize);

    const CFileDialogAnswer answer(fifo);
    std::atomic<bool> done{false};
    std::atomic<bool> unblocked{false};
    std::thread writer([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!done) {
            unblocked = true;
            ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
        }
    });
    dlg->ImportMode();
    done = true;
    writer.join();

    EXPECT_FALSE(unblocked) << "the window blocked on the FIFO";
    EXPECT_EQ(m_boxes, QStringList{QString::fromStdString("File read Error\n" + fifo.string() +
                                                          ": is a pipe (FIFO), not a file")});
    EXPECT_EQ(std::vector<std::uint8_t>(Image(), Image() + kImageSize), image);
}

} // namespace
} // namespace zolt
