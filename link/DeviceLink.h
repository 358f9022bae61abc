// The device link: the send queue, the current frame (the one frame in flight), the
// receive record and its assembler, the meter record, the frame builder and the send
// command operation, and the steps of the link cycle that the comm thread drives.
//
// Threads and the image lock. The UI thread calls Build, NumberForProgress, SendCommand,
// StartReadBack, FinishReadAllModes, MetersShown and OnPortOpened; the comm thread calls
// the cycle steps (NextFrameStep, WriteStep, WaitTimeout, ReceiveStep, ReportPortFailure).
// Each public operation takes the image lock itself (it is recursive, so a caller may
// already hold it), except that the comm thread must call the cycle steps WITHOUT holding
// it: the steps release it across their pauses (100 ms idle polls, 1000 / 3000 ms settle
// pauses) so the window never waits that long. The wire order of frames and pauses is the
// same as if the lock were held throughout.
#pragma once

#include "link/Clock.h"
#include "link/Command.h"
#include "link/Frame.h"
#include "link/LateAnswers.h"
#include "link/LinkFault.h"
#include "link/SendDataQueue.h"
#include "link/Transport.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace zolt {

constexpr std::size_t kMeterValues = 12;

// What the System page meters show. The values are guarded by the image lock; the ready
// flag keeps at most one meter message queued (the comm thread clears it when it posts,
// the UI handler sets it again through MetersShown).
struct SMeterRecord {
    std::atomic<bool> m_bReady{true};
    std::uint8_t m_bAlternation = 0; // 1: the state poll goes next
    std::uint8_t m_abLevels[kMeterValues];
    std::uint8_t m_abStates[kMeterValues];
};

// What the comm thread does after a step.
enum class ELinkEvent {
    None,      // nothing to signal (waiting goes on, or the link has failed)
    Write,     // reset the next-frame event, set the write event: (re)write the current frame
    NextFrame, // set the next-frame event: the answer was accepted, choose the next frame
};

class CDeviceLink {
public:
    // The clock serves every pause of the cycle; tests pass a virtual clock.
    explicit CDeviceLink(CClock& clock = SystemClock());

    // --- Queued commands (UI thread) ---

    // The frame builder: appends the frames of queued command code with parameter byte
    // parameter to the queue, finalised, with their send flags, and sets the store-busy
    // flag where the command needs it. Codes 135..139 and any code not queued build
    // nothing; so does a store (134) of a mode above 21. Returns the frames appended.
    int Build(std::uint8_t code, std::uint8_t parameter);

    // Queues the read of stored mode 1..21 alone (one bulk frame of command 130); its
    // reply fills the mode's slot. No transfer of all modes is followed.
    void ReadStoredMode(std::uint8_t mode);

    // Stamps progress steps 1..n on the n frames now queued (front first) and starts the
    // progress box with total n.
    void NumberForProgress();

    // The main window's send command. Online: builds the frames and does the follow-ups
    // (progress for a read of all modes, the current mode number for a recall or store,
    // the program-name display, the busy box while the store-busy flag is set). Offline:
    // a recall (133) of mode 1..21 from a valid preset store, or the all-modes export for
    // a read of all modes (130, parameter != 0) from a valid store; anything else does
    // nothing.
    void SendCommand(std::uint8_t code, std::uint8_t parameter);

    // Handler of the probe answer: queues the 22 name reads, the system-block read and
    // the working-image read, and numbers them for progress.
    void StartReadBack();

    // Handler of the last reply of a read of all modes: stores the system block in slot 0,
    // marks the store valid, then offers the all-modes export.
    void FinishReadAllModes();

    // Handler of a meter message: the meters have shown the values; the next meter reply
    // may post again.
    void MetersShown();

    // A port has just been opened: the queue is cleared and both records are emptied, and
    // synchronisation is held until the read-back has told what the processor holds.
    // roundTrip is the port's (CTransport::RoundTrip): zero for a local line, whose answer
    // windows stay exact; on a network port every answer window is stretched by it, and
    // from the probe's answer on by the time that answer took.
    void OnPortOpened(Milliseconds roundTrip = Milliseconds{0});

