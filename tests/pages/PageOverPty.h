// A page end to end: the program finds a simulated processor on a pseudo-terminal and reads
// it back, the user edits on the page, and the link brings the processor up to date. What
// the processor received is read from its frame log.
#pragma once

#include "PageUser.h"
#include "TestSupport.h"

#include "link/Connection.h"
#include "link/DeviceLink.h"
#include "link/Notify.h"
#include "model/Defaults.h"
#include "sim/SimServer.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace zolt::test {

// The frames of the processor's log as command, parameter, payload; a line reads
// "<ms> FF 55 Llo Lhi command parameter payload... sum  # command name".
inline std::vector<std::vector<int>> ReadSimLog(const std::string& strPath) {
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

inline bool WaitUntil(const std::function<bool()>& done) {
    using namespace std::chrono_literals;
    for (const auto deadline = std::chrono::steady_clock::now() + 10s;
         std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(20ms)) {
        if (done()) {
            return true;
        }
    }
    return false;
}

template <class TPage> class CPageOverPty : public CPageUser<TPage> {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        std::filesystem::create_directories(ZOLT_TEST_OUTPUT_DIR);
        std::filesystem::remove(m_strLog);
    }
    void TearDown() override {
        this->m_pPage.reset();
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
        SPosted posted{};
        ASSERT_TRUE(m_sink.Take({msg::kProbeAnswered}, posted));
        m_connection.OnProbeAnswered();
        ASSERT_TRUE(m_sink.Take({msg::kImageReplaced}, posted)); // the read-back is done
        this->ShowPage();
    }
    // True once the processor holds the working image, except the bytes [nSkipFrom,
    // nSkipTo) (what the processor carries along itself), and the system block.
    bool ProcessorMatches(std::size_t nSkipFrom = 0, std::size_t nSkipTo = 0) const {
        const sim::SSimState state = m_processor.State();
        CImageGuard guard(ImageLock());
        for (std::size_t i = 0; i < kImageSize; ++i) {
            const bool bSkipped = i >= nSkipFrom && i < nSkipTo;
            if (!bSkipped && state.m_abImage[i] != Image()[i]) {
                return false;
            }
        }
        return std::equal(System(), System() + kSystemSize, state.m_abSystem.begin());
    }
    // The frames since the last call once the link has gone back to polling, polls left out.
    std::vector<std::vector<int>> FramesSent() {
        const std::size_t nStart = ReadSimLog(m_strLog).size();
        EXPECT_TRUE(WaitUntil([&] {
            const auto all = ReadSimLog(m_strLog);
            return all.size() >= nStart + 3 && IsPollFrame(all.back()) &&
                   IsPollFrame(all[all.size() - 2]);
        }));
        const auto all = ReadSimLog(m_strLog);
        std::vector<std::vector<int>> fresh;
        std::copy_if(all.begin() + static_cast<std::ptrdiff_t>(m_nSeen), all.end(),
                     std::back_inserter(fresh), [](const auto& f) { return !IsPollFrame(f); });
        m_nSeen = all.size();
        return fresh;
    }

    std::string m_strLog = std::string(ZOLT_TEST_OUTPUT_DIR) + "/" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                           "-sim.log";
    std::size_t m_nSeen = 0;
    CFastClock m_clock;
    CRecordingSink m_sink;
    CDeviceLink m_link{m_clock};
    sim::CSimServer m_processor{{}, sim::MakeFactoryState(), [this] {
                                    sim::SSimOptions options = FastLine();
                                    options.m_strLogPath = m_strLog;
                                    return options;
                                }()};
    CConnection m_connection{m_link, m_clock};
};

} // namespace zolt::test
