#include "pages/FieldBinding.h"

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/DialogTemplate.h"
#include "controls/Language.h"
#include "controls/NumEdit.h"
#include "eq/Filter.h"
#include "model/Command.h"
#include "model/Layout.h"

#include <QSignalBlocker>

#include <algorithm>

namespace zolt {

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

void SetUpNumEdit(CNumEdit* pField, const SFieldBinding& row) {
    const SFieldKind& kind = row.Kind();
    switch (row.m_eField) {
    case EField::Gain:
        pField->SetDisplayMode(kNumEditScaled);
        pField->SetScale(kind.m_label.dScale);
        pField->SetOffset(kind.m_label.dOffset);
        break;
    case EField::Q:
        pField->SetDisplayMode(kNumEditQ);
        break;
    default:
        pField->SetDisplayMode(kNumEditFrequency, QString::fromUtf8(kind.m_pszFieldUnit));
        break;
    }
    pField->SetRange(kind.m_nMin, kind.m_nMax);
}

// The bits of its byte a row's value takes.
std::uint8_t BitsOf(EField eField) {
    switch (eField) {
    case EField::HighNibble:
        return 0xF0;
    case EField::LowNibble:
        return 0x0F;
    case EField::Level:
        return 0x7F;
    default:
        return 0xFF;
    }
}

// Offset of a curve field within its filter's record.
std::size_t RecordOffset(EField eField, const CFilter& filter) {
    switch (eField) {
    case EField::Frequency:
        return filter.IsCrossover() ? xover::kFreq : band::kFreq;
    case EField::Gain:
        return band::kGain;
    case EField::Q:
        return band::kQ;
    case EField::Type:
        return band::kType;
    default:
        return xover::kSlope;
    }
}

constexpr std::uint8_t kMuteBit = 0x80;

} // namespace

CFieldBinder::CFieldBinder(QWidget* pPage, std::span<const SFieldBinding> aRows,
                           CFieldSource& source)
    : QObject(pPage), m_pPage(pPage), m_aRows(aRows), m_source(source) {}

template <class T> T* CFieldBinder::Control(int nId) const {
    return nId != 0 ? DlgItem<T>(m_pPage, nId) : nullptr;
}

void CFieldBinder::SetUp() {
    for (const SFieldBinding& row : m_aRows) {
        const SFieldKind& kind = row.Kind();
        if (auto* pSlider = Control<CBitmapSlider>(row.m_nSlider)) {
            if (pSlider->IsVertical()) {
                SetUpVerticalSlider(pSlider);
            } else {
                SetUpHorizontalSlider(pSlider);
            }
            pSlider->SetRange(kind.m_nMin, kind.m_nMax);
        }
        const std::array<std::pair<int, const SLabelFormat*>, 2> labels{
            {{row.m_nLabel, &kind.m_label}, {row.m_nLabel2, &kind.m_label2}}};
        for (const auto& [nLabel, pFormat] : labels) {
            if (auto* pLabel = Control<CEdit_Static>(nLabel)) {
                pLabel->SetRange(kind.m_nMin, kind.m_nMax);
                pLabel->SetFormat(*pFormat);
            }
        }
        if (auto* pField = Control<CNumEdit>(row.m_nField)) {
            SetUpNumEdit(pField, row);
            pField->LinkSlider(Control<CBitmapSlider>(row.m_nSlider));
        }
        if (auto* pCombo = Control<CBitComboBox>(row.m_nCombo)) {
            for (const char* pszItem : kind.m_aNames) {
                pCombo->addItem(QString::fromUtf8(pszItem));
            }
            pCombo->SetStandardSkin();
            connect(pCombo, &QComboBox::currentIndexChanged, this,
                    [this, &row](int nIndex) { OnCombo(row, nIndex); });
        }
        if (auto* pButton = Control<CBitButton>(row.m_nButton)) {
            // A flag button shows what a click will make of it while pressed; a mute button
            // keeps its own look.
            const bool bMute = row.m_eField == EField::Level;
            pButton->SetPictures(row.m_nUnchecked, row.m_nUnchecked,
                                 bMute ? row.m_nUnchecked : row.m_nChecked, row.m_nChecked,
                                 row.m_nChecked, bMute ? row.m_nChecked : row.m_nUnchecked);
            connect(pButton, &QAbstractButton::clicked, this, [this, &row] {
                if (row.m_eField == EField::Level) {
                    OnMute(row);
                } else {
                    OnButton(row);
                }
            });
        }
    }
}

// --- where a row's value lives ------------------------------------------------------------

