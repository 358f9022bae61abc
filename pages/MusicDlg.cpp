#include "pages/MusicDlg.h"

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/Colour.h"
#include "controls/Edit_Static.h"
#include "controls/NumEdit.h"
#include "controls/Skin.h"
#include "controls/TransparentStatic.h"
#include "eq/CFStatic.h"
#include "eq/KTVEQ.h"
#include "model/Command.h"
#include "model/DataConver.h"
#include "pages/EqStripBank.h"
#include "pages/MusicData.h"

#include <QKeyEvent>
#include <QPalette>
#include <QSlider>

#include <algorithm>

namespace zolt {

namespace {

using namespace musicid;

constexpr ECtl kCaption = ECtl::TransparentStatic;
constexpr ECtl kLabel = ECtl::EditStatic;
constexpr ECtl kSlider = ECtl::BitmapSlider;
constexpr ECtl kField = ECtl::NumEdit;
constexpr ECtl kCombo = ECtl::BitComboBox;
constexpr ECtl kButton = ECtl::BitButton;

// Template 135; positions and sizes in dialog units. Sliders take their channel picture's
// size, combo boxes the closed-box height.
constexpr SControlTemplate kControls[] = {
    {kTypeCaption, kCaption, 4, 17, 36, 9},
    {kGainCaption, kCaption, 4, 31, 36, 9},
    {kFreqCaption, kCaption, 4, 117, 36, 9},
    {kQCaption, kCaption, 4, 130, 36, 9},
    {kBandScroll, ECtl::Trackbar, 1, 143, 367, 12},
    {kSync, kButton, 14, 158, 56, 14},
    {kLeft, kButton, 80, 158, 56, 14},
    {kRight, kButton, 145, 158, 56, 14},
    {kEqReset, kButton, 245, 158, 56, 14},
    {kEqBypass, kButton, 313, 158, 56, 14, false, "EQ Bypass"},
    {kDisplay, ECtl::Custom, 6, 176, 706, 167},

    {kKeyCaption, kCaption, 371, 16, 80, 9},
    {kKeyLabel, kLabel, 453, 16, 30, 9},
    {kKeySlider, kSlider, 373, 27, 110, 10},

    {kMainHpfCaption, kCaption, 370, 43, 112, 9},
    {kMainHpfSlope, kCombo, 373, 60, 66, 12},
    {kMainHpfField, kField, 442, 59, 40, 11},
    {kMainHpfSlider, kSlider, 373, 74, 110, 10},
    {kHpfCaption, kCaption, 375, 89, 60, 9},
    {kHpfSlope, kCombo, 373, 103, 66, 12},
    {kHpfField, kField, 441, 102, 40, 11},
    {kHpfSlider, kSlider, 373, 117, 110, 10},
    {kLpfCaption, kCaption, 375, 134, 60, 9},
    {kLpfSlope, kCombo, 373, 150, 66, 12},
    {kLpfField, kField, 441, 149, 40, 11},
    {kLpfSlider, kSlider, 373, 164, 110, 10},

    {kGateTitle, kCaption, 488, 4, 100, 9},
    {kGateThresholdCaption, kCaption, 488, 16, 78, 9},
    {kGateThresholdLabel, kLabel, 568, 16, 34, 9},
    {kGateThresholdSlider, kSlider, 488, 27, 110, 10},
    {kGateAttackCaption, kCaption, 488, 40, 78, 9},
    {kGateAttackLabel, kLabel, 568, 40, 34, 9},
    {kGateAttackSlider, kSlider, 488, 50, 110, 10},
    {kGateReleaseCaption, kCaption, 488, 64, 78, 9},
    {kGateReleaseLabel, kLabel, 568, 64, 34, 9},
    {kGateReleaseSlider, kSlider, 488, 74, 110, 10},

    {kLimitTitle, kCaption, 604, 4, 100, 9},
    {kLimitLevelCaption, kCaption, 604, 16, 78, 9},
    {kLimitLevelLabel, kLabel, 684, 16, 30, 9},
    {kLimitLevelSlider, kSlider, 604, 27, 110, 10},
    {kLimitAttackCaption, kCaption, 604, 40, 78, 9},
    {kLimitAttackLabel, kLabel, 684, 40, 30, 9},
    {kLimitAttackSlider, kSlider, 604, 50, 110, 10},
    {kLimitReleaseCaption, kCaption, 605, 64, 78, 9},
    {kLimitReleaseLabel, kLabel, 684, 64, 30, 9},
    {kLimitReleaseSlider, kSlider, 604, 73, 110, 10},
    {kLimitRatioCaption, kCaption, 604, 84, 78, 9},
    {kLimitRatioLabel, kLabel, 684, 84, 30, 9},
    {kLimitRatioSlider, kSlider, 604, 94, 110, 10},

    {kLowExciterTitle, kCaption, 498, 108, 90, 9},
    {kLowFreqCaption, kCaption, 492, 122, 62, 9},
    {kLowFreqField, kField, 557, 121, 40, 11},
    {kLowFreqSlider, kSlider, 491, 135, 110, 10},
    {kLowHarmonicCaption, kCaption, 491, 149, 55, 9},
    {kLowHarmonic, kCombo, 548, 147, 49, 12},
    {kLowTimbreCaption, kCaption, 491, 163, 55, 9},
    {kLowTimbre, kCombo, 548, 161, 49, 12},

    {kHighExciterTitle, kCaption, 617, 108, 90, 9},
    {kHighFreqCaption, kCaption, 608, 122, 62, 9},
    {kHighFreqField, kField, 673, 121, 40, 11},
    {kHighFreqSlider, kSlider, 604, 135, 110, 10},
    {kHighHarmonicCaption, kCaption, 607, 149, 52, 9},
    {kHighHarmonic, kCombo, 661, 147, 49, 12},
    {kHighTimbreCaption, kCaption, 607, 163, 52, 9},
    {kHighTimbre, kCombo, 661, 161, 49, 12},
};

// Captions by language: Chinese, English.
struct SCaption {
    int m_nId;
    const char* m_pszChinese;
    const char* m_pszEnglish;
};
constexpr SCaption kCaptions[] = {
    {kKeyCaption, "音乐变调", "Key Control"},
    {kMainHpfCaption, "主通道音乐高通", "MainMusic HPF"},
    {kHpfCaption, "高通", "HPF"},
    {kLpfCaption, "低通", "LPF"},
    {kGateTitle, "噪声门", "NoiseGate"},
    {kGateThresholdCaption, "启动电平", "Threshold"},
    {kGateAttackCaption, "启动时间", "Attack Time"},
    {kGateReleaseCaption, "释放时间", "Release Time"},
    {kLimitTitle, "音乐压限器", "Music Limit"},
    {kLimitLevelCaption, "压限启动电平", "Limit Level"},
    {kLimitAttackCaption, "压限启动时间(Atk)", "Attack Time(Atk)"},
    {kLimitReleaseCaption, "压限释放时间", "Release Time"},
    {kLimitRatioCaption, "压缩比例", "Ratio"},
    {kLowExciterTitle, "低音激励", "Low Exciter"},
    {kHighExciterTitle, "高音激励", "High Exciter"},
    {kLowTimbreCaption, "音品", "Timbre"},
    {kHighTimbreCaption, "音品", "Timbre"},
    {kLowHarmonicCaption, "谐波量", "Harmonic"},
    {kHighHarmonicCaption, "谐波量", "Harmonic"},
    {kLowFreqCaption, "频率", "Freq"},
    {kHighFreqCaption, "频率", "Freq"},
    {kSync, "同步", "SYNC"},
    {kLeft, "音乐左", "Music Left"},
    {kRight, "音乐右", "Music Right"},
    {kEqReset, "EQ 重置", "EQ Reset"},
    {kTypeCaption, "类型", "Type"},
    {kFreqCaption, "频率(Hz)", "Freq(Hz)"},
    {kGainCaption, "增益(dB)", "Gain(dB)"},
    {kQCaption, "Q值", "Q"},
};

// Ten strips 50 pixels apart: the row then ends where the band trackbar below it ends, clear
// of the key and crossover column (58 apart, the tenth strip would run under it).
constexpr SStripBankLayout kStrips{kMusicVisibleBands, 50};

constexpr int kFreqMax = kFreqCount - 1;
constexpr int kExciterSteps = 10; // harmonic and timbre "0" .. "9"

const SFreqPair* FreqPairOf(int nId) {
    for (const SFreqPair& pair : kFreqPairs) {
        if (pair.m_nSlider == nId || pair.m_nField == nId) {
            return &pair;
        }
    }
    return nullptr;
}

const SCrossoverControls* CrossoverOf(int nId) {
    for (const SCrossoverControls& crossover : kCrossovers) {
        if (crossover.m_nSlider == nId || crossover.m_nField == nId) {
            return &crossover;
        }
    }
    return nullptr;
}

const SLabelledSlider* LabelledSliderOf(int nId) {
    for (const SLabelledSlider& slider : kLabelledSliders) {
        if (slider.m_nSlider == nId) {
            return &slider;
        }
    }
    return nullptr;
}

// A slider keeps within the width its template row gives it: the channel picture is wider
// than the page's columns, and at full width a slider would run under its right-hand
// neighbour or past the page's edge, hiding its thumb near the maximum.
void SetUpSlider(CBitmapSlider* pSlider, int nMax) {
    const int nPlace = pSlider->width();
    pSlider->SetChannelPictures(kSkinSliderChannel, kSkinSliderChannelActive);
    pSlider->resize(std::min(pSlider->width(), nPlace), pSlider->height());
    pSlider->SetThumbPictures(kSkinSliderThumb);
    pSlider->SetRange(0, nMax);
}

void SetUpButton(CBitButton* pButton) {
    pButton->SetPictures(kSkinButton, kSkinButton, kSkinButtonChecked, kSkinButtonChecked,
                         kSkinButtonChecked, kSkinButton);
}

} // namespace

const SDialogTemplate CMusicDlg::kTemplate{135, 715, 359, kControls};

CMusicDlg::CMusicDlg(CPageApi& api, QWidget* pParent) : CDialogWindow(pParent) {
    static_cast<void>(api); // the page needs none of the main window's operations
    BuildDialog(this, kTemplate, [](const SControlTemplate&, QWidget* pParentWidget) {
        return new CFStatic(pParentWidget);
    });
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColorOf(kPageColour));
    setPalette(palette);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::ClickFocus); // Enter and Escape park the focus here

    SMusicView& view = MusicView();
    m_pDisplay = DlgItem<CFStatic>(this, kDisplay);
    m_pDisplay->Attach(this);
    m_pDisplay->LayoutGroup(curvegroup::kMusic);
    m_pDisplay->ShowSet(view.m_nChannel);
    m_pStrips =
        std::make_unique<CEqStripBank>(this, m_pDisplay, kStrips, view.m_nChannel, &view.m_strips);
    m_pBandScroll = DlgItem<QSlider>(this, kBandScroll);
    m_pStrips->AttachScrollBar(m_pBandScroll, true);
    // The bank scrolls on every change and every release; a step that cannot move (an
    // arrow key or a page click at either end) re-assigns and reloads the strips as well.
    connect(m_pBandScroll, &QAbstractSlider::actionTriggered, this, [this] {
        if (m_pBandScroll->sliderPosition() == m_pBandScroll->value()) {
            m_pStrips->ScrollTo(m_pBandScroll->value());
        }
    });

    SetUpSliders();
    SetUpFields();
    SetUpCombos();
    SetUpButtons();
    ApplyLanguage();
    Refresh();
}

