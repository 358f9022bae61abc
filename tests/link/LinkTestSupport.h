// Test doubles for the link: a scripted processor behind the byte transport, a sink that
// records every notice, a frame maker, and a driver that runs the link cycle the way the
// comm thread does, in virtual time.
#pragma once

#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/Notify.h"
#include "link/Transport.h"
#include "model/Command.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace zolt::test {

using Bytes = std::vector<std::uint8_t>;

// A whole frame on the wire: FF 55, L, command, parameter, payload, sum.
Bytes MakeFrame(std::uint8_t command, std::uint8_t parameter, const Bytes& payload = {});
// An acknowledgement of command with status.
inline Bytes Ack(std::uint8_t command, std::uint8_t status = 0) {
    return MakeFrame(command, status);
}

struct SPost {
    unsigned m_nMessage;
    std::uintptr_t m_nWParam;
    std::intptr_t m_nLParam;
    bool operator==(const SPost&) const = default;
};

class CRecordingSink final : public CNotifySink {
public:
    void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
        m_aPosts.push_back({message, wParam, lParam});
    }
    void ProgressStart(int total) override {
        m_aProgress.push_back("start " + std::to_string(total));
    }
    void ProgressStep(int step) override { m_aProgress.push_back("step " + std::to_string(step)); }
    void ProgressBusy() override { m_aProgress.push_back("busy"); }
    void ProgressLookup() override { m_aProgress.push_back("lookup"); }
    void ProgressHide() override { m_aProgress.push_back("hide"); }
    void MessageBox(std::string_view text, std::string_view) override {
        m_aBoxes.emplace_back(text);
    }
    void RefreshProgramName() override { ++m_nNameRefreshes; }
    void ShowCurrentPage() override { ++m_nPageShows; }
    void RunAllModesExport() override { ++m_nExports; }
    bool IsSystemPageShown() const override { return m_bSystemPage; }

    // The posts of one message.
    std::vector<SPost> PostsOf(unsigned message) const;

    std::vector<SPost> m_aPosts;
    std::vector<std::string> m_aProgress;
    std::vector<std::string> m_aBoxes;
    int m_nNameRefreshes = 0;
    int m_nPageShows = 0;
    int m_nExports = 0;
    bool m_bSystemPage = false;
};

// A processor behind the transport. Every written frame is recorded with its time; the
// responder (by default a well-behaved processor) returns the chunks it sends back, each
// arriving delay ms after the write. Injected port results override the next calls.
class CScriptedProcessor final : public CTransport {
public:
    struct SChunk {
        Bytes m_abBytes;
        Milliseconds m_nDelay{0};
    };
    using Responder = std::function<std::vector<SChunk>(const Bytes& frame)>;

    explicit CScriptedProcessor(CClock& clock);

    SPortResult Write(const std::uint8_t* bytes, std::size_t count) override;
    SPortResult BytesWaiting() override;
    SPortResult Read(std::uint8_t* buffer, std::size_t capacity) override;
    void Purge() override;
    void RequestStop() override { ++m_nStopRequests; }

    // The default answers: an acknowledgement (status 0) for every frame, the replies of
    // polls, probe, names, system block, modes and recall with the data below.
    std::vector<SChunk> Answer(const Bytes& frame) const;
    // Bytes that arrive now, unasked.
    void Deliver(const Bytes& bytes, Milliseconds delay = Milliseconds{0});

    Responder m_responder;
    std::deque<EPortStatus> m_aReadFaults;  // results of the next reads
    std::deque<EPortStatus> m_aWriteFaults; // results of the next writes
    std::vector<Bytes> m_aWrites;
    std::vector<Milliseconds> m_anWriteTimes;
    int m_nStopRequests = 0;

    // What the processor holds.
    std::uint8_t m_nUnlock = 1;
    std::uint8_t m_abLevels[12];
    std::uint8_t m_abStates[12];
    std::uint8_t m_abSystem[kSystemSize];
    std::uint8_t m_abModes[kSlotCount][kImageSize]; // 0: its working image

private:
    struct SPending {
        Bytes m_abBytes;
        Milliseconds m_nAt;
    };
    CClock& m_clock;
    std::deque<SPending> m_aInput;
};

// Runs the cycle as the comm thread does: next frame, write, receive; until maxWrites
// frames have been written, or the port was asked to stop.
void RunCycle(CDeviceLink& link, CScriptedProcessor& port, std::size_t maxWrites);

// Commands of the frames written so far.
std::vector<std::uint8_t> WrittenCommands(const CScriptedProcessor& port);

// Fresh process data (all zero, shadows equal), flags clear, a recording sink installed.
class CLinkTest : public ::testing::Test {
protected:
    CLinkTest();
    ~CLinkTest() override;

    CVirtualClock m_clock;
    CRecordingSink m_sink;
    CDeviceLink m_link{m_clock};
    CScriptedProcessor m_port{m_clock};
};

} // namespace zolt::test
