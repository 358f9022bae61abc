#include "model/Command.h"

#include <algorithm>
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
