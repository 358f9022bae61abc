// Puts a CSimProcessor on the master side of a pseudo-terminal: the program opens the
// slave side as its serial port. The server paces what it sends at the line rate of
// 115200 8N1 (86.8 us a byte), since a pseudo-terminal would deliver everything at once
// and hide timing faults, and it takes a frame as received only once its last byte would
// have crossed the line.
#pragma once

#include "sim/SimDevice.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zolt::sim {

constexpr double kLineByteMicros = 1e6 * 10 / 115200; // start, 8 data and stop bit: 86.8 us

struct SSimOptions {
    std::string m_strLogPath;               // append one line per received frame; empty: no log
    double m_dByteMicros = kLineByteMicros; // 0: no pacing
    bool m_bRecordTimes = true;             // keep FrameTimes (a long-running server need not)
};

using Micros = std::chrono::microseconds;

// One part of an answer and when it goes on the line. A hang-up part carries no bytes: the
// line closes once the parts before it have gone.
struct SAnswerChunk {
    Micros m_nAt;
    std::vector<std::uint8_t> m_abBytes;
    bool m_bHangUp = false;
};

// The answers on their way out, in the order they leave; times count from any fixed start.
// A busy processor (the default) starts on a frame only once it has sent the answer
// before; with overlapping delays it takes every frame as it comes (a delay on the way,
// not a slow processor), and the answers follow one another on the line.
class CAnswerSchedule {
public:
    // byteMicros: the line time of a byte; 0 for no pacing.
    explicit CAnswerSchedule(double byteMicros) : m_dByteMicros(byteMicros) {}

    // Plans the answer to frame, whose first byte arrived at arrived. It starts once the
    // frame has crossed the line (at once with the early-answer fault; a moment later
    // unpaced), after the faults' delays, and goes out at the line rate in parts of about
    // a millisecond (one byte at a time with the trickle fault). With hangUp the line
    // closes after it.
    void Add(const SWireFrame& frame, const std::vector<std::uint8_t>& answer,
             const SSimFaults& faults, Micros arrived, bool hangUp);
    // When the next part is due; nothing planned: none.
    std::optional<Micros> Next() const;
    // The next part once it is due at now.
    std::optional<SAnswerChunk> TakeDue(Micros now);

private:
    double m_dByteMicros;
    std::deque<SAnswerChunk> m_aChunks;
    Micros m_nBusyUntil{0}; // the processor has done with the frames before
};

// When a frame was taken off the line (its first byte), and its command byte.
struct SFrameTime {
    std::chrono::steady_clock::time_point m_tArrival;
    std::uint8_t m_nCommand;
};

class CSimServer {
public:
    explicit CSimServer(SSimFaults faults = {}, SSimState state = MakeFactoryState(),
                        SSimOptions options = {});
    ~CSimServer();
    CSimServer(const CSimServer&) = delete;
    CSimServer& operator=(const CSimServer&) = delete;

    // Creates the pseudo-terminal and starts serving it; false with a reason otherwise.
    bool Start(std::string& error);
    // Ends the serving thread and closes the pseudo-terminal. Idempotent.
    void Stop();

    // Path of the slave side, for the program to open (valid after Start).
    const std::string& Path() const { return m_strPath; }

    // Copies taken under the server's lock; any thread.
    SSimState State() const;
    // Changes the processor's state as a knob on its front panel would; any thread.
    void Edit(const std::function<void(SSimState&)>& edit);
    int FramesReceived() const;
    std::vector<SFrameTime> FrameTimes() const;
    // True once a hang-up fault has closed the line.
    bool HungUp() const { return m_bHungUp; }

private:
    void Serve();
    bool Wait();
    void Take(const SWireFrame& frame, std::chrono::steady_clock::time_point start);
    void SendDue();
    bool WriteAll(const std::uint8_t* bytes, std::size_t count);
    Micros SinceStart(std::chrono::steady_clock::time_point when) const;
    void Log(const SWireFrame& frame);
    void CloseLine();

    CSimDevice m_device;
    SSimOptions m_options;
    CAnswerSchedule m_schedule;    // serving thread only
    bool m_bHangUpPlanned = false; // serving thread only
    mutable std::mutex m_mutex;    // guards m_aTimes
    std::vector<SFrameTime> m_aTimes;
    std::string m_strPath;
    int m_nMaster = -1;
    int m_nSlave = -1; // held open so the master never sees a hang-up between connections
    int m_nStop = -1;  // eventfd
    std::FILE* m_pLog = nullptr;
    std::chrono::steady_clock::time_point m_tStart;
    std::atomic<bool> m_bHungUp{false};
    std::thread m_thread;
};

} // namespace zolt::sim
