#include "ShellFixture.h"

#include "shell/Show_Dlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include <thread>

namespace zolt {
namespace {

class ProgressTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        m_dlg = MakeWindow({"/nonexistent/ttyUSB9"});
        m_dlg->show();
        ASSERT_TRUE(WaitUntil([&] { return m_dlg->StartupSettled(); }));
    }

    CShowDlg& Box() { return m_dlg->ProgressBox(); }

    std::unique_ptr<CZoltDlg> m_dlg;
};

TEST_F(ProgressTest, TheBarClosesAtItsLastStepAndTheWindowIsUsableAgain) {
    Box().Start(24);
    EXPECT_TRUE(Box().isVisible());
    EXPECT_FALSE(WindowTakesInput());
    EXPECT_EQ(Box().Bar()->maximum(), 24);
    EXPECT_FALSE(Box().Text()->isVisible());
    EXPECT_EQ(Box().windowTitle(), QStringLiteral("Data transmission"));
    for (int step = 1; step < 24; ++step) {
        m_dlg->ProgressStep(step);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(Box().Bar()->value(), 23);
    EXPECT_TRUE(Box().isVisible());
    // The comm thread reports the last step; the box closes on the window's thread.
    std::thread comm([this] { m_dlg->ProgressStep(24); });
    comm.join();
    ASSERT_TRUE(WaitUntil([&] { return !Box().isVisible(); }));
    EXPECT_TRUE(WindowTakesInput());
}

TEST_F(ProgressTest, TheUserCannotCloseTheBox) {
    Box().Start(3);
    Box().close();
    EXPECT_TRUE(Box().isVisible());
    QTest::keyClick(&Box(), Qt::Key_Escape);
    EXPECT_TRUE(Box().isVisible());
    EXPECT_FALSE(WindowTakesInput());
    Box().Finish();
    EXPECT_FALSE(Box().isVisible());
    EXPECT_TRUE(WindowTakesInput());
}

TEST_F(ProgressTest, TheBusyTextStaysUntilAfterTheStoreHasFinished) {
    g_flags.m_bStoreBusy = true;
    Box().Busy();
    EXPECT_EQ(Box().Text()->text(), QStringLiteral("Data transmission"));
    EXPECT_FALSE(Box().Bar()->isVisible());
    QTest::qWait(400);
    EXPECT_TRUE(Box().isVisible());
    g_flags.m_bStoreBusy = false;
    ASSERT_TRUE(WaitUntil([&] { return !Box().isVisible(); }));
    EXPECT_TRUE(WindowTakesInput());

    g_flags.m_nLanguage = 1;
    g_flags.m_bStoreBusy = true;
    Box().Busy();
    EXPECT_EQ(Box().Text()->text(), QString::fromUtf8("数据正在传输中"));
    EXPECT_EQ(Box().windowTitle(), QString::fromUtf8("数据传输"));
}

TEST_F(ProgressTest, TheReadBackBarIsNotClosedByTheEndOfTheLookup) {
    g_flags.m_bLookup = true;
    Box().Lookup();
    EXPECT_EQ(Box().windowTitle(), QStringLiteral("Device lookup "));
    EXPECT_EQ(Box().Text()->text(), QStringLiteral("Device lookup"));
    g_flags.m_bLookup = false; // the probe was answered
    Box().Start(24);
    QTest::qWait(1300);
    EXPECT_TRUE(Box().isVisible());
    EXPECT_TRUE(Box().Bar()->isVisible());

    g_flags.m_bLookup = true;
    Box().Lookup();
    g_flags.m_bLookup = false;
    ASSERT_TRUE(WaitUntil([&] { return !Box().isVisible(); }));
}

} // namespace
} // namespace zolt
