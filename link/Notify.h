// The one way the link tells its session something: the window messages the link posts
// (with their wParam / lParam values) and the few window operations the link flows need.
// The session (link/Session.h) implements CNotifySink and installs itself, and hands each
// notice to its host on the host's thread; the link's own tests install a recording sink.
// Until a sink is installed every notice goes nowhere.
#pragma once

#include <cstdint>
#include <string_view>

namespace zolt {

constexpr unsigned kWmUser = 0x0400;

// Messages the link posts to its session, on whichever thread raised them.
namespace msg {
// Port failure: wParam 1, lParam = the probe flag of the frame in flight (1 while the
// probe was in flight, so the lookup tries the next port).
constexpr unsigned kPortFailure = kWmUser + 0x72;
// Reply 129 stored (system block): refresh the System page if it is shown.
constexpr unsigned kSystemBlockRead = kWmUser + 0x74;
// Reply 130 for mode 0 or reply 133 stored (new working image): show the current page
// again and refresh the connection display.
constexpr unsigned kImageReplaced = kWmUser + 0x75;
// Reply 130 for mode 21 stored: call CDeviceLink::FinishReadAllModes().
constexpr unsigned kAllModesRead = kWmUser + 0x78;
// Meter values stored: wParam 12 (levels) or 24 (states), lParam 0. The handler shows
// them and then calls CDeviceLink::MetersShown().
constexpr unsigned kMeters = kWmUser + 0x7A;
// Reply 127 stored (probe answered): call CDeviceLink::StartReadBack().
constexpr unsigned kProbeAnswered = kWmUser + 0x7B;
// The probe was answered by a bare acknowledgement: the lookup is over, and no state
// follows, so nothing is read back.
constexpr unsigned kProbeAcknowledged = kWmUser + 0x7C;
// The last queued command has been answered and no store or recall waits: a transfer, a
// store or a recall is done. wParam: CDeviceLink::FramesAppended() at that moment, so a
// waiter tells the end of its own commands from the end of earlier ones.
constexpr unsigned kCommandsDone = kWmUser + 0x7D;
} // namespace msg

// What the user is shown of the link's work: the progress box, message boxes, the connection
// display and the page. The link raises these through its sink (on the thread it runs on);
// the session hands them to its host on the host's thread (link/Session.h). Every notice
// defaults to being ignored, so an implementation overrides only what it handles.
class CUserNotices {
public:
    virtual ~CUserNotices() = default;

    // Progress box. Start: bar 0..total, main window disabled. Step: the frame with progress
    // step 1..total (command and parameter) has been written; at step == total the box
    // closes. Busy: text only; the box closes when the store-busy flag drops. Lookup ("Device
    // lookup"): closes when the lookup flag drops. Hide: closes at once.
    virtual void ProgressStart([[maybe_unused]] int total) {}
    virtual void ProgressStep([[maybe_unused]] int step, [[maybe_unused]] std::uint8_t command,
                              [[maybe_unused]] std::uint8_t parameter) {}
    virtual void ProgressBusy() {}
    virtual void ProgressLookup() {}
    virtual void ProgressHide() {}

    // A message box: the specified text first, the cause on the lines after it. An empty
    // caption means the program's own window title.
    virtual void MessageBox([[maybe_unused]] std::string_view text,
                            [[maybe_unused]] std::string_view caption) {}

    // The connection display in its full form (mode prefix and name, or "Off Line").
    virtual void ConnectionChanged() {}
    // Show the current page again (it re-reads the working image).
    virtual void ShowCurrentPage() {}

    // Any thread: true while the System page is the page shown (the meters post only then).
    virtual bool IsSystemPageShown() const { return false; }
};

// The link's sink. The notices of CUserNotices come on any thread (the comm thread's never
// block: Step is raised with the image lock released); the rest as said.
class CNotifySink : public CUserNotices {
public:
    // Any thread, never blocks: queues (message, wParam, lParam) for the session, which
    // handles it on its host's thread.
    virtual void Post([[maybe_unused]] unsigned message, [[maybe_unused]] std::uintptr_t wParam,
                      [[maybe_unused]] std::intptr_t lParam) {}
    // The store holds all 21 modes and the system block, valid: a read of all modes is
    // done, or an export of the store was asked for off line.
    virtual void RunAllModesExport() {}
};

// Installs the sink (nullptr: notices go nowhere). UI thread, before the comm thread
// starts and after it has ended; the sink must outlive every use.
void SetNotifySink(CNotifySink* sink);
// The installed sink, or one that ignores everything. Any thread.
CNotifySink& Notify();

} // namespace zolt
