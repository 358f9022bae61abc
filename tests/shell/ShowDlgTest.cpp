#include "ShellFixture.h"

#include "link/Command.h"
#include "link/Notify.h"
#include "shell/Show_Dlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
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

TEST_F(ProgressTest, TheBarSaysWhatIsUnderWayAndClosesAtItsLastStep) {
    Box().Start(24);
    EXPECT_TRUE(Box().isVisible());
    EXPECT_FALSE(WindowTakesInput());
    EXPECT_EQ(Box().Bar()->maximum(), 24);
    EXPECT_FALSE(Box().CancelButton()->isVisible()); // a read-back cannot stop part way
    EXPECT_EQ(Box().windowTitle(), QStringLiteral("Data transmission"));
    for (int step = 1; step < 23; ++step) {
        Notify().ProgressStep(step, cmd::kReadName, static_cast<std::uint8_t>(step - 1));
    }
    Notify().ProgressStep(23, cmd::kReadSystem, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(Box().Bar()->value(), 23);
    EXPECT_TRUE(Box().isVisible());
    EXPECT_TRUE(Box().Text()->isVisible());
    EXPECT_TRUE(
        Box().Text()->text().startsWith(QStringLiteral("Reading the system settings, about ")))
        << Box().Text()->text().toStdString();
    EXPECT_TRUE(Box().Text()->text().endsWith(QStringLiteral(" s left")));
    // The comm thread reports the last step; the box closes on the window's thread.
    std::thread comm([] { Notify().ProgressStep(24, cmd::kReadMode, 0); });
    comm.join();
    ASSERT_TRUE(WaitUntil([&] { return !Box().isVisible(); }));
    EXPECT_TRUE(WindowTakesInput());
}

TEST_F(ProgressTest, ATransferOfAllModesOffersCancelOnce) {
    int cancels = 0;
    g_flags.m_nLanguage = 1;
    Box().Start(21, [&] { ++cancels; });
    EXPECT_TRUE(Box().CancelButton()->isVisible());
    EXPECT_EQ(Box().CancelButton()->text(), QStringLiteral("取消"));
    Box().Step(7, cmd::kReadMode, 7);
    EXPECT_TRUE(Box().Text()->text().startsWith(QStringLiteral("正在读取模式 7/21，还剩约 ")))
        << Box().Text()->text().toStdString();
    QTest::mouseClick(Box().CancelButton(), Qt::LeftButton);
    QTest::mouseClick(Box().CancelButton(), Qt::LeftButton);
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(Box().CancelButton()->isEnabled());
    EXPECT_EQ(Box().Text()->text(), QStringLiteral("正在停止：当前帧完成后结束"));
    Box().Step(8, cmd::kReadMode, 8);
    EXPECT_EQ(Box().Text()->text(), QStringLiteral("正在停止：当前帧完成后结束"));
    Box().Finish();
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