CMusicDlg::~CMusicDlg() = default;

void CMusicDlg::SetUpSliders() {
    for (const SLabelledSlider& row : kLabelledSliders) {
        SetUpSlider(DlgItem<CBitmapSlider>(this, row.m_nSlider), row.m_nMax);
        auto* pLabel = DlgItem<CEdit_Static>(this, row.m_nLabel);
        pLabel->SetRange(0, row.m_nMax);
        pLabel->SetMode(row.m_nLabelMode);
        pLabel->SetIntFormat(1, row.m_nLabelOffset, QString::fromLatin1(row.m_pszUnit));
    }
    SetUpSlider(DlgItem<CBitmapSlider>(this, kKeySlider), kKeyShiftMax);
    auto* pKey = DlgItem<CEdit_Static>(this, kKeyLabel);
    pKey->SetRange(0, kKeyShiftMax);
    pKey->SetMode(kLabelInteger);
    pKey->SetIntFormat(1, kKeyLabelOffset);
}

void CMusicDlg::SetUpFields() {
    const auto setUp = [this](int nSlider, int nField) {
        SetUpSlider(DlgItem<CBitmapSlider>(this, nSlider), kFreqMax);
        auto* pField = DlgItem<CNumEdit>(this, nField);
        pField->SetDisplayMode(kNumEditFrequency, QStringLiteral("Hz"));
        pField->SetRange(0, kFreqMax);
        pField->LinkSlider(DlgItem<CBitmapSlider>(this, nSlider));
    };
    for (const SFreqPair& pair : kFreqPairs) {
        setUp(pair.m_nSlider, pair.m_nField);
    }
    for (const SCrossoverControls& crossover : kCrossovers) {
        setUp(crossover.m_nSlider, crossover.m_nField);
    }
}

