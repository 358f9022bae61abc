// The simulated processor behind a serial line inside the program, with no pseudo-terminal:
// a frame written reaches the processor as over a line at 115200 baud, and its answer
// arrives when the answer schedule sends it (with the faults' pacing and delays). The line
// runs in the time of a clock: with the virtual clock the tests run the link against slow or
// faulty processors in virtual time; with the real clock it is the simulated processor of
// `zolt --simulator`.
#pragma once

#include "link/Clock.h"
#include "link/Transport.h"
#include "sim/SimDevice.h"
#include "sim/SimServer.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zolt::sim {

class CSimLine final : public CTransport {
public:
    CSimLine(CClock& clock, CSimDevice& device);

    SPortResult Write(const std::uint8_t* bytes, std::size_t count) override;
    SPortResult BytesWaiting() override;
    SPortResult Read(std::uint8_t* buffer, std::size_t capacity) override;
    void Purge() override;
    EPortEvent Wait(Milliseconds timeout) override;
    void RequestStop() override;
    bool StopRequested() const override { return m_bStop.load(); }

private:
    Micros Now() const { return m_clock.Now(); }
    // Lets duration pass on the line's clock, ending early on a stop request.
    void Pass(Milliseconds duration);
    // Moves the parts of answers that have arrived by now into the input.
    void Deliver();
    bool HungUp();

    CClock& m_clock;
    CSimDevice& m_device;
    CFrameReader m_reader;
    CAnswerSchedule m_schedule{kLineByteMicros};
    std::vector<std::uint8_t> m_abInput; // arrived, not read yet
    bool m_bHangUpPlanned = false;
    bool m_bHungUp = false;
    std::mutex m_stopMutex;
    std::condition_variable m_stopChanged;
    std::atomic<bool> m_bStop{false};
};

// Opens the simulated processors by their names, every other name with the next opener
// (the serial ports). The devices live as long as the opener.
class CSimOpener final : public CTransportOpener {
public:
    CSimOpener(CClock& clock, CTransportOpener* pNext = nullptr);

    // A simulated processor reached as the port called name.
    CSimDevice& Add(const std::string& name, SSimFaults faults = {},
                    SSimState state = MakeFactoryState());
    CSimDevice* Device(const std::string& name);

    std::unique_ptr<CTransport> Open(const std::string& name, SOpenFailure& failure) override;

private:
    CClock& m_clock;
    CTransportOpener* m_pNext;
    std::map<std::string, std::unique_ptr<CSimDevice>> m_devices;
};

} // namespace zolt::sim
