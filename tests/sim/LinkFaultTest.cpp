// The link against a simulated processor that answers late, at once, byte by byte, not at
// all, or with the wrong mode, in virtual time: every transfer ends complete with every
// byte in its place, or fails with a message that says why, in bounded time.
#include "VirtualSession.h"

#include "link/PresetFiles.h"
#include "model/Command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace zolt::test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kReadBackFrames = 25; // the probe, 22 names, the system block, the image

bool SameBytes(const std::uint8_t* ours, const auto& theirs, std::size_t size) {
    return std::equal(theirs.begin(), theirs.begin() + static_cast<std::ptrdiff_t>(size), ours);
}

class LinkFaults : public ::testing::Test {
protected:
    void SetUp() override { ResetProcessData(); }
    void TearDown() override { ResetProcessData(); }

    // Answers delayed by delayMs, bulk answers by bulkDelayMs more; onTheWay: the delay
    // lies on the way and the processor goes on taking frames, else it is busy meanwhile.
    static sim::SSimFaults Delayed(int delayMs, int bulkDelayMs = 0, bool onTheWay = false) {
        sim::SSimFaults faults;
        faults.m_nDelayMs = delayMs;
        faults.m_nBulkDelayMs = bulkDelayMs;
        faults.m_bOverlap = onTheWay;
        return faults;
    }

    // The program holds what the processor holds: names, system block, working image.
    static void ExpectReadBack(const sim::CSimDevice& device) {
        const sim::SSimState state = device.State();
        CImageGuard guard(ImageLock());
        EXPECT_TRUE(SameBytes(Image(), state.m_abImage, kImageSize));
        EXPECT_TRUE(SameBytes(Shadow(), state.m_abImage, kImageSize));
        EXPECT_TRUE(SameBytes(System(), state.m_abSystem, kSystemSize));
        for (std::size_t n = 1; n <= kModeCount; ++n) {
            EXPECT_TRUE(SameBytes(Slot(n), state.m_aModes[n], kNameSize)) << "name " << n;
        }
    }

    static void ExpectStoreHoldsTheProcessorsModes(const sim::CSimDevice& device) {
        const sim::SSimState state = device.State();
        CImageGuard guard(ImageLock());
        for (std::size_t n = 1; n <= kModeCount; ++n) {
            EXPECT_TRUE(SameBytes(Slot(n), state.m_aModes[n], kImageSize)) << "mode " << n;
        }
    }

    // No frame was written more than three times.
    static void ExpectAtMostThreeTransmissions(const sim::CSimDevice& device) {
        for (const sim::SWireFrame& frame : device.Frames()) {
            EXPECT_LE(device.TimesTaken(frame.Command(), frame.Parameter()), 3)
                << FrameName(frame.Command(), frame.Parameter());
        }
    }

    static std::string Why(CVirtualSession& comm) {
        return FailureText(comm.Link().Failure()) + " | " + TransferText(comm.Link().Transfer());
    }

