// The seam between the main window and its pages. A page calls the main window only
// through CPageApi (the main window implements it; tests give a recording fake), and the
// main window drives every page through CPage. Everything here runs on the UI thread.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace zolt {

// The kinds of file the window's file dialogs choose, each remembering its own folder.
enum class EFileKind {
    OneMode,     // "Import" / "Export": *.dia
    AllModes,    // "Import all" / "Export all": *.dat
    FilterList,  // an equaliser's filter list: *.txt
    Measurement, // a measured response or a target: *.txt, *.frd, *.csv
};

// Operations of the main window that pages call.
class CPageApi {
public:
    virtual ~CPageApi() = default;

    // The one entry point for queued commands. code is the command byte (127..141),
    // parameter its parameter byte (a mode number 1..21 for recall 133 and store 134).
    // Online it builds and queues the frames under the image lock, records the current
    // mode for 133/134 and shows the busy box for a store or recall; offline it runs the
    // local substitutes (recall from a valid preset store, all-modes export) or nothing.
    // The caller may hold the image lock (it is recursive).
    virtual void SendCommand(int code, int parameter) = 0;

    // After a maximum-volume byte (system[4..6]) changed: every master volume whose level
    // is above its limit drops to the limit with its mute bit cleared, and the volume strip
    // shows it (slider, label, mute button released). Volumes at or below stay as they are.
    virtual void ClampVolumes() = 0;

    // A copy, taken under the image lock, of the meter record's twelve level values
    // (pollKind 12, the level poll) or twelve state values (any other kind, the state poll).
    virtual std::array<std::uint8_t, 12> MeterValues(int pollKind) const = 0;

    // The preset-file operations behind standard file dialogs (each kind starting in its
    // own last folder, filter "*.dia" for one mode, "*.dat" for all modes). Each does
    // nothing when the dialog is cancelled and reports its own errors.
    virtual void ExportMode() = 0;
    virtual void ImportMode() = 0;
    virtual void ImportAllModes() = 0;

    // Before a store over stored mode 1..16 with the working image named name: true when it
    // may go ahead (a named mode is replaced only once the user has seen what changes).
    virtual bool ConfirmStore(int mode, std::string_view name) {
        static_cast<void>(mode);
        static_cast<void>(name);
        return true;
    }
};

// What every page offers the main window.
class CPage {
public:
    virtual ~CPage() = default;

    // Loads every control from the working image (and, on the System page, the system
    // block and the preset store). Never writes the data back.
    virtual void Refresh() = 0;

    // Sets every caption for the language flag (g_flags.m_nLanguage: 1 Chinese, 0 English).
    virtual void ApplyLanguage() = 0;

    // The page shows the view of page index 0..9 (a page shown by several tabs: the output
    // page's five views); called before Refresh whenever that tab is chosen.
    virtual void ShowView(int index) { static_cast<void>(index); }

    // The EQ block (0..17) whose equaliser the page shows now, -1 when it shows none: the
    // window's "Import filters..." and "Export filters..." work on it.
    virtual int ShownEqBlock() const { return -1; }
    // Whether that equaliser can be edited now: its controls and its curve display take
    // edits (the output page's do not while the output mode is 0). The window's
    // "Import filters..." and "Export filters..." are enabled only then.
    virtual bool EqEditable() const { return true; }

    // The level poll (pollKind 12) or the state poll (24) has answered. Only the System
    // page shows meters; the others ignore it.
    virtual void UpdateMeters(int pollKind) { static_cast<void>(pollKind); }
};

} // namespace zolt
