#include "link/DeviceLink.h"

#include "link/Notify.h"
#include "link/Sync.h"
#include "model/Command.h"
#include "model/Defaults.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace zolt {

namespace {

// Send flags of a queued frame.
constexpr std::uint8_t kFlagProbe = 1;
constexpr std::uint8_t kFlagBulk = 2;
constexpr std::uint8_t kFlagSettle = 4;
constexpr std::uint8_t kFlagStoreCompletion = 8;

constexpr Milliseconds kIdlePoll{100};
constexpr Milliseconds kBulkPause{1000};
constexpr Milliseconds kSettlePause{3000};
constexpr Milliseconds kAnswerWait{500};
constexpr Milliseconds kBulkAnswerWait{2000};
constexpr Milliseconds kIdleWait{1000};

constexpr std::uint8_t kMaxIdlePolls = 5;  // empty looks before an answer is overdue
constexpr std::uint8_t kMaxResends = 2;    // an overdue or rejected frame is resent twice
constexpr std::uint8_t kMaxReadErrors = 1; // a failing read allows one resend
constexpr std::size_t kReadBufferSize = 115200;
constexpr std::size_t kMaxBytesPerAnswer = 2 * kFrameArea; // room for a late answer and noise
// While an answer keeps coming in, or late answers to earlier frames wake the wait, the
// wait is drawn out, but never beyond this long after the write and its pauses.
constexpr Milliseconds kAnswerLimit{10000};

// Reply data positions.
constexpr std::size_t kReplyData = 5;   // first data byte of replies 12, 24, 129
constexpr std::size_t kReplySlot = 5;   // slot or mode number of replies 128, 130
constexpr std::size_t kReplyImage = 6;  // the image of replies 130 and 133, the name of 128
constexpr std::size_t kReplyUnlock = 6; // the unlock byte of reply 127

constexpr std::size_t kFourCodeSize = 4; // panel password, system[15..18]
constexpr std::size_t kSixCodeSize = 6;  // system password, system[19..24]
constexpr std::size_t kSystemFourCode = 15;
constexpr std::size_t kSystemSixCode = 19;

// The least L a reply needs to carry its data; 0 for a command with no data the program
// uses (such a reply only ends the exchange).
std::uint16_t NeededLength(std::uint8_t command) {
    for (const SReplyInfo& reply : kProcessorReplies) {
        if (reply.m_nCode == command) {
            return reply.m_nLength;
        }
    }
    return 0;
}

bool IsStoredMode(std::size_t n) {
    return n >= 1 && n <= kModeCount;
}

void CopySystemToSlot0() {
    std::memcpy(Slot(0) + slot0::kSystemCopy, System(), kSystemSize);
}

} // namespace

CDeviceLink::CDeviceLink(CClock& clock)
    : m_clock(clock), m_pReadBuffer(std::make_unique<std::uint8_t[]>(kReadBufferSize)) {
    std::fill(std::begin(m_meters.m_abLevels), std::end(m_meters.m_abLevels), 200);
    std::fill(std::begin(m_meters.m_abStates), std::end(m_meters.m_abStates), 100);
}

// --- Frame builder ---

void CDeviceLink::Append(std::uint8_t code, std::uint8_t parameter, const std::uint8_t* payload,
                         std::size_t payloadSize, std::uint8_t flags) {
    auto frame = std::make_unique<CSendData>();
    SFrameRecord& r = frame->Record();
    r.m_abFrame[kCommandOffset] = code;
    r.m_abFrame[kParameterOffset] = parameter;
    if (payloadSize > 0) {
        std::memcpy(r.m_abFrame + kPayloadOffset, payload, payloadSize);
    }
    r.m_bProbe = (flags & kFlagProbe) != 0;
    r.m_bBulk = (flags & kFlagBulk) != 0;
    r.m_bSettle = (flags & kFlagSettle) != 0;
    r.m_bStoreCompletion = (flags & kFlagStoreCompletion) != 0;
    FinaliseFrame(r, static_cast<std::uint16_t>(3 + payloadSize));
    m_queue.Append(std::move(frame));
    ++m_nAppended;
}

