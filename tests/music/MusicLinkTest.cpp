// The Music page end to end: the program finds a simulated processor on a pseudo-terminal
// and reads it back, the user edits on the page, and the link brings the processor up to
// date. What the processor received is read from its frame log.
#include "MusicTestSupport.h"

#include "link/Connection.h"
#include "link/DeviceLink.h"
#include "model/Command.h"
#include "model/Defaults.h"
#include "pages/MusicData.h"

#include "TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace zolt {
namespace {

using namespace std::chrono_literals;
using namespace musicid;

// The frames of the processor's log that are not polls, as command, parameter, payload;
// a line reads "<ms> FF 55 Llo Lhi command parameter payload... sum  # command name".
std::vector<std::vector<int>> ReadLog(const std::string& strPath) {
    std::vector<std::vector<int>> frames;
    std::ifstream file(strPath);
    std::string strLine;
    while (std::getline(file, strLine)) {
        std::istringstream fields(strLine);
        std::string strField;
        fields >> strField; // the time
        std::vector<int> anBytes;
        while (fields >> strField && strField != "#") {
            anBytes.push_back(std::stoi(strField, nullptr, 16));
        }
        frames.emplace_back(anBytes.begin() + 4, anBytes.end() - 1);
    }
    return frames;
}

bool IsPoll(const std::vector<int>& frame) {
    return frame[0] == 12 || frame[0] == 24;
}

bool WaitUntil(const std::function<bool()>& done) {
    for (const auto deadline = std::chrono::steady_clock::now() + 10s;
         std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(20ms)) {
        if (done()) {
            return true;
        }
    }
    return false;
}

class MusicOverPty : public test::CMusicPageUser {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        ResetMusicView();
        std::filesystem::create_directories(ZOLT_TEST_OUTPUT_DIR);
        std::filesystem::remove(m_strLog);
    }
    void TearDown() override {
        m_pPage.reset();
        m_connection.Disconnect();
        m_processor.Stop();
        ResetProcessData();
    }

    // Finds the processor, reads it back and shows the page.
    void Connect() {
        std::string strError;
        ASSERT_TRUE(m_processor.Start(strError)) << strError;
        m_connection.SetNamedPorts({m_processor.Path()}, true);
        m_connection.Lookup();
        test::SPosted posted{};
        ASSERT_TRUE(m_sink.Take({msg::kProbeAnswered}, posted));
        m_connection.OnProbeAnswered();
        ASSERT_TRUE(m_sink.Take({msg::kImageReplaced}, posted)); // the read-back is done
        ShowPage();
    }
    // True once the processor holds the working image (Music Right aside when asked) and
    // the system block.
    bool ProcessorMatches(bool bWithMusicRight = true) const {
        const sim::SSimState state = m_processor.State();
        CImageGuard guard(ImageLock());
        for (std::size_t i = 0; i < kImageSize; ++i) {
            const bool bRight = i >= image::kMusicRight && i < image::kMusicLink;
            if ((bWithMusicRight || !bRight) && state.m_abImage[i] != Image()[i]) {
                return false;
            }
        }
        return std::equal(System(), System() + kSystemSize, state.m_abSystem.begin());
    }
    // The frames since the last call once the link has gone back to polling, polls left out.
    std::vector<std::vector<int>> FramesSent() {
        const std::size_t nStart = ReadLog(m_strLog).size();
        EXPECT_TRUE(WaitUntil([&] {
            const auto all = ReadLog(m_strLog);
            return all.size() >= nStart + 3 && IsPoll(all.back()) && IsPoll(all[all.size() - 2]);
        }));
        const auto all = ReadLog(m_strLog);
        std::vector<std::vector<int>> fresh;
        std::copy_if(all.begin() + static_cast<std::ptrdiff_t>(m_nSeen), all.end(),
                     std::back_inserter(fresh), [](const auto& f) { return !IsPoll(f); });
        m_nSeen = all.size();
        return fresh;
    }

    std::string m_strLog = std::string(ZOLT_TEST_OUTPUT_DIR) + "/music-sim.log";
    std::size_t m_nSeen = 0;
    test::CFastClock m_clock;
    test::CRecordingSink m_sink;
    CDeviceLink m_link{m_clock};
    sim::CSimServer m_processor{{}, sim::MakeFactoryState(), [this] {
                                    sim::SSimOptions options = test::FastLine();
                                    options.m_strLogPath = m_strLog;
                                    return options;
                                }()};
    CConnection m_connection{m_link, m_clock};
};

TEST_F(MusicOverPty, EditsArriveAsTheirFramesAndUnlinkingSendsOnlyTheFlag) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    FramesSent(); // the read-back
    ASSERT_TRUE(ProcessorMatches());

    Click(kRight);
    {
        // Held so that the link finds the three edits together and sends them in its
        // priority order; the page's own writes take the same (recursive) lock.
        CImageGuard guard(ImageLock());
        Keys(kLimitLevelSlider, Qt::Key_End); // 553 = 34, whichever channel is shown
        Keys(kHpfSlope, Qt::Key_End);         // Music Right's high-pass slope 727 = 12
        Keys(kKeySlider, Qt::Key_Home);       // the key's nibble of system byte 9 = 0
    }
    std::vector<std::vector<int>> frames = FramesSent();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], (std::vector<int>{4, 1, 0, Image()[725], Image()[726], 12}));
    EXPECT_EQ(frames[1], (std::vector<int>{7, 7, 34, Image()[554], Image()[555], Image()[556]}));
    EXPECT_EQ(frames[2], (std::vector<int>{9, 0, 0, 0}));
    EXPECT_TRUE(ProcessorMatches());

    Click(kSync);
    Keys(kLowHarmonic, Qt::Key_End); // Music Left 706 = 9 while linked
    frames = FramesSent();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], (std::vector<int>{135, 1, 1}));
    EXPECT_EQ(frames[1][0], 18);
    EXPECT_EQ(frames[1][1], 4);

    Click(kSync);
    frames = FramesSent();
    EXPECT_EQ(frames, (std::vector<std::vector<int>>{{135, 1, 0}}))
        << "no frame for the 164 copied bytes";
    EXPECT_TRUE(std::equal(Image() + 553, Image() + 717, Image() + 717));
    EXPECT_TRUE(ProcessorMatches(false)); // Music Right the processor carries along itself
}

} // namespace
} // namespace zolt
