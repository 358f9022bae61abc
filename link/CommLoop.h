// The comm loop: the one place the link cycle is run, over any transport. Each turn serves
// the first ready of write, next frame and the port (bytes, a hang-up or the wait's
// timeout), in that order, and ends with a 20 ms pause. The comm thread runs turns until a
// stop is requested; a host that steps the link in virtual time runs them one by one.
#pragma once

#include "link/Clock.h"
#include "link/Transport.h"

#include <atomic>
#include <thread>

namespace zolt {

class CDeviceLink;
enum class ELinkEvent;

class CCommLoop {
public:
    // Stale input is dropped; the first turn chooses the next frame (the probe).
    CCommLoop(CDeviceLink& link, CTransport& port, CClock& clock);

    // One turn (the thread that runs the loop, without the image lock). False, doing
    // nothing, once a stop has been requested.
    bool Turn();

private:
    void Follow(ELinkEvent event);
    void ServePort();

    CDeviceLink& m_link;
    CTransport& m_port;
    CClock& m_clock;
    bool m_bWrite = false;
    bool m_bAddData_Even = true; // the next-frame event
};

// The comm thread ("zolt-comm"): runs the loop's turns until the transport is asked to
// stop. Start and Stop on the UI thread (or zoltctl's main thread), never with the image
// lock held: Stop waits for the current turn, whose steps take that lock.
class CCommThread {
public:
    CCommThread() = default;
    ~CCommThread();
    CCommThread(const CCommThread&) = delete;
    CCommThread& operator=(const CCommThread&) = delete;

    void Start(CCommLoop& loop);
    // Asks port to stop and waits for the thread to end.
    void Stop(CTransport& port);
    // True while the thread runs (it ends by itself after a port failure).
    bool Running() const { return m_bRunning.load(); }

private:
    std::thread m_thread;
    std::atomic<bool> m_bRunning{false};
};

} // namespace zolt