// A code change carries no parameter: the current code, then the new one, start at the
// parameter byte. Afterwards the system block holds the new code.
void CDeviceLink::BuildCodeChange(std::uint8_t code, std::size_t currentCode, std::size_t newCode,
                                  std::size_t codeSize) {
    std::uint8_t data[2 * kSixCodeSize];
    std::memcpy(data, System() + currentCode, codeSize);
    std::memcpy(data + codeSize, Slot(0) + newCode, codeSize);
    Append(code, data[0], data + 1, 2 * codeSize - 1, 0);
    std::memcpy(System() + currentCode, Slot(0) + newCode, codeSize);
}

int CDeviceLink::Build(std::uint8_t code, std::uint8_t parameter) {
    CImageGuard guard(ImageLock());
    const std::size_t before = m_queue.Count();
    switch (code) {
    case cmd::kProbe:
        Append(code, 0, nullptr, 0, kFlagProbe);
        break;
    case cmd::kReadName:
        for (std::size_t n = 0; n < kSlotCount; ++n) {
            Append(code, static_cast<std::uint8_t>(n), nullptr, 0, 0);
        }
        break;
    case cmd::kReadSystem:
        Append(code, 0, nullptr, 0, 0);
        break;
    case cmd::kReadMode:
        if (parameter == 0) {
            Append(code, 0, nullptr, 0, 0);
        } else {
            m_transfer = {cmd::kReadMode};
            m_transfer.m_eReadPurpose = m_eReadPurpose;
            for (std::size_t n = 1; n <= kModeCount; ++n) {
                Append(code, static_cast<std::uint8_t>(n), nullptr, 0, kFlagBulk);
            }
        }
        break;
    case cmd::kWriteSystem:
        Append(code, parameter, Slot(0) + slot0::kSystemCopy, kSystemSize, kFlagSettle);
        break;
    case cmd::kWriteMode:
        if (parameter == 0) {
            Append(code, 0, Image(), kImageSize, kFlagSettle | kFlagStoreCompletion);
            g_flags.m_bStoreBusy = true;
        } else {
            m_transfer = {cmd::kWriteMode};
            for (std::size_t n = 1; n <= kModeCount; ++n) {
                Append(code, static_cast<std::uint8_t>(n), Slot(n), kImageSize, kFlagBulk);
            }
        }
        break;
    case cmd::kRecall:
        if (parameter == 0) {
            Append(code, 0, nullptr, 0, 0);
        } else {
            Append(code, parameter, nullptr, 0, kFlagStoreCompletion | kFlagSettle);
            g_flags.m_bStoreBusy = true;
        }
        break;
    case cmd::kStore:
        if (parameter == 0) {
            Append(code, 0, Slot(0), kNameSize, 0);
        } else if (IsStoredMode(parameter)) {
            Append(code, parameter, Slot(parameter), kNameSize, kFlagStoreCompletion);
            g_flags.m_bStoreBusy = true;
        }
        break;
    case cmd::kSixCodeChange:
        BuildCodeChange(code, kSystemSixCode, slot0::kNewSixCode, kSixCodeSize);
        break;
    case cmd::kFourCodeChange:
        BuildCodeChange(code, kSystemFourCode, slot0::kNewFourCode, kFourCodeSize);
        break;
    default:
        break;
    }
    return static_cast<int>(m_queue.Count() - before);
}

void CDeviceLink::ReadStoredMode(std::uint8_t mode) {
    CImageGuard guard(ImageLock());
    if (IsStoredMode(mode)) {
        Append(cmd::kReadMode, mode, nullptr, 0, kFlagBulk);
    }
}

void CDeviceLink::NumberForProgress() {
    CImageGuard guard(ImageLock());
    const std::size_t total = m_queue.Count();
    if (total == 0) {
        return;
    }
    for (std::size_t i = 0; i < total; ++i) {
        m_queue.At(i).Record().m_nProgressStep = static_cast<std::uint8_t>(i + 1);
    }
    Notify().ProgressStart(static_cast<int>(total));
}

// --- Send command ---

