#include "pages/SysData.h"

#include "model/Command.h"
#include "model/DataConver.h"
#include "pages/PageApi.h"

#include <algorithm>
#include <cstring>

namespace zolt {

namespace {

// Writes exactly the field's width of characters into the exchange area of slot 0: a
// shorter text is padded with spaces, so nothing beyond the text is ever read.
void PutExchangeCode(const SCodeField& field, std::string_view text) {
    std::uint8_t* exchange = Slot(0) + field.m_nExchange;
    std::memset(exchange, ' ', field.m_nWidth);
    std::memcpy(exchange, text.data(), std::min(text.size(), field.m_nWidth));
}

// The device's own bytes of a password go to the exchange area unchanged, so that
// telling the processor the current password can never alter it (a trimmed copy
// would lose spaces the device holds).
void PutDeviceCode(const SCodeField& field) {
    std::memcpy(Slot(0) + field.m_nExchange, System() + field.m_nDevice, field.m_nWidth);
}

std::string ImageName() {
    return FieldText(Image() + image::kName, kNameSize);
}

} // namespace

std::string DeviceCode(ECode code) {
    const SCodeField& field = CodeField(code);
    CImageGuard guard(ImageLock());
    return FieldText(System() + field.m_nDevice, field.m_nWidth);
}

std::string SlotName(int mode) {
    if (mode < 1 || mode > static_cast<int>(kModeCount)) {
        return {};
    }
    CImageGuard guard(ImageLock());
    return FieldText(Slot(static_cast<std::size_t>(mode)) + image::kName, kNameSize);
}

std::string ModeEntryText(int mode, std::string_view name) {
    const std::string prefix =
        IsUserMode(mode) ? std::to_string(mode) + "-" : "F" + std::to_string(mode - 16) + "-";
    return prefix + std::string(name);
}

SModeView BuildModeView() {
    CImageGuard guard(ImageLock());
    const bool online = g_flags.m_bOnline;
    const bool unlock = g_flags.m_bUnlock;
    const bool valid = g_data.m_store.m_bValid != 0;
    const bool named = online || valid;

    SModeView view;
    for (int i = 0; i < static_cast<int>(kModeCount); ++i) {
        view.m_astrEntries[i] = ModeEntryText(i + 1, named ? SlotName(i + 1) : std::string());
    }

    int current = System()[sysblock::kMode];
    if (named && current == 0) {
        current = 1;
    }
    const bool listed = current >= 1 && current <= static_cast<int>(kModeCount);
    view.m_nSelected = listed ? current - 1 : -1;
    view.m_strName = (named && listed) ? SlotName(current) : ImageName();

    if (online) {
        view.m_bRecall = true;
        view.m_bExportAll = true;
        view.m_bNameEdit = view.m_bStore = unlock && IsUserMode(current);
        view.m_bImport = view.m_bImportAll = unlock;
        view.m_bVerifyEdit = !unlock;
        view.m_bStoreAllowed = unlock;
    } else {
        view.m_bRecall = view.m_bExportAll = valid;
        view.m_bImport = view.m_bImportAll = true;
    }
    return view;
}

bool MayStoreMode(int mode) {
    return IsUserMode(mode) && g_flags.m_bOnline && g_flags.m_bUnlock;
}

SCodeSection EvaluateCodeSection(ECode code, std::string_view oldText, std::string_view newText,
                                 std::string_view confirmText) {
    SCodeSection section;
    section.m_bOld = g_flags.m_bOnline;
    section.m_bNew = section.m_bOld && oldText == DeviceCode(code);
    section.m_bConfirm = section.m_bNew && newText.size() == CodeField(code).m_nWidth;
    section.m_bSend = section.m_bConfirm && confirmText == newText;
    return section;
}

bool VerificationMatches(std::string_view typed) {
    return typed == DeviceCode(ECode::System);
}

bool ConfirmVerification(CPageApi& api, std::string_view typed) {
    CImageGuard guard(ImageLock());
    if (!VerificationMatches(typed)) {
        return false;
    }
    PutDeviceCode(CodeField(ECode::System));
    api.SendCommand(CodeField(ECode::System).m_nCommand, 0);
    if (g_flags.m_bOnline) {
        g_flags.m_bUnlock = true;
    }
    return true;
}

bool SendCodeChange(CPageApi& api, ECode code, std::string_view oldText, std::string_view newText,
                    std::string_view confirmText) {
    CImageGuard guard(ImageLock());
    if (!EvaluateCodeSection(code, oldText, newText, confirmText).m_bSend) {
        return false;
    }
    PutExchangeCode(CodeField(code), newText);
    api.SendCommand(CodeField(code).m_nCommand, 0);
    return true;
}

bool StoreMode(CPageApi& api, int mode, std::string_view name) {
    if (!MayStoreMode(mode) || !api.ConfirmStore(mode, name)) {
        return false;
    }
    CImageGuard guard(ImageLock());
    const SCodeField& code = CodeField(ECode::System);
    PutDeviceCode(code);
    api.SendCommand(code.m_nCommand, 0);
    SetModeName(static_cast<std::size_t>(mode), name);
    System()[sysblock::kMode] = static_cast<std::uint8_t>(mode);
    api.SendCommand(cmd::kStore, mode);
    return true;
}

} // namespace zolt
