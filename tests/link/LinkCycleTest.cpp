#include "LinkTestSupport.h"

#include "model/Layout.h"

#include <gtest/gtest.h>

#include <thread>

namespace zolt::test {
namespace {

using std::chrono_literals::operator""ms;
using Pauses = std::vector<Milliseconds>;

class LinkCycleTest : public CLinkTest {
protected:
    // The processor answers every transmission of command with the given statuses, in
    // turn (the last one repeats); other frames get the default answers.
    void Reject(std::uint8_t command, std::vector<std::uint8_t> statuses) {
        m_port.m_responder = [this, command, statuses,
                              sent = std::size_t{0}](const Bytes& frame) mutable {
            if (frame[kCommandOffset] != command) {
                return m_port.Answer(frame);
            }
            const std::uint8_t status = statuses[std::min(sent++, statuses.size() - 1)];
            return std::vector<CScriptedProcessor::SChunk>{{Ack(command, status)}};
        };
    }
    void Silence() {
        m_port.m_responder = [](const Bytes&) { return std::vector<CScriptedProcessor::SChunk>{}; };
    }
    static Pauses IdleWait() { return Pauses(5, 100ms); }
    static Pauses Join(std::initializer_list<Pauses> parts) {
        Pauses all;
        for (const Pauses& p : parts) {
            all.insert(all.end(), p.begin(), p.end());
        }
        return all;
    }
};

TEST_F(LinkCycleTest, AnAcceptedAnswerEmptiesBothRecordsAndTheNextFrameFollows) {
    Image()[BandOffset(5, 1) + band::kGain] = 100;
    RunCycle(m_link, m_port, 2);
    EXPECT_EQ(WrittenCommands(m_port), (std::vector<std::uint8_t>{3, 12}));
    const SFrameRecord& current = m_link.CurrentFrame();
    EXPECT_EQ(current.m_bAwaiting, 0);
    EXPECT_EQ(current.m_abFrame[kCommandOffset], 0);
    EXPECT_EQ(current.m_abFrame[0], 0xFF); // the start mark stays for the next pass
    EXPECT_EQ(m_link.ReceiveRecord().m_nWriteIndex, 0);
    EXPECT_TRUE(m_clock.Pauses().empty()); // answers came at once
}

TEST_F(LinkCycleTest, ARejectedFrameIsResentAfterTheIdleWait) {
    Image()[BandOffset(5, 1) + band::kGain] = 100;
    Reject(3, {2, 0});
    RunCycle(m_link, m_port, 3);
    EXPECT_EQ(WrittenCommands(m_port), (std::vector<std::uint8_t>{3, 3, 12}));
    EXPECT_EQ(m_port.m_aWrites[0], m_port.m_aWrites[1]);
    EXPECT_EQ(m_clock.Pauses(), IdleWait());
    EXPECT_TRUE(m_sink.PostsOf(msg::kPortFailure).empty());
}

TEST_F(LinkCycleTest, StatusFourAndAboveIsAccepted) {
    Image()[BandOffset(5, 1) + band::kGain] = 100;
    Reject(3, {4});
    RunCycle(m_link, m_port, 2);
    EXPECT_EQ(WrittenCommands(m_port), (std::vector<std::uint8_t>{3, 12}));
}

TEST_F(LinkCycleTest, TheThirdRejectionEndsTheLinkWithAPortFailure) {
    Image()[BandOffset(5, 1) + band::kGain] = 100;
    Reject(3, {1});
    RunCycle(m_link, m_port, 10);
    EXPECT_EQ(WrittenCommands(m_port), (std::vector<std::uint8_t>{3, 3, 3}));
    EXPECT_EQ(m_port.m_nStopRequests, 1);
    EXPECT_EQ(m_sink.PostsOf(msg::kPortFailure), (std::vector<SPost>{{msg::kPortFailure, 1, 0}}));
    EXPECT_EQ(m_clock.Pauses(), Join({IdleWait(), IdleWait(), IdleWait()}));
    EXPECT_EQ(m_link.CurrentFrame().m_abFrame[kCommandOffset], 0);
}

TEST_F(LinkCycleTest, ASilentPortFailsTheProbeWithTheProbeFlag) {
    Silence();
    m_link.Build(127, 0);
    RunCycle(m_link, m_port, 10);
    EXPECT_EQ(WrittenCommands(m_port), (std::vector<std::uint8_t>{127, 127, 127}));
    EXPECT_EQ(m_sink.PostsOf(msg::kPortFailure), (std::vector<SPost>{{msg::kPortFailure, 1, 1}}));
}

TEST_F(LinkCycleTest, AnAcknowledgementOfTheProbeStartsNoReadBack) {
    m_port.m_responder = [](const Bytes&) {
        return std::vector<CScriptedProcessor::SChunk>{{Ack(127, 0)}};
    };
    m_link.Build(127, 0);
    RunCycle(m_link, m_port, 1);
    EXPECT_TRUE(m_sink.PostsOf(msg::kProbeAnswered).empty());
    EXPECT_TRUE(m_sink.PostsOf(msg::kPortFailure).empty());
}

TEST_F(LinkCycleTest, BulkFramesPauseASecondAndWaitLongerForTheirAnswer) {
    m_link.Build(130, 1);
    Silence();
    EXPECT_EQ(m_link.WaitTimeout(), 1000ms);
    m_link.NextFrameStep();
    m_link.WriteStep(m_port);
    EXPECT_EQ(m_link.WaitTimeout(), 2000ms);
    EXPECT_EQ(m_clock.Pauses(), Pauses{1000ms});
    // Each transmission repeats the pause: about ten seconds before the frame is given up.
    EXPECT_EQ(m_link.ReceiveStep(m_port), ELinkEvent::Write);
    m_link.WriteStep(m_port);
    EXPECT_EQ(m_clock.Pauses(), Join({{1000ms}, IdleWait(), {1000ms}}));
}

TEST_F(LinkCycleTest, AWholeImageWriteSettlesAndItsAnswerEndsTheStore) {
    m_link.SendCommand(132, 0);
    ASSERT_TRUE(g_flags.m_bStoreBusy);
    m_link.NextFrameStep();
    m_link.WriteStep(m_port);
    EXPECT_EQ(m_link.WaitTimeout(), 500ms);
    EXPECT_EQ(m_clock.Pauses(), Pauses{3000ms});
    EXPECT_EQ(m_link.ReceiveStep(m_port), ELinkEvent::NextFrame);
    EXPECT_FALSE(g_flags.m_bStoreBusy);
}

TEST_F(LinkCycleTest, ProgressAdvancesAsEachNumberedFrameIsWritten) {
    m_link.SendCommand(130, 1);
    RunCycle(m_link, m_port, 21);
    ASSERT_EQ(m_sink.m_aProgress.size(), 22u);
    EXPECT_EQ(m_sink.m_aProgress.front(), "start 21");
    EXPECT_EQ(m_sink.m_aProgress[1], "step 1");
    EXPECT_EQ(m_sink.m_aProgress.back(), "step 21");
}

TEST_F(LinkCycleTest, AFailingReadAllowsOneResendThenFails) {
    Image()[BandOffset(5, 1) + band::kGain] = 100;
    m_port.m_aReadFaults = {EPortStatus::InvalidHandle, EPortStatus::InvalidHandle};
    RunCycle(m_link, m_port, 10);
    EXPECT_EQ(WrittenCommands(m_port), (std::vector<std::uint8_t>{3, 3}));
    EXPECT_EQ(m_sink.PostsOf(msg::kPortFailure).size(), 1u);
}

TEST_F(LinkCycleTest, AnyOtherReadFailureCountsAsNothingRead) {
    Image()[BandOffset(5, 1) + band::kGain] = 100;
    m_port.m_aReadFaults = {EPortStatus::Failed};
    RunCycle(m_link, m_port, 2);
    EXPECT_EQ(WrittenCommands(m_port), (std::vector<std::uint8_t>{3, 12}));
    EXPECT_TRUE(m_sink.PostsOf(msg::kPortFailure).empty());
}

TEST_F(LinkCycleTest, AFailedWriteEndsTheLinkWithoutWaiting) {
    m_link.Build(132, 0);
    m_port.m_aWriteFaults = {EPortStatus::Failed};
    m_link.NextFrameStep();
    m_link.WriteStep(m_port);
    EXPECT_EQ(m_port.m_nStopRequests, 1);
    EXPECT_EQ(m_sink.PostsOf(msg::kPortFailure).size(), 1u);
    EXPECT_EQ(m_link.CurrentFrame().m_bAwaiting, 0);
    EXPECT_TRUE(m_clock.Pauses().empty());
}

TEST_F(LinkCycleTest, AnInvalidHandleOnWriteIsReportedAndTheFrameStillCountsAsWritten) {
    m_link.Build(131, 1);
    m_port.m_aWriteFaults = {EPortStatus::InvalidHandle};
    m_link.NextFrameStep();
    m_link.WriteStep(m_port);
    EXPECT_EQ(m_port.m_nStopRequests, 1);
    EXPECT_EQ(m_link.CurrentFrame().m_bAwaiting, 1);
    EXPECT_EQ(m_clock.Pauses(), Pauses{3000ms});
}

TEST_F(LinkCycleTest, ALateAcknowledgementIsNotTakenForTheNextFrames) {
    Image()[BandOffset(5, 1) + band::kGain] = 100; // frame A
    Image()[BandOffset(6, 1) + band::kGain] = 100; // frame B, the same command
    int sent = 0;
    m_port.m_responder = [&](const Bytes& frame) {
        using Chunks = std::vector<CScriptedProcessor::SChunk>;
        switch (sent++) {
        case 0: // A, first transmission: the answer comes after the resend
            return Chunks{{Ack(3), 700ms}};
        case 1: // A again: answered as well, later still
            return Chunks{{Ack(3), 300ms}};
        case 2: // B: rejected, so B must be written again
            return Chunks{{Ack(3, 2), 200ms}};
        default:
            return m_port.Answer(frame);
        }
    };
    RunCycle(m_link, m_port, 4);
    ASSERT_EQ(m_port.m_aWrites.size(), 4u);
    EXPECT_EQ(m_port.m_aWrites[0], m_port.m_aWrites[1]);
    EXPECT_EQ(m_port.m_aWrites[2][kParameterOffset], 6);
    EXPECT_EQ(m_port.m_aWrites[3], m_port.m_aWrites[2]); // B resent: A's second answer was not B's
}

TEST_F(LinkCycleTest, ADuplicateAnswerBeforeTheNextWriteIsDropped) {
    m_port.m_responder = [&](const Bytes& frame) {
        auto chunks = m_port.Answer(frame);
        if (frame[kCommandOffset] == 3) {
            chunks.push_back({Ack(3), 10ms}); // arrives after the accept, before B is written
        }
        return chunks;
    };
    Image()[BandOffset(5, 1) + band::kGain] = 100;
    Image()[BandOffset(6, 1) + band::kGain] = 100;
    m_link.NextFrameStep();
    m_link.WriteStep(m_port);
    EXPECT_EQ(m_link.ReceiveStep(m_port), ELinkEvent::NextFrame);
    m_clock.Advance(20ms); // the duplicate arrives during the turn's pause
    m_link.NextFrameStep();
    m_port.m_responder = [](const Bytes&) { return std::vector<CScriptedProcessor::SChunk>{}; };
    m_link.WriteStep(m_port);
    EXPECT_EQ(m_link.ReceiveStep(m_port), ELinkEvent::Write); // B heard nothing
}

TEST_F(LinkCycleTest, TheIdleAndSettlePausesRunWithTheImageLockReleased) {
    class CProbingClock final : public CClock {
    public:
        void Sleep(Milliseconds) override {
            std::thread other([this] {
                if (ImageLock().try_lock()) {
                    ++m_nFree;
                    ImageLock().unlock();
                }
            });
            other.join();
            ++m_nSleeps;
        }
        Milliseconds Now() const override { return Milliseconds{0}; }
        int m_nSleeps = 0;
        int m_nFree = 0;
    } clock;
    CDeviceLink link(clock);
    link.Build(132, 0);
    Silence();
    link.NextFrameStep();
    link.WriteStep(m_port);   // settle pause
    link.ReceiveStep(m_port); // idle polls
    EXPECT_EQ(clock.m_nSleeps, 6);
    EXPECT_EQ(clock.m_nFree, clock.m_nSleeps);
}

} // namespace
} // namespace zolt::test
