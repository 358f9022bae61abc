// The simulated processor: its stored state (working image, system block, 21 modes, the
// unlock flag), what it does with every frame it accepts, and the faults it can be told
// to show. It knows nothing of ports or time; CSimServer puts it on a line.
#pragma once

#include "model/Layout.h"
#include "sim/SimFrames.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zolt::sim {

// Faults to inject; each is off at its default. Counts are 1-based over the frames taken
// off the line (every frame, resends included) or over the answers sent.
struct SSimFaults {
    bool m_bSilent = false;           // never answer anything
    int m_nRejectFirst = 0;           // answer the first N frames with status 2, not applying them
    int m_nRejectEvery = 0;           // answer every Nth frame with status 2, not applying it
    int m_nBadSumEvery = 0;           // every Nth answer goes out with a wrong sum
    int m_nNoiseBytes = 0;            // bytes that are no frame, sent before every answer
    int m_nDelayMs = 0;               // pause before each answer
    bool m_bOverlap = false;          // go on taking frames during the pauses (a delay on the way)
    int m_nBulkDelayMs = 0;           // further pause before each answer to a bulk frame
    bool m_bAnswerEarly = false;      // answer before the frame's last byte has crossed the line
    int m_nTrickleMs = 0;             // send answers one byte at a time, this far apart
    std::vector<int> m_anLoseAnswers; // frames N applied whose answers are lost on the way
    int m_nWrongMode = 0;             // label the reply to a read of this mode (1..21) as the next
    int m_nWrongModeTimes = 0;        // only the first N such reads (0: every one)
    int m_nHangUpAfter = 0;           // close the line after answering N frames
    bool m_bProbeAck = false;         // answer the probe with a bare acknowledgement
    int m_nDropWrite = 0; // acknowledge the Nth whole-mode or system-block write unstored
};

// A bulk frame: a read or write of a stored mode 1..21, which the host follows with a
// pause and a longer wait.
bool IsBulkFrame(const SWireFrame& frame);

struct SSimState {
    std::array<std::uint8_t, kImageSize> m_abImage{};
    std::array<std::uint8_t, kSystemSize> m_abSystem{};
    std::array<std::array<std::uint8_t, kImageSize>, kSlotCount> m_aModes{}; // 1..21 used
    bool m_bUnlock = true;
};

constexpr std::size_t kAllModesFileSize = kSystemSize + kModeCount * kImageSize + 1; // 57019

// The processor as it leaves the factory: 21 modes with names "Sim mode n" and plausible
// values, mode 1 playing, codes "1234" (panel) and "123456" (system), unlocked.
SSimState MakeFactoryState();

// The store as an all-modes file: the system block, modes 1..21, a last byte of 1.
std::vector<std::uint8_t> AllModesFile(const SSimState& state);

// Seeds the modes and the system block from an all-modes file; the working image becomes
// the mode the file's system block names (mode 1 when that is outside 1..21).
// False with a reason when the file cannot be read or is shorter than 57019 bytes.
bool LoadAllModesFile(const std::string& path, SSimState& state, std::string& error);

class CSimProcessor {
public:
    explicit CSimProcessor(SSimFaults faults = {}, SSimState state = MakeFactoryState());

    // One frame taken off the line; returns the bytes to send back (empty: no answer).
    std::vector<std::uint8_t> Handle(const SWireFrame& frame);

    const SSimState& State() const { return m_state; }
    SSimState& State() { return m_state; }
    const SSimFaults& Faults() const { return m_faults; }
    int FramesReceived() const { return m_nFrames; }
    bool HangUpDue() const {
        return m_faults.m_nHangUpAfter > 0 && m_nFrames >= m_faults.m_nHangUpAfter;
    }

private:
    bool Rejects() const;
    std::vector<std::uint8_t> Answer(const SWireFrame& frame);
    std::vector<std::uint8_t> Meters(std::uint8_t poll);
    std::vector<std::uint8_t> WithFaults(std::vector<std::uint8_t> answer);
    bool DropsWrite();

    SSimFaults m_faults;
    SSimState m_state;
    int m_nFrames = 0;
    int m_nAnswers = 0;
    int m_nWrites = 0;
    int m_nWrongModes = 0; // mode replies mislabelled so far
    unsigned m_nMeterTick = 0;
};

} // namespace zolt::sim