void CDeviceLink::SendCommand(std::uint8_t code, std::uint8_t parameter) {
    if (!g_flags.m_bOnline) {
        SendOffline(code, parameter);
        return;
    }
    CImageGuard guard(ImageLock());
    if (Build(code, parameter) == 0) {
        return;
    }
    if (code == cmd::kReadMode && parameter != 0) {
        NumberForProgress();
    }
    if (code == cmd::kRecall) {
        System()[0] = parameter;
    }
    if (code == cmd::kStore) {
        if (parameter != 0) {
            System()[0] = parameter;
        }
        Notify().ConnectionChanged();
    }
    if (g_flags.m_bStoreBusy) {
        Notify().ProgressBusy();
    }
}

void CDeviceLink::SendOffline(std::uint8_t code, std::uint8_t parameter) {
    if (g_data.m_store.m_bValid == 0) {
        return;
    }
    if (code == cmd::kRecall) {
        LocalRecall(parameter); // recalls only modes 1..21
    } else if (code == cmd::kReadMode && parameter != 0) {
        {
            CImageGuard guard(ImageLock());
            CopySystemToSlot0();
        }
        Notify().RunAllModesExport();
    }
}

void CDeviceLink::StartReadBack() {
    CImageGuard guard(ImageLock());
    Build(cmd::kReadName, 0);
    SendCommand(cmd::kReadSystem, 0);
    SendCommand(cmd::kReadMode, 0);
    NumberForProgress();
}

void CDeviceLink::FinishReadAllModes() {
    {
        CImageGuard guard(ImageLock());
        CopySystemToSlot0();
        g_data.m_store.m_bValid = 1;
    }
    Notify().RunAllModesExport();
}

void CDeviceLink::MetersShown() {
    m_meters.m_bReady = true;
}

void CDeviceLink::OnPortOpened(Milliseconds roundTrip) {
    CImageGuard guard(ImageLock());
    m_nRoundTrip = roundTrip;
    m_queue.Clear();
    Clear(true);
    m_flight = {};
    m_late.Clear();
    m_failure = {};
    m_transfer = {};
    m_bProbeAcknowledged = false;
    m_bSyncHeld = true;
}

void CDeviceLink::ReleaseSync() {
    CImageGuard guard(ImageLock());
    m_bSyncHeld = false;
}

CDeviceLink::ECancel CDeviceLink::CancelQueued() {
    CImageGuard guard(ImageLock());
    if (m_queue.Count() == 0) {
        return ECancel::Nothing;
    }
    m_queue.Clear();
    return m_flight.m_bQueued ? ECancel::InFlight : ECancel::Stopped;
}

void CDeviceLink::EndTransfer() {
    CImageGuard guard(ImageLock());
    m_transfer = {};
}

std::size_t CDeviceLink::FramesAppended() const {
    CImageGuard guard(ImageLock());
    return m_nAppended;
}

SLinkFailure CDeviceLink::Failure() const {
    CImageGuard guard(ImageLock());
    return m_failure;
}

SBulkTransfer CDeviceLink::Transfer() const {
    CImageGuard guard(ImageLock());
    return m_transfer;
}

void CDeviceLink::SetReadPurpose(EReadPurpose purpose) {
    CImageGuard guard(ImageLock());
    m_eReadPurpose = purpose;
}

bool CDeviceLink::ProbeAcknowledged() const {
    CImageGuard guard(ImageLock());
    return m_bProbeAcknowledged;
}

// --- Link cycle ---

ELinkEvent CDeviceLink::NextFrameStep() {
    CImageGuard guard(ImageLock());
    const bool queued = m_queue.TakeFirstInto(m_current);
    if (!queued && m_bSyncHeld) {
        WritePoll(m_current, m_meters.m_bAlternation, Shadow()[image::kOutputMode]);
    } else if (!queued) {
        SyncPass(m_current, m_meters.m_bAlternation);
    }
    m_flight = {};
    m_flight.m_bQueued = queued;
    return ELinkEvent::Write;
}

