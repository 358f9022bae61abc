// Test doubles for the link: a scripted processor behind the byte transport, a sink that
// records every notice, and a driver that runs the link cycle as the comm thread does,
// in virtual time.
#pragma once

#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/Notify.h"
#include "link/Transport.h"
#include "model/Command.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zolt::test {

using Bytes = std::vector<std::uint8_t>;

// A whole frame on the wire: FF 55, L, command, parameter, payload, sum.
Bytes MakeFrame(std::uint8_t command, std::uint8_t parameter, const Bytes& payload = {});
inline Bytes Ack(std::uint8_t command, std::uint8_t status = 0) {
    return MakeFrame(command, status);
}
// size bytes seed, seed + 3, seed + 6, ...
Bytes Pattern(std::uint8_t seed, std::size_t size);

struct SPost {
    unsigned m_nMessage;
    std::uintptr_t m_nWParam;
    std::intptr_t m_nLParam;
    bool operator==(const SPost&) const = default;
};

class CRecordingSink final : public CNotifySink {
public:
    void Post(unsigned m, std::uintptr_t w, std::intptr_t l) override {
        m_aPosts.push_back({m, w, l});
    }
    void ProgressStart(int n) override { m_aProgress.push_back("start " + std::to_string(n)); }
    void ProgressStep(int k, std::uint8_t, std::uint8_t) override {
        m_aProgress.push_back("step " + std::to_string(k));
    }
    void ProgressBusy() override { m_aProgress.push_back("busy"); }
    void ProgressLookup() override { m_aProgress.push_back("lookup"); }
    void ProgressHide() override { m_aProgress.push_back("hide"); }
    void MessageBox(std::string_view text, std::string_view) override {
        m_aBoxes.emplace_back(text);
    }
    void ConnectionChanged() override { ++m_nNameRefreshes; }
    void ShowCurrentPage() override { ++m_nPageShows; }
    void RunAllModesExport() override { ++m_nExports; }
    bool IsSystemPageShown() const override { return m_bSystemPage; }

    std::size_t Count(unsigned message) const;

    std::vector<SPost> m_aPosts;
    std::vector<std::string> m_aProgress;
    std::vector<std::string> m_aBoxes;
    int m_nNameRefreshes = 0;
    int m_nPageShows = 0;
    int m_nExports = 0;
    bool m_bSystemPage = false;
};

// A processor behind the transport. Every written frame is recorded; the responder (by
// default Answer, a well-behaved processor) returns the chunks it sends back, each
// arriving m_nDelay after the write. Queued port results replace the next reads/writes.
class CScriptedProcessor final : public CTransport {
public:
    struct SChunk {
        Bytes m_abBytes;
        Milliseconds m_nDelay{0};
    };
    using Chunks = std::vector<SChunk>;

    explicit CScriptedProcessor(CClock& clock);

    SPortResult Write(const std::uint8_t* bytes, std::size_t count) override;
    SPortResult BytesWaiting() override;
    SPortResult Read(std::uint8_t* buffer, std::size_t capacity) override;
    void Purge() override;
    EPortEvent Wait(Milliseconds) override {
        return BytesWaiting().m_nCount > 0 ? EPortEvent::Readable : EPortEvent::TimedOut;
    }
    void RequestStop() override { ++m_nStopRequests; }
    bool StopRequested() const override { return m_nStopRequests > 0; }

    // An acknowledgement for every frame; the replies of polls, probe, names, system
    // block, modes and recall from the data below (mode n filled with Pattern(n)).
    Chunks Answer(const Bytes& frame) const;
    std::vector<std::uint8_t> WrittenCommands() const;

    std::function<Chunks(const Bytes& frame)> m_responder;
    std::deque<EPortStatus> m_aReadFaults;
    std::deque<EPortStatus> m_aWriteFaults;
    std::vector<Bytes> m_aWrites;
    int m_nStopRequests = 0;
    Bytes m_abSystem = Pattern(1, kSystemSize);

private:
    struct SPending {
        Bytes m_abBytes;
        Milliseconds m_nAt;
    };
    CClock& m_clock;
    std::deque<SPending> m_aInput;
};

// Runs next frame / write / receive until maxWrites frames are written, a step signals
// nothing, or the port was asked to stop. A receive step that signals nothing while the
// frame is still awaited (it waits afresh) is run again at once.
void RunCycle(CDeviceLink& link, CScriptedProcessor& port, std::size_t maxWrites);

// Fresh process data (all zero, shadows equal), online and connected, a recording sink.
class CLinkTest : public ::testing::Test {
protected:
    CLinkTest();
    ~CLinkTest() override;

    // Puts a frame with command and parameter in flight, written and awaited.
    void InFlight(std::uint8_t command, std::uint8_t parameter = 0);
    bool Feed(const Bytes& bytes, bool connected = true) {
        return m_link.Assemble(connected, bytes.data(), bytes.size());
    }
    const SFrameRecord& Queued(std::size_t i) const { return m_link.Queue().At(i).Record(); }

    CVirtualClock m_clock;
    CRecordingSink m_sink;
    CDeviceLink m_link{m_clock};
    CScriptedProcessor m_port{m_clock};
};

} // namespace zolt::test
