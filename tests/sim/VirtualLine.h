// The simulated processor on a line that runs in virtual time, and a stand-in for the comm
// thread and the window that drives the link over it, so that slow processors (answers
// seconds late, bulk frames past their window) are tested in moments.
#pragma once

#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/Notify.h"
#include "link/Transport.h"
#include "sim/SimServer.h"

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zolt::test {

using sim::Micros;

// The processor behind a line at 115200 baud in the virtual time of clock. A frame written
// reaches the processor as over the pseudo-terminal, and its answer arrives when the
// simulator's schedule sends it (sim::CAnswerSchedule, with the faults' pacing and
// delays); a write takes the frame's time on the line, as the port waits until the bytes
// have left, whatever the processor is doing.
class CVirtualLine final : public CTransport {
public:
    CVirtualLine(CVirtualClock& clock, sim::SSimFaults faults, sim::SSimState state);

    SPortResult Write(const std::uint8_t* bytes, std::size_t count) override;
    SPortResult BytesWaiting() override;
    SPortResult Read(std::uint8_t* buffer, std::size_t capacity) override;
    void Purge() override;
    void RequestStop() override { m_bStopRequested = true; }

    // When the next byte on its way arrives (nothing on its way: none).
    std::optional<Milliseconds> NextArrival() const;
    // A hang-up fault has closed the line and everything sent before it has arrived.
    bool HungUp();
    bool StopRequested() const { return m_bStopRequested; }

    const sim::CSimProcessor& Processor() const { return m_processor; }
    // Command and parameter of every frame the processor took, in order.
    const std::vector<std::pair<std::uint8_t, std::uint8_t>>& Taken() const { return m_aTaken; }
    // How often the processor took the frame with this command and parameter.
    int TimesTaken(std::uint8_t command, std::uint8_t parameter) const;

private:
    Micros Now() const { return m_clock.Now(); }
    // Moves the parts of answers that have arrived by now into the input.
    void Deliver();

    CVirtualClock& m_clock;
    sim::CSimProcessor m_processor;
    sim::CFrameReader m_reader;
    sim::CAnswerSchedule m_schedule{sim::kLineByteMicros};
    std::vector<std::uint8_t> m_abInput; // arrived, not read yet
    bool m_bHangUpPlanned = false;
    bool m_bHungUp = false;
    bool m_bStopRequested = false;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> m_aTaken;
};

// Runs the link cycle as the comm thread does (write before next frame before received
// bytes, the wait with its timeout, a hang-up as a port failure, the 20 ms end of every
// turn) and handles what the link posts as the window does, all in virtual time.
class CVirtualComm final : public CNotifySink {
public:
    explicit CVirtualComm(sim::SSimFaults faults = {},
                          sim::SSimState state = sim::MakeFactoryState());
    ~CVirtualComm() override;
    CVirtualComm(const CVirtualComm&) = delete;
    CVirtualComm& operator=(const CVirtualComm&) = delete;

    // As a lookup does once the port is open: on line, the probe queued, the cycle started.
    void Open();
    // Runs turns until done() holds (true), or the link has failed or limit has passed
    // since the call (false).
    bool RunUntil(const std::function<bool()>& done, Milliseconds limit);

    // The read-back has delivered the working image.
    bool ReadBack() const { return m_nImages > 0; }
    // The queued frames have all been answered.
    bool Drained() const;
    bool Failed() const { return m_bFailed; }

    CVirtualClock m_clock;
    CVirtualLine m_line;
    CDeviceLink m_link{m_clock};
    std::vector<std::string> m_aBoxes;
    int m_nExports = 0;

    // CNotifySink
    void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void MessageBox(std::string_view text, std::string_view caption) override;
    void RunAllModesExport() override { ++m_nExports; }

private:
    void Turn();
    void Follow(ELinkEvent event);
    void HandlePosts();

    bool m_bWrite = false;
    bool m_bNextFrame = false;
    bool m_bFailed = false;
    int m_nImages = 0;
    std::deque<unsigned> m_aPosted;
};

} // namespace zolt::test