// Stale input is cleared before the frame is written, never after: a processor may answer
// before the write call has returned. Before a resend, what has arrived meanwhile is
// looked at first: it may be the answer to an earlier transmission of the frame.
ELinkEvent CDeviceLink::WriteStep(CTransport& port) {
    std::unique_lock lock(ImageLock());
    const std::uint16_t length = FrameLength(m_current);
    if (length < 3 || length > kMaxFrameLength) {
        return ELinkEvent::None; // no frame in the record
    }
    if (m_current.m_bAwaiting != 0) { // a resend
        const ELinkEvent looked = LookBeforeResend(port);
        if (looked != ELinkEvent::Write) {
            return looked;
        }
        Resend(); // anything else it found goes with the stale input
    }
    port.Purge();
    const SPortResult written = port.Write(m_current.m_abFrame, FrameWireSize(m_current));
    if (written.m_eStatus != EPortStatus::Ok) {
        ReportPortFailure(port, written.m_eStatus == EPortStatus::InvalidHandle
                                    ? ELinkFault::HungUp
                                    : ELinkFault::PortError);
        if (written.m_eStatus == EPortStatus::Failed) {
            return ELinkEvent::None;
        }
    }
    if (m_flight.m_nSends == 0 && m_current.m_bProbe != 0) {
        m_nProbeSent = m_clock.Now();
    }
    ++m_flight.m_nSends;
    NoteTransfer(false);
    const int step = m_current.m_nProgressStep;
    const std::uint8_t command = FrameCommand(m_current);
    const std::uint8_t parameter = FrameParameter(m_current);
    const bool bulk = m_current.m_bBulk != 0;
    const bool settle = m_current.m_bSettle != 0;
    m_current.m_bAwaiting = 1;
    m_flight.m_nAnswerFrom = m_clock.Now() + (bulk ? kBulkPause : Milliseconds{0}) +
                             (settle ? kSettlePause : Milliseconds{0});
    lock.unlock();
    if (step != 0) {
        Notify().ProgressStep(step, command, parameter);
    }
    if (bulk) {
        m_clock.Sleep(kBulkPause);
    }
    if (settle) {
        m_clock.Sleep(kSettlePause);
    }
    return ELinkEvent::None;
}

// What arrived since the frame was found overdue may be the answer to an earlier
// transmission. NextFrame: it was and has been taken; None: the port failed; Write: the
// frame is to be written again.
ELinkEvent CDeviceLink::LookBeforeResend(CTransport& port) {
    const SPortResult got = ReadWaiting(port);
    if (got.m_eStatus == EPortStatus::InvalidHandle) {
        return ReadFailed(port) ? ELinkEvent::None : ELinkEvent::Write;
    }
    if (got.m_eStatus == EPortStatus::Ok && got.m_nCount > 0 &&
        Assemble(g_flags.m_bConnected, m_pReadBuffer.get(), got.m_nCount)) {
        port.Purge();
        return ELinkEvent::NextFrame;
    }
    return ELinkEvent::Write;
}

// Reads what is waiting; InvalidHandle when the query or the read finds the device gone.
SPortResult CDeviceLink::ReadWaiting(CTransport& port) {
    const SPortResult waiting = port.BytesWaiting();
    if (waiting.m_eStatus != EPortStatus::Ok || waiting.m_nCount == 0) {
        return {waiting.m_eStatus, 0};
    }
    return port.Read(m_pReadBuffer.get(), std::min(waiting.m_nCount, kReadBufferSize));
}

// A read found the device gone: the frame may be written once more, the second time the
// link ends. True when it has ended.
bool CDeviceLink::ReadFailed(CTransport& port) {
    Trouble(ELinkFault::PortError, 0);
    if (++m_receive.m_nRetry > kMaxReadErrors) {
        AbandonFrame(port);
        return true;
    }
    return false;
}

Milliseconds CDeviceLink::WaitTimeout() const {
    CImageGuard guard(ImageLock());
    if (m_current.m_bAwaiting == 0) {
        return kIdleWait;
    }
    return (m_current.m_bBulk != 0 ? kBulkAnswerWait : kAnswerWait) + m_nRoundTrip;
}

ELinkEvent CDeviceLink::ReceiveStep(CTransport& port) {
    for (;;) {
        bool again = false;
        const ELinkEvent event = ReceiveOnce(port, again);
        if (!again) {
            return event;
        }
    }
}