void CMusicDlg::SetUpCombos() {
    const auto fill = [this](int nCombo, const QStringList& items) {
        auto* pCombo = DlgItem<CBitComboBox>(this, nCombo);
        pCombo->addItems(items);
        pCombo->SetStandardSkin();
        return pCombo;
    };
    QStringList slopes;
    for (const char* pszSlope : kSlopeNames) {
        slopes << QString::fromLatin1(pszSlope);
    }
    QStringList steps;
    for (int i = 0; i < kExciterSteps; ++i) {
        steps << QString::number(i);
    }
    for (const SByteCombo& row : kByteCombos) {
        CBitComboBox* pCombo = fill(row.m_nCombo, row.m_nCombo == kMainHpfSlope ? slopes : steps);
        const int nCombo = row.m_nCombo;
        connect(pCombo, &QComboBox::activated, this,
                [this, nCombo](int nIndex) { OnByteCombo(nCombo, nIndex); });
    }
    for (const SCrossoverControls& crossover : kCrossovers) {
        CBitComboBox* pCombo = fill(crossover.m_nSlope, slopes);
        const int nItem = crossover.m_nItem;
        connect(pCombo, &QComboBox::activated, this, [this, nItem](int nSlope) {
            if (CFilter* pFilter = Crossover(nItem)) {
                const CImageGuard guard(ImageLock());
                pFilter->SetSlope(nSlope);
            }
            m_pDisplay->SelectFilter(nItem);
        });
    }
}