std::uint8_t* CFieldBinder::BytesOf(const SFieldBinding& row, std::size_t nOffset) const {
    switch (row.m_eBlock) {
    case EBlock::System:
        return System() + nOffset;
    case EBlock::Image:
        return Image() + nOffset;
    default:
        return Image() + m_source.BlockOffset(row.m_eBlock) + nOffset;
    }
}

CFilter* CFieldBinder::FilterOf(const SFieldBinding& row) const {
    return m_source.CurveFilter(row.m_nItem);
}

std::optional<SFieldPlace> CFieldBinder::Place(const SFieldBinding& row) const {
    const CImageGuard guard(ImageLock());
    if (IsCurveField(row.m_eField)) {
        const CFilter* pFilter = FilterOf(row);
        if (pFilter == nullptr) {
            return std::nullopt;
        }
        const auto nRecord = static_cast<std::size_t>(pFilter->Record() - Image());
        return SFieldPlace{EArea::Image, nRecord + RecordOffset(row.m_eField, *pFilter), 0xFF};
    }
    const std::uint8_t* pBase = row.m_eBlock == EBlock::System ? System() : Image();
    const EArea eArea = row.m_eBlock == EBlock::System ? EArea::System : EArea::Image;
    return SFieldPlace{eArea, static_cast<std::size_t>(BytesOf(row, row.m_nOffset) - pBase),
                       BitsOf(row.m_eField)};
}

const SFieldBinding* CFieldBinder::RowOf(int SFieldBinding::*pControl, int nId) const {
    const auto it = std::find_if(m_aRows.begin(), m_aRows.end(),
                                 [&](const SFieldBinding& row) { return row.*pControl == nId; });
    return nId != 0 && it != m_aRows.end() ? &*it : nullptr;
}

std::uint8_t CFieldBinder::StoredByte(int nButton) const {
    const SFieldBinding* pRow = RowOf(&SFieldBinding::m_nButton, nButton);
    const CImageGuard guard(ImageLock());
    return pRow != nullptr ? *BytesOf(*pRow, pRow->m_nOffset) : 0;
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
    const std::uint8_t* pBytes = BytesOf(row, row.m_nOffset);
    const int nScale = row.Kind().m_nScale;
    switch (row.m_eField) {
    case EField::Word:
        return GetU16(pBytes) / nScale;
    case EField::HighNibble:
        return *pBytes >> 4;
    case EField::LowNibble:
        return *pBytes & 0x0F;
    case EField::Flag:
        return *pBytes != 0 ? 1 : 0;
    case EField::Level:
        return *pBytes & BitsOf(EField::Level);
    default:
        return *pBytes / nScale;
    }
}

// --- load ---------------------------------------------------------------------------------

void CFieldBinder::LoadAll() {
    for (const SFieldBinding& row : m_aRows) {
        Load(row);
    }
    Explain();
}

void CFieldBinder::Explain() const {
    for (const SFieldBinding& row : m_aRows) {
        Explain(row);
    }
}

void CFieldBinder::Explain(const SFieldBinding& row) const {
    const std::optional<SFieldPlace> place = Place(row);
    const auto describe = [&place](std::uint8_t nBits, const SFieldKind* pKind) {
        const SField* pField = place ? FieldAt(place->m_eArea, place->m_nOffset, nBits) : nullptr;
        return pField != nullptr
                   ? QString::fromStdString(FieldDescription(
                         *pField, pKind != nullptr ? *pKind : FieldKind(pField->m_eKind),
                         Language()))
                   : QString();
    };
    const QString strValue = describe(place ? place->m_nBits : 0, &row.Kind());
    for (const int nId : {row.m_nSlider, row.m_nField, row.m_nCombo}) {
        if (auto* pControl = Control<QWidget>(nId)) {
            pControl->setToolTip(strValue);
        }
    }
    if (auto* pButton = Control<QWidget>(row.m_nButton)) {
        // A level's button is its mute bit, a field of its own.
        pButton->setToolTip(row.m_eField == EField::Level ? describe(kMuteBit, nullptr) : strValue);
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
        // A value outside the range (from a device or a file) shows as it is, never as the
        // range's end nor as the text the field had for another band or channel; its
        // slider stands at the end of its range.
        pField->SetValue(nValue);
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
        if (row.m_eField == EField::Level) {
            const CImageGuard guard(ImageLock());
            pButton->SetChecked((*BytesOf(row, row.m_nOffset) & kMuteBit) != 0 ? 1 : 0);
        } else {
            pButton->SetChecked(nValue);
        }
    }
}

// The slider, the labels and the numeric field show nPosition, except control nExcept
// (the one the user moved, which already does). Sliders clamp into their range.
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