    // An all-modes file of the factory state with every mode and the system block changed.
    std::string EditedFile(sim::SSimState& edited) {
        edited = sim::MakeFactoryState();
        edited.m_abSystem[sysblock::kMusicMax] = 50;
        for (std::size_t mode = 1; mode <= kModeCount; ++mode) {
            edited.m_aModes[mode][600] = static_cast<std::uint8_t>(mode * 5);
        }
        const auto dir = std::filesystem::path(ZOLT_TEST_OUTPUT_DIR) / "link-faults";
        std::filesystem::create_directories(dir);
        // One file per test: ctest runs the tests of this program side by side.
        const std::string path =
            (dir / (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                    ".dat"))
                .string();
        const Bytes bytes = sim::AllModesFile(edited);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
};

// Answers late by up to 2.5 s on the way (the processor goes on taking frames): late
// answers to earlier transmissions arrive while later frames wait for theirs.
TEST_F(LinkFaults, TheReadBackCompletesWhateverTheDelayOnTheWay) {
    for (int delay = 0; delay <= 2500; delay += 50) {
        SCOPED_TRACE("answers " + std::to_string(delay) + " ms late");
        ResetProcessData();
        CVirtualSession comm(Delayed(delay, 0, true));
        comm.Open();
        ASSERT_TRUE(comm.RunUntil([&] { return comm.ReadBack(); }, 10min)) << Why(comm);
        ExpectReadBack(comm.Device());
        ExpectAtMostThreeTransmissions(comm.Device());
        if (delay <= 950) { // within the answer window: nothing is written twice
            EXPECT_EQ(comm.Device().Frames().size(), kReadBackFrames);
        }
        // Each frame waits for its own answer and no longer.
        EXPECT_LT(comm.m_clock.Now(), kReadBackFrames * (Milliseconds(delay) + 300ms) + 1s);
        EXPECT_TRUE(comm.m_host.m_aBoxes.empty());
    }
}

// A processor that takes up to 2.5 s over each frame, one after another: beyond the answer
// window the resends queue up in it, and the read-back either still completes or fails
// saying which frame went unanswered, in bounded time.
TEST_F(LinkFaults, TheReadBackFromASlowProcessorCompletesOrFailsClearly) {
    for (int delay = 0; delay <= 2500; delay += 50) {
        SCOPED_TRACE("answers " + std::to_string(delay) + " ms late");
        ResetProcessData();
        CVirtualSession comm(Delayed(delay));
        comm.Open();
        const bool done = comm.RunUntil([&] { return comm.ReadBack(); }, 10min);
        ExpectAtMostThreeTransmissions(comm.Device());
        if (done) {
            ExpectReadBack(comm.Device());
        } else {
            ASSERT_TRUE(comm.Failed());
            EXPECT_EQ(FailureText(comm.Link().Failure()).rfind("no answer to ", 0), 0u)
                << Why(comm);
        }
        EXPECT_TRUE(done || delay > 1000);
        EXPECT_LT(comm.m_clock.Now(), kReadBackFrames * 3 * 1100ms);
        EXPECT_TRUE(comm.m_host.m_aBoxes.empty());
    }
}

TEST_F(LinkFaults, AReadOfAllModesEndsCompleteOrFailsSayingWhereWhateverTheBulkDelay) {
    for (const bool onTheWay : {true, false}) {
        for (int delay = 0; delay <= 12000; delay += 500) {
            SCOPED_TRACE("mode replies " + std::to_string(delay) + " ms late" +
                         (onTheWay ? " on the way" : ""));
            ResetProcessData();
            CVirtualSession comm(Delayed(0, delay, onTheWay));
            comm.Open();
            ASSERT_TRUE(comm.RunUntil([&] { return comm.ReadBack(); }, 1min));
            comm.Link().SendCommand(cmd::kReadMode, 1);
            const bool done = comm.RunUntil([&] { return comm.m_host.m_nAllModes > 0; }, 30min);
            ExpectAtMostThreeTransmissions(comm.Device());
            EXPECT_TRUE(comm.m_host.m_aBoxes.empty());
            if (done) {
                ExpectStoreHoldsTheProcessorsModes(comm.Device());
                EXPECT_EQ(comm.m_host.m_nAllModes, 1);
            } else {
                ASSERT_TRUE(comm.Failed());
                EXPECT_EQ(FailureText(comm.Link().Failure()).rfind("no answer to read mode ", 0),
                          0u);
                EXPECT_EQ(TransferText(comm.Link().Transfer())
                              .rfind("The read of all modes stopped at mode ", 0),
                          0u);
                EXPECT_EQ(comm.m_host.m_nAllModes, 0);
            }
            // The bulk answer window is about 3.5 s; three transmissions wait 10.5 s.
            EXPECT_TRUE(done || delay > (onTheWay ? 10000 : 3000)) << Why(comm);
            EXPECT_TRUE(!done || delay <= 11000);
            EXPECT_LT(comm.m_clock.Now(), 21 * 3 * 5s);
        }
    }
}

TEST_F(LinkFaults, ARestoreEndsCompleteOrSaysWhatReachedTheProcessorWhateverTheBulkDelay) {
    sim::SSimState edited;
    const std::string file = EditedFile(edited);
    for (const bool onTheWay : {true, false}) {
        for (int delay = 0; delay <= 12000; delay += 1000) {
            SCOPED_TRACE("write acknowledgements " + std::to_string(delay) + " ms late" +
                         (onTheWay ? " on the way" : ""));
            ResetProcessData();
            CVirtualSession comm(Delayed(0, delay, onTheWay));
            comm.Open();
            ASSERT_TRUE(comm.RunUntil([&] { return comm.ReadBack(); }, 1min));
            ASSERT_TRUE(ImportAllModes(file, comm.Link()));
            const bool done = comm.RunUntil([&] { return comm.Drained(); }, 30min);
            ExpectAtMostThreeTransmissions(comm.Device());
            const sim::SSimState state = comm.Device().State();
            if (done) {
                EXPECT_EQ(state.m_aModes, edited.m_aModes);
                EXPECT_EQ(state.m_abSystem, edited.m_abSystem);
            } else {
                ASSERT_TRUE(comm.Failed());
                EXPECT_TRUE(HoldsMix(comm.Link().Transfer()));
                EXPECT_NE(TransferText(comm.Link().Transfer()).find("Restore the file again"),
                          std::string::npos);
            }
            EXPECT_TRUE(done || delay > (onTheWay ? 10000 : 3000)) << Why(comm);
            EXPECT_LT(comm.m_clock.Now(), 22 * 3 * 8s);
        }
    }
}

// Acknowledgements carry no mode number: with every write answered after its wait has
// ended, the late answer to one mode's resend arrives while the next mode waits, and the
// link takes it for that mode at the end of the wait. Only a mode whose answer can only be
// its own counts as written; the others may have been.
TEST_F(LinkFaults, ARestoreAnsweredTooLateClaimsOnlyTheModesWhoseOwnAnswersCame) {
    sim::SSimState edited;
    const std::string file = EditedFile(edited);
    CVirtualSession comm(Delayed(0, 4000));
    comm.Open();
    ASSERT_TRUE(comm.RunUntil([&] { return comm.ReadBack(); }, 1min));
    ASSERT_TRUE(ImportAllModes(file, comm.Link()));
    EXPECT_FALSE(comm.RunUntil([&] { return comm.Drained(); }, 30min));
    ASSERT_TRUE(comm.Failed());
    const SBulkTransfer transfer = comm.Link().Transfer();
    EXPECT_TRUE(HoldsMix(transfer));
    EXPECT_EQ(transfer.m_nAnswered, 1u << 1) << Why(comm);
    EXPECT_EQ(TransferText(transfer),
              "The restore stopped at the system settings: mode 1 was written from the file; "
              "modes 2 to 21 may have been written; the system settings may have been written."
              "\nThe processor now holds a mix of the file and its own earlier settings. "
              "Restore the file again to finish.");
}

// A read of all modes cut short says what became of the work it was for.
TEST_F(LinkFaults, AReadOfAllModesCutShortNamesOnlyTheFileItsPurposeWrites) {
    SBulkTransfer read{cmd::kReadMode, (1u << 1) | (1u << 2) | (1u << 3)};
    EXPECT_EQ(TransferText(read), "The read of all modes stopped at mode 4: modes 1 to 3 were "
                                  "read, and no file of all modes was written.");
    read.m_eReadPurpose = EReadPurpose::Compare;
    EXPECT_EQ(TransferText(read),
              "The read of all modes stopped at mode 4: modes 1 to 3 were read.");
    read.m_eReadPurpose = EReadPurpose::Check;
    EXPECT_EQ(TransferText(read), "The read-back stopped at mode 4: modes 1 to 3 were read back.");

    // The purpose is the link's until it is changed, whatever port it opens.
    sim::SSimFaults faults;
    faults.m_nHangUpAfter = static_cast<int>(kReadBackFrames) + 2;
    CVirtualSession comm(faults);
    comm.Link().SetReadPurpose(EReadPurpose::Compare);
    comm.Open();
    ASSERT_TRUE(comm.RunUntil([&] { return comm.ReadBack(); }, 1min));
    comm.Link().SendCommand(cmd::kReadMode, 1);
    EXPECT_FALSE(comm.RunUntil([&] { return comm.m_host.m_nAllModes > 0; }, 5min));
    EXPECT_EQ(comm.m_host.m_aReports.back().find("file"), std::string::npos)
        << comm.m_host.m_aReports.back();
}

TEST_F(LinkFaults, AnswersSentAtOnceAreTakenWithoutAResend) {
    sim::SSimState edited;
    const std::string file = EditedFile(edited);
    sim::SSimFaults early;
    early.m_bAnswerEarly = true;
    CVirtualSession comm(early);
    comm.Open();
    ASSERT_TRUE(comm.RunUntil([&] { return comm.ReadBack(); }, 1min)) << Why(comm);
    ExpectReadBack(comm.Device());
    ASSERT_TRUE(ImportAllModes(file, comm.Link()));
    ASSERT_TRUE(comm.RunUntil([&] { return comm.Drained(); }, 5min)) << Why(comm);
    EXPECT_EQ(comm.Device().State().m_aModes, edited.m_aModes);
    EXPECT_EQ(comm.Device().Frames().size(), kReadBackFrames + 22); // not one frame twice
}

TEST_F(LinkFaults, AnswersTrickledByteByByteArriveWholeOrFailWithAClearCause) {
    sim::SSimFaults trickle;
    trickle.m_nTrickleMs = 1; // the working image then takes 2.7 s
    CVirtualSession slow(trickle);
    slow.Open();
    ASSERT_TRUE(slow.RunUntil([&] { return slow.ReadBack(); }, 5min)) << Why(slow);
    ExpectReadBack(slow.Device());
    EXPECT_EQ(slow.Device().Frames().size(), kReadBackFrames);

    ResetProcessData();
    trickle.m_nTrickleMs = 5; // 13.6 s: longer than an answer may take
    CVirtualSession slower(trickle);
    slower.Open();
    EXPECT_FALSE(slower.RunUntil([&] { return slower.ReadBack(); }, 5min));
    ASSERT_TRUE(slower.Failed());
    EXPECT_EQ(FailureText(slower.Link().Failure()),
              "the answer to read mode 0 did not arrive complete in time (3 transmissions)");
    EXPECT_LT(slower.m_clock.Now(), 2min);
}

TEST_F(LinkFaults, ALostAnswerCostsOneResendOfItsFrameAndNothingElse) {
    sim::SSimFaults lossy;
    lossy.m_anLoseAnswers = {2}; // the first "read name 0"
    CVirtualSession comm(lossy);
    comm.Open();
    ASSERT_TRUE(comm.RunUntil([&] { return comm.ReadBack(); }, 1min)) << Why(comm);
    ExpectReadBack(comm.Device());
    EXPECT_EQ(comm.Device().Frames().size(), kReadBackFrames + 1);
    EXPECT_EQ(comm.Device().TimesTaken(cmd::kReadName, 0), 2);

    // Name 0 unanswered twice and name 1 once; then, in a restore, one write's answer.
    ResetProcessData();
    sim::SSimState edited;
    const std::string file = EditedFile(edited);
    lossy.m_anLoseAnswers = {2, 3, 5, int(kReadBackFrames) + 3 + 7};
    CVirtualSession lossier(lossy);
    lossier.Open();
    ASSERT_TRUE(lossier.RunUntil([&] { return lossier.ReadBack(); }, 1min)) << Why(lossier);
    ExpectReadBack(lossier.Device());
    EXPECT_EQ(lossier.Device().TimesTaken(cmd::kReadName, 0), 3);
    EXPECT_EQ(lossier.Device().TimesTaken(cmd::kReadName, 1), 2);
    EXPECT_EQ(lossier.Device().Frames().size(), kReadBackFrames + 3);
    ASSERT_TRUE(ImportAllModes(file, lossier.Link()));
    ASSERT_TRUE(lossier.RunUntil([&] { return lossier.Drained(); }, 5min)) << Why(lossier);
    EXPECT_EQ(lossier.Device().State().m_aModes, edited.m_aModes);
    EXPECT_EQ(lossier.Device().TimesTaken(cmd::kWriteMode, 7), 2);
    EXPECT_EQ(lossier.Device().Frames().size(), kReadBackFrames + 3 + 22 + 1);
}

TEST_F(LinkFaults, AModeReplyLabelledWithAnotherModeIsNeverStoredAsEither) {
    sim::SSimFaults once;
    once.m_nWrongMode = 3;
    once.m_nWrongModeTimes = 1;
    CVirtualSession comm(once);
    comm.Open();
    ASSERT_TRUE(comm.RunUntil([&] { return comm.ReadBack(); }, 1min));
    comm.Link().SendCommand(cmd::kReadMode, 1);
    ASSERT_TRUE(comm.RunUntil([&] { return comm.m_host.m_nAllModes > 0; }, 5min)) << Why(comm);
    ExpectStoreHoldsTheProcessorsModes(comm.Device()); // mode 3 asked again and stored right
    EXPECT_EQ(comm.Device().TimesTaken(cmd::kReadMode, 3), 2);
    ASSERT_EQ(comm.m_host.m_aBoxes.size(), 1u);
    EXPECT_EQ(
        comm.m_host.m_aBoxes[0].rfind("11\nMode 3 was asked for, the processor sent mode 4", 0),
        0u);

    ResetProcessData();
    sim::SSimFaults always;
    always.m_nWrongMode = 3;
    CVirtualSession broken(always);
    broken.Open();
    ASSERT_TRUE(broken.RunUntil([&] { return broken.ReadBack(); }, 1min));
    broken.Link().SendCommand(cmd::kReadMode, 1);
    EXPECT_FALSE(broken.RunUntil([&] { return broken.m_host.m_nAllModes > 0; }, 5min));
    ASSERT_TRUE(broken.Failed());
    EXPECT_EQ(FailureText(broken.Link().Failure()),
              "mode 3 was asked for, the processor answered with mode 4 (3 transmissions)");
    EXPECT_NE(TransferText(broken.Link().Transfer()).find("stopped at mode 3"), std::string::npos);
    EXPECT_EQ(broken.m_host.m_nAllModes, 0); // no file holding a mode that was not received
    const sim::SSimState state = broken.Device().State();
    const auto& mode3 = state.m_aModes[3];
    CImageGuard guard(ImageLock());
    EXPECT_FALSE(SameBytes(Slot(4), mode3, kImageSize));
    EXPECT_FALSE(SameBytes(Slot(3), mode3, kImageSize));
}

TEST_F(LinkFaults, AHangUpDuringARestoreSaysWhichModesTheProcessorTookFromTheFile) {
    sim::SSimState edited;
    const std::string file = EditedFile(edited);
    const sim::SSimState before = sim::MakeFactoryState();
    struct SCase {
        int m_nAnswered; // restore frames answered before the line hangs up
        const char* m_pszText;
    };
    const SCase cases[] = {
        {0, "The restore stopped at mode 1: no mode was confirmed written; mode 1 may have "
            "been; modes 2 to 21 and the system settings were not."},
        {1, "The restore stopped at mode 2: mode 1 was written from the file; mode 2 may have "
            "been; modes 3 to 21 and the system settings were not."},
        {10, "The restore stopped at mode 11: modes 1 to 10 were written from the file; mode 11 "
             "may have been; modes 12 to 21 and the system settings were not."},
        {21, "The restore stopped at the system settings: all 21 modes were written from the "
             "file; the system settings may have been written."},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.m_nAnswered);
        ResetProcessData();
        sim::SSimFaults faults;
        faults.m_nHangUpAfter = static_cast<int>(kReadBackFrames) + c.m_nAnswered;
        CVirtualSession comm(faults);
        comm.Open();
        ASSERT_TRUE(comm.RunUntil([&] { return comm.ReadBack(); }, 1min));
        ASSERT_TRUE(ImportAllModes(file, comm.Link()));
        EXPECT_FALSE(comm.RunUntil([&] { return comm.Drained(); }, 5min));
        ASSERT_TRUE(comm.Failed());
        EXPECT_EQ(comm.Link().Failure().m_eFault, ELinkFault::HungUp) << Why(comm);
        EXPECT_TRUE(HoldsMix(comm.Link().Transfer()));
        EXPECT_EQ(TransferText(comm.Link().Transfer()),
                  std::string(c.m_pszText) +
                      "\nThe processor now holds a mix of the file and its own earlier "
                      "settings. Restore the file again to finish.");
        const sim::SSimState state = comm.Device().State();
        for (std::size_t mode = 1; mode <= kModeCount; ++mode) {
            const auto& expected = static_cast<int>(mode) <= c.m_nAnswered ? edited.m_aModes[mode]
                                                                           : before.m_aModes[mode];
            EXPECT_EQ(state.m_aModes[mode], expected) << mode;
        }
        EXPECT_EQ(state.m_abSystem, before.m_abSystem);
    }
}

} // namespace
} // namespace zolt::test