void CMusicDlg::SetUpButtons() {
    m_pSync = DlgItem<CBitButton>(this, kSync);
    m_pLeft = DlgItem<CBitButton>(this, kLeft);
    m_pRight = DlgItem<CBitButton>(this, kRight);
    m_pBypass = DlgItem<CBitButton>(this, kEqBypass);
    auto* pReset = DlgItem<CBitButton>(this, kEqReset);
    for (CBitButton* pButton : {m_pSync, m_pLeft, m_pRight, pReset, m_pBypass}) {
        SetUpButton(pButton);
    }
    connect(m_pSync, &QAbstractButton::clicked, this, &CMusicDlg::OnSync);
    connect(m_pLeft, &QAbstractButton::clicked, this, [this] { SelectChannel(0); });
    connect(m_pRight, &QAbstractButton::clicked, this, [this] { SelectChannel(1); });
    connect(pReset, &QAbstractButton::clicked, this, [this] { m_pStrips->ResetEq(); });
    connect(m_pBypass, &QAbstractButton::clicked, this, &CMusicDlg::OnBypass);
}

// --- reload -----------------------------------------------------------------------------

int CMusicDlg::EditedBlockNumber() const {
    return EditedBlock() == image::kMusicLeft ? 0 : 1;
}

std::size_t CMusicDlg::EditedBlock() const {
    return EditedMusicBlock(MusicView());
}

CFilter* CMusicDlg::Crossover(int nItem) const {
    CKTVEQ* pSet = CurveSetOfBlock(EditedBlockNumber());
    return pSet != nullptr && nItem < pSet->FilterCount() ? pSet->Filter(nItem) : nullptr;
}

