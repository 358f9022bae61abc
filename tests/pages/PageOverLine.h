// A page end to end: the program finds a simulated processor and reads it back, the user
// edits on the page, and the link brings the processor up to date. The processor is on a
// line in virtual time, and the session runs the link turn by turn; what the processor
// received is read from its record of frames.
#pragma once

#include "PageUser.h"
#include "VirtualSession.h"

#include "model/Defaults.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <vector>

namespace zolt::test {

template <class TPage> class CPageOverLine : public CPageUser<TPage> {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
    }
    void TearDown() override {
        this->m_pPage.reset();
        m_v.Session().Disconnect();
        ResetProcessData();
    }

    // Finds the processor, reads it back and shows the page.
    void Connect() {
        using namespace std::chrono_literals;
        m_v.Open();
        ASSERT_TRUE(m_v.RunUntil([&] { return m_v.ReadBack(); }, 1min));
        this->ShowPage();
    }
    // True once the processor holds the working image, except the bytes [nSkipFrom,
    // nSkipTo) (what the processor carries along itself), and the system block.
    bool ProcessorMatches(std::size_t nSkipFrom = 0, std::size_t nSkipTo = 0) {
        const sim::SSimState state = m_v.Device().State();
        CImageGuard guard(ImageLock());
        for (std::size_t i = 0; i < kImageSize; ++i) {
            const bool bSkipped = i >= nSkipFrom && i < nSkipTo;
            if (!bSkipped && state.m_abImage[i] != Image()[i]) {
                return false;
            }
        }
        return std::equal(System(), System() + kSystemSize, state.m_abSystem.begin());
    }
    // The frames since the last call once the link has gone back to polling, polls left
    // out: command, parameter and payload of each.
    std::vector<std::vector<int>> FramesSent() {
        using namespace std::chrono_literals;
        const std::size_t nStart = Received().size();
        EXPECT_TRUE(m_v.RunUntil(
            [&] {
                const auto all = Received();
                return all.size() >= nStart + 3 && IsPollFrame(all.back()) &&
                       IsPollFrame(all[all.size() - 2]);
            },
            1min));
        const auto all = Received();
        std::vector<std::vector<int>> fresh;
        std::copy_if(all.begin() + static_cast<std::ptrdiff_t>(m_nSeen), all.end(),
                     std::back_inserter(fresh), [](const auto& f) { return !IsPollFrame(f); });
        m_nSeen = all.size();
        return fresh;
    }
    // Every frame the processor took: command, parameter, payload.
    std::vector<std::vector<int>> Received() {
        std::vector<std::vector<int>> frames;
        for (const sim::SWireFrame& frame : m_v.Device().Frames()) {
            frames.emplace_back(frame.m_abBytes.begin() + 4, frame.m_abBytes.end() - 1);
        }
        return frames;
    }

    std::size_t m_nSeen = 0;
    CVirtualSession m_v;
};

} // namespace zolt::test