// One look at the port. again asks for another look: at once after bytes that did not
// complete an answer, after an idle pause when the port was empty.
ELinkEvent CDeviceLink::ReceiveOnce(CTransport& port, bool& again) {
    std::unique_lock lock(ImageLock());
    if (m_current.m_bAwaiting == 0) {
        port.Purge(); // nothing in flight: nothing can answer it
        return ELinkEvent::None;
    }
    const SPortResult got = ReadWaiting(port);
    if (got.m_eStatus == EPortStatus::InvalidHandle) {
        return ReadFailed(port) ? ELinkEvent::None : Resend();
    }
    const bool timeUp = m_clock.Now() - m_flight.m_nAnswerFrom > kAnswerLimit + m_nRoundTrip;
    if (got.m_eStatus == EPortStatus::Ok && got.m_nCount > 0) {
        const std::size_t framesBefore = m_nFramesHeard;
        const std::uint16_t indexBefore = m_receive.m_nWriteIndex;
        if (Assemble(g_flags.m_bConnected, m_pReadBuffer.get(), got.m_nCount)) {
            port.Purge(); // only one answer is expected; anything after it is stale
            return ELinkEvent::NextFrame;
        }
        // A port that never stops sending without completing an answer (not the
        // processor) is overdue as well, so the step always ends.
        m_flight.m_nBytesHeard += got.m_nCount;
        if (m_flight.m_nBytesHeard > kMaxBytesPerAnswer) {
            return Overdue(port);
        }
        if (AnswerComing(framesBefore, indexBefore) && !timeUp) {
            m_receive.m_nIdle = 0; // an answer is coming in: the polls start again
            m_flight.m_bWaitAgain = m_nFramesHeard != framesBefore;
        }
        again = true;
        return ELinkEvent::None;
    }
    if (m_flight.m_bWaitAgain && m_receive.m_bInFrame == 0 && !timeUp) {
        // A late answer (or one held) woke the thread: the frame's own answer gets the
        // whole wait again, not only the polls that follow.
        m_flight.m_bWaitAgain = false;
        return ELinkEvent::None;
    }
    if (++m_receive.m_nIdle <= kMaxIdlePolls && !timeUp) {
        lock.unlock();
        m_clock.Sleep(kIdlePoll);
        again = true;
        return ELinkEvent::None;
    }
    return Overdue(port);
}

// The bytes just read completed a frame, or carried one further.
bool CDeviceLink::AnswerComing(std::size_t framesBefore, std::uint16_t indexBefore) const {
    return m_nFramesHeard != framesBefore ||
           (m_receive.m_bInFrame != 0 && m_receive.m_bError == 0 &&
            m_receive.m_nWriteIndex != indexBefore);
}

// No acceptable answer in time. An answer held because it could not be told from a late
// one is the frame's own after all; otherwise the frame is written again, or after its
// third transmission the link ends.
ELinkEvent CDeviceLink::Overdue(CTransport& port) {
    if (m_flight.m_bHolding && m_receive.m_bError == 0) {
        m_late.Arrived(FrameCommand(m_current), m_flight.m_nCandidates);
        const std::uint8_t retry = m_receive.m_nRetry;
        m_receive = m_held;
        m_receive.m_nRetry = retry;
        m_flight.m_bHolding = false;
        m_flight.m_bTookHeld = true;
        if (Take() == EVerdict::Accepted) {
            port.Purge();
            return ELinkEvent::NextFrame;
        }
    }
    if (!m_flight.m_bHeard) {
        if (m_receive.m_bInFrame != 0) {
            Trouble(ELinkFault::Incomplete, 0); // an answer was cut off by the wait's end
        } else {
            ++m_flight.m_nSilent; // its answer may still come after the next transmission's
        }
    }
    if (++m_receive.m_nRetry > kMaxResends) {
        AbandonFrame(port);
        return ELinkEvent::None;
    }
    return Resend();
}

// Empties the receive record for another transmission of the same frame; the resend
// count stays.
ELinkEvent CDeviceLink::Resend() {
    const std::uint8_t retry = m_receive.m_nRetry;
    ClearRecord(m_receive);
    m_receive.m_nRetry = retry;
    m_flight.m_bHeard = false;
    m_flight.m_bHolding = false;
    m_flight.m_bTookHeld = false;
    m_flight.m_bWaitAgain = false;
    m_flight.m_nBytesHeard = 0;
    return ELinkEvent::Write;
}

