// Field bindings: one table row per edited field names the controls that show it (a
// slider, one or two value labels, a numeric field, a combo box, a check button), what kind
// of value it is, where its bytes lie and how it is shown. One generic load puts the stored
// value into every control of a row and never writes anything back; one generic write takes
// a control's new value into the working image (or the system block) under the image lock
// and brings the row's other controls along. A row names its field within a block; the page
// says which block that is when it loads or writes (Music Left or Right, a mic pair, an
// output record, an echo unit), so one table serves every channel of the page.
// UI thread only.
#pragma once

#include "controls/Edit_Static.h"
#include "controls/Skin.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class QWidget;

namespace zolt {

class CFilter;
class CKTVEQ;

// Where the bytes of a row lie. The page resolves the first three for the moment.
enum class EBlock : std::uint8_t {
    Edited, // the block or record the page edits now
    First,  // an output view's first record
    Second, // an output view's second record
    Image,  // the working image itself: the offset is absolute
    System, // the system block
};

// What the value is and how a control's position becomes it.
enum class EField : std::uint8_t {
    Byte,       // u8 = position × scale
    Word,       // u16 = position × scale; a load divides, truncating
    HighNibble, // bits 4..7 = position, bits 0..3 kept
    LowNibble,  // bits 0..3 = position, bits 4..7 kept
    Flag,       // a check button: any non-zero value shows checked, a click stores 1 or 0
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
    int m_nButton = 0; // check button of a flag
    int m_nLabel = 0;
    int m_nLabel2 = 0; // a second value label of the same position
    // The value.
    EField m_eField = EField::Byte;
    EBlock m_eBlock = EBlock::Edited;
    std::size_t m_nOffset = 0; // within the block
    int m_nItem = -1;          // curve fields: the filter's index in the page's curve set
    int m_nMin = 0;            // range of the positions the controls show
    int m_nMax = 0;
    int m_nScale = 1;
    // How it is shown.
    SLabelFormat m_label{};
    SLabelFormat m_label2{};
    const char* m_pszFieldUnit = "";
    std::span<const char* const> m_aItems{}; // combo box entries, index = value
    int m_nUnchecked = kSkinButton;          // check button pictures
    int m_nChecked = kSkinButtonChecked;
    int m_nHighlight = kNoHighlight;

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
    constexpr SFieldBinding Scaled(int nScale) const {
        return With(&SFieldBinding::m_nScale, nScale);
    }
    constexpr SFieldBinding WithLabel2(int nLabel, SLabelFormat format) const {
        return With(&SFieldBinding::m_nLabel2, nLabel).With(&SFieldBinding::m_label2, format);
    }
    constexpr SFieldBinding Highlighting(int nItem) const {
        return With(&SFieldBinding::m_nHighlight, nItem);
    }
    constexpr SFieldBinding Pictures(int nUnchecked, int nChecked) const {
        return With(&SFieldBinding::m_nUnchecked, nUnchecked)
            .With(&SFieldBinding::m_nChecked, nChecked);
    }
    constexpr SFieldBinding FieldUnit(const char* pszUnit) const {
        return With(&SFieldBinding::m_pszFieldUnit, pszUnit);
    }
};

// --- Label formats the pages share ----------------------------------------------------
namespace label {
constexpr SLabelFormat kPlain{kLabelInteger, 1, 0, 0, 0, ""};
constexpr SLabelFormat kPercent{kLabelInteger, 1, 0, 0, 0, "%"};
constexpr SLabelFormat kAttack{kLabelAttack, 1, 0, 0, 0, "ms"};
constexpr SLabelFormat kRelease{kLabelRelease, 1, 0, 0, 0, ""};
constexpr SLabelFormat kRatio{kLabelRatio, 1, 0, 0, 0, ""};
constexpr SLabelFormat kLimitLevel{kLabelInteger, 1, 22, 0, 0, "dBV"}; // -22 .. 12 dBV
constexpr SLabelFormat kGateThreshold{kLabelOffAtMin, 1, 78, 0, 0, "dBV"};
constexpr SLabelFormat kInputLevel{kLabelScaled, 1, 0, 0.5, 10.0, ""}; // -10.0 .. 10.0
constexpr SLabelFormat kDistance{kLabelDistance, 1, 0, 0, 0, ""};
} // namespace label

// --- Combo box entries the pages share (index = stored value) ---------------------------
extern const std::array<const char*, 10> kDigitItems; // "0" .. "9"

// --- Row builders -------------------------------------------------------------------------
namespace bind {

// A slider 0..nMax with its value label, over a byte of the block.
constexpr SFieldBinding LabelledSlider(int nSlider, int nLabel, std::size_t nOffset, int nMax,
                                       SLabelFormat format) {
    SFieldBinding row;
    row.m_nSlider = nSlider;
    row.m_nLabel = nLabel;
    row.m_nOffset = nOffset;
    row.m_nMax = nMax;
    row.m_label = format;
    return row;
}

// The same over a u16 (times and delays), stored as position × nScale.
constexpr SFieldBinding LabelledWordSlider(int nSlider, int nLabel, std::size_t nOffset, int nMax,
                                           SLabelFormat format, int nScale = 1) {
    SFieldBinding row = LabelledSlider(nSlider, nLabel, nOffset, nMax, format);
    row.m_eField = EField::Word;
    row.m_nScale = nScale;
    return row;
}

// A frequency-index slider 0..361 with its numeric field ("Hz") over a u16 of the block.
constexpr SFieldBinding FrequencyPair(int nSlider, int nField, std::size_t nOffset) {
    SFieldBinding row;
    row.m_nSlider = nSlider;
    row.m_nField = nField;
    row.m_eField = EField::Word;
    row.m_nOffset = nOffset;
    row.m_nMax = 361;
    row.m_pszFieldUnit = "Hz";
    return row;
}

// A combo box whose selection is a byte of the block.
constexpr SFieldBinding Combo(int nCombo, std::size_t nOffset,
                              std::span<const char* const> aItems) {
    SFieldBinding row;
    row.m_nCombo = nCombo;
    row.m_nOffset = nOffset;
    row.m_nMax = static_cast<int>(aItems.size()) - 1;
    row.m_aItems = aItems;
    return row;
}

// A check button over a flag byte of the block (bypass, polarity, mute).
constexpr SFieldBinding Flag(int nButton, std::size_t nOffset) {
    SFieldBinding row;
    row.m_nButton = nButton;
    row.m_eField = EField::Flag;
    row.m_nOffset = nOffset;
    row.m_nMax = 1;
    return row;
}

// A crossover's frequency (slider and numeric field, "Hz") through curve item nItem; an
// edit highlights the item.
constexpr SFieldBinding CrossoverFrequency(int nSlider, int nField, int nItem) {
    SFieldBinding row = FrequencyPair(nSlider, nField, 0);
    row.m_eField = EField::Frequency;
    row.m_nItem = nItem;
    row.m_nHighlight = nItem;
    return row;
}

// A crossover's slope combo box through curve item nItem.
constexpr SFieldBinding CrossoverSlope(int nCombo, int nItem,
                                       std::span<const char* const> aSlopes) {
    SFieldBinding row = Combo(nCombo, 0, aSlopes);
    row.m_eField = EField::Slope;
    row.m_nItem = nItem;
    row.m_nHighlight = nItem;
    return row;
}

// One value of band nItem of the curve set through its curve object: the type combo box,
// the frequency field, the gain field with its vertical slider, the Q field.
constexpr SFieldBinding BandType(int nCombo, int nItem, std::span<const char* const> aTypes) {
    SFieldBinding row = CrossoverSlope(nCombo, nItem, aTypes);
    row.m_eField = EField::Type;
    return row;
}
constexpr SFieldBinding BandFrequency(int nField, int nItem) {
    SFieldBinding row = CrossoverFrequency(0, nField, nItem);
    row.m_pszFieldUnit = "";
    return row;
}
constexpr SFieldBinding BandGain(int nSlider, int nField, int nItem, int nMin, int nMax) {
    SFieldBinding row = BandFrequency(nField, nItem);
    row.m_nSlider = nSlider;
    row.m_eField = EField::Gain;
    row.m_nMin = nMin;
    row.m_nMax = nMax;
    return row;
}
constexpr SFieldBinding BandQ(int nField, int nItem) {
    SFieldBinding row = BandFrequency(nField, nItem);
    row.m_eField = EField::Q;
    row.m_nMax = 100;
    return row;
}

} // namespace bind

// What a field binder asks of its page at the moment of a load or write.
class CFieldSource {
public:
    virtual ~CFieldSource() = default;
    // Image offset of the block a row names (Edited, First, Second); the image lock is held.
    virtual std::size_t BlockOffset(EBlock eBlock) const = 0;
    // The curve set whose filters the curve fields edit; null when there is none. The
    // image lock is held.
    virtual CKTVEQ* CurveSet() const = 0;
    // After a write (the lock released): highlights, redraws, the page's own follow-ups.
    virtual void AfterWrite(const SFieldBinding& row) = 0;
};

class CFieldBinder : public QObject {
    Q_OBJECT
public:
    // pPage holds the controls the rows name; source resolves blocks and curve sets.
    CFieldBinder(QWidget* pPage, std::span<const SFieldBinding> aRows, CFieldSource& source);

