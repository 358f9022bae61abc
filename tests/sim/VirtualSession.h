// The session as the tests host it: a host that records what the session tells it and runs
// the session's work when the test lets it, and simulated processors on lines that run in
// virtual time, so that a lookup, a read-back, a backup or a restore against a slow or
// faulty processor takes moments.
#pragma once

#include "link/Clock.h"
#include "link/Session.h"
#include "link/TaskQueue.h"
#include "sim/SimLine.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace zolt::test {

// Records every notice of the session; its tasks wait until RunTasks. Tasks may be given
// from any thread; everything else happens on the test's thread.
class CRecordingHost final : public CQueuedHost {
public:
    bool IsSystemPageShown() const override { return m_bSystemPage; }
    void ProgressStart(int total) override {
        m_aProgress.push_back("start " + std::to_string(total));
    }
    void ProgressStep(int step, std::uint8_t, std::uint8_t) override {
        m_aProgress.push_back("step " + std::to_string(step));
    }
    void ProgressBusy() override { m_aProgress.push_back("busy"); }
    void ProgressLookup() override { m_aProgress.push_back("lookup"); }
    void ProgressHide() override { m_aProgress.push_back("hide"); }
    void MessageBox(std::string_view text, std::string_view caption) override;
    void ConnectionChanged() override { ++m_nConnectionChanges; }
    void ProbeAnswered() override { ++m_nProbesAnswered; }
    void ImageReplaced() override { ++m_nImages; }
    void SystemBlockRead() override { ++m_nSystemBlocks; }
    void AllModesRead() override { ++m_nAllModes; }
    void MetersArrived(int pollKind) override { m_aMeters.push_back(pollKind); }
    void LinkEnded() override { ++m_nLinkEnded; }

    // A session on the comm thread: runs the tasks as they come until done() holds (true)
    // or timeout (real time) has passed.
    bool RunTasksUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    // The boxes shown: the link's failure reports ("Unable to Open Device!" and the causes,
    // in either language) apart from the others.
    std::vector<std::string> m_aBoxes;
    std::vector<std::string> m_aReports;
    std::vector<std::string> m_aProgress;
    std::vector<int> m_aMeters;
    int m_nConnectionChanges = 0;
    int m_nProbesAnswered = 0;
    int m_nImages = 0;
    int m_nSystemBlocks = 0;
    int m_nAllModes = 0;
    int m_nLinkEnded = 0;
    bool m_bSystemPage = false;
};

// A session stepped in virtual time over simulated processors, each reached as a port by
// its name; by default one processor on the port "sim0", the only candidate.
class CVirtualSession {
public:
    static constexpr const char* kPort = "sim0";

    explicit CVirtualSession(sim::SSimFaults faults = {},
                             sim::SSimState state = sim::MakeFactoryState());

    // The lookup over the candidates (kPort unless SetPorts named others).
    void Open() { m_session.Lookup(); }
    void SetPorts(std::vector<std::string> ports) {
        m_session.Connection().SetNamedPorts(std::move(ports), true);
    }
    // Another processor, reached as the port called name.
    sim::CSimDevice& Add(const std::string& name, sim::SSimFaults faults = {},
                         sim::SSimState state = sim::MakeFactoryState()) {
        return m_opener.Add(name, std::move(faults), std::move(state));
    }

    // Runs turns and the session's work until done() holds (true), or the link has failed
    // or limit has passed in virtual time (false).
    bool RunUntil(const std::function<bool()>& done, Milliseconds limit);

    // The read-back has delivered the working image.
    bool ReadBack() const { return m_host.m_nImages > 0; }
    // Every command queued so far has been answered.
    bool Drained() const;
    // The link has failed, or the lookup found nothing: off line.
    bool Failed() const { return m_host.m_nLinkEnded > 0 || !m_session.Online(); }

    sim::CSimDevice& Device() { return *m_opener.Device(kPort); }
    CDeviceLink& Link() { return m_session.Link(); }
    CSession& Session() { return m_session; }

    CVirtualClock m_clock;
    sim::CSimOpener m_opener{m_clock};
    CRecordingHost m_host;

private:
    CSession m_session;
};

} // namespace zolt::test