// The frame in flight is given up: the port failure is reported with what went wrong,
// and both records emptied.
void CDeviceLink::AbandonFrame(CTransport& port) {
    const ELinkFault fault = m_flight.m_trouble.m_eFault != ELinkFault::None
                                 ? m_flight.m_trouble.m_eFault
                                 : ELinkFault::NoAnswer;
    ReportPortFailure(port, fault);
    Clear(true);
    m_flight = {};
}

void CDeviceLink::ReportPortFailure(CTransport& port, ELinkFault fault) {
    std::intptr_t probe = 0;
    {
        CImageGuard guard(ImageLock());
        probe = m_current.m_bProbe;
        if (m_failure.m_eFault == ELinkFault::None) {
            m_failure = {fault, FrameCommand(m_current), FrameParameter(m_current),
                         m_flight.m_trouble.m_eFault == fault ? m_flight.m_trouble.m_nDetail
                                                              : std::uint8_t{0},
                         m_flight.m_nSends};
        }
    }
    port.RequestStop();
    Notify().Post(msg::kPortFailure, 1, probe);
}

// --- Assembler ---

void CDeviceLink::Clear(bool alsoCurrent) {
    CImageGuard guard(ImageLock());
    ClearRecord(m_receive);
    if (alsoCurrent) {
        ClearFromCommand(m_current);
    }
}

bool CDeviceLink::Assemble(bool connection, const std::uint8_t* bytes, std::size_t count) {
    if (!connection) {
        return false;
    }
    CImageGuard guard(ImageLock());
    for (std::size_t i = 0; i < count; ++i) {
        bool complete = false;
        AssembleByte(bytes[i], complete);
        if (!complete) {
            continue;
        }
        const EVerdict verdict = Validate();
        if (verdict != EVerdict::Passed) {
            return verdict == EVerdict::Accepted; // the rest of the chunk is dropped
        }
    }
    return false;
}

// Outside a frame only FF 55 opens one (FF FF 55 too: the last FF counts). Inside, the
// bytes are kept up to the sum the length announces. A length that cannot be a frame
// marks the record bad; from then on bytes are dropped until the resend clears it.
void CDeviceLink::AssembleByte(std::uint8_t b, bool& complete) {
    SFrameRecord& r = m_receive;
    if (r.m_bInFrame == 0) {
        if (b == kStartMark1) {
            r.m_abFrame[0] = b;
            r.m_nWriteIndex = 1;
        } else if (b == kStartMark2 && r.m_nWriteIndex == 1) {
            r.m_abFrame[1] = b;
            r.m_nWriteIndex = 2;
            r.m_bInFrame = 1;
        } else {
            r.m_nWriteIndex = 0;
        }
        return;
    }
    if (r.m_bError != 0) {
        return;
    }
    r.m_abFrame[r.m_nWriteIndex++] = b;
    if (r.m_nWriteIndex == 4) {
        r.m_nExpectedLength = FrameLength(r);
        if (r.m_nExpectedLength < 3 || r.m_nExpectedLength > kMaxFrameLength) {
            r.m_bError = 1;
        }
    } else if (r.m_nWriteIndex > 4 && r.m_nWriteIndex == r.m_nExpectedLength + 4u) {
        r.m_nSum = b;
        complete = true;
    }
}

// Decides whether a complete frame answers the frame in flight (see Assemble).
CDeviceLink::EVerdict CDeviceLink::Validate() {
    ++m_nFramesHeard;
    if (!VerifyFrame(m_receive)) {
        m_receive.m_bError = 1;
        Trouble(ELinkFault::BadSum, 0);
        return EVerdict::NotAccepted;
    }
    const std::uint8_t command = FrameCommand(m_receive);
    if (command != FrameCommand(m_current)) {
        m_late.Arrived(command, 1);
        return PassOver();
    }
    const bool slotReply =
        (command == cmd::kReadName || command == cmd::kReadMode) && FrameLength(m_receive) > 3;
    if (slotReply) {
        const std::uint8_t slot = m_receive.m_abFrame[kReplySlot];
        if (slot == FrameParameter(m_current)) {
            return Take();
        }
        if (m_late.Answered(command, slot)) {
            m_late.ArrivedFor(command, slot);
            return PassOver();
        }
        return WrongSlot(slot);
    }
    const int expected = m_late.Expected(command);
    if (++m_flight.m_nCandidates <= expected) {
        return Hold();
    }
    m_late.Arrived(command, expected);
    return Take();
}

