// The Music page end to end: the program finds a simulated processor on a pseudo-terminal
// and reads it back, the user edits on the page, and the link brings the processor up to
// date. What the processor received is read from its frame log.
#include "pages/MusicDlg.h"

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "link/Connection.h"
#include "link/DeviceLink.h"
#include "model/Command.h"
#include "model/Defaults.h"
#include "pages/MusicData.h"

#include "TestSupport.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zolt {
namespace {

using namespace std::chrono_literals;
using namespace musicid;

class CNoPageApi : public CPageApi {
public:
    void SendCommand(int, int) override {}
    void ClampVolumes() override {}
    void ShowConnection() override {}
    void ShowCurrentPage() override {}
    std::array<std::uint8_t, 12> MeterValues(int) const override { return {}; }
    void ExportMode() override {}
    void ImportMode() override {}
    void ExportAllModes() override {}
    void ImportAllModes() override {}
};

// One frame of the processor's log: command, parameter, payload.
struct SLogged {
    int m_nCommand;
    int m_nParameter;
    std::vector<int> m_anPayload;
};

// Every frame the log holds: "<ms> FF 55 Llo Lhi command parameter payload... sum".
std::vector<SLogged> ReadLog(const std::string& strPath) {
    std::vector<SLogged> frames;
    std::ifstream file(strPath);
    std::string strLine;
    while (std::getline(file, strLine)) {
        std::istringstream fields(strLine);
        long long nMs = 0;
        fields >> nMs;
        std::vector<int> anBytes;
        std::string strByte;
        while (fields >> strByte) {
            anBytes.push_back(std::stoi(strByte, nullptr, 16));
        }
        if (anBytes.size() >= 7) {
            frames.push_back(
                {anBytes[4], anBytes[5], std::vector<int>(anBytes.begin() + 6, anBytes.end() - 1)});
        }
    }
    return frames;
}

bool IsPoll(const SLogged& frame) {
    return frame.m_nCommand == 12 || frame.m_nCommand == 24;
}

class MusicOverPty : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        ResetMusicView();
        std::filesystem::create_directories(ZOLT_TEST_OUTPUT_DIR);
        m_strLog = std::string(ZOLT_TEST_OUTPUT_DIR) + "/music-sim-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
        std::filesystem::remove(m_strLog);
    }
    void TearDown() override {
        m_pPage.reset();
        if (m_pConnection != nullptr) {
            m_pConnection->Disconnect();
        }
        m_pConnection.reset();
        if (m_pProcessor != nullptr) {
            m_pProcessor->Stop();
        }
        ResetProcessData();
    }

    // Starts the processor, finds it, reads it back and shows the page.
    void Connect(sim::SSimState state = sim::MakeFactoryState()) {
        sim::SSimOptions options = test::FastLine();
        options.m_strLogPath = m_strLog;
        m_pProcessor = std::make_unique<sim::CSimServer>(sim::SSimFaults{}, state, options);
        std::string strError;
        ASSERT_TRUE(m_pProcessor->Start(strError)) << strError;
        m_pConnection = std::make_unique<CConnection>(m_link, m_clock);
        m_pConnection->SetNamedPorts({m_pProcessor->Path()}, true);
        m_pConnection->Lookup();
        test::SPosted posted{};
        ASSERT_TRUE(m_sink.Take({msg::kProbeAnswered}, posted));
        m_pConnection->OnProbeAnswered();
        ASSERT_TRUE(m_sink.Take({msg::kImageReplaced}, posted)); // the read-back is done
        m_pPage = std::make_unique<CMusicDlg>(m_api, nullptr);
        m_pPage->show();
        QApplication::processEvents();
    }

    void Click(int nButton) {
        QTest::mouseClick(DlgItem<CBitButton>(m_pPage.get(), nButton), Qt::LeftButton);
        QApplication::processEvents();
    }
    void Key(int nControl, Qt::Key key) {
        QWidget* pWidget = FindDlgItem(m_pPage.get(), nControl);
        pWidget->setFocus();
        QTest::keyClick(pWidget, key);
        QApplication::processEvents();
    }

    // Waits until the processor holds the working image and the system block, bytes
    // [nSkipFrom, nSkipTo) of the image aside; false after ten seconds.
    bool WaitForProcessor(std::size_t nSkipFrom = 0, std::size_t nSkipTo = 0) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < deadline) {
            const sim::SSimState state = m_pProcessor->State();
            CImageGuard guard(ImageLock());
            bool bSame = std::equal(System(), System() + kSystemSize, state.m_abSystem.begin());
            for (std::size_t i = 0; i < kImageSize && bSame; ++i) {
                bSame = (i >= nSkipFrom && i < nSkipTo) || state.m_abImage[i] == Image()[i];
            }
            if (bSame) {
                return true;
            }
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
    // The frames logged since the last call, polls left out.
    std::vector<SLogged> NewFrames() {
        std::vector<SLogged> all = ReadLog(m_strLog);
        std::vector<SLogged> fresh;
        for (std::size_t i = m_nLogged; i < all.size(); ++i) {
            if (!IsPoll(all[i])) {
                fresh.push_back(all[i]);
            }
        }
        m_nLogged = all.size();
        return fresh;
    }
    // Lets a few polls pass, so every change before now has been sent.
    void WaitForPolls() {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        const std::size_t nStart = ReadLog(m_strLog).size();
        while (std::chrono::steady_clock::now() < deadline) {
            const std::vector<SLogged> all = ReadLog(m_strLog);
            if (all.size() >= nStart + 3 && IsPoll(all.back()) && IsPoll(all[all.size() - 2])) {
                return;
            }
            std::this_thread::sleep_for(20ms);
        }
        ADD_FAILURE() << "the link never fell back to polling";
    }

    test::CFastClock m_clock;
    test::CRecordingSink m_sink;
    CDeviceLink m_link{m_clock};
    CNoPageApi m_api;
    std::string m_strLog;
    std::size_t m_nLogged = 0;
    std::unique_ptr<sim::CSimServer> m_pProcessor;
    std::unique_ptr<CConnection> m_pConnection;
    std::unique_ptr<CMusicDlg> m_pPage;
};

