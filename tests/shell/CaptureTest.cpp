#include "ShellFixture.h"

#include "shell/Capture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace zolt {
namespace {

TEST_F(ShellTest, TheCaptureRendersEveryPageInBothLanguages) {
    auto dlg = MakeWindow({"/nonexistent/ttyUSB9"});
    dlg->show();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("shots"));

    CCapture capture(*dlg, target);
    EXPECT_TRUE(capture.RenderAll().isEmpty());
    const QStringList files = QDir(target).entryList({QStringLiteral("*.png")}, QDir::Files);
    EXPECT_EQ(files.size(), 22);
    for (const char* name : {"0-music-zh.png", "3-out1-2-en.png", "5-system-zh.png",
                             "9-surround-en.png", "window-zh.png", "window-en.png"}) {
        EXPECT_TRUE(files.contains(QString::fromLatin1(name))) << name;
    }
    const QImage window(QDir(target).filePath(QStringLiteral("window-en.png")));
    EXPECT_EQ(window.size(), dlg->size());
    // The run leaves the window as it found it: English, on the System page.
    EXPECT_EQ(g_flags.m_nLanguage, 0);
    EXPECT_EQ(dlg->CurrentPage(), kSystemPageIndex);
}

TEST_F(ShellTest, ACaptureThatCannotWriteSaysWhere) {
    auto dlg = MakeWindow({"/nonexistent/ttyUSB9"});
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }));
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("file"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    CCapture capture(*dlg, blocker);
    EXPECT_EQ(capture.RenderAll(), QStringList{blocker});
}

} // namespace
} // namespace zolt
