// Field bindings: one table row per edited field names the controls that show it (a
// slider, one or two value labels, a numeric field, a combo box, a check button), where
// its bits lie and which kind of field of the field table it is: the kind gives the range
// the controls offer, the scale of the stored number, the value labels' formats and the
// combo entries. One generic load puts the stored value into every control of a row and
// never writes anything back; one generic write takes a control's new value into the
// working image (or the system block) under the image lock and brings the row's other
// controls along. A row names its field within a block; the page says which block that is
// when it loads or writes (Music Left or Right, a mic pair, an output record, an echo
// unit), so one table serves every channel of the page. UI thread only.
#pragma once

#include "controls/Edit_Static.h"
#include "controls/Skin.h"
#include "model/Fields.h"
#include "model/Layout.h"

#include <QObject>
#include <QPointer>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class QWidget;

namespace zolt {

class CFilter;

// Where the bytes of a row lie. The page resolves the first three for the moment.
enum class EBlock : std::uint8_t {
    Edited, // the block or record the page edits now
    First,  // an output view's first record
    Second, // an output view's second record
    Image,  // the working image itself: the offset is absolute
    System, // the system block
};

// How a control's position reaches the stored bits.
enum class EField : std::uint8_t {
    Byte,       // u8 = position × scale
    Word,       // u16 = position × scale; a load divides, truncating
    HighNibble, // bits 4..7 = position, bits 0..3 kept
    LowNibble,  // bits 0..3 = position, bits 4..7 kept
    Flag,       // a check button: any non-zero value shows checked, a click stores 1 or 0
    Level,      // bits 0..6 = a level never above the row's limit byte, bit 7 = mute (its
                // button); moving the level clears the mute bit
    Frequency,  // through the row's curve object: frequency index 0..361
    Gain,       // through the curve object: gain byte
    Q,          // through the curve object: Q index 0..100
    Type,       // through the curve object: band type 0..3
    Slope,      // through the crossover curve object: slope 0..12
};

constexpr bool IsCurveField(EField eField) {
    return eField >= EField::Frequency;
}

// The display item a write highlights: none of the display is touched (kNoHighlight), the
// display is redrawn with nothing highlighted (kClearHighlight), or an item of its set.
constexpr int kNoHighlight = -2;
constexpr int kClearHighlight = -1;

struct SFieldBinding {
    // Controls of the row; 0 where the row has none.
    int m_nSlider = 0;
    int m_nField = 0; // numeric field
    int m_nCombo = 0;
    int m_nButton = 0; // check button of a flag, mute button of a level
    int m_nLabel = 0;
    int m_nLabel2 = 0; // a second value label of the same position
    // The value.
    EField m_eField = EField::Byte;
    EFieldKind m_eKind = EFieldKind::Number;
    EBlock m_eBlock = EBlock::Edited;
    std::size_t m_nOffset = 0; // within the block
    std::size_t m_nLimit = 0;  // Level rows: the byte of the same block that limits the level
    int m_nItem = -1;          // curve fields: the filter's index in the page's curve set
    // How it is shown.
    int m_nUnchecked = kSkinButton; // check button pictures
    int m_nChecked = kSkinButtonChecked;
    int m_nHighlight = kNoHighlight;

    const SFieldKind& Kind() const { return FieldKind(m_eKind); }

