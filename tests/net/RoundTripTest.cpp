// Answer windows over a network, in virtual time: a simulated processor whose answers come
// a round trip late (the delay lies on the way; it goes on taking frames), reached once as
// a network port (which says how long its connection took to set up) and once as a local
// line. Over the network every frame is answered within its stretched window, so nothing
// is written twice; the local line keeps its exact windows.
#include "VirtualSession.h"

#include "link/NetworkPort.h"
#include "model/Command.h"

#include <gtest/gtest.h>

namespace zolt::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kRoom = "room";

// A simulated line as a network port presents it: the same bytes, and the time its
// connection took to set up.
class CNetworkLine final : public CTransport {
public:
    CNetworkLine(std::unique_ptr<CTransport> line, Milliseconds setUp)
        : m_pLine(std::move(line)), m_nSetUp(setUp) {}
    SPortResult Write(const std::uint8_t* bytes, std::size_t count) override {
        return m_pLine->Write(bytes, count);
    }
    SPortResult BytesWaiting() override { return m_pLine->BytesWaiting(); }
    SPortResult Read(std::uint8_t* buffer, std::size_t capacity) override {
        return m_pLine->Read(buffer, capacity);
    }
    void Purge() override { m_pLine->Purge(); }
    EPortEvent Wait(Milliseconds timeout) override { return m_pLine->Wait(timeout); }
    void RequestStop() override { m_pLine->RequestStop(); }
    bool StopRequested() const override { return m_pLine->StopRequested(); }
    Milliseconds RoundTrip() const override { return m_nSetUp; }

private:
    std::unique_ptr<CTransport> m_pLine;
    Milliseconds m_nSetUp;
};

class CNetworkLines final : public CTransportOpener {
public:
    CNetworkLines(CTransportOpener& lines, Milliseconds setUp) : m_lines(lines), m_nSetUp(setUp) {}
    std::unique_ptr<CTransport> Open(const std::string& name, SOpenFailure& failure) override {
        std::unique_ptr<CTransport> line = m_lines.Open(name, failure);
        return line != nullptr ? std::make_unique<CNetworkLine>(std::move(line), m_nSetUp)
                               : nullptr;
    }

private:
    CTransportOpener& m_lines;
    Milliseconds m_nSetUp;
};

class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override { ResetProcessData(); }
    void TearDown() override { ResetProcessData(); }

    // A processor whose answers come roundTrip late, reached as kRoom over a network port
    // whose connection took setUp to open (zero: a local line).
    struct SRoom {
        SRoom(Milliseconds roundTrip, Milliseconds setUp)
            : m_network(m_lines, setUp),
              m_session(m_host,
                        {&m_clock,
                         setUp > 0ms ? static_cast<CTransportOpener*>(&m_network) : &m_lines,
                         true,
                         {kRoom},
                         true}) {
            sim::SSimFaults faults;
            faults.m_nDelayMs = static_cast<int>(roundTrip.count());
            faults.m_bOverlap = true;
            m_lines.Add(kRoom, faults);
        }
        bool RunUntil(const std::function<bool()>& done) {
            const Milliseconds end = m_clock.Now() + 30min;
            for (;;) {
                m_host.RunTasks();
                if (done()) {
                    return true;
                }
                if (m_host.m_nLinkEnded > 0 || !m_session.Online() || m_clock.Now() > end) {
                    return false;
                }
                m_session.Turn();
            }
        }
        // How much the answer window of the next frame in flight is stretched (turns run
        // until a frame awaits its answer).
        Milliseconds Stretch() {
            for (int turn = 0; turn < 100; ++turn) {
                {
                    CImageGuard guard(ImageLock());
                    const SFrameRecord& frame = m_session.Link().CurrentFrame();
                    if (frame.m_bAwaiting != 0) {
                        return m_session.Link().WaitTimeout() -
                               (frame.m_bBulk != 0 ? 2000ms : 500ms);
                    }
                }
                m_session.Turn();
                m_host.RunTasks();
            }
            return -1ms;
        }
        // The most times one frame was written.
        int MostTransmissions() {
            int most = 0;
            const sim::CSimDevice& device = *m_lines.Device(kRoom);
            for (const sim::SWireFrame& frame : device.Frames()) {
                most = std::max(most, device.TimesTaken(frame.Command(), frame.Parameter()));
            }
            return most;
        }

        CVirtualClock m_clock;
        sim::CSimOpener m_lines{m_clock};
        CNetworkLines m_network;
        CRecordingHost m_host;
        CSession m_session;
    };
};

TEST_F(RoundTrip, OverANetworkEveryWindowStretchesByTheProbesRoundTrip) {
    // The connection's set-up (TCP and TLS handshakes) took two round trips.
    SRoom room(1200ms, 2400ms);
    room.m_session.Lookup();
    EXPECT_EQ(room.Stretch(), 2400ms); // the probe's window: by the set-up's time
    ASSERT_TRUE(room.RunUntil([&] { return room.m_host.m_nImages > 0; }));
    // The probe's answer timed the way there and back: the windows stretch by that.
    const Milliseconds probed = room.Stretch();
    EXPECT_GE(probed, 1200ms);
    EXPECT_LT(probed, 1300ms);

    room.m_session.ReadAllModes();
    ASSERT_TRUE(room.RunUntil([&] { return room.m_host.m_nAllModes > 0; }));
    EXPECT_EQ(room.MostTransmissions(), 1); // every answer came within its window
    const sim::SSimState state = room.m_lines.Device(kRoom)->State();
    CImageGuard guard(ImageLock());
    for (std::size_t mode = 1; mode <= kModeCount; ++mode) {
        EXPECT_TRUE(
            std::equal(state.m_aModes[mode].begin(), state.m_aModes[mode].end(), Slot(mode)))
            << "mode " << mode;
    }
}

TEST_F(RoundTrip, ALocalLineKeepsItsExactWindows) {
    SRoom room(1200ms, 0ms);
    room.m_session.Lookup();
    EXPECT_EQ(room.Stretch(), 0ms);
    room.RunUntil([&] { return room.m_host.m_nImages > 0; });
    EXPECT_EQ(room.Stretch(), 0ms);
    // Answers 1.2 s late fall outside the windows: frames go out again.
    EXPECT_GT(room.MostTransmissions(), 1);
}

} // namespace
} // namespace zolt::test
