#include "link/CommLoop.h"

#include "link/DeviceLink.h"

#include <pthread.h>

namespace zolt {

namespace {

constexpr Milliseconds kTurnPause{20};

} // namespace

CCommLoop::CCommLoop(CDeviceLink& link, CTransport& port, CClock& clock)
    : m_link(link), m_port(port), m_clock(clock) {
    m_port.Purge();
}

bool CCommLoop::Turn() {
    if (m_port.StopRequested()) {
        return false;
    }
    if (m_bWrite) {
        m_bWrite = false;
        Follow(m_link.WriteStep(m_port));
    } else if (m_bAddData_Even) {
        m_bAddData_Even = false;
        Follow(m_link.NextFrameStep());
    } else {
        ServePort();
    }
    m_clock.Sleep(kTurnPause);
    return true;
}

// Bytes arrived or the wait timed out: the receive step; the device gone: a port failure
// (which asks the loop to stop).
void CCommLoop::ServePort() {
    switch (m_port.Wait(m_link.WaitTimeout())) {
    case EPortEvent::Stopped:
        break;
    case EPortEvent::HungUp:
        m_link.ReportPortFailure(m_port, ELinkFault::HungUp);
        break;
    case EPortEvent::Failed:
        m_link.ReportPortFailure(m_port, ELinkFault::PortError);
        break;
    case EPortEvent::Readable:
    case EPortEvent::TimedOut:
        Follow(m_link.ReceiveStep(m_port));
        break;
    }
}

// Write: (re)write the current frame next; NextFrame: the answer was taken, choose the
// next frame.
void CCommLoop::Follow(ELinkEvent event) {
    if (event == ELinkEvent::Write) {
        m_bAddData_Even = false;
        m_bWrite = true;
    } else if (event == ELinkEvent::NextFrame) {
        m_bAddData_Even = true;
    }
}

CCommThread::~CCommThread() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CCommThread::Start(CCommLoop& loop) {
    if (m_thread.joinable()) {
        m_thread.join(); // a thread that ended by itself after a port failure
    }
    m_bRunning = true;
    m_thread = std::thread([this, &loop] {
        pthread_setname_np(pthread_self(), "zolt-comm"); // as ps and top show the thread
        while (loop.Turn()) {
        }
        m_bRunning = false;
    });
}

void CCommThread::Stop(CTransport& port) {
    port.RequestStop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

} // namespace zolt
