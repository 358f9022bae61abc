// What the window remembers between runs and where it keeps its folders, its page keys, the
// About box's language and what the top strip says while a processor is being read.
#include "shell/AboutDlg.h"
#include "ShellFixture.h"
#include "shell/UserSettings.h"

#include "controls/BitButton.h"
#include "controls/ControlFactory.h"
#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "controls/Language.h"
#include "controls/MessageBox.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace zolt {
namespace {

constexpr int kProgramName = 3830;
constexpr int kLanguageButton = 3832;

// Each test starts with nothing remembered, in a folder of its own as the current directory.
class WindowMemoryTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        QFile::remove(SettingsFile());
        m_strStartDir = QDir::currentPath();
        ASSERT_TRUE(m_cwd.isValid());
        QDir::setCurrent(m_cwd.path());
    }
    void TearDown() override {
        QDir::setCurrent(m_strStartDir);
        QFile::remove(SettingsFile());
    }

    std::unique_ptr<CZoltDlg> RememberingWindow(bool bLanguageGiven = false) {
        SZoltOptions options;
        options.m_screenSize = kLargeScreen;
        options.m_bNamedPortsOnly = true;
        options.m_bRemember = true;
        options.m_bLanguageGiven = bLanguageGiven;
        return std::make_unique<CZoltDlg>(std::move(options));
    }

    QString m_strStartDir;
    QTemporaryDir m_cwd;
};

TEST_F(WindowMemoryTest, AFreshWindowComesBackAsTheLastOneWasLeft) {
    {
        auto first = RememberingWindow();
        EXPECT_EQ(first->CurrentPage(), kSystemPageIndex) << "nothing remembered yet";
        first->show();
        first->resize(900, 640);
        first->ShowPage(2);
        QTest::mouseClick(DlgItem<CBitButton>(&first->Content(), kLanguageButton), Qt::LeftButton);
        ASSERT_EQ(g_flags.m_nLanguage, 1);
        first->close();
    }
    g_flags.m_nLanguage = 0;
    auto second = RememberingWindow();
    EXPECT_EQ(second->size(), QSize(900, 640));
    EXPECT_EQ(second->CurrentPage(), 2);
    EXPECT_EQ(second->Tabs().CurrentIndex(), TabOfPage(2));
    EXPECT_EQ(g_flags.m_nLanguage, 1);
    EXPECT_EQ(second->Tabs().ItemText(0), QString::fromUtf8("音乐"));
    second.reset();

    // A language given on the command line wins over the remembered one.
    g_flags.m_nLanguage = 0;
    auto given = RememberingWindow(true);
    EXPECT_EQ(g_flags.m_nLanguage, 0);
    EXPECT_EQ(given->CurrentPage(), 2);
}

