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
// uses.
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
        Notify().RefreshProgramName();
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

void CDeviceLink::OnPortOpened() {
    CImageGuard guard(ImageLock());
    m_queue.Clear();
    Clear(true);
    ForgetLateAnswers();
}

// --- Link cycle ---

ELinkEvent CDeviceLink::NextFrameStep() {
    CImageGuard guard(ImageLock());
    if (!m_queue.TakeFirstInto(m_current)) {
        SyncPass(m_current, m_meters.m_bAlternation);
    }
    return ELinkEvent::Write;
}

void CDeviceLink::WriteStep(CTransport& port) {
    std::unique_lock lock(ImageLock());
    const std::uint16_t length = FrameLength(m_current);
    if (length < 3 || length > kMaxFrameLength) {
        return; // no frame in the record
    }
    port.Purge();
    const SPortResult written = port.Write(m_current.m_abFrame, FrameWireSize(m_current));
    if (written.m_eStatus != EPortStatus::Ok) {
        ReportPortFailure(port);
        if (written.m_eStatus == EPortStatus::Failed) {
            return;
        }
    }
    port.Purge();
    const int step = m_current.m_nProgressStep;
    const bool bulk = m_current.m_bBulk != 0;
    const bool settle = m_current.m_bSettle != 0;
    m_current.m_bAwaiting = 1;
    lock.unlock();
    if (step != 0) {
        Notify().ProgressStep(step);
    }
    if (bulk) {
        m_clock.Sleep(kBulkPause);
    }
    if (settle) {
        m_clock.Sleep(kSettlePause);
    }
}

Milliseconds CDeviceLink::WaitTimeout() const {
    CImageGuard guard(ImageLock());
    if (m_current.m_bAwaiting == 0) {
        return kIdleWait;
    }
    return m_current.m_bBulk != 0 ? kBulkAnswerWait : kAnswerWait;
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
// complete a frame, after an idle pause when the port was empty.
ELinkEvent CDeviceLink::ReceiveOnce(CTransport& port, bool& again) {
    std::unique_lock lock(ImageLock());
    if (m_current.m_bAwaiting == 0) {
        port.Purge(); // nothing in flight: nothing can answer it
        return ELinkEvent::None;
    }
    SPortResult waiting = port.BytesWaiting();
    SPortResult got;
    if (waiting.m_eStatus == EPortStatus::Ok && waiting.m_nCount > 0) {
        got = port.Read(m_pReadBuffer.get(), std::min(waiting.m_nCount, kReadBufferSize));
    }
    if (waiting.m_eStatus == EPortStatus::InvalidHandle ||
        got.m_eStatus == EPortStatus::InvalidHandle) {
        if (++m_receive.m_nRetry > kMaxReadErrors) {
            AbandonFrame(port);
            return ELinkEvent::None;
        }
        return Resend();
    }
    if (got.m_eStatus == EPortStatus::Ok && got.m_nCount > 0) {
        if (Assemble(g_flags.m_bConnected, m_pReadBuffer.get(), got.m_nCount)) {
            port.Purge(); // only one answer is expected; anything after it is stale
            return ELinkEvent::NextFrame;
        }
        // A port that never stops sending without completing an answer (not the
        // processor) is overdue as well, so the step always ends.
        m_nBytesHeard += got.m_nCount;
        if (m_nBytesHeard <= kMaxBytesPerAnswer) {
            again = true;
            return ELinkEvent::None;
        }
        return Overdue(port);
    }
    if (++m_receive.m_nIdle <= kMaxIdlePolls) {
        lock.unlock();
        m_clock.Sleep(kIdlePoll);
        again = true;
        return ELinkEvent::None;
    }
    return Overdue(port);
}

// No acceptable answer in time: the frame is written again, or after its third
// transmission the link ends.
ELinkEvent CDeviceLink::Overdue(CTransport& port) {
    if (m_receive.m_bError == 0 && !m_bHeardStale && m_nBytesHeard == 0) {
        ++m_nSilentSends; // its answer may still come after the next transmission's
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
    m_bHeardStale = false;
    m_nBytesHeard = 0;
    return ELinkEvent::Write;
}

// The frame in flight is given up: the port failure is reported and both records emptied.
void CDeviceLink::AbandonFrame(CTransport& port) {
    ReportPortFailure(port);
    Clear(true);
    ForgetLateAnswers();
}

void CDeviceLink::ForgetLateAnswers() {
    m_nStaleAnswers = 0;
    m_nSilentSends = 0;
    m_bHeardStale = false;
    m_nBytesHeard = 0;
}

void CDeviceLink::ReportPortFailure(CTransport& port) {
    std::intptr_t probe = 0;
    {
        CImageGuard guard(ImageLock());
        probe = m_current.m_bProbe;
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
        if (verdict != EVerdict::Stale) {
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

CDeviceLink::EVerdict CDeviceLink::Validate() {
    if (!VerifyFrame(m_receive)) {
        m_receive.m_bError = 1;
        return EVerdict::NotAccepted;
    }
    if (m_nStaleAnswers > 0 && FrameCommand(m_receive) == m_nStaleCommand) {
        --m_nStaleAnswers;
        m_bHeardStale = true;
        const std::uint8_t retry = m_receive.m_nRetry;
        const std::uint8_t idle = m_receive.m_nIdle;
        ClearRecord(m_receive); // the current frame waits on for its own answer
        m_receive.m_nRetry = retry;
        m_receive.m_nIdle = idle;
        return EVerdict::Stale;
    }
    const EFrameKind kind = ClassifyFrame(m_receive, FrameCommand(m_current));
    if (kind == EFrameKind::AckRejected) {
        m_receive.m_bError = 1;
        return EVerdict::NotAccepted;
    }
    if (kind == EFrameKind::Reply) {
        Dispatch();
    }
    Accept();
    return EVerdict::Accepted;
}

// The answer to the current frame has been accepted: every transmission that heard
// nothing may still be answered late.
void CDeviceLink::Accept() {
    if (m_current.m_bStoreCompletion != 0) {
        g_flags.m_bStoreBusy = false;
    }
    m_nStaleCommand = FrameCommand(m_current);
    m_nStaleAnswers = m_nSilentSends;
    m_nSilentSends = 0;
    m_bHeardStale = false;
    m_nBytesHeard = 0;
    Clear(true);
}

// Stores what a reply carries. A reply too short for its data is accepted as the answer
// and stores nothing.
void CDeviceLink::Dispatch() {
    const std::uint8_t command = FrameCommand(m_receive);
    const std::uint16_t needed = NeededLength(command);
    if (needed == 0 || FrameLength(m_receive) < needed) {
        return;
    }
    const std::uint8_t* frame = m_receive.m_abFrame;
    switch (command) {
    case cmd::kLevelPoll:
    case cmd::kStatePoll:
        DispatchMeters(command);
        break;
    case cmd::kProbe:
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

// Reply 130: mode 0 is the working image, modes 1..21 go into their slots. A mode other
// than the one asked for is reported with the message "11" and still stored where it
// belongs, never in the slot of another mode; a mode above 21 has no slot.
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
    if (n != FrameParameter(m_current)) {
        Notify().MessageBox("11", "");
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
