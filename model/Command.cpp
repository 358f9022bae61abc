#include "model/Command.h"

#include "model/DataConver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zolt {

SDeviceData g_data{};
SLinkFlags g_flags;

std::recursive_mutex& ImageLock() {
    static std::recursive_mutex lock;
    return lock;
}

void ResetProcessData() {
    CImageGuard guard(ImageLock());
    std::memset(&g_data, 0, sizeof g_data);
    g_flags.m_bOnline = false;
    g_flags.m_bConnected = false;
    g_flags.m_bStoreBusy = false;
    g_flags.m_bLookup = false;
    g_flags.m_bUnlock = false;
    g_flags.m_nLanguage = 0;
}

namespace {

// A character as a message shows it: itself when it prints, else its escaped bytes; with
// its code point when it has one.
std::string CharacterText(std::string_view bytes, std::size_t length, char32_t code) {
    const std::string shown = PrintableText(bytes.substr(0, std::max<std::size_t>(length, 1)));
    if (length == 0) {
        return "\"" + shown + "\" (no UTF-8 character)";
    }
    char point[16];
    std::snprintf(point, sizeof point, "U+%04X", static_cast<unsigned>(code));
    return "\"" + shown + "\" (" + point + ")";
}

} // namespace

std::string ModeNameProblem(std::string_view name) {
    std::size_t count = 0;
    for (std::string_view rest = name; !rest.empty(); ++count) {
        char32_t code = 0;
        const std::size_t length = Utf8Sequence(rest, code);
        if (length == 0 || !IsStorableCharacter(code)) {
            return "character " + std::to_string(count + 1) + ", " +
                   CharacterText(rest, length, code) + ", is not printable ASCII (space to \"~\")";
        }
        rest.remove_prefix(length);
    }
    if (count > kNameSize) {
        return "a mode name has at most 20 characters; this one has " + std::to_string(count);
    }
    return {};
}

void SetModeName(std::size_t slot, std::string_view name) {
    if (slot >= kSlotCount) {
        return;
    }
    std::uint8_t bytes[kNameSize];
    std::memset(bytes, ' ', kNameSize);
    std::memcpy(bytes, name.data(), std::min(name.size(), kNameSize));
    std::memcpy(g_data.m_abImage + image::kName, bytes, kNameSize);
    std::memcpy(Slot(slot) + image::kName, bytes, kNameSize);
}

void CommitShadow(bool includeSystem) {
    std::memcpy(g_data.m_abShadow, g_data.m_abImage, kImageSize);
    if (includeSystem) {
        std::memcpy(g_data.m_abSystemShadow, g_data.m_abSystem, 65);
    }
}

} // namespace zolt