TEST_F(WindowMemoryTest, AWindowThatDoesNotRememberNeitherReadsNorWrites) {
    {
        auto remembering = RememberingWindow();
        remembering->ShowPage(4);
    }
    ASSERT_TRUE(QFile::exists(SettingsFile()));
    const QByteArray before = [] {
        QFile file(SettingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    auto forgetful = MakeWindow();
    EXPECT_EQ(forgetful->CurrentPage(), kSystemPageIndex);
    forgetful->ShowPage(6);
    forgetful->close();
    QFile file(SettingsFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST_F(WindowMemoryTest, EachFileDialogStartsInItsOwnLastFolderElseMusicFileElseDocuments) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QTemporaryDir presets;
    QTemporaryDir lists;
    {
        CUserSettings settings(true);
        EXPECT_EQ(settings.StartFolder(EFileKind::OneMode), documents);
        ASSERT_TRUE(QDir(m_cwd.path()).mkdir(QStringLiteral("MusicFile")));
        const QString musicFile = QDir(m_cwd.path()).filePath(QStringLiteral("MusicFile"));
        EXPECT_EQ(QDir(settings.StartFolder(EFileKind::AllModes)).canonicalPath(),
                  QDir(musicFile).canonicalPath());
        settings.ChoseFile(EFileKind::OneMode, presets.filePath(QStringLiteral("party.dia")));
        settings.ChoseFile(EFileKind::FilterList, lists.filePath(QStringLiteral("room.txt")));
    }
    CUserSettings next(true);
    EXPECT_EQ(next.StartFolder(EFileKind::OneMode), presets.path());
    EXPECT_EQ(next.StartFolder(EFileKind::FilterList), lists.path());
    EXPECT_TRUE(next.StartFolder(EFileKind::AllModes).endsWith(QStringLiteral("/MusicFile")));

    // A remembered folder that has gone falls back.
    ASSERT_TRUE(presets.remove());
    EXPECT_TRUE(next.StartFolder(EFileKind::OneMode).endsWith(QStringLiteral("/MusicFile")));
    EXPECT_EQ(CUserSettings(false).StartFolder(EFileKind::FilterList),
              QDir(m_cwd.path()).filePath(QStringLiteral("MusicFile")));
}

TEST_F(WindowMemoryTest, TheModeFolderIsMadeInTheDataFolderNeverInTheCurrentDirectory) {
    ASSERT_TRUE(MakeModeFolder());
    EXPECT_TRUE(QFileInfo(DataFolder() + QStringLiteral("/Mode")).isDir());
    EXPECT_FALSE(DataFolder().startsWith(m_cwd.path()));
    EXPECT_TRUE(QDir(m_cwd.path()).isEmpty()) << "nothing made in the current directory";
    EXPECT_TRUE(MakeModeFolder()) << "an existing folder is kept";
}

TEST_F(WindowMemoryTest, ControlKeysStepThroughTheTabsAndJumpToEach) {
    auto dlg = MakeWindow();
    dlg->show();
    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    const auto press = [&dlg](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(dlg.get(), key, modifiers);
        return dlg->Tabs().CurrentIndex();
    };
    const int first = dlg->Tabs().CurrentIndex();
    EXPECT_EQ(press(Qt::Key_Tab, Qt::ControlModifier), (first + 1) % kPageCount);
    EXPECT_EQ(press(Qt::Key_PageDown, Qt::ControlModifier), (first + 2) % kPageCount);
    EXPECT_EQ(press(Qt::Key_PageUp, Qt::ControlModifier), (first + 1) % kPageCount);
    EXPECT_EQ(press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier), first);
    EXPECT_EQ(press(Qt::Key_1, Qt::ControlModifier), 0);
    EXPECT_EQ(press(Qt::Key_PageUp, Qt::ControlModifier), kPageCount - 1) << "wraps around";
    EXPECT_EQ(press(Qt::Key_0, Qt::ControlModifier), 9);
    EXPECT_EQ(press(Qt::Key_Tab, Qt::ControlModifier), 0) << "wraps around";
    EXPECT_EQ(press(Qt::Key_5, Qt::ControlModifier), 4);
    EXPECT_EQ(dlg->CurrentPage(), PageRows()[4].m_nIndex) << "the tab's page is shown";
}

TEST_F(WindowMemoryTest, TheAboutBoxSpeaksTheWindowsLanguage) {
    const auto about = [] {
        CAboutDlg dlg(nullptr);
        QStringList texts{dlg.windowTitle()};
        for (const QLabel* label : dlg.findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                texts << label->text();
            }
        }
        return texts;
    };
    const QString program = QLatin1String(kProgramTitle);
    EXPECT_TRUE(program.startsWith(QStringLiteral("Zolt ")));
    g_flags.m_nLanguage = 0;
    EXPECT_EQ(about(), (QStringList{QStringLiteral("About"), program}));
    g_flags.m_nLanguage = 1;
    EXPECT_EQ(about(),
              (QStringList{QString::fromUtf8("关于"), program + QString::fromUtf8(" 版")}));
}

class ConnectingTest : public SimShellTest {};

// Until the processor's first name arrives the top strip says it is connecting, never a bare
// mode number.
TEST_F(ConnectingTest, TheTopStripSaysConnectingUntilTheFirstNameArrives) {
    SetModeName(0, "Stale");
    sim::SSimState state = sim::MakeFactoryState();
    auto dlg = Connect({}, std::move(state));
    QStringList seen;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const QString text = DlgItem<CFontStatic>(&dlg->Content(), kProgramName)->Text();
            if (seen.isEmpty() || seen.back() != text) {
                seen << text;
            }
            return dlg->StartupSettled();
        },
        kTimeoutMs));
    ASSERT_GE(seen.size(), 2) << seen.join('|').toStdString();
    const qsizetype connecting = seen.indexOf(QStringLiteral("Connecting…"));
    EXPECT_GE(connecting, 0) << seen.join('|').toStdString();
    for (qsizetype i = 0; i < seen.size() - 1; ++i) {
        EXPECT_FALSE(seen[i].contains(QLatin1Char(':'))) << seen.join('|').toStdString();
    }
    EXPECT_TRUE(seen.back().contains(QLatin1Char(':'))) << seen.join('|').toStdString();
    EXPECT_FALSE(seen.back().contains(QStringLiteral("Stale")));
}

} // namespace
} // namespace zolt