void CMusicDlg::Refresh() {
    SMusicView& view = MusicView();
    FollowMusicLink(view);
    if (m_pStrips->Block() != view.m_nChannel) {
        m_pStrips->SwitchBlock(view.m_nChannel);
    } else {
        m_pStrips->ReloadAll();
    }
    LoadButtons();
    LoadEditedBlock();
    LoadLimiterBlock();
    LoadKey();
    m_pDisplay->ShowSet(view.m_nChannel);
}

void CMusicDlg::LoadButtons() {
    const bool bLinked = MusicLinked();
    const int nChannel = MusicView().m_nChannel;
    m_pSync->SetChecked(bLinked ? 1 : 0);
    m_pLeft->SetChecked(!bLinked && nChannel == 0 ? 1 : 0);
    m_pRight->SetChecked(!bLinked && nChannel == 1 ? 1 : 0);
    m_pLeft->setEnabled(!bLinked);
    m_pRight->setEnabled(!bLinked);
}

void CMusicDlg::LoadFreqPair(int nSlider, int nField, int nIndex) {
    const int nShown = std::clamp(nIndex, 0, kFreqMax);
    DlgItem<CNumEdit>(this, nField)->SetValue(nShown);
    DlgItem<CBitmapSlider>(this, nSlider)->SetPos(nShown);
}

void CMusicDlg::LoadCrossover(int nItem) {
    const CFilter* pFilter = Crossover(nItem);
    if (pFilter == nullptr) {
        return;
    }
    for (const SCrossoverControls& crossover : kCrossovers) {
        if (crossover.m_nItem == nItem) {
            LoadFreqPair(crossover.m_nSlider, crossover.m_nField, pFilter->FreqIndex());
            DlgItem<CBitComboBox>(this, crossover.m_nSlope)->setCurrentIndex(pFilter->Slope());
        }
    }
}

void CMusicDlg::LoadEditedBlock() {
    const std::size_t nBlock = EditedBlock();
    for (const SFreqPair& pair : kFreqPairs) {
        LoadFreqPair(pair.m_nSlider, pair.m_nField, MusicU16(nBlock + pair.m_nOffset));
    }
    for (const SByteCombo& row : kByteCombos) {
        DlgItem<CBitComboBox>(this, row.m_nCombo)
            ->setCurrentIndex(MusicByte(nBlock + row.m_nOffset));
    }
    for (const SCrossoverControls& crossover : kCrossovers) {
        LoadCrossover(crossover.m_nItem);
    }
    m_pBypass->SetChecked(MusicByte(nBlock + music::kBypass) != 0 ? 1 : 0);
}

void CMusicDlg::LoadLimiterBlock() {
    for (const SLabelledSlider& row : kLabelledSliders) {
        const int nValue = MusicByte(kMusicLimiterBlock + row.m_nOffset);
        DlgItem<CEdit_Static>(this, row.m_nLabel)->SetPos(nValue);
        DlgItem<CBitmapSlider>(this, row.m_nSlider)->SetPos(nValue);
    }
}

void CMusicDlg::LoadKey() {
    const int nKey = KeyShift();
    DlgItem<CEdit_Static>(this, kKeyLabel)->SetPos(nKey);
    DlgItem<CBitmapSlider>(this, kKeySlider)->SetPos(nKey);
}

void CMusicDlg::ApplyLanguage() {
    const bool bChinese = g_flags.m_nLanguage != 0;
    for (const SCaption& caption : kCaptions) {
        const QString strText =
            QString::fromUtf8(bChinese ? caption.m_pszChinese : caption.m_pszEnglish);
        QWidget* pWidget = FindDlgItem(this, caption.m_nId);
        if (auto* pStatic = qobject_cast<CTransparentStatic*>(pWidget)) {
            pStatic->SetText(strText);
        } else if (auto* pButton = qobject_cast<CBitButton*>(pWidget)) {
            pButton->setText(strText);
        }
    }
}

// --- channel and link -------------------------------------------------------------------

void CMusicDlg::SelectChannel(int nRequest) {
    SMusicView& view = MusicView();
    if (nRequest >= 0) {
        if (nRequest == view.m_nChannel) {
            return;
        }
        view.m_nChannel = nRequest;
        m_pStrips->SwitchBlock(nRequest);
    }
    Refresh();
}

