#include "sim/SimServer.h"

#include "link/Frame.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace zolt::sim {

namespace {

using Clock = std::chrono::steady_clock;

// Bytes sent per paced write: about one millisecond of line time.
constexpr std::size_t kPaceChunk = 12;
// The least time an unpaced simulator takes to answer.
constexpr auto kUnpacedTurnaround = std::chrono::milliseconds(1);
// An answer the program does not take within this time is dropped.
constexpr int kWriteStallMs = 1000;

std::string Reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

Clock::duration ByteTime(double micros, std::size_t count) {
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::micro>(micros * static_cast<double>(count)));
}

} // namespace

CSimServer::CSimServer(SSimFaults faults, SSimState state, SSimOptions options)
    : m_processor(faults, std::move(state)), m_options(std::move(options)) {}

CSimServer::~CSimServer() {
    Stop();
}

bool CSimServer::Start(std::string& error) {
    m_nMaster = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_nMaster < 0 || grantpt(m_nMaster) != 0 || unlockpt(m_nMaster) != 0) {
        error = Reason("posix_openpt");
        CloseLine();
        return false;
    }
    char name[128];
    if (ptsname_r(m_nMaster, name, sizeof name) != 0) {
        error = Reason("ptsname");
        CloseLine();
        return false;
    }
    m_strPath = name;
    m_nSlave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    m_nStop = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_nSlave < 0 || m_nStop < 0) {
        error = Reason("open");
        CloseLine();
        return false;
    }
    if (!m_options.m_strLogPath.empty()) {
        m_pLog = std::fopen(m_options.m_strLogPath.c_str(), "a");
        if (m_pLog == nullptr) {
            error = Reason(m_options.m_strLogPath.c_str());
            CloseLine();
            return false;
        }
    }
    m_tStart = Clock::now();
    m_thread = std::thread([this] { Serve(); });
    return true;
}

void CSimServer::Stop() {
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(m_nStop, &one, sizeof one);
        m_thread.join();
    }
    CloseLine();
    if (m_nStop >= 0) {
        close(m_nStop);
        m_nStop = -1;
    }
    if (m_pLog != nullptr) {
        std::fclose(m_pLog);
        m_pLog = nullptr;
    }
}

void CSimServer::CloseLine() {
    if (m_nSlave >= 0) {
        close(m_nSlave);
        m_nSlave = -1;
    }
    if (m_nMaster >= 0) {
        close(m_nMaster);
        m_nMaster = -1;
    }
}

SSimState CSimServer::State() const {
    std::lock_guard lock(m_mutex);
    return m_processor.State();
}

void CSimServer::Edit(const std::function<void(SSimState&)>& edit) {
    std::lock_guard lock(m_mutex);
    edit(m_processor.State());
}

int CSimServer::FramesReceived() const {
    std::lock_guard lock(m_mutex);
    return m_processor.FramesReceived();
}

std::vector<SFrameTime> CSimServer::FrameTimes() const {
    std::lock_guard lock(m_mutex);
    return m_aTimes;
}

void CSimServer::Serve() {
    CFrameReader reader;
    Clock::time_point frameStart = Clock::now();
    std::uint8_t buffer[4096];
    while (!m_bHungUp) {
        pollfd fds[2] = {{m_nStop, POLLIN, 0}, {m_nMaster, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        const ssize_t got = read(m_nMaster, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            return; // the line is gone
        }
        const Clock::time_point now = Clock::now();
        for (ssize_t i = 0; i < got && !m_bHungUp; ++i) {
            if (!reader.InFrame()) {
                frameStart = now;
            }
            if (auto frame = reader.Push(buffer[i])) {
                Take(*frame, frameStart);
            }
        }
    }
}

void CSimServer::Take(const SWireFrame& frame, Clock::time_point start) {
    Log(frame);
    std::vector<std::uint8_t> answer;
    bool hangUp = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_options.m_bRecordTimes) {
            m_aTimes.push_back({start, frame.Command()});
        }
        answer = m_processor.Handle(frame);
        hangUp = m_processor.HangUpDue();
    }
    // The frame has arrived once its last byte has crossed the line. Unpaced, the answer
    // still waits a moment, as a processor does: the host purges its input after a write.
    const Clock::time_point arrived =
        m_options.m_dByteMicros > 0
            ? start + ByteTime(m_options.m_dByteMicros, frame.m_abBytes.size())
            : start + kUnpacedTurnaround;
    if (!SleepUntil(arrived)) {
        return;
    }
    const int delay = m_processor.Faults().m_nDelayMs;
    if (delay > 0 && !SleepUntil(Clock::now() + std::chrono::milliseconds(delay))) {
        return;
    }
    if (!answer.empty() && !SendPaced(answer)) {
        return;
    }
    if (hangUp) {
        m_bHungUp = true;
        CloseLine();
    }
}

bool CSimServer::SendPaced(const std::vector<std::uint8_t>& bytes) {
    if (m_options.m_dByteMicros <= 0) {
        return WriteAll(bytes.data(), bytes.size());
    }
    const Clock::time_point start = Clock::now();
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const std::size_t next = std::min(bytes.size(), sent + kPaceChunk);
        if (!SleepUntil(start + ByteTime(m_options.m_dByteMicros, next))) {
            return false;
        }
        const auto elapsed = std::chrono::duration<double, std::micro>(Clock::now() - start);
        const auto due = std::min(
            bytes.size(), static_cast<std::size_t>(elapsed.count() / m_options.m_dByteMicros));
        if (!WriteAll(bytes.data() + sent, std::max(due, next) - sent)) {
            return false;
        }
        sent = std::max(due, next);
    }
    return true;
}

bool CSimServer::WriteAll(const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t done = write(m_nMaster, bytes, count);
        if (done > 0) {
            bytes += done;
            count -= static_cast<std::size_t>(done);
            continue;
        }
        if (done < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        pollfd fds[2] = {{m_nStop, POLLIN, 0}, {m_nMaster, POLLOUT, 0}};
        if (poll(fds, 2, kWriteStallMs) <= 0 || fds[0].revents != 0) {
            return false; // stopped, or nobody takes the bytes: drop the answer
        }
    }
    return true;
}

bool CSimServer::SleepUntil(Clock::time_point when) {
    for (;;) {
        const auto left = when - Clock::now();
        if (left <= Clock::duration::zero()) {
            return true;
        }
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout{static_cast<time_t>(ns / 1000000000),
                               static_cast<long>(ns % 1000000000)};
        pollfd stop{m_nStop, POLLIN, 0};
        const int ready = ppoll(&stop, 1, &timeout, nullptr);
        if (ready > 0) {
            return false;
        }
    }
}

void CSimServer::Log(const SWireFrame& frame) {
    if (m_pLog == nullptr) {
        return;
    }
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_tStart).count();
    std::fprintf(m_pLog, "%lld", static_cast<long long>(ms));
    for (const std::uint8_t byte : frame.m_abBytes) {
        std::fprintf(m_pLog, " %02X", byte);
    }
    const SCommandInfo* pCommand = FindHostCommand(frame.Command());
    std::fprintf(m_pLog, "  # %s\n", pCommand != nullptr ? pCommand->m_pszName : "unknown");
    std::fflush(m_pLog);
}

} // namespace zolt::sim
