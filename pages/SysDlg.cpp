#include "pages/SysDlg.h"

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/EnglishEdit.h"
#include "controls/SLamp.h"
#include "controls/Skin.h"
#include "controls/SkinScale.h"
#include "controls/SxGroupBox.h"
#include "controls/TransparentStatic.h"
#include "link/Command.h"
#include "model/Command.h"
#include "model/Defaults.h"

#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include <array>

namespace zolt {

namespace {

using namespace sysid;
namespace ms = meterscale;

constexpr unsigned kPassword = kStylePassword;
constexpr unsigned kRight = kStyleRight;

// clang-format off
constexpr SControlTemplate kRows[] = {
    // Group frames lie under their contents.
    {kSettingGroup, ECtl::SxGroupBox, 578, 7, 133, 166},
    {kPermissionGroup, ECtl::SxGroupBox, 333, 7, 241, 33},
    {kPasswordGroup, ECtl::SxGroupBox, 333, 71, 241, 102},
    {kModeGroup, ECtl::SxGroupBox, 509, 178, 202, 153},

    // Settings. The effect maximum, COAX and OPTI gains, IR control and pitch stay hidden.
    {2500, ECtl::TransparentStatic, 586, 22, 90, 10, true},
    {2550, ECtl::EditStatic, 680, 22, 26, 10, true, "", kRight},
    {kEffectMaxSlider, ECtl::BitmapSlider, 584, 33, 123, 10, true},
    {2501, ECtl::TransparentStatic, 586, 22, 90, 10},
    {2551, ECtl::EditStatic, 680, 22, 26, 10, false, "", kRight},
    {kMicMaxSlider, ECtl::BitmapSlider, 584, 33, 123, 10},
    {2502, ECtl::TransparentStatic, 586, 48, 90, 10},
    {2552, ECtl::EditStatic, 680, 48, 26, 10, false, "", kRight},
    {kMusicMaxSlider, ECtl::BitmapSlider, 584, 60, 123, 10},
    {2503, ECtl::TransparentStatic, 586, 76, 64, 10},
    {kPhantomCombo, ECtl::BitComboBox, 652, 73, 54, 12},
    {2504, ECtl::TransparentStatic, 586, 92, 64, 10, true},
    {kIrCombo, ECtl::BitComboBox, 652, 89, 54, 12, true},
    {2505, ECtl::TransparentStatic, 586, 92, 64, 10},
    {kInputCombo, ECtl::BitComboBox, 652, 89, 54, 12},
    {2506, ECtl::TransparentStatic, 586, 108, 64, 10},
    {kSensitivityCombo, ECtl::BitComboBox, 652, 105, 54, 12},
    {2507, ECtl::TransparentStatic, 586, 121, 90, 10},
    {2553, ECtl::EditStatic, 680, 121, 26, 10, false, "", kRight},
    {kAudioGainSlider, ECtl::BitmapSlider, 584, 131, 123, 10},
    {2508, ECtl::TransparentStatic, 586, 145, 90, 10},
    {2554, ECtl::EditStatic, 680, 145, 26, 10, false, "", kRight},
    {kAuxGainSlider, ECtl::BitmapSlider, 584, 155, 123, 10},
    {2509, ECtl::TransparentStatic, 586, 121, 90, 10, true},
    {2555, ECtl::EditStatic, 680, 121, 26, 10, true, "", kRight},
    {kCoaxGainSlider, ECtl::BitmapSlider, 584, 131, 123, 10, true},
    {2510, ECtl::TransparentStatic, 586, 145, 90, 10, true},
    {2556, ECtl::EditStatic, 680, 145, 26, 10, true, "", kRight},
    {kOptiGainSlider, ECtl::BitmapSlider, 584, 155, 123, 10, true},
    {2511, ECtl::TransparentStatic, 586, 22, 90, 10, true},
    {2557, ECtl::EditStatic, 680, 22, 26, 10, true, "", kRight},
    {kPitchSlider, ECtl::BitmapSlider, 584, 33, 123, 10, true},

    // Meters 0..3 (music and mic), 9, 8, 5, 4 (outputs); 6, 7, 10, 11 stay hidden.
    {3900, ECtl::SLamp, ms::kLeftX[0], ms::kMeterTop, ms::kLeftWidth, ms::kMeterHeight},
    {3901, ECtl::SLamp, ms::kLeftX[1], ms::kMeterTop, ms::kLeftWidth, ms::kMeterHeight},
    {3902, ECtl::SLamp, ms::kLeftX[2], ms::kMeterTop, ms::kLeftWidth, ms::kMeterHeight},
    {3903, ECtl::SLamp, ms::kLeftX[3], ms::kMeterTop, ms::kLeftWidth, ms::kMeterHeight},
    {3909, ECtl::SLamp, ms::kRightX[0], ms::kMeterTop, ms::kRightWidth, ms::kMeterHeight},
    {3908, ECtl::SLamp, ms::kRightX[1], ms::kMeterTop, ms::kRightWidth, ms::kMeterHeight},
    {3905, ECtl::SLamp, ms::kRightX[2], ms::kMeterTop, ms::kRightWidth, ms::kMeterHeight},
    {3904, ECtl::SLamp, ms::kRightX[3], ms::kMeterTop, ms::kRightWidth, ms::kMeterHeight},
    {3906, ECtl::SLamp, ms::kRightX[0], ms::kMeterTop, ms::kRightWidth, ms::kMeterHeight, true},
    {3907, ECtl::SLamp, ms::kRightX[1], ms::kMeterTop, ms::kRightWidth, ms::kMeterHeight, true},
    {3910, ECtl::SLamp, ms::kRightX[2], ms::kMeterTop, ms::kRightWidth, ms::kMeterHeight, true},
    {3911, ECtl::SLamp, ms::kRightX[3], ms::kMeterTop, ms::kRightWidth, ms::kMeterHeight, true},

    // Save permission; a long caption breaks onto a second line.
    {1366, ECtl::TransparentStatic, 343, 19, 76, 17},
    {kVerifyEdit, ECtl::EnglishEdit, 422, 17, 44, 12, false, "", kPassword},
    {kConfirmButton, ECtl::BitButton, 469, 17, 30, 12},
    {kPermissionText, ECtl::TransparentStatic, 504, 19, 68, 10},
    {kPasswordOrigin, ECtl::TransparentStatic, 343, 43, 228, 26, true},

    // System password change; the panel password section stays hidden.
    {2513, ECtl::TransparentStatic, 343, 84, 150, 10},
    {2592, ECtl::TransparentStatic, 343, 102, 70, 10},
    {kSystemOldEdit, ECtl::EnglishEdit, 415, 99, 64, 12, false, "", kPassword},
    {2593, ECtl::TransparentStatic, 343, 119, 70, 10},
    {kSystemNewEdit, ECtl::EnglishEdit, 415, 116, 64, 12, false, "", kPassword},
    {1370, ECtl::TransparentStatic, 343, 136, 70, 10},
    {kSystemConfirmEdit, ECtl::EnglishEdit, 415, 133, 64, 12, false, "", kPassword},
    {kSystemSendButton, ECtl::BitButton, 415, 152, 64, 13},
    {2512, ECtl::TransparentStatic, 490, 84, 80, 10, true},
    {2590, ECtl::TransparentStatic, 490, 102, 40, 10, true},
    {kPanelOldEdit, ECtl::EnglishEdit, 530, 99, 38, 12, true, "", kPassword},
    {2591, ECtl::TransparentStatic, 490, 119, 40, 10, true},
    {kPanelNewEdit, ECtl::EnglishEdit, 530, 116, 38, 12, true, "", kPassword},
    {1371, ECtl::TransparentStatic, 490, 136, 40, 10, true},
    {kPanelConfirmEdit, ECtl::EnglishEdit, 530, 133, 38, 12, true, "", kPassword},
    {kPanelSendButton, ECtl::BitButton, 530, 152, 38, 13, true},

    // Stored modes.
    {2514, ECtl::TransparentStatic, 517, 194, 40, 10},
    {kModeCombo, ECtl::BitComboBox, 558, 192, 146, 12},
    {2515, ECtl::TransparentStatic, 517, 212, 40, 10},
    {kNameEdit, ECtl::EnglishEdit, 558, 210, 146, 12},
    {kRecallButton, ECtl::BitButton, 520, 228, 180, 14},
    {kStoreButton, ECtl::BitButton, 520, 245, 180, 14},
    {kExportButton, ECtl::BitButton, 520, 262, 180, 14},
    {kImportButton, ECtl::BitButton, 520, 279, 180, 14},
    {kExportAllButton, ECtl::BitButton, 520, 296, 180, 14},
    {kImportAllButton, ECtl::BitButton, 520, 313, 180, 14},
};
// clang-format on

// The settings: maximum volumes, input gains and the hidden pitch on sliders, the phantom
// power, music input, sensitivity (the low nibble of byte 9, whose high nibble is the pitch)
// and the hidden IR control on combo boxes. Entries are the same in both languages.
constexpr SFieldBinding SystemSlider(int nSlider, std::size_t nByte, EFieldKind eKind) {
    return bind::LabelledSlider(nSlider, nSlider + kLabelOffset, nByte, eKind).In(EBlock::System);
}

constexpr SFieldBinding kFields[] = {
    SystemSlider(kEffectMaxSlider, sysblock::kEffectMax, EFieldKind::EffectVolume),
    SystemSlider(kMicMaxSlider, sysblock::kMicMax, EFieldKind::Volume),
    SystemSlider(kMusicMaxSlider, sysblock::kMusicMax, EFieldKind::Volume),
    SystemSlider(kAudioGainSlider, sysblock::kAudioGain, EFieldKind::InputGain),
    SystemSlider(kAuxGainSlider, sysblock::kAuxGain, EFieldKind::InputGain),
    SystemSlider(kCoaxGainSlider, sysblock::kCoaxGain, EFieldKind::InputGain),
    SystemSlider(kOptiGainSlider, sysblock::kOptiGain, EFieldKind::InputGain),
    SystemSlider(kPitchSlider, sysblock::kSensPitch, EFieldKind::Pitch).As(EField::HighNibble),
    bind::Combo(kPhantomCombo, sysblock::kPhantom, EFieldKind::OnOff).In(EBlock::System),
    bind::Combo(kInputCombo, sysblock::kInput, EFieldKind::Input).In(EBlock::System),
    bind::Combo(kSensitivityCombo, sysblock::kSensPitch, EFieldKind::Sensitivity)
        .In(EBlock::System)
        .As(EField::LowNibble),
    bind::Combo(kIrCombo, sysblock::kIrControl, EFieldKind::IrControl).In(EBlock::System),
};

constexpr bool IsMaximum(const SFieldBinding& row) {
    return row.m_eBlock == EBlock::System &&
           (row.m_nOffset == sysblock::kEffectMax || row.m_nOffset == sysblock::kMicMax ||
            row.m_nOffset == sysblock::kMusicMax);
}

constexpr SCaption kCaptions[] = {
    {kSettingGroup, "设置", "Setting"},
    {2500, "效果最大音量", "Effect max volume"},
    {2501, "话筒最大音量", "Mic max volume"},
    {2502, "音乐最大音量", "Music max volume"},
    {2503, "话筒1&&2幻像电源", "Mic1&&2 Phantom"},
    {2504, "红外遥控", "IR Control"},
    {2505, "输入选择", "Music Input"},
    {2506, "模拟输入灵敏度", "VOD/BGM Sen"},
    {2507, "AUDIO 输入增益", "AUDIO input gain"},
    {2508, "AUX 输入增益", "AUX input gain"},
    {2509, "COAX 输入增益", "COAX input gain"},
    {2510, "OPTI/HDMI1~3/ARC 输入增益", "OPTI/HDMI1~3/ARC input gain"},
    {2511, "音乐变调", "音乐变调"},
    {kPermissionGroup, "保存权限管理", "Save authority management "},
    {1366, "系统密码验证", "System password verification"},
    {kConfirmButton, "确定", "OK"},
    {kPasswordGroup, "密码修改", "Password modification "},
    {2513, "系统密码修改", "System password modify"},
    {2592, "旧密码", "Old password"},
    {2590, "旧密码", "Old password"},
    {2593, "新密码", "New password"},
    {2591, "新密码", "New password"},
    {1370, "确认密码", "Confirm password"},
    {1371, "确认密码", "Confirm password"},
    {kSystemSendButton, "修改", "Modify"},
    {kPanelSendButton, "修改", "Modify"},
    {2512, "面板密码锁修改", "Panel password modify"},
    {kModeGroup, "模式", "Mode"},
    {2514, "模式", "Mode"},
    {2515, "名称", "Name"},
    {kRecallButton, "调用设备模式", "Recall Mode"},
    {kStoreButton, "保存设备模式", "Store Mode"},
    {kExportButton, "导出", "Export"},
    {kImportButton, "导入", "Import"},
    {kExportAllButton, "导出所有", "Export all"},
    {kImportAllButton, "导入所有", "Import all"},
};

constexpr SCaption kPermissionTexts[] = {
    {kPermissionText, "无保存权限", "No Store Allow"},
    {kPermissionText, "有保存权限", "Store Allow"},
};

// %1: the password of the program's defaults, which hold until a processor's settings arrive.
constexpr SCaption kPasswordOriginText{
    kPasswordOrigin,
    "保存已锁定。系统密码是处理器自己的密码：随处理器的设置读入，可在下方“系统密码修改”中更改。"
    "未连接处理器时为 %1。",
    "Storing is locked. The system password is the processor's own (read with its settings, "
    "changed below); without a processor it is %1."};

// Buttons and their skins: normal picture, hover and pressed picture (both check states).
struct SButtonSkin {
    int m_nId;
    int m_nNormal;
    int m_nActive;
};

constexpr SButtonSkin kButtons[] = {
    {kConfirmButton, kSkinConfirm, kSkinConfirmActive},
    {kSystemSendButton, kSkinButton, kSkinButtonChecked},
    {kPanelSendButton, kSkinButton, kSkinButtonChecked},
    {kRecallButton, kSkinModeButton, kSkinModeButtonActive},
    {kStoreButton, kSkinModeButton, kSkinModeButtonActive},
    {kExportButton, kSkinModeButton, kSkinModeButtonActive},
    {kImportButton, kSkinModeButton, kSkinModeButtonActive},
    {kExportAllButton, kSkinModeButton, kSkinModeButtonActive},
    {kImportAllButton, kSkinModeButton, kSkinModeButtonActive},
};

// Password and name edits: their limits and whether only digits may be typed.
struct SEditRow {
    int m_nId;
    int m_nMaxLength;
    bool m_bDigits;
};

constexpr SEditRow kEdits[] = {
    {kVerifyEdit, 6, false},       {kSystemOldEdit, 6, true},
    {kSystemNewEdit, 6, true},     {kSystemConfirmEdit, 6, false},
    {kPanelOldEdit, 4, false},     {kPanelNewEdit, 4, true},
    {kPanelConfirmEdit, 4, false}, {kNameEdit, static_cast<int>(kNameSize), false},
};

constexpr int kMeterCount = 12;

// Passwords and names are single-byte text on the device.
std::string Bytes(const QString& strText) {
    return strText.toLatin1().toStdString();
}

QString FromBytes(const std::string& strBytes) {
    return QString::fromLatin1(strBytes.data(), static_cast<qsizetype>(strBytes.size()));
}

} // namespace

const SDialogTemplate CSysDlg::kTemplate{164, 715, 420, kRows};

const SPageDesc CSysDlg::kDesc{&kTemplate, kCaptions, kFields};

CSysDlg::CSysDlg(CPageApi& api, QWidget* pParent) : CPageBase(kDesc, pParent), m_api(api) {
    for (int i = 0; i < kMeterCount; ++i) {
        m_apMeters[static_cast<std::size_t>(i)] = DlgItem<CSLamp>(this, kFirstMeter + i);
        m_apMeters[static_cast<std::size_t>(i)]->Layout();
    }
    DlgItem<CBitComboBox>(this, kModeCombo)->SetStandardSkin();
    SetUpEdits();
    SetUpButtons();
    Connect();
    ApplyLanguage();
}

void CSysDlg::SetUpEdits() {
    const QRegularExpression digits(QStringLiteral("[0-9]*"));
    for (const SEditRow& row : kEdits) {
        auto* pEdit = DlgItem<CEnglishEdit>(this, row.m_nId);
        pEdit->setMaxLength(row.m_nMaxLength);
        if (row.m_bDigits) {
            pEdit->setValidator(new QRegularExpressionValidator(digits, pEdit));
        }
    }
}

void CSysDlg::SetUpButtons() {
    for (const SButtonSkin& row : kButtons) {
        DlgItem<CBitButton>(this, row.m_nId)
            ->SetPictures(row.m_nNormal, row.m_nActive, row.m_nActive, row.m_nNormal, row.m_nActive,
                          row.m_nActive);
    }
}

void CSysDlg::Connect() {
    connect(DlgItem<CBitComboBox>(this, kModeCombo), &QComboBox::currentIndexChanged, this,
            &CSysDlg::OnModeSelected);
    connect(DlgItem<CEnglishEdit>(this, kVerifyEdit), &QLineEdit::textEdited, this,
            &CSysDlg::OnVerifyEdited);
    connect(DlgItem<CBitButton>(this, kConfirmButton), &QAbstractButton::clicked, this,
            &CSysDlg::OnConfirm);
    for (const ECode code : {ECode::System, ECode::Panel}) {
        const SCodeEdits edits = CodeEdits(code);
        for (CEnglishEdit* pEdit : {edits.pOld, edits.pNew, edits.pConfirm}) {
            connect(pEdit, &QLineEdit::textEdited, this, [this, code] { ApplyCodeSection(code); });
        }
        connect(edits.pSend, &QAbstractButton::clicked, this, [this, code] { OnSendCode(code); });
    }
    auto onClick = [this](int nId, auto handler) {
        connect(DlgItem<CBitButton>(this, nId), &QAbstractButton::clicked, this, handler);
    };
    onClick(kRecallButton, [this] { OnRecall(); });
    onClick(kStoreButton, [this] { OnStore(); });
    onClick(kExportButton, [this] { m_api.ExportMode(); });
    onClick(kImportButton, [this] { m_api.ImportMode(); });
    onClick(kExportAllButton, [this] { m_api.SendCommand(cmd::kReadMode, 1); });
    onClick(kImportAllButton, [this] { m_api.ImportAllModes(); });
}

void CSysDlg::Refresh() {
    RebuildModeList();
    LoadFields();
    ResetCodeSection(ECode::System);
    ResetCodeSection(ECode::Panel);
}

void CSysDlg::ApplyLanguage() {
    CPageBase::ApplyLanguage();
    ShowPermission();
    SetCaption(FindDlgItem(this, kPasswordOrigin),
               CaptionText(kPasswordOriginText).arg(QLatin1String(kFactorySystemPassword)));
    update();
}

void CSysDlg::ShowPermission() {
    SetCaption(FindDlgItem(this, kPermissionText),
               CaptionText(kPermissionTexts[m_bStoreAllowedShown ? 1 : 0]));
    FindDlgItem(this, kPasswordOrigin)->setVisible(!m_bStoreAllowedShown);
}

void CSysDlg::UpdateMeters(int pollKind) {
    if (!g_flags.m_bOnline) {
        for (CSLamp* pLamp : m_apMeters) {
            pLamp->AllOff();
        }
        return;
    }
    const std::array<std::uint8_t, 12> values = m_api.MeterValues(pollKind);
    for (int i = 0; i < kMeterCount; ++i) {
        CSLamp* pLamp = m_apMeters[static_cast<std::size_t>(i)];
        if (pollKind == cmd::kLevelPoll) {
            pLamp->LevelUpdate(values[static_cast<std::size_t>(i)]);
        } else {
            pLamp->LimitUpdate(values[static_cast<std::size_t>(i)]);
        }
    }
}

void CSysDlg::UpdatePermission() {
    const SModeView view = BuildModeView();
    DlgItem<CEnglishEdit>(this, kNameEdit)->setEnabled(view.m_bNameEdit);
    DlgItem<CBitButton>(this, kStoreButton)->setEnabled(view.m_bStore);
    DlgItem<CBitButton>(this, kImportButton)->setEnabled(view.m_bImport);
    DlgItem<CBitButton>(this, kImportAllButton)->setEnabled(view.m_bImportAll);
    DlgItem<CEnglishEdit>(this, kVerifyEdit)->setEnabled(view.m_bVerifyEdit);
    DlgItem<CBitButton>(this, kConfirmButton)->setEnabled(false);
    m_bStoreAllowedShown = view.m_bStoreAllowed;
    ShowPermission();
}

void CSysDlg::RebuildModeList() {
    ApplyModeView(BuildModeView());
    UpdatePermission();
}

void CSysDlg::ApplyModeView(const SModeView& view) {
    auto* pList = DlgItem<CBitComboBox>(this, kModeCombo);
    {
        const QSignalBlocker blocker(pList);
        pList->clear();
        for (const std::string& strEntry : view.m_astrEntries) {
            pList->addItem(FromBytes(strEntry));
        }
        pList->setCurrentIndex(view.m_nSelected);
    }
    pList->setEnabled(true);
    DlgItem<CEnglishEdit>(this, kNameEdit)->setText(FromBytes(view.m_strName));
    DlgItem<CBitButton>(this, kRecallButton)->setEnabled(view.m_bRecall);
    DlgItem<CBitButton>(this, kExportButton)->setEnabled(true);
    DlgItem<CBitButton>(this, kExportAllButton)->setEnabled(view.m_bExportAll);
}

CSysDlg::SCodeEdits CSysDlg::CodeEdits(ECode code) const {
    const bool bSystem = code == ECode::System;
    return {DlgItem<CEnglishEdit>(this, bSystem ? kSystemOldEdit : kPanelOldEdit),
            DlgItem<CEnglishEdit>(this, bSystem ? kSystemNewEdit : kPanelNewEdit),
            DlgItem<CEnglishEdit>(this, bSystem ? kSystemConfirmEdit : kPanelConfirmEdit),
            DlgItem<CBitButton>(this, bSystem ? kSystemSendButton : kPanelSendButton)};
}

void CSysDlg::ResetCodeSection(ECode code) {
    const SCodeEdits edits = CodeEdits(code);
    for (CEnglishEdit* pEdit : {edits.pOld, edits.pNew, edits.pConfirm}) {
        pEdit->clear();
    }
    edits.pOld->setEnabled(g_flags.m_bOnline);
    edits.pNew->setEnabled(false);
    edits.pConfirm->setEnabled(false);
    edits.pSend->setEnabled(false);
}

void CSysDlg::ApplyCodeSection(ECode code) {
    const SCodeEdits edits = CodeEdits(code);
    const SCodeSection section = EvaluateCodeSection(
        code, Bytes(edits.pOld->text()), Bytes(edits.pNew->text()), Bytes(edits.pConfirm->text()));
    edits.pOld->setEnabled(section.m_bOld);
    edits.pNew->setEnabled(section.m_bNew);
    edits.pConfirm->setEnabled(section.m_bConfirm);
    edits.pSend->setEnabled(section.m_bSend);
}

void CSysDlg::OnSendCode(ECode code) {
    const SCodeEdits edits = CodeEdits(code);
    if (SendCodeChange(m_api, code, Bytes(edits.pOld->text()), Bytes(edits.pNew->text()),
                       Bytes(edits.pConfirm->text()))) {
        ResetCodeSection(code);
    }
}

void CSysDlg::OnVerifyEdited() {
    const QString strTyped = DlgItem<CEnglishEdit>(this, kVerifyEdit)->text();
    DlgItem<CBitButton>(this, kConfirmButton)->setEnabled(VerificationMatches(Bytes(strTyped)));
}

void CSysDlg::OnConfirm() {
    const QString strTyped = DlgItem<CEnglishEdit>(this, kVerifyEdit)->text();
    if (ConfirmVerification(m_api, Bytes(strTyped))) {
        UpdatePermission();
    }
}

int CSysDlg::SelectedMode() const {
    const int nIndex = DlgItem<CBitComboBox>(this, kModeCombo)->currentIndex();
    return nIndex < 0 ? 0 : nIndex + 1;
}

void CSysDlg::OnModeSelected(int nIndex) {
    if (nIndex < 0) {
        return;
    }
    const int nMode = nIndex + 1;
    const bool bStorable = MayStoreMode(nMode);
    DlgItem<CEnglishEdit>(this, kNameEdit)->setEnabled(bStorable);
    DlgItem<CBitButton>(this, kStoreButton)->setEnabled(bStorable);
    DlgItem<CEnglishEdit>(this, kNameEdit)->setText(FromBytes(SlotName(nMode)));
}

void CSysDlg::OnRecall() {
    if (const int nMode = SelectedMode(); nMode != 0) {
        m_api.SendCommand(cmd::kRecall, nMode);
    }
}

void CSysDlg::OnStore() {
    const QString strName = DlgItem<CEnglishEdit>(this, kNameEdit)->text();
    if (StoreMode(m_api, SelectedMode(), Bytes(strName))) {
        RebuildModeList();
    }
}

void CSysDlg::AfterWrite(const SFieldBinding& row, int) {
    if (IsMaximum(row)) {
        m_api.ClampVolumes();
    }
}

void CSysDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(ms::kOrigin,
                 SkinPixmap(IsChinese() ? kSkinMeterScaleChinese : kSkinMeterScaleEnglish));
}

} // namespace zolt