void CFieldBinder::Store(const SFieldBinding& row, int nPosition, int nControl) {
    {
        const CImageGuard guard(ImageLock());
        if (IsCurveField(row.m_eField)) {
            CFilter* pFilter = FilterOf(row);
            if (pFilter == nullptr) {
                return;
            }
            StoreCurve(row, *pFilter, nPosition);
        } else {
            StoreBits(row, nPosition);
        }
    }
    m_source.AfterWrite(row, nControl);
}

void CFieldBinder::StoreCurve(const SFieldBinding& row, CFilter& filter, int nPosition) {
    switch (row.m_eField) {
    case EField::Frequency:
        filter.SetFreqIndex(nPosition);
        break;
    case EField::Gain:
        filter.SetGainByte(nPosition);
        break;
    case EField::Q:
        filter.SetQIndex(nPosition);
        break;
    case EField::Type:
        filter.SetType(nPosition);
        break;
    default:
        filter.SetSlope(nPosition);
        break;
    }
}

void CFieldBinder::StoreBits(const SFieldBinding& row, int nPosition) {
    std::uint8_t* pBytes = BytesOf(row, row.m_nOffset);
    const int nValue = nPosition * row.Kind().m_nScale;
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
    case EField::Level:
        *pBytes = static_cast<std::uint8_t>(std::min<int>(nValue, *BytesOf(row, row.m_nLimit)));
        break;
    default:
        *pBytes = static_cast<std::uint8_t>(nValue);
        break;
    }
}

bool CFieldBinder::OnSlider(int nSlider) {
    const SFieldBinding* pRow = RowOf(&SFieldBinding::m_nSlider, nSlider);
    if (pRow == nullptr) {
        return false;
    }
    const int nPosition = SliderPos(Control<CBitmapSlider>(nSlider));
    if (pRow->m_eField == EField::Level) {
        // The level may not pass its limit: the slider snaps back to what was stored.
        Store(*pRow, nPosition, nSlider);
        Load(*pRow);
        return true;
    }
    Show(*pRow, nPosition, nSlider);
    Store(*pRow, nPosition, nSlider);
    return true;
}

bool CFieldBinder::OnField(int nField) {
    const SFieldBinding* pRow = RowOf(&SFieldBinding::m_nField, nField);
    if (pRow == nullptr) {
        return false;
    }
    const int nValue = Control<CNumEdit>(nField)->Value();
    Show(*pRow, nValue, nField);
    Store(*pRow, nValue, nField);
    return true;
}

void CFieldBinder::HoldToLimit(int nSlider) {
    const SFieldBinding* pRow = RowOf(&SFieldBinding::m_nSlider, nSlider);
    if (pRow == nullptr || pRow->m_eField != EField::Level) {
        return;
    }
    {
        const CImageGuard guard(ImageLock());
        std::uint8_t& nLevel = *BytesOf(*pRow, pRow->m_nOffset);
        const std::uint8_t nLimit = *BytesOf(*pRow, pRow->m_nLimit);
        if ((nLevel & BitsOf(EField::Level)) <= nLimit) {
            return;
        }
        nLevel = nLimit;
    }
    Load(*pRow);
}

void CFieldBinder::OnCombo(const SFieldBinding& row, int nIndex) {
    if (nIndex >= 0) {
        Store(row, nIndex, row.m_nCombo);
    }
}

void CFieldBinder::OnButton(const SFieldBinding& row) {
    bool bSet = false;
    {
        const CImageGuard guard(ImageLock());
        std::uint8_t& bFlag = *BytesOf(row, row.m_nOffset);
        bFlag = bFlag != 0 ? 0 : 1;
        bSet = bFlag != 0;
    }
    Control<CBitButton>(row.m_nButton)->SetChecked(bSet ? 1 : 0);
    m_source.AfterWrite(row, row.m_nButton);
}

// A mute button follows its own look: a click mutes a level shown unmuted and the other
// way round; the level bits stay.
void CFieldBinder::OnMute(const SFieldBinding& row) {
    auto* pButton = Control<CBitButton>(row.m_nButton);
    const bool bMuted = pButton->Checked() == 0;
    pButton->SetChecked(bMuted ? 1 : 0);
    {
        const CImageGuard guard(ImageLock());
        std::uint8_t& nByte = *BytesOf(row, row.m_nOffset);
        nByte =
            static_cast<std::uint8_t>((nByte & BitsOf(EField::Level)) | (bMuted ? kMuteBit : 0));
    }
    m_source.AfterWrite(row, row.m_nButton);
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