    // Ends the hold: the synchronisation pass sends what differs from the shadows again.
    void ReleaseSync();

    // Drops the frames still queued; a queued frame in flight goes on to its answer (then
    // the commands-done message follows).
    enum class ECancel {
        Nothing,  // nothing was queued
        InFlight, // dropped; a queued frame is in flight: commands done follows its answer
        Stopped,  // dropped; none in flight: the transfer has stopped already
    };
    ECancel CancelQueued();
    // A transfer of all modes cut short and reported: nothing of it is under way any more.
    void EndTransfer();

    // --- The link cycle (comm thread; see the lock rule above) ---

    // Next-frame event: takes the first queued frame into the current frame, or runs a
    // synchronisation pass (a changed parameter, else a poll; only a poll while
    // synchronisation is held). Always returns Write.
    ELinkEvent NextFrameStep();

    // Write event: writes the current frame (stale input purged before it, never after: an
    // answer may arrive before the write returns), then advances the progress box, marks
    // the frame awaited and takes the bulk (1000 ms) and settle (3000 ms) pauses. A failed
    // write is a port failure. Before a resend the bytes that arrived meanwhile are
    // assembled first: when they hold the frame's answer, it is taken, nothing is written
    // and NextFrame is returned; otherwise None (also when that read fails for the second
    // time: a port failure).
    ELinkEvent WriteStep(CTransport& port);

    // The timeout for the comm thread's next wait: 500 ms while an answer is awaited,
    // 2000 ms for a bulk frame (each plus a network port's round trip), 1000 ms otherwise.
    Milliseconds WaitTimeout() const;

    // Comm event or wait timeout: reads what arrives and assembles it, polling an empty
    // port every 100 ms up to five times in a row; while an answer is still coming in,
    // the polls start again, for at most 10 s after the write and its pauses. A port that
    // sends more than twice a frame record's worth without completing an answer is
    // overdue too, so the step always ends. Returns NextFrame when the answer was
    // accepted, Write when the frame must be resent (overdue, rejected, bad sum, a reply
    // for another slot, or a first read error), None otherwise: after a port failure
    // (which also asks the port to stop), or when a late answer to an earlier frame (or
    // one held) woke the thread and the frame waits afresh for its own.
    ELinkEvent ReceiveStep(CTransport& port);

    // Port failure: records the cause (fault, with the frame in flight) unless one is
    // recorded already, asks the port to stop and posts the port-failure message with the
    // probe flag of the current frame. Also called by the comm thread for its own port
    // errors.
    void ReportPortFailure(CTransport& port, ELinkFault fault);

    // --- Receive side (comm thread, image lock held or taken) ---

    // Feeds count received bytes to the assembler; ignored unless connection is true.
    // True when a complete frame was accepted as the answer to the frame in flight (an
    // accepted acknowledgement or a reply): the reply is dispatched, the store-busy flag
    // dropped for a store-completion frame, and both records cleared. The rest of the
    // chunk after an accepted frame is dropped. A rejection, and a reply too short for the
    // data it must carry, are not taken: the frame is written again.
    //
    // Only an answer to the frame in flight is taken: every answer carries the command
    // byte of the frame it answers, and a name or mode reply the slot asked for. A frame
    // with another command byte, or a reply for a slot asked for lately, is a late answer
    // to an earlier frame and is dropped. A reply for a slot never asked for is not taken
    // (the frame is asked for again); for a mode the box "11" says so. An answer that
    // cannot be told from a late one (an acknowledgement, a reply without a slot number,
    // while an earlier frame with the same command byte still has answers to come) is
    // held: a second one is the frame's own, and when none follows, the one held is.
    bool Assemble(bool connection, const std::uint8_t* bytes, std::size_t count);

    // Zeroes the receive record; with alsoCurrent also the current frame from its command
    // byte on (the start mark and the length stay).
    void Clear(bool alsoCurrent);

