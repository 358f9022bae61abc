#include "LinkTestSupport.h"

#include "model/Layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace zolt::test {
namespace {

using std::chrono_literals::operator""ms;
using Pauses = std::vector<Milliseconds>;
using Chunks = CScriptedProcessor::Chunks;

const Pauses kIdleWait(5, 100ms);

Pauses Join(std::initializer_list<Pauses> parts) {
    Pauses all;
    for (const Pauses& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

class LinkCycleTest : public CLinkTest {
protected:
    void ChangeBand(int band) { Image()[BandOffset(band, 1) + band::kGain] = 100; }
    // Every transmission of an EQ band frame is answered with the next status (the last
    // one repeats); other frames get the default answers.
    void AnswerBands(std::vector<std::uint8_t> statuses) {
        m_port.m_responder = [this, statuses, sent = std::size_t{0}](const Bytes& f) mutable {
            if (f[kCommandOffset] != 3) {
                return m_port.Answer(f);
            }
            return Chunks{{Ack(3, statuses[std::min(sent++, statuses.size() - 1)])}};
        };
    }
    void Silence() {
        m_port.m_responder = [](const Bytes&) { return Chunks{}; };
    }
    // The answers to the transmissions numbered in lost (0 = the first write) never come.
    void LoseAnswers(std::vector<int> lost) {
        m_port.m_responder = [this, lost, sent = 0](const Bytes& f) mutable {
            const bool lose = std::find(lost.begin(), lost.end(), sent++) != lost.end();
            return lose ? Chunks{} : m_port.Answer(f);
        };
    }
    std::vector<std::uint8_t> WrittenParameters() const {
        std::vector<std::uint8_t> parameters;
        for (const Bytes& frame : m_port.m_aWrites) {
            parameters.push_back(frame[kParameterOffset]);
        }
        return parameters;
    }
    static std::vector<std::uint8_t> Names(std::initializer_list<std::uint8_t> repeated) {
        std::vector<std::uint8_t> names;
        for (std::uint8_t n = 0; n < kSlotCount; ++n) {
            names.insert(names.end(), 1 + std::count(repeated.begin(), repeated.end(), n), n);
        }
        return names;
    }
};

TEST_F(LinkCycleTest, AnAcceptedAnswerClearsTheFrameAndTheNextOneFollows) {
    ChangeBand(5);
    RunCycle(m_link, m_port, 2);
    EXPECT_EQ(m_port.WrittenCommands(), (std::vector<std::uint8_t>{3, 12}));
    EXPECT_EQ(m_link.CurrentFrame().m_bAwaiting, 0);
    EXPECT_EQ(m_link.CurrentFrame().m_abFrame[kCommandOffset], 0);
    EXPECT_TRUE(m_clock.Pauses().empty());
}

TEST_F(LinkCycleTest, ARejectedFrameIsResentAndTheThirdRejectionEndsTheLink) {
    ChangeBand(5);
    AnswerBands({2, 0});
    RunCycle(m_link, m_port, 3);
    EXPECT_EQ(m_port.WrittenCommands(), (std::vector<std::uint8_t>{3, 3, 12}));
    EXPECT_EQ(m_port.m_aWrites[0], m_port.m_aWrites[1]);
    EXPECT_EQ(m_clock.Pauses(), kIdleWait);

    ChangeBand(6);
    AnswerBands({1});
    m_port.m_aWrites.clear();
    m_clock.ClearPauses();
    RunCycle(m_link, m_port, 10);
    EXPECT_EQ(m_port.WrittenCommands(), (std::vector<std::uint8_t>{3, 3, 3}));
    EXPECT_EQ(m_clock.Pauses(), Join({kIdleWait, kIdleWait, kIdleWait}));
    EXPECT_EQ(m_port.m_nStopRequests, 1);
    EXPECT_EQ(m_sink.m_aPosts, (std::vector<SPost>{{msg::kPortFailure, 1, 0}}));
}

TEST_F(LinkCycleTest, ASilentProbeFailsWithTheProbeFlag) {
    Silence();
    m_link.Build(127, 0);
    RunCycle(m_link, m_port, 10);
    EXPECT_EQ(m_port.WrittenCommands(), (std::vector<std::uint8_t>{127, 127, 127}));
    EXPECT_EQ(m_sink.m_aPosts, (std::vector<SPost>{{msg::kPortFailure, 1, 1}}));
}

TEST_F(LinkCycleTest, APortThatNeverStopsSendingIsAnsweredWithAResend) {
    class CFloodingPort final : public CTransport {
    public:
        SPortResult Write(const std::uint8_t*, std::size_t count) override {
            return {EPortStatus::Ok, count};
        }
        SPortResult BytesWaiting() override { return {EPortStatus::Ok, 64}; }
        SPortResult Read(std::uint8_t* buffer, std::size_t) override {
            if (++m_nReads > 100000) {
                return {EPortStatus::InvalidHandle, 0}; // ends the test if the link never stops
            }
            std::memset(buffer, '$', 64);
            return {EPortStatus::Ok, 64};
        }
        void Purge() override {}
        EPortEvent Wait(Milliseconds) override { return EPortEvent::Readable; }
        void RequestStop() override {}
        bool StopRequested() const override { return false; }
        int m_nReads = 0;
    } port;
    m_link.Build(127, 0);
    m_link.NextFrameStep();
    m_link.WriteStep(port);
    EXPECT_EQ(m_link.ReceiveStep(port), ELinkEvent::Write);
    EXPECT_LT(port.m_nReads, 1000);
}

TEST_F(LinkCycleTest, BulkAndSettlePausesAndTheWaitForTheAnswer) {
    EXPECT_EQ(m_link.WaitTimeout(), 1000ms);
    m_link.Build(130, 1);
    Silence();
    m_link.NextFrameStep();
    m_link.WriteStep(m_port);
    EXPECT_EQ(m_link.WaitTimeout(), 2000ms);
    EXPECT_EQ(m_link.ReceiveStep(m_port), ELinkEvent::Write);
    m_link.WriteStep(m_port); // every transmission pauses again
    EXPECT_EQ(m_clock.Pauses(), Join({{1000ms}, kIdleWait, {1000ms}}));

    m_link.OnPortOpened();
    m_clock.ClearPauses();
    m_port.m_responder = [this](const Bytes& f) { return m_port.Answer(f); };
    m_link.SendCommand(132, 0);
    m_link.NextFrameStep();
    m_link.WriteStep(m_port);
    EXPECT_EQ(m_link.WaitTimeout(), 500ms);
    EXPECT_EQ(m_clock.Pauses(), Pauses{3000ms});
    EXPECT_TRUE(g_flags.m_bStoreBusy);
    EXPECT_EQ(m_link.ReceiveStep(m_port), ELinkEvent::NextFrame);
    EXPECT_FALSE(g_flags.m_bStoreBusy);
}

TEST_F(LinkCycleTest, AFailingReadAllowsOneResendOtherReadFailuresCountAsSilence) {
    ChangeBand(5);
    // Failed counts as nothing read; the first read that finds the device gone has the
    // frame written again (the look before the resend reads nothing: Ok), the second one
    // ends the link.
    m_port.m_aReadFaults = {EPortStatus::Failed, EPortStatus::InvalidHandle, EPortStatus::Ok,
                            EPortStatus::InvalidHandle};
    RunCycle(m_link, m_port, 10);
    EXPECT_EQ(m_port.WrittenCommands(), (std::vector<std::uint8_t>{3, 3}));
    EXPECT_EQ(m_sink.Count(msg::kPortFailure), 1u);
    EXPECT_EQ(FailureText(m_link.Failure()), "the port stopped working during EQ band 5");
}

TEST_F(LinkCycleTest, AFailedWriteEndsTheLinkWithoutWaiting) {
    m_link.Build(132, 0);
    m_port.m_aWriteFaults = {EPortStatus::Failed};
    m_link.NextFrameStep();
    m_link.WriteStep(m_port);
    EXPECT_EQ(m_port.m_nStopRequests, 1);
    EXPECT_EQ(m_sink.Count(msg::kPortFailure), 1u);
    EXPECT_EQ(m_link.CurrentFrame().m_bAwaiting, 0);
    EXPECT_TRUE(m_clock.Pauses().empty());
}

TEST_F(LinkCycleTest, ALateAcknowledgementIsNotTakenForTheNextFrames) {
    ChangeBand(5); // frame A
    ChangeBand(6); // frame B, the same command
    int sent = 0;
    m_port.m_responder = [&](const Bytes& frame) {
        switch (sent++) {
        case 0: // A: answered only after it has been written again
            return Chunks{{Ack(3), 700ms}};
        case 1: // A again: answered too, later still
            return Chunks{{Ack(3), 300ms}};
        case 2: // B: rejected, so B must be written again
            return Chunks{{Ack(3, 2), 200ms}};
        default:
            return m_port.Answer(frame);
        }
    };
    RunCycle(m_link, m_port, 4);
    ASSERT_EQ(m_port.m_aWrites.size(), 4u);
    EXPECT_EQ(m_port.m_aWrites[1], m_port.m_aWrites[0]);
    EXPECT_EQ(m_port.m_aWrites[2][kParameterOffset], 6);
    EXPECT_EQ(m_port.m_aWrites[3], m_port.m_aWrites[2]); // A's second answer was not B's
}

TEST_F(LinkCycleTest, OneLostAnswerCostsExactlyOneResendOfThatFrame) {
    LoseAnswers({0}); // the first "read name 0"
    m_link.Build(128, 0);
    RunCycle(m_link, m_port, 24);
    std::vector<std::uint8_t> parameters = WrittenParameters();
    parameters.pop_back();
    EXPECT_EQ(parameters, Names({0}));              // 22 names, name 0 twice
    EXPECT_EQ(m_port.WrittenCommands().back(), 12); // then the polls
    EXPECT_EQ(Bytes(Slot(1), Slot(1) + kNameSize), Pattern(1, kNameSize));

    // Name 0 unanswered twice and name 1 once: every transmission that counted was answered.
    m_link.OnPortOpened();
    m_port.m_aWrites.clear();
    LoseAnswers({0, 1, 3});
    m_link.Build(128, 0);
    RunCycle(m_link, m_port, 25);
    EXPECT_EQ(WrittenParameters(), Names({0, 0, 1}));
    // No port failure: each run ends with the end of its commands, counting the frames
    // queued so far.
    EXPECT_EQ(m_sink.m_aPosts,
              (std::vector<SPost>{{msg::kCommandsDone, 22, 0}, {msg::kCommandsDone, 44, 0}}));
    EXPECT_EQ(Bytes(Slot(21), Slot(21) + kNameSize), Pattern(21, kNameSize));
}

TEST_F(LinkCycleTest, ALostAcknowledgementDoesNotCostTheNextFrameItsAnswer) {
    ChangeBand(5);
    ChangeBand(6);
    LoseAnswers({0});
    RunCycle(m_link, m_port, 4);
    EXPECT_EQ(m_port.WrittenCommands(), (std::vector<std::uint8_t>{3, 3, 3, 12}));
    EXPECT_EQ(m_port.m_aWrites[1], m_port.m_aWrites[0]);
    EXPECT_EQ(m_port.m_aWrites[2][kParameterOffset], 6);
    EXPECT_TRUE(m_sink.m_aPosts.empty());
}

TEST_F(LinkCycleTest, AnAnswerArrivingJustBeforeAResendIsTakenInsteadOfWritingAgain) {
    ChangeBand(5);
    m_port.m_responder = [](const Bytes&) { return Chunks{{Ack(3), 510ms}}; };
    m_link.NextFrameStep();
    m_link.WriteStep(m_port);
    EXPECT_EQ(m_link.ReceiveStep(m_port), ELinkEvent::Write); // overdue after 500 ms of polls
    m_clock.Advance(20ms); // the turn's pause: meanwhile the answer arrives
    EXPECT_EQ(m_link.WriteStep(m_port), ELinkEvent::NextFrame);
    EXPECT_EQ(m_port.m_aWrites.size(), 1u);
    EXPECT_EQ(m_link.CurrentFrame().m_bAwaiting, 0);
}

TEST_F(LinkCycleTest, ADuplicateAnswerBeforeTheNextWriteIsDropped) {
    ChangeBand(5);
    ChangeBand(6);
    m_port.m_responder = [](const Bytes&) { return Chunks{{Ack(3)}, {Ack(3), 10ms}}; };
    m_link.NextFrameStep();
    m_link.WriteStep(m_port);
    EXPECT_EQ(m_link.ReceiveStep(m_port), ELinkEvent::NextFrame);
    m_clock.Advance(20ms); // the duplicate arrives during the turn's pause
    m_link.NextFrameStep();
    Silence();
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
        void WaitFor(std::unique_lock<std::mutex>&, std::condition_variable&, Milliseconds,
                     const std::function<bool()>&) override {}
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
    EXPECT_EQ(clock.m_nFree, 6);
}

} // namespace
} // namespace zolt::test
