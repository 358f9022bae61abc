// A simulated processor as a device behind a line, whatever the line: a pseudo-terminal
// (CSimServer) or a line inside the program (CSimLine).
#pragma once

#include "sim/SimProcessor.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace zolt::sim {

// A simulated processor as a device: it keeps its state from one connection to the next,
// and (unless told not to) records every frame it took. Any thread.
class CSimDevice {
public:
    explicit CSimDevice(SSimFaults faults = {}, SSimState state = MakeFactoryState());

    // One frame taken off the line: handled, recorded; returns the answer.
    std::vector<std::uint8_t> Take(const SWireFrame& frame, bool& hangUp);

    SSimState State() const;
    // Changes the processor's state as a knob on its front panel would.
    void Edit(const std::function<void(SSimState&)>& edit);
    SSimFaults Faults() const;
    int FramesReceived() const;
    // Every frame taken, whole, in order; none once told not to keep them (a simulator that
    // runs for hours).
    std::vector<SWireFrame> Frames() const;
    void KeepFrames(bool keep);
    // How often the frame with this command and parameter was taken.
    int TimesTaken(std::uint8_t command, std::uint8_t parameter) const;
    // The line has hung up (a hang-up fault): the device is gone for good.
    bool Gone() const { return m_bGone.load(); }
    void SetGone() { m_bGone = true; }

private:
    mutable std::mutex m_mutex;
    CSimProcessor m_processor;
    std::vector<SWireFrame> m_aFrames;
    bool m_bKeepFrames = true;
    std::atomic<bool> m_bGone{false};
};

} // namespace zolt::sim