// The answer to the frame in flight: an accepted acknowledgement or a reply ends the
// exchange, a rejection has the frame written again.
CDeviceLink::EVerdict CDeviceLink::Take() {
    const EFrameKind kind = ClassifyFrame(m_receive, FrameCommand(m_current));
    if (kind == EFrameKind::AckRejected) {
        m_receive.m_bError = 1;
        Trouble(ELinkFault::Rejected, FrameParameter(m_receive));
        return EVerdict::NotAccepted;
    }
    if (kind == EFrameKind::Reply &&
        FrameLength(m_receive) < NeededLength(FrameCommand(m_receive))) {
        m_receive.m_bError = 1; // a read answered without its data has not been read
        Trouble(ELinkFault::Short, 0);
        return EVerdict::NotAccepted;
    }
    if (kind == EFrameKind::AckAccepted && m_current.m_bProbe != 0) {
        m_bProbeAcknowledged = true;
        Notify().Post(msg::kProbeAcknowledged, 0, 0);
    }
    if (kind == EFrameKind::Reply) {
        Dispatch();
    }
    Accept();
    return EVerdict::Accepted;
}

// A late answer to an earlier frame: dropped, and the frame in flight waits on.
CDeviceLink::EVerdict CDeviceLink::PassOver() {
    const std::uint8_t retry = m_receive.m_nRetry;
    const std::uint8_t idle = m_receive.m_nIdle;
    ClearRecord(m_receive);
    m_receive.m_nRetry = retry;
    m_receive.m_nIdle = idle;
    return EVerdict::Passed;
}

// An answer that may be a late one of an earlier frame: kept until a later one shows it
// was, or until the wait ends without one.
CDeviceLink::EVerdict CDeviceLink::Hold() {
    m_held = m_receive;
    m_flight.m_bHolding = true;
    m_flight.m_bHeard = true;
    return PassOver();
}

// A name or mode reply for a slot that was not asked for: nothing is stored and the
// frame is written again. For a mode the box "11" says what happened, once per frame.
CDeviceLink::EVerdict CDeviceLink::WrongSlot(std::uint8_t slot) {
    m_receive.m_bError = 1;
    Trouble(ELinkFault::WrongSlot, slot);
    const std::uint8_t asked = FrameParameter(m_current);
    if (FrameCommand(m_current) == cmd::kReadMode && !m_flight.m_bSlotReported) {
        m_flight.m_bSlotReported = true;
        Notify().MessageBox("11\nMode " + std::to_string(asked) +
                                " was asked for, the processor sent mode " + std::to_string(slot) +
                                ": it is not stored, and mode " + std::to_string(asked) +
                                " is asked for again.",
                            "");
    }
    return EVerdict::NotAccepted;
}

// The frame in flight heard from the processor, but not an answer the link can take.
void CDeviceLink::Trouble(ELinkFault fault, std::uint8_t detail) {
    m_flight.m_bHeard = true;
    m_flight.m_trouble = {fault, FrameCommand(m_current), FrameParameter(m_current), detail,
                          m_flight.m_nSends};
}

// The answer to the current frame has been accepted: every transmission that heard
// nothing may still be answered late.
void CDeviceLink::Accept() {
    if (m_current.m_bStoreCompletion != 0) {
        g_flags.m_bStoreBusy = false;
    }
    m_late.Remember(FrameCommand(m_current), FrameParameter(m_current), m_flight.m_nSilent);
    NoteTransfer(true);
    const bool commandsDone = m_flight.m_bQueued && m_queue.Count() == 0 && !g_flags.m_bStoreBusy;
    m_flight = {};
    Clear(true);
    if (commandsDone) {
        Notify().Post(msg::kCommandsDone, m_nAppended, 0);
    }
}

