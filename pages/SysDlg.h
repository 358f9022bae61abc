// The System page: the global settings of the system block (maximum volumes, music input,
// sensitivity, input gains, phantom power; effect maximum, COAX / OPTI gains, IR control
// and pitch exist hidden), twelve level meters over the painted scale, and the groups for
// the save permission, the password change and the stored modes. It edits the system
// block in place; the link's synchronisation sends what changed. UI thread only.
#pragma once

#include "pages/PageBase.h"
#include "pages/SysData.h"

#include <array>

namespace zolt {

class CBitButton;
class CEnglishEdit;
class CSLamp;

// Control ids of the page.
namespace sysid {
constexpr int kSettingGroup = 1363;
constexpr int kPermissionGroup = 1365;
constexpr int kPasswordGroup = 1368;
constexpr int kModeGroup = 1367;

constexpr int kEffectMaxSlider = 2570; // value labels 2550.., captions 2500..
constexpr int kMicMaxSlider = 2571;
constexpr int kMusicMaxSlider = 2572;
constexpr int kAudioGainSlider = 2573;
constexpr int kAuxGainSlider = 2574;
constexpr int kCoaxGainSlider = 2575;
constexpr int kOptiGainSlider = 2576;
constexpr int kPitchSlider = 2577;
constexpr int kLabelOffset = -20; // slider id + this = its value label

constexpr int kPhantomCombo = 2600;
constexpr int kSensitivityCombo = 2601;
constexpr int kIrCombo = 2602;
constexpr int kInputCombo = 2603;
constexpr int kModeCombo = 2604;

constexpr int kFirstMeter = 3900; // meters 3900..3911

constexpr int kVerifyEdit = 1023;
constexpr int kConfirmButton = 1362;
constexpr int kPermissionText = 1412;
constexpr int kPasswordOrigin = 1413; // where the system password comes from, while locked

constexpr int kPanelOldEdit = 2610;
constexpr int kPanelNewEdit = 2611;
constexpr int kPanelConfirmEdit = 1369;
constexpr int kPanelSendButton = 1064;
constexpr int kSystemOldEdit = 2612;
constexpr int kSystemNewEdit = 2613;
constexpr int kSystemConfirmEdit = 1024;
constexpr int kSystemSendButton = 1065;

constexpr int kNameEdit = 2614;
constexpr int kRecallButton = 1066;
constexpr int kStoreButton = 1067;
constexpr int kExportButton = 1069;
constexpr int kImportButton = 1384;
constexpr int kExportAllButton = 1388;
constexpr int kImportAllButton = 1389;
} // namespace sysid

class CSysDlg : public CPageBase {
    Q_OBJECT
public:
    static const SDialogTemplate kTemplate;
    static const SPageDesc kDesc;

    CSysDlg(CPageApi& api, QWidget* pParent);

    // Loads every control from the system block and the preset store, rebuilds the mode
    // list and the permission display, and resets both password sections.
    void Refresh() override;
    void ApplyLanguage() override;
    // Online: the level values (12) or the state values (24) light the meters; offline
    // every meter is dark.
    void UpdateMeters(int pollKind) override;
    // Shows the save permission and opens or closes what it governs.
    void UpdatePermission();

protected:
    // A new maximum volume lowers a volume above it.
    void AfterWrite(const SFieldBinding& row, int nControl) override;
    void paintEvent(QPaintEvent* e) override;

private:
    // The permission text, and while storing is locked the line on the password's origin.
    void ShowPermission();
    struct SCodeEdits {
        CEnglishEdit* pOld;
        CEnglishEdit* pNew;
        CEnglishEdit* pConfirm;
        CBitButton* pSend;
    };

    void SetUpEdits();
    void SetUpButtons();
    void Connect();

    void RebuildModeList();
    void ApplyModeView(const SModeView& view);
    void ResetCodeSection(ECode code);
    void ApplyCodeSection(ECode code);
    SCodeEdits CodeEdits(ECode code) const;
    void OnModeSelected(int nIndex);
    void OnVerifyEdited();
    void OnConfirm();
    void OnSendCode(ECode code);
    void OnRecall();
    void OnStore();
    int SelectedMode() const;

    CPageApi& m_api;
    bool m_bStoreAllowedShown = false;
    // The meters 3900.., found once: they are updated at every poll.
    std::array<CSLamp*, 12> m_apMeters{};
};

} // namespace zolt