    // Modifiers for the table rows: a copy with one member changed.
    template <class T> constexpr SFieldBinding With(T SFieldBinding::*pMember, T value) const {
        SFieldBinding row = *this;
        row.*pMember = value;
        return row;
    }
    constexpr SFieldBinding In(EBlock eBlock) const {
        return With(&SFieldBinding::m_eBlock, eBlock);
    }
    constexpr SFieldBinding As(EField eField) const {
        return With(&SFieldBinding::m_eField, eField);
    }
    constexpr SFieldBinding WithLabel2(int nLabel) const {
        return With(&SFieldBinding::m_nLabel2, nLabel);
    }
    constexpr SFieldBinding Highlighting(int nItem) const {
        return With(&SFieldBinding::m_nHighlight, nItem);
    }
    constexpr SFieldBinding Pictures(int nUnchecked, int nChecked) const {
        return With(&SFieldBinding::m_nUnchecked, nUnchecked)
            .With(&SFieldBinding::m_nChecked, nChecked);
    }
};

// Tables joined in order (the rows, or captions, of a page made of parts).
template <class T, std::size_t... N>
constexpr std::array<T, (N + ...)> Join(const std::array<T, N>&... aParts) {
    std::array<T, (N + ...)> aAll{};
    std::size_t n = 0;
    ((std::copy(aParts.begin(), aParts.end(), aAll.begin() + static_cast<std::ptrdiff_t>(n)),
      n += N),
     ...);
    return aAll;
}

// A slider and its value label.
struct SSliderControls {
    int m_nSlider;
    int m_nLabel;
};

// --- Row builders -------------------------------------------------------------------------
namespace bind {

// A slider with its value label over a byte of the block.
constexpr SFieldBinding LabelledSlider(int nSlider, int nLabel, std::size_t nOffset,
                                       EFieldKind eKind) {
    SFieldBinding row;
    row.m_nSlider = nSlider;
    row.m_nLabel = nLabel;
    row.m_nOffset = nOffset;
    row.m_eKind = eKind;
    return row;
}

// The dynamics of a limiter (level, attack, release, ratio), a noise gate (threshold,
// attack, release) or a dynamic band (threshold ... ratio): labelled sliders over
// consecutive bytes of eBlock from nOffset, the first of kind eFirst.
template <std::size_t N>
constexpr std::array<SFieldBinding, N> Dynamics(const std::array<SSliderControls, N>& aControls,
                                                std::size_t nOffset, EFieldKind eFirst,
                                                EBlock eBlock = EBlock::Edited) {
    static_assert(N <= 4);
    constexpr EFieldKind kKinds[] = {EFieldKind::Number, EFieldKind::Attack, EFieldKind::Release,
                                     EFieldKind::Ratio};
    std::array<SFieldBinding, N> aRows{};
    for (std::size_t i = 0; i < N; ++i) {
        aRows[i] = LabelledSlider(aControls[i].m_nSlider, aControls[i].m_nLabel, nOffset + i,
                                  i == 0 ? eFirst : kKinds[i])
                       .In(eBlock);
    }
    return aRows;
}
static_assert(limiter::kAttack == limiter::kLevel + 1 && limiter::kRelease == limiter::kLevel + 2 &&
              limiter::kRatio == limiter::kLevel + 3);
static_assert(gate::kAttack == gate::kThreshold + 1 && gate::kRelease == gate::kThreshold + 2);
static_assert(deq::kAttack == deq::kThreshold + 1 && deq::kRelease == deq::kThreshold + 2 &&
              deq::kRatio == deq::kThreshold + 3);

// The same over a u16 (times and delays).
constexpr SFieldBinding LabelledWordSlider(int nSlider, int nLabel, std::size_t nOffset,
                                           EFieldKind eKind) {
    return LabelledSlider(nSlider, nLabel, nOffset, eKind).As(EField::Word);
}

// A frequency-index slider with its numeric field over a u16 of the block.
constexpr SFieldBinding FrequencyPair(int nSlider, int nField, std::size_t nOffset) {
    SFieldBinding row = LabelledSlider(nSlider, 0, nOffset, EFieldKind::Frequency);
    row.m_nField = nField;
    return row.As(EField::Word);
}

// A combo box whose selection is a byte of the block.
constexpr SFieldBinding Combo(int nCombo, std::size_t nOffset, EFieldKind eKind) {
    SFieldBinding row;
    row.m_nCombo = nCombo;
    row.m_nOffset = nOffset;
    row.m_eKind = eKind;
    return row;
}

// A check button over a flag byte of the block (bypass, mute; a polarity).
constexpr SFieldBinding Flag(int nButton, std::size_t nOffset,
                             EFieldKind eKind = EFieldKind::OnOff) {
    SFieldBinding row;
    row.m_nButton = nButton;
    row.m_eField = EField::Flag;
    row.m_nOffset = nOffset;
    row.m_eKind = eKind;
    return row;
}

// A level slider, its value label and its mute button over a byte of the block whose bits
// 0..6 are the level and bit 7 the mute, never above byte nLimit of the block.
constexpr SFieldBinding Level(int nSlider, int nLabel, int nMute, std::size_t nOffset,
                              std::size_t nLimit, EFieldKind eKind) {
    SFieldBinding row = LabelledSlider(nSlider, nLabel, nOffset, eKind).As(EField::Level);
    row.m_nButton = nMute;
    row.m_nLimit = nLimit;
    return row;
}

// A crossover's frequency (slider and numeric field) through curve item nItem; an edit
// highlights the item.
constexpr SFieldBinding CrossoverFrequency(int nSlider, int nField, int nItem) {
    SFieldBinding row = FrequencyPair(nSlider, nField, 0).As(EField::Frequency);
    row.m_nItem = nItem;
    row.m_nHighlight = nItem;
    return row;
}

// A crossover's slope combo box through curve item nItem.
constexpr SFieldBinding CrossoverSlope(int nCombo, int nItem) {
    SFieldBinding row = Combo(nCombo, 0, EFieldKind::Slope).As(EField::Slope);
    row.m_nItem = nItem;
    row.m_nHighlight = nItem;
    return row;
}

// One value of band nItem of the curve set through its curve object: the type combo box,
// the frequency field, the gain field with its vertical slider, the Q field.
constexpr SFieldBinding BandType(int nCombo, int nItem) {
    SFieldBinding row = CrossoverSlope(nCombo, nItem).As(EField::Type);
    row.m_eKind = EFieldKind::BandType;
    return row;
}
constexpr SFieldBinding BandFrequency(int nField, int nItem) {
    SFieldBinding row = CrossoverFrequency(0, nField, nItem);
    row.m_eKind = EFieldKind::BandFrequency;
    return row;
}
constexpr SFieldBinding BandGain(int nSlider, int nField, int nItem, EFieldKind eKind) {
    SFieldBinding row = BandFrequency(nField, nItem).As(EField::Gain);
    row.m_nSlider = nSlider;
    row.m_eKind = eKind;
    return row;
}
constexpr SFieldBinding BandQ(int nField, int nItem) {
    SFieldBinding row = BandFrequency(nField, nItem).As(EField::Q);
    row.m_eKind = EFieldKind::Q;
    return row;
}

} // namespace bind

// What a field binder asks of its page at the moment of a load or write.
class CFieldSource {
public:
    virtual ~CFieldSource() = default;
    // Image offset of the block a row names (Edited, First, Second); the image lock is held.
    virtual std::size_t BlockOffset(EBlock eBlock) const = 0;
    // The curve object of item nItem that curve fields edit; null when there is none. The
    // image lock is held.
    virtual CFilter* CurveFilter(int nItem) const = 0;
    // After a write through control nControl (the lock released): highlights, redraws,
    // the page's own follow-ups.
    virtual void AfterWrite(const SFieldBinding& row, int nControl) = 0;
};

// Where a row's bits lie now: the area, the offset of their first byte, the bits of that
// byte.
struct SFieldPlace {
    EArea m_eArea;
    std::size_t m_nOffset;
    std::uint8_t m_nBits;
};

class CFieldBinder : public QObject {
    Q_OBJECT
public:
    // pPage holds the controls the rows name; source resolves blocks and curve objects.
    CFieldBinder(QWidget* pPage, std::span<const SFieldBinding> aRows, CFieldSource& source);

