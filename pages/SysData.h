// The data side of the System page: the fields of the system block, the device's
// passwords, the mode list with the enabled states of the mode and permission groups,
// and the verification, password-change and store sequences. No widget is touched here,
// so all of it can be checked without a window. UI thread; functions that read or write
// the process-wide data take the image lock themselves (it is recursive).
#pragma once

#include "link/Command.h"
#include "model/Layout.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zolt {

class CPageApi;

// The two device passwords. The processor keeps a six-character system password and a
// four-character panel password; the page checks typed passwords against these copies.
enum class ECode { System, Panel };

struct SCodeField {
    std::size_t m_nDevice;   // where the device's copy lies in the system block
    std::size_t m_nWidth;    // characters
    std::size_t m_nExchange; // where a new password goes in slot 0
    int m_nCommand;          // the change command
};

constexpr std::array<SCodeField, 2> kCodeFields{{
    {sysblock::kSystemCode, 6, slot0::kNewSixCode, cmd::kSixCodeChange},
    {sysblock::kPanelCode, 4, slot0::kNewFourCode, cmd::kFourCodeChange},
}};

constexpr const SCodeField& CodeField(ECode code) {
    return kCodeFields[static_cast<std::size_t>(code)];
}

// The device's copy of a password, as read from the system block.
std::string DeviceCode(ECode code);

// Name of stored mode 1..21 (slot bytes 0..19, trimmed); empty for other numbers.
std::string SlotName(int mode);

// The mode-list entry of mode 1..21: "5-" for user modes 1..16, "F1-".."F5-" for the
// factory modes 17..21, followed by the name.
std::string ModeEntryText(int mode, std::string_view name);

// Stored modes 1..16 may be written, 17..21 only recalled.
constexpr bool IsUserMode(int mode) {
    return mode >= 1 && mode <= 16;
}

// What the mode and permission groups show after a rebuild.
struct SModeView {
    std::array<std::string, kModeCount> m_astrEntries;
    int m_nSelected = -1; // list index 0..20, or -1 for no selection
    std::string m_strName;
    bool m_bNameEdit = false;
    bool m_bRecall = false;
    bool m_bStore = false;
    bool m_bImport = false;
    bool m_bExportAll = false;
    bool m_bImportAll = false;
    bool m_bVerifyEdit = false;
    bool m_bStoreAllowed = false; // the permission text: "Store Allow" or "No Store Allow"
};

// Rebuilds the mode list and the permission display from the system block, the preset
// store and the online, unlock and store-valid flags.
SModeView BuildModeView();

// Whether the name edit and the store button are usable with mode 1..21 selected.
bool MayStoreMode(int mode);

// The enabled states of one password-change section. Each step opens only when every
// earlier step holds, so a later edit of an earlier field closes everything after it.
struct SCodeSection {
    bool m_bOld = false;     // online
    bool m_bNew = false;     // and the old text equals the device's password
    bool m_bConfirm = false; // and the new text has exactly the password's width
    bool m_bSend = false;    // and the confirmation equals the new text
};

SCodeSection EvaluateCodeSection(ECode code, std::string_view oldText, std::string_view newText,
                                 std::string_view confirmText);

// The typed verification password opens the confirm button only when it equals the
// device's system password exactly (case-sensitive, whole strings).
bool VerificationMatches(std::string_view typed);

// Confirms a verification: when the typed text still matches, puts the device's system
// password into the exchange area, sends command 140 and, online, sets the unlock flag.
// Returns whether it was sent.
bool ConfirmVerification(CPageApi& api, std::string_view typed);

// Sends a password change when its section allows it: the new password goes into the
// exchange area and command 140 (system) or 141 (panel) is sent. Returns whether it was.
bool SendCodeChange(CPageApi& api, ECode code, std::string_view oldText, std::string_view newText,
                    std::string_view confirmText);

// Stores the working image as user mode 1..16 under the given name (at most 20 bytes,
// padded with spaces): the processor first sees the current system password (command
// 140), then the store (134). Offline, without save permission or for another mode
// number nothing is written and false is returned.
bool StoreMode(CPageApi& api, int mode, std::string_view name);

} // namespace zolt