    // --- Inspection (image lock held) ---
    const CSendDataQueue& Queue() const { return m_queue; }
    const SFrameRecord& CurrentFrame() const { return m_current; }
    SFrameRecord& CurrentFrame() { return m_current; }
    const SFrameRecord& ReceiveRecord() const { return m_receive; }
    const SMeterRecord& Meters() const { return m_meters; }
    // Frames the builder has appended to the queue since the link was made; the
    // commands-done message carries the count as it was when the queue drained.
    std::size_t FramesAppended() const;
    // Why the link last failed (ELinkFault::None until it does; reset when a port opens).
    SLinkFailure Failure() const;
    // The transfer of all modes under way or cut short (reset when a port opens).
    SBulkTransfer Transfer() const;
    // What the reads of all modes from now on are for, which their failure reports name
    // (an export until said otherwise). UI thread.
    void SetReadPurpose(EReadPurpose purpose);
    // The probe was answered by a bare acknowledgement: the processor sent no state, so
    // no read-back starts (reset when a port opens).
    bool ProbeAcknowledged() const;

private:
    void Append(std::uint8_t code, std::uint8_t parameter, const std::uint8_t* payload,
                std::size_t payloadSize, std::uint8_t flags);
    void BuildCodeChange(std::uint8_t code, std::size_t currentCode, std::size_t newCode,
                         std::size_t codeSize);
    void SendOffline(std::uint8_t code, std::uint8_t parameter);
    // What Validate makes of a complete frame: the answer taken, not taken (the frame is
    // resent after the idle wait), or passed over while the frame waits on.
    enum class EVerdict { NotAccepted, Accepted, Passed };
    void AssembleByte(std::uint8_t b, bool& complete);
    EVerdict Validate();
    EVerdict Take();
    EVerdict PassOver();
    EVerdict Hold();
    EVerdict WrongSlot(std::uint8_t slot);
    void Trouble(ELinkFault fault, std::uint8_t detail);
    void Accept();
    void NoteTransfer(bool answered);
    void Dispatch();
    void DispatchMeters(std::uint8_t command);
    void DispatchMode();
    void ReplaceWorkingImage(const std::uint8_t* image);
    ELinkEvent Resend();
    ELinkEvent Overdue(CTransport& port);
    void AbandonFrame(CTransport& port);
    ELinkEvent LookBeforeResend(CTransport& port);
    SPortResult ReadWaiting(CTransport& port);
    bool ReadFailed(CTransport& port);
    ELinkEvent ReceiveOnce(CTransport& port, bool& again);
    bool AnswerComing(std::size_t framesBefore, std::uint16_t indexBefore) const;

    CClock& m_clock;
    CSendDataQueue m_queue;
    SFrameRecord m_current{};
    SFrameRecord m_receive{};
    SMeterRecord m_meters;
    std::unique_ptr<std::uint8_t[]> m_pReadBuffer;

    // How the transmissions of the frame in flight went; emptied for each new frame.
    struct SInFlight {
        bool m_bQueued = false;        // a queued command's frame, not a synchronisation's
        int m_nSends = 0;              // transmissions so far
        int m_nSilent = 0;             // transmissions that heard nothing from the frame
        bool m_bHeard = false;         // this transmission heard from it (even a bad answer)
        int m_nCandidates = 0;         // answers that could not be told from late ones
        bool m_bHolding = false;       // m_held holds the latest of them
        bool m_bSlotReported = false;  // the box "11" has been shown for it
        bool m_bWaitAgain = false;     // frames passed over or held: wait afresh
        bool m_bTookHeld = false;      // the answer taken was held: it may have been late
        std::size_t m_nBytesHeard = 0; // bytes read since the last transmission
        Milliseconds m_nAnswerFrom{0}; // when the last transmission's pauses ended
        SLinkFailure m_trouble;        // what went wrong last
    };
    SInFlight m_flight;
    SFrameRecord m_held{};
    CLateAnswers m_late;
    std::size_t m_nFramesHeard = 0; // complete frames assembled, for telling progress
    SLinkFailure m_failure;
    SBulkTransfer m_transfer;
    EReadPurpose m_eReadPurpose = EReadPurpose::Export;
    bool m_bProbeAcknowledged = false;
    bool m_bSyncHeld = false;
    std::size_t m_nAppended = 0;
    Milliseconds m_nRoundTrip{0}; // a network port's round trip: stretches every answer window
    Milliseconds m_nProbeSent{0}; // when the probe was first written
};

} // namespace zolt