    // Ranges, pictures, formats and combo entries of every row's controls, and the
    // connections of its combo boxes and buttons. Called once, after the controls exist.
    void SetUp();

    // Every row's controls from the stored values; nothing is written.
    void LoadAll();
    // Only the numeric field nField from its row's value (a crossover point was dragged on a
    // page whose sliders keep their place until the next reload).
    void LoadField(int nField);
    // Every control of the rows of curve item nItem (its point was dragged on the display),
    // or with bFieldOnly only their numeric fields (a page whose sliders keep their place
    // until the next reload).
    void LoadItem(int nItem, bool bFieldOnly = false);

    // A slider moved (WM_SLIDER_MOVING / WM_SLIDER_MOVED) or a numeric field was committed
    // (WM_NUMEDIT_CHANGED): false when no row has that control.
    bool OnSlider(int nSlider);
    bool OnField(int nField);

    // Enables or disables every control of every row.
    void EnableAll(bool bEnable);

    std::span<const SFieldBinding> Rows() const { return m_aRows; }

private:
    int Stored(const SFieldBinding& row) const;
    void Load(const SFieldBinding& row, bool bFieldOnly = false);
    void Show(const SFieldBinding& row, int nPosition, int nExcept);
    void Store(const SFieldBinding& row, int nPosition);
    void OnCombo(const SFieldBinding& row, int nIndex);
    void OnButton(const SFieldBinding& row);
    CFilter* FilterOf(const SFieldBinding& row) const;
    std::uint8_t* BytesOf(const SFieldBinding& row) const;
    template <class T> T* Control(int nId) const;

    QPointer<QWidget> m_pPage;
    std::span<const SFieldBinding> m_aRows;
    CFieldSource& m_source;
};

} // namespace zolt
