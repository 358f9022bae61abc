// The process-wide parameter data: the working image, its shadow, the system block
// and its shadow, the preset store, and the flags the link and the pages share.
// Every access from more than one thread goes through the image lock.
#pragma once

#include "model/Layout.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace zolt {

// Twenty-two slots of one mode image each, contiguous, followed by the store-valid flag.
struct SPresetStore {
    std::uint8_t m_abSlots[kSlotCount][kImageSize];
    std::uint8_t m_bValid; // 1 once the store holds a complete set of modes
};
static_assert(sizeof(SPresetStore) == kSlotCount * kImageSize + 1);

struct SDeviceData {
    std::uint8_t m_abImage[kImageSize];  // the working image (the mode being edited)
    std::uint8_t m_abShadow[kImageSize]; // what the device is known to hold
    std::uint8_t m_abSystem[kSystemSize];
    std::uint8_t m_abSystemShadow[kSystemSize];
    SPresetStore m_store;
};

// Flags read on both threads; each is a single atomic value.
struct SLinkFlags {
    std::atomic<bool> m_bOnline{false};    // a port is open and the comm thread runs
    std::atomic<bool> m_bConnected{false}; // the assembler accepts bytes
    std::atomic<bool> m_bStoreBusy{false}; // a store or recall awaits its answer
    std::atomic<bool> m_bLookup{false};    // the automatic port lookup is running
    std::atomic<bool> m_bUnlock{false};    // the processor lets user modes 1..16 be stored
    std::atomic<int> m_nLanguage{0};       // 0 English, 1 Chinese
};

extern SDeviceData g_data;
extern SLinkFlags g_flags;

// The image lock: guards g_data, the send queue, the current frame and the curve objects
// bound to the working image. The comm thread replaces whole images (and re-binds the
// curves) under it, so every access from the UI thread takes it as well: every write, and
// every read of the working image, the shadow, the system block, the preset store or a curve
// object. Hold it briefly; never across a dialog, a sleep or a wait for the comm thread.
std::recursive_mutex& ImageLock();
using CImageGuard = std::lock_guard<std::recursive_mutex>;

// Zeroes every image, the store and the flags: the state before start-up. Tests use it
// to start from a known state. UI thread only, with no comm thread running.
void ResetProcessData();

inline std::uint8_t* Image() {
    return g_data.m_abImage;
}
inline std::uint8_t* Shadow() {
    return g_data.m_abShadow;
}
inline std::uint8_t* System() {
    return g_data.m_abSystem;
}
inline std::uint8_t* SystemShadow() {
    return g_data.m_abSystemShadow;
}
inline std::uint8_t* Slot(std::size_t n) {
    return g_data.m_store.m_abSlots[n];
}

// The live output set 1..3 of the working image.
inline int LiveOutputSet() {
    return LiveOutputSet(g_data.m_abImage[image::kOutputMode]);
}

// The characters the processor stores in a mode name or a password, single-byte text:
// printable ASCII, space to "~". The one rule of the window's name and password fields and
// of zoltctl.
constexpr bool IsStorableCharacter(char32_t code) {
    return code >= 0x20 && code <= 0x7E;
}

// Why name (UTF-8, as typed) cannot be stored as a mode name, or empty when it can: only
// storable characters, at most 20 of them (counted in characters, not bytes). The reason
// names the first character that cannot be stored and its position from 1:
// 'character 8, "ñ" (U+00F1), is not printable ASCII (space to "~")'.
std::string ModeNameProblem(std::string_view name);

// Writes the 20 name bytes into the working image and into slot n (0..21); a shorter
// name is padded with spaces, a longer one cut. Caller holds the image lock.
void SetModeName(std::size_t slot, std::string_view name);

// Copies the working image over the shadow; with includeSystem also system bytes 0..64
// over the system shadow. Caller holds the image lock.
void CommitShadow(bool includeSystem);

} // namespace zolt
