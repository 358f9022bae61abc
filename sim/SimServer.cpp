#include "sim/SimServer.h"

#include "link/Frame.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace zolt::sim {

namespace {

using Clock = std::chrono::steady_clock;

// Bytes sent per paced write, each when its last byte would have crossed the line: a USB
// serial adapter hands received bytes over in packets of up to 64. A short answer (a meter
// reply, an acknowledgement) is one write, so the idle polls cost the simulator one wake-up
// per answer.
constexpr std::size_t kPaceChunk = 64;
// The least time an unpaced simulator takes to answer, as a processor does.
constexpr Micros kUnpacedTurnaround{1000};
// An answer the program does not take within this time is dropped.
constexpr int kWriteStallMs = 1000;

std::string Reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

Micros ByteTime(double micros, std::size_t count) {
    return Micros(static_cast<long long>(micros * static_cast<double>(count)));
}

} // namespace

void CAnswerSchedule::Add(const SWireFrame& frame, const std::vector<std::uint8_t>& answer,
                          const SSimFaults& faults, Micros arrived, bool hangUp) {
    using std::chrono::milliseconds;
    Micros start = faults.m_bOverlap ? arrived : std::max(arrived, m_nBusyUntil);
    if (!faults.m_bAnswerEarly) {
        start += m_dByteMicros > 0 ? ByteTime(m_dByteMicros, frame.m_abBytes.size())
                                   : kUnpacedTurnaround;
    }
    start += milliseconds(faults.m_nDelayMs);
    if (IsBulkFrame(frame)) {
        start += milliseconds(faults.m_nBulkDelayMs);
    }
    if (!m_aChunks.empty()) {
        start = std::max(start, m_aChunks.back().m_nAt); // one answer after another
    }
    const Micros trickle = milliseconds(faults.m_nTrickleMs);
    const std::size_t size = trickle.count() > 0 ? 1
                             : m_dByteMicros > 0 ? kPaceChunk
                                                 : answer.size();
    Micros at = start;
    for (std::size_t first = 0; first < answer.size(); first += size) {
        const std::size_t end = std::min(answer.size(), first + size);
        at = trickle.count() > 0 ? start + trickle * static_cast<Micros::rep>(first)
                                 : start + ByteTime(std::max(m_dByteMicros, 0.0), end);
        m_aChunks.push_back({at,
                             {answer.begin() + static_cast<std::ptrdiff_t>(first),
                              answer.begin() + static_cast<std::ptrdiff_t>(end)}});
    }
    if (hangUp) {
        m_aChunks.push_back({at, {}, true});
    }
    m_nBusyUntil = at;
}

std::optional<Micros> CAnswerSchedule::Next() const {
    if (m_aChunks.empty()) {
        return std::nullopt;
    }
    return m_aChunks.front().m_nAt;
}

std::optional<SAnswerChunk> CAnswerSchedule::TakeDue(Micros now) {
    if (m_aChunks.empty() || m_aChunks.front().m_nAt > now) {
        return std::nullopt;
    }
    SAnswerChunk chunk = std::move(m_aChunks.front());
    m_aChunks.pop_front();
    return chunk;
}

CSimServer::CSimServer(SSimFaults faults, SSimState state, SSimOptions options)
    : m_device(faults, std::move(state)), m_options(std::move(options)),
      m_schedule(m_options.m_dByteMicros) {
    m_device.KeepFrames(false); // the log and the frame times tell what it took
}

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
    m_thread = std::thread([this] {
        pthread_setname_np(pthread_self(), "zolt-sim");
        Serve();
    });
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
    return m_device.State();
}

void CSimServer::Edit(const std::function<void(SSimState&)>& edit) {
    m_device.Edit(edit);
}

int CSimServer::FramesReceived() const {
    return m_device.FramesReceived();
}

std::vector<SFrameTime> CSimServer::FrameTimes() const {
    std::lock_guard lock(m_mutex);
    return m_aTimes;
}

// Takes frames as they come and sends the answers as they fall due.
void CSimServer::Serve() {
    CFrameReader reader;
    Clock::time_point frameStart = Clock::now();
    std::uint8_t buffer[4096];
    while (!m_bHungUp && Wait()) {
        const ssize_t got = read(m_nMaster, buffer, sizeof buffer);
        if (got < 0 && errno != EAGAIN && errno != EINTR) {
            return; // the line is gone
        }
        const Clock::time_point now = Clock::now();
        for (ssize_t i = 0; i < got; ++i) {
            if (!reader.InFrame()) {
                frameStart = now;
            }
            if (auto frame = reader.Push(buffer[i])) {
                Take(*frame, frameStart);
            }
        }
        SendDue();
    }
}

// Waits for bytes from the program or the next answer due, sending what falls due;
// false once the server is stopped or the line has hung up.
bool CSimServer::Wait() {
    for (;;) {
        SendDue();
        if (m_bHungUp) {
            return false;
        }
        pollfd fds[2] = {{m_nStop, POLLIN, 0}, {m_nMaster, POLLIN, 0}};
        timespec timeout{};
        const std::optional<Micros> next = m_schedule.Next();
        if (next) {
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                std::max(Micros{0}, *next - SinceStart(Clock::now())));
            timeout = {static_cast<time_t>(ns.count() / 1000000000),
                       static_cast<long>(ns.count() % 1000000000)};
        }
        const int ready = ppoll(fds, 2, next ? &timeout : nullptr, nullptr);
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (fds[0].revents != 0) {
            return false;
        }
        if (fds[1].revents != 0) {
            return true;
        }
    }
}

// Handles a frame and plans its answer. Once a hang-up is planned the processor takes no
// more frames.
void CSimServer::Take(const SWireFrame& frame, Clock::time_point start) {
    if (m_bHangUpPlanned) {
        return;
    }
    Log(frame);
    if (m_options.m_bRecordTimes) {
        std::lock_guard lock(m_mutex);
        m_aTimes.push_back({start, frame.Command()});
    }
    const std::vector<std::uint8_t> answer = m_device.Take(frame, m_bHangUpPlanned);
    m_schedule.Add(frame, answer, m_device.Faults(), SinceStart(start), m_bHangUpPlanned);
}

// Writes every part of an answer that is due; a hang-up part closes the line. A part
// nobody takes is dropped.
void CSimServer::SendDue() {
    while (std::optional<SAnswerChunk> chunk = m_schedule.TakeDue(SinceStart(Clock::now()))) {
        if (chunk->m_bHangUp) {
            m_bHungUp = true;
            CloseLine();
            return;
        }
        WriteAll(chunk->m_abBytes.data(), chunk->m_abBytes.size());
    }
}

Micros CSimServer::SinceStart(Clock::time_point when) const {
    return std::chrono::duration_cast<Micros>(when - m_tStart);
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
