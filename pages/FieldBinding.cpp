#include "pages/FieldBinding.h"

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/DialogTemplate.h"
#include "controls/NumEdit.h"
#include "eq/KTVEQ.h"
#include "model/Command.h"

#include <QSignalBlocker>

#include <algorithm>

namespace zolt {

const std::array<const char*, 10> kDigitItems{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};

namespace {

// Pages' horizontal sliders: the channel picture with its active twin, the round thumb, no
// margins, and never wider than the template row gives them: the picture is wider than
// the pages' columns, and at full width a slider would run under its neighbour or past
// the page's edge, hiding its thumb near the maximum.
void SetUpHorizontalSlider(CBitmapSlider* pSlider) {
    const int nPlace = pSlider->width();
    pSlider->SetChannelPictures(kSkinSliderChannel, kSkinSliderChannelActive);
    pSlider->resize(std::min(pSlider->width(), nPlace), pSlider->height());
    pSlider->SetThumbPictures(kSkinSliderThumb);
    pSlider->SetMargins(0, 0, 0, 0);
}

// Vertical sliders are the gain sliders of a page's band columns (raw 60..180, -12 .. +12
// dB): the gain channel and thumb, the value growing upward. The gain channel is drawn
// for the band strips' +12 .. -24 dB; the margins keep the thumb on its upper part, at
// the strips' pixels per step, so the thumb stands at the same mark for the same gain.
void SetUpVerticalSlider(CBitmapSlider* pSlider) {
    pSlider->SetChannelPictures(kSkinGainChannel);
    pSlider->SetThumbPictures(kSkinGainThumb, kSkinGainThumbActive, true, kKeyFromPixel, 0, 0);
    pSlider->SetMargins(18, 1, 0, 35);
}

void SetSliderPos(CBitmapSlider* pSlider, int nPosition) {
    if (pSlider->IsVertical()) {
        pSlider->SetPosFromFarEnd(nPosition);
    } else {
        pSlider->SetPos(nPosition);
    }
}

int SliderPos(const CBitmapSlider* pSlider) {
    return pSlider->IsVertical() ? pSlider->PosFromFarEnd() : pSlider->Pos();
}

int NumEditMode(EField eField) {
    switch (eField) {
    case EField::Gain:
        return kNumEditScaled;
    case EField::Q:
        return kNumEditQ;
    default:
        return kNumEditFrequency;
    }
}

// Gain fields show the raw byte as dB: raw × 0.2 − 24.
constexpr double kGainStep = 0.2;
constexpr double kGainOffset = 24.0;

} // namespace

CFieldBinder::CFieldBinder(QWidget* pPage, std::span<const SFieldBinding> aRows,
                           CFieldSource& source)
    : QObject(pPage), m_pPage(pPage), m_aRows(aRows), m_source(source) {}

template <class T> T* CFieldBinder::Control(int nId) const {
    return nId != 0 ? DlgItem<T>(m_pPage, nId) : nullptr;
}

void CFieldBinder::SetUp() {
    for (const SFieldBinding& row : m_aRows) {
        if (auto* pSlider = Control<CBitmapSlider>(row.m_nSlider)) {
            if (pSlider->IsVertical()) {
                SetUpVerticalSlider(pSlider);
            } else {
                SetUpHorizontalSlider(pSlider);
            }
            pSlider->SetRange(row.m_nMin, row.m_nMax);
        }
        const std::array<std::pair<int, const SLabelFormat*>, 2> labels{
            {{row.m_nLabel, &row.m_label}, {row.m_nLabel2, &row.m_label2}}};
        for (const auto& [nLabel, pFormat] : labels) {
            if (auto* pLabel = Control<CEdit_Static>(nLabel)) {
                pLabel->SetRange(row.m_nMin, row.m_nMax);
                pLabel->SetFormat(*pFormat);
            }
        }
        if (auto* pField = Control<CNumEdit>(row.m_nField)) {
            pField->SetDisplayMode(NumEditMode(row.m_eField),
                                   QString::fromUtf8(row.m_pszFieldUnit));
            pField->SetRange(row.m_nMin, row.m_nMax);
            if (row.m_eField == EField::Gain) {
                pField->SetScale(kGainStep);
                pField->SetOffset(kGainOffset);
            }
            pField->LinkSlider(Control<CBitmapSlider>(row.m_nSlider));
        }
        if (auto* pCombo = Control<CBitComboBox>(row.m_nCombo)) {
            for (const char* pszItem : row.m_aItems) {
                pCombo->addItem(QString::fromUtf8(pszItem));
            }
            pCombo->SetStandardSkin();
            connect(pCombo, &QComboBox::currentIndexChanged, this,
                    [this, &row](int nIndex) { OnCombo(row, nIndex); });
        }
        if (auto* pButton = Control<CBitButton>(row.m_nButton)) {
            pButton->SetPictures(row.m_nUnchecked, row.m_nUnchecked, row.m_nChecked, row.m_nChecked,
                                 row.m_nChecked, row.m_nUnchecked);
            connect(pButton, &QAbstractButton::clicked, this, [this, &row] { OnButton(row); });
        }
    }
}

// --- where a row's value lives ------------------------------------------------------------

std::uint8_t* CFieldBinder::BytesOf(const SFieldBinding& row) const {
    switch (row.m_eBlock) {
    case EBlock::System:
        return System() + row.m_nOffset;
    case EBlock::Image:
        return Image() + row.m_nOffset;
    default:
        return Image() + m_source.BlockOffset(row.m_eBlock) + row.m_nOffset;
    }
}

CFilter* CFieldBinder::FilterOf(const SFieldBinding& row) const {
    CKTVEQ* pSet = m_source.CurveSet();
    return pSet != nullptr ? pSet->Filter(row.m_nItem) : nullptr;
}

// The stored value of a row as the position its controls show; -1 when a curve row has no
// curve object.
int CFieldBinder::Stored(const SFieldBinding& row) const {
    const CImageGuard guard(ImageLock());
    if (IsCurveField(row.m_eField)) {
        const CFilter* pFilter = FilterOf(row);
        if (pFilter == nullptr) {
            return -1;
        }
        switch (row.m_eField) {
        case EField::Frequency:
            return pFilter->FreqIndex();
        case EField::Gain:
            return pFilter->GainByte();
        case EField::Q:
            return pFilter->QIndex();
        case EField::Type:
            return pFilter->Type();
        default:
            return pFilter->Slope();
        }
    }
    const std::uint8_t* pBytes = BytesOf(row);
    switch (row.m_eField) {
    case EField::Word:
        return GetU16(pBytes) / row.m_nScale;
    case EField::HighNibble:
        return *pBytes >> 4;
    case EField::LowNibble:
        return *pBytes & 0x0F;
    case EField::Flag:
        return *pBytes != 0 ? 1 : 0;
    default:
        return *pBytes / row.m_nScale;
    }
}

// --- load ---------------------------------------------------------------------------------

void CFieldBinder::LoadAll() {
    for (const SFieldBinding& row : m_aRows) {
        Load(row);
    }
}

void CFieldBinder::LoadField(int nField) {
    for (const SFieldBinding& row : m_aRows) {
        if (row.m_nField == nField) {
            Load(row, true);
        }
    }
}

void CFieldBinder::LoadItem(int nItem, bool bFieldOnly) {
    for (const SFieldBinding& row : m_aRows) {
        if (IsCurveField(row.m_eField) && row.m_nItem == nItem) {
            Load(row, bFieldOnly);
        }
    }
}

void CFieldBinder::Load(const SFieldBinding& row, bool bFieldOnly) {
    const int nValue = Stored(row);
    if (nValue < 0) {
        return;
    }
    if (auto* pField = Control<CNumEdit>(row.m_nField)) {
        // A value outside the range (from a device or a file) shows at the end its slider
        // shows, never the text the field had for another band or channel.
        pField->SetValue(std::clamp(nValue, row.m_nMin, row.m_nMax));
    }
    if (bFieldOnly) {
        return;
    }
    Show(row, nValue, row.m_nField);
    if (auto* pCombo = Control<CBitComboBox>(row.m_nCombo)) {
        const QSignalBlocker blocker(pCombo); // a reload is not an edit
        pCombo->setCurrentIndex(nValue < pCombo->count() ? nValue : -1);
    }
    if (auto* pButton = Control<CBitButton>(row.m_nButton)) {
        pButton->SetChecked(nValue);
    }
}

// The slider, the labels and the numeric field show nPosition, except control nExcept
// (the one the user moved, which already does). Sliders and labels clamp into their range.
void CFieldBinder::Show(const SFieldBinding& row, int nPosition, int nExcept) {
    if (row.m_nSlider != nExcept) {
        if (auto* pSlider = Control<CBitmapSlider>(row.m_nSlider)) {
            SetSliderPos(pSlider, nPosition);
        }
    }
    for (int nLabel : {row.m_nLabel, row.m_nLabel2}) {
        if (auto* pLabel = Control<CEdit_Static>(nLabel)) {
            pLabel->SetPos(nPosition);
        }
    }
    if (row.m_nField != nExcept) {
        if (auto* pField = Control<CNumEdit>(row.m_nField)) {
            pField->SetValue(nPosition);
        }
    }
}

// --- write --------------------------------------------------------------------------------

void CFieldBinder::Store(const SFieldBinding& row, int nPosition) {
    {
        const CImageGuard guard(ImageLock());
        if (IsCurveField(row.m_eField)) {
            CFilter* pFilter = FilterOf(row);
            if (pFilter == nullptr) {
                return;
            }
            switch (row.m_eField) {
            case EField::Frequency:
                pFilter->SetFreqIndex(nPosition);
                break;
            case EField::Gain:
                pFilter->SetGainByte(nPosition);
                break;
            case EField::Q:
                pFilter->SetQIndex(nPosition);
                break;
            case EField::Type:
                pFilter->SetType(nPosition);
                break;
            default:
                pFilter->SetSlope(nPosition);
                break;
            }
        } else {
            std::uint8_t* pBytes = BytesOf(row);
            const int nValue = nPosition * row.m_nScale;
            switch (row.m_eField) {
            case EField::Word:
                SetU16(pBytes, static_cast<std::uint16_t>(nValue));
                break;
            case EField::HighNibble:
                *pBytes = static_cast<std::uint8_t>((nValue << 4) | (*pBytes & 0x0F));
                break;
            case EField::LowNibble:
                *pBytes = static_cast<std::uint8_t>((*pBytes & 0xF0) | (nValue & 0x0F));
                break;
            default:
                *pBytes = static_cast<std::uint8_t>(nValue);
                break;
            }
        }
    }
    m_source.AfterWrite(row);
}

bool CFieldBinder::OnSlider(int nSlider) {
    for (const SFieldBinding& row : m_aRows) {
        if (row.m_nSlider == nSlider) {
            const int nPosition = SliderPos(Control<CBitmapSlider>(nSlider));
            Show(row, nPosition, nSlider);
            Store(row, nPosition);
            return true;
        }
    }
    return false;
}

bool CFieldBinder::OnField(int nField) {
    for (const SFieldBinding& row : m_aRows) {
        if (row.m_nField == nField) {
            const int nValue = Control<CNumEdit>(nField)->Value();
            Show(row, nValue, nField);
            Store(row, nValue);
            return true;
        }
    }
    return false;
}

void CFieldBinder::OnCombo(const SFieldBinding& row, int nIndex) {
    if (nIndex >= 0) {
        Store(row, nIndex);
    }
}

void CFieldBinder::OnButton(const SFieldBinding& row) {
    bool bSet = false;
    {
        const CImageGuard guard(ImageLock());
        std::uint8_t& bFlag = *BytesOf(row);
        bFlag = bFlag != 0 ? 0 : 1;
        bSet = bFlag != 0;
    }
    Control<CBitButton>(row.m_nButton)->SetChecked(bSet ? 1 : 0);
    m_source.AfterWrite(row);
}

void CFieldBinder::EnableAll(bool bEnable) {
    for (const SFieldBinding& row : m_aRows) {
        if (auto* pSlider = Control<CBitmapSlider>(row.m_nSlider)) {
            pSlider->Enable(bEnable);
        }
        for (int nId : {row.m_nField, row.m_nCombo, row.m_nButton, row.m_nLabel, row.m_nLabel2}) {
            if (QWidget* pControl = Control<QWidget>(nId)) {
                pControl->setEnabled(bEnable);
            }
        }
    }
}

} // namespace zolt