    // Ranges, pictures, formats and combo entries of every row's controls (from the rows'
    // field kinds), and the connections of its combo boxes and buttons. Called once, after
    // the controls exist.
    void SetUp();

    // Every row's controls from the stored values, their tooltips included; nothing is
    // written.
    void LoadAll();
    // The tooltip of every control of every row: the field it edits, named in the window's
    // language, and the range or choices the control offers. A curve row without curve
    // object has none.
    void Explain() const;
    // Every control of the rows of curve item nItem (its point was dragged on the display),
    // or with bFieldOnly only their numeric fields (a page whose sliders keep their place
    // until the next reload).
    void LoadItem(int nItem, bool bFieldOnly = false);

    // A slider moved (WM_SLIDER_MOVING / WM_SLIDER_MOVED) or a numeric field was committed
    // (WM_NUMEDIT_CHANGED): false when no row has that control.
    bool OnSlider(int nSlider);
    bool OnField(int nField);
    // The level row of slider nSlider: a stored level above its limit byte drops to the
    // limit, its mute bit cleared, and the row's controls show it; a level at or below
    // stays as it is.
    void HoldToLimit(int nSlider);

    // Enables or disables every control of every row.
    void EnableAll(bool bEnable);

    // The stored byte of the row of check button nButton (0 when no row has it).
    std::uint8_t StoredByte(int nButton) const;
    // Where a row's bits lie for the block (or curve object) the page edits now; nullopt for
    // a curve row without curve object.
    std::optional<SFieldPlace> Place(const SFieldBinding& row) const;

    std::span<const SFieldBinding> Rows() const { return m_aRows; }

private:
    int Stored(const SFieldBinding& row) const;
    void Load(const SFieldBinding& row, bool bFieldOnly = false);
    void Explain(const SFieldBinding& row) const;
    void Show(const SFieldBinding& row, int nPosition, int nExcept);
    void Store(const SFieldBinding& row, int nPosition, int nControl);
    void StoreCurve(const SFieldBinding& row, CFilter& filter, int nPosition);
    void StoreBits(const SFieldBinding& row, int nPosition);
    void OnCombo(const SFieldBinding& row, int nIndex);
    void OnButton(const SFieldBinding& row);
    void OnMute(const SFieldBinding& row);
    CFilter* FilterOf(const SFieldBinding& row) const;
    // The row whose control pControl is nId; null for none (and for id 0).
    const SFieldBinding* RowOf(int SFieldBinding::*pControl, int nId) const;
    std::uint8_t* BytesOf(const SFieldBinding& row, std::size_t nOffset) const;
    template <class T> T* Control(int nId) const;

    QPointer<QWidget> m_pPage;
    std::span<const SFieldBinding> m_aRows;
    CFieldSource& m_source;
};

} // namespace zolt