void CMusicDlg::OnSync() {
    ToggleMusicLink();
    SelectChannel(-1);
}

void CMusicDlg::OnBypass() {
    const bool bBypassed = ToggleMusicBypass(EditedBlock());
    m_pDisplay->SelectFilter(-1);
    m_pBypass->SetChecked(bBypassed ? 1 : 0);
}

// --- control handlers -------------------------------------------------------------------

void CMusicDlg::OnFreqChosen(int nSlider, int nField, int nIndex) {
    DlgItem<CNumEdit>(this, nField)->SetValue(nIndex);
    DlgItem<CBitmapSlider>(this, nSlider)->SetPos(nIndex);
    if (const SFreqPair* pPair = FreqPairOf(nSlider)) {
        WriteMusicU16(EditedBlock() + pPair->m_nOffset, nIndex);
    } else if (const SCrossoverControls* pCrossover = CrossoverOf(nSlider)) {
        if (CFilter* pFilter = Crossover(pCrossover->m_nItem)) {
            const CImageGuard guard(ImageLock());
            pFilter->SetFreqIndex(nIndex);
        }
        m_pDisplay->SelectFilter(pCrossover->m_nItem);
    }
}

void CMusicDlg::OnSlider(int nId) {
    auto* pSlider = DlgItem<CBitmapSlider>(this, nId);
    if (pSlider == nullptr) {
        return;
    }
    const int nPos = pSlider->Pos();
    if (nId == kKeySlider) {
        DlgItem<CEdit_Static>(this, kKeyLabel)->SetPos(nPos);
        WriteKeyShift(nPos);
    } else if (const SLabelledSlider* pRow = LabelledSliderOf(nId)) {
        DlgItem<CEdit_Static>(this, pRow->m_nLabel)->SetPos(nPos);
        WriteMusicByte(kMusicLimiterBlock + pRow->m_nOffset, static_cast<std::uint8_t>(nPos));
    } else if (const SFreqPair* pPair = FreqPairOf(nId)) {
        OnFreqChosen(pPair->m_nSlider, pPair->m_nField, nPos);
    } else if (const SCrossoverControls* pCrossover = CrossoverOf(nId)) {
        OnFreqChosen(pCrossover->m_nSlider, pCrossover->m_nField, nPos);
    }
}

void CMusicDlg::OnFieldCommitted(int nId) {
    if (const SFreqPair* pPair = FreqPairOf(nId)) {
        OnFreqChosen(pPair->m_nSlider, nId, DlgItem<CNumEdit>(this, nId)->Value());
    } else if (const SCrossoverControls* pCrossover = CrossoverOf(nId)) {
        OnFreqChosen(pCrossover->m_nSlider, nId, DlgItem<CNumEdit>(this, nId)->Value());
    }
}

void CMusicDlg::OnByteCombo(int nCombo, int nIndex) {
    for (const SByteCombo& row : kByteCombos) {
        if (row.m_nCombo == nCombo && nIndex >= 0) {
            WriteMusicByte(EditedBlock() + row.m_nOffset, static_cast<std::uint8_t>(nIndex));
        }
    }
}

void CMusicDlg::OnCurveDragged(int nItem) {
    if (!m_pStrips->OnCurveDragged(nItem)) {
        LoadCrossover(nItem);
    }
}

bool CMusicDlg::OnMessage(CMessageEvent& msg) {
    switch (msg.Message()) {
    case WM_SLIDER_MOVING:
    case WM_SLIDER_MOVED:
        OnSlider(static_cast<int>(msg.WParameter()));
        return true;
    case WM_NUMEDIT_CHANGED:
        OnFieldCommitted(static_cast<int>(msg.LParameter()));
        return true;
    case WM_BAND_ACTIVATED:
        m_pStrips->OnBandActivated(static_cast<int>(msg.LParameter()));
        return true;
    case WM_CURVE_DRAGGED:
        OnCurveDragged(static_cast<int>(msg.LParameter()));
        return true;
    default:
        return CDialogWindow::OnMessage(msg);
    }
}

} // namespace zolt