TEST_F(MusicOverPty, EditsReachTheProcessorAsTheirFrames) {
    sim::SSimState state = sim::MakeFactoryState();
    state.m_abSystem[9] = 0x3C;
    ASSERT_NO_FATAL_FAILURE(Connect(state));
    WaitForPolls();
    NewFrames();

    Click(kRight);
    {
        // Held so that the link finds the three edits together and sends them in its
        // priority order; the page's own writes take the same (recursive) lock.
        CImageGuard guard(ImageLock());
        Key(kLimitLevelSlider, Qt::Key_End); // 553 = 34, whichever channel is shown
        Key(kHpfSlope, Qt::Key_End);         // Music Right's high-pass slope 727 = 12
        Key(kKeySlider, Qt::Key_Home);       // system byte 9: 0x3C -> 0x0C
    }
    ASSERT_TRUE(WaitForProcessor());

    std::uint8_t abLimiter[4];
    std::uint8_t abHighPass[4];
    {
        CImageGuard guard(ImageLock());
        std::copy_n(Image() + 553, 4, abLimiter);
        std::copy_n(Image() + 724, 4, abHighPass);
        EXPECT_EQ(abLimiter[0], 34);
        EXPECT_EQ(abHighPass[3], 12);
        EXPECT_EQ(System()[9], 0x0C);
    }
    // One frame per edit, in the link's priority order rather than the order of the edits.
    const std::vector<SLogged> frames = NewFrames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].m_nCommand, 4); // filter item 1: Music Right's pair, high-pass first
    EXPECT_EQ(frames[0].m_nParameter, 1);
    EXPECT_EQ(frames[0].m_anPayload, std::vector<int>(abHighPass, abHighPass + 4));
    EXPECT_EQ(frames[1].m_nCommand, 7); // limiter item 7: Music Left
    EXPECT_EQ(frames[1].m_nParameter, 7);
    EXPECT_EQ(frames[1].m_anPayload, std::vector<int>(abLimiter, abLimiter + 4));
    EXPECT_EQ(frames[2].m_nCommand, 9); // the key: high nibble as parameter
    EXPECT_EQ(frames[2].m_nParameter, 0);
    EXPECT_EQ(frames[2].m_anPayload, (std::vector<int>{0, 0}));
}

TEST_F(MusicOverPty, UnlinkingSendsOnlyTheLinkFlag) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    WaitForPolls();
    NewFrames();

    Click(kSync);
    Key(kLowHarmonic, Qt::Key_End);         // Music Left 706 = 9 while linked
    Key(kGateThresholdSlider, Qt::Key_End); // 557 = 60
    ASSERT_TRUE(WaitForProcessor());
    std::vector<SLogged> frames = NewFrames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].m_nCommand, 135);
    EXPECT_EQ(frames[0].m_anPayload, std::vector<int>{1});

    Click(kSync);
    WaitForPolls();
    frames = NewFrames();
    ASSERT_EQ(frames.size(), 1u) << "no frame for the 164 copied bytes";
    EXPECT_EQ(frames[0].m_nCommand, 135);
    EXPECT_EQ(frames[0].m_nParameter, 1);
    EXPECT_EQ(frames[0].m_anPayload, std::vector<int>{0});
    {
        CImageGuard guard(ImageLock());
        EXPECT_TRUE(std::equal(Image() + 553, Image() + 717, Image() + 717));
        EXPECT_EQ(Image()[870], 9);
    }
    // Everything but Music Right, which the processor carries along by itself.
    EXPECT_TRUE(WaitForProcessor(image::kMusicRight, image::kMusicLink));
}

} // namespace
} // namespace zolt