// Follows a transfer of all modes: the builder starts it, each mode frame written or
// answered is noted, and the last answer ends it. A held answer taken at the end of the
// wait may have been the late answer to the frame before.
void CDeviceLink::NoteTransfer(bool answered) {
    const std::uint8_t command = FrameCommand(m_current);
    const std::size_t mode = FrameParameter(m_current);
    if (m_transfer.m_nCommand == 0) {
        return;
    }
    if (command == m_transfer.m_nCommand && IsStoredMode(mode)) {
        if (!answered) {
            m_transfer.m_nSent = std::max(m_transfer.m_nSent, static_cast<std::uint8_t>(mode));
        } else {
            // Once one answer may have been another frame's, the count of late answers
            // still to come is no longer known: no later acknowledgement is sure either.
            const bool sure = !m_flight.m_bTookHeld && m_transfer.m_nMaybeAnswered == 0;
            (sure ? m_transfer.m_nAnswered : m_transfer.m_nMaybeAnswered) |= 1u << mode;
            if (command == cmd::kReadMode && mode == kModeCount) {
                m_transfer = {};
            }
        }
    } else if (command == cmd::kWriteSystem && m_transfer.m_nCommand == cmd::kWriteMode) {
        m_transfer.m_bSystemSent = true;
        if (answered) {
            m_transfer = {};
        }
    }
}

// Stores what a reply carries; Take has made sure it is long enough for its data.
void CDeviceLink::Dispatch() {
    const std::uint8_t command = FrameCommand(m_receive);
    const std::uint8_t* frame = m_receive.m_abFrame;
    switch (command) {
    case cmd::kLevelPoll:
    case cmd::kStatePoll:
        DispatchMeters(command);
        break;
    case cmd::kProbe:
        if (m_nRoundTrip > Milliseconds{0}) {
            // A network port: the probe's answer times the way there and back, from its
            // first transmission, so a resend never makes it look shorter than it is.
            m_nRoundTrip = std::max(Milliseconds{1}, m_clock.Now() - m_nProbeSent);
        }
        g_flags.m_bUnlock = frame[kReplyUnlock] != 0;
        Notify().Post(msg::kProbeAnswered, 0, 0);
        break;
    case cmd::kReadName: {
        const std::size_t n = frame[kReplySlot];
        if (n == 0) {
            std::memcpy(Image() + image::kName, frame + kReplyImage, kNameSize);
        } else if (IsStoredMode(n)) {
            std::memcpy(Slot(n) + image::kName, frame + kReplyImage, kNameSize);
        }
        break;
    }
    case cmd::kReadSystem:
        std::memcpy(System(), frame + kReplyData, kSystemSize);
        std::memcpy(SystemShadow(), System(), kSystemSize);
        Notify().Post(msg::kSystemBlockRead, 0, 0);
        break;
    case cmd::kReadMode:
        DispatchMode();
        break;
    case cmd::kRecall:
        ReplaceWorkingImage(frame + kReplyImage);
        break;
    default:
        break;
    }
}

void CDeviceLink::DispatchMeters(std::uint8_t command) {
    std::uint8_t* values = command == cmd::kLevelPoll ? m_meters.m_abLevels : m_meters.m_abStates;
    std::memcpy(values, m_receive.m_abFrame + kReplyData, kMeterValues);
    if (Notify().IsSystemPageShown() && m_meters.m_bReady.exchange(false)) {
        Notify().Post(msg::kMeters, command, 0);
    }
}

// Reply 130 for the mode asked for: mode 0 is the working image, modes 1..21 go into
// their slots; a mode above 21 has no slot.
void CDeviceLink::DispatchMode() {
    const std::size_t n = m_receive.m_abFrame[kReplySlot];
    const std::uint8_t* data = m_receive.m_abFrame + kReplyImage;
    if (n == 0) {
        ReplaceWorkingImage(data);
        return;
    }
    if (!IsStoredMode(n)) {
        return;
    }
    std::memcpy(Slot(n), data, kImageSize);
    if (n == kModeCount) {
        Notify().Post(msg::kAllModesRead, 0, 0);
    }
}

void CDeviceLink::ReplaceWorkingImage(const std::uint8_t* image) {
    std::memcpy(Image(), image, kImageSize);
    CommitWithRebind();
    Notify().Post(msg::kImageReplaced, 0, 0);
}

} // namespace zolt
