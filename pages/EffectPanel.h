// What the two panels of the effect page share. Echo A, echo B and the reverb are effect
// units whose blocks begin alike: seven EQ bands, the EQ bypass flag, wet and dry levels
// with their polarity flags and a high-pass / low-pass crossover pair; only the times
// after them differ. One panel kind edits such a block: seven band strips over the effect
// page's curve display (the container's, which the panel uses), the shared field rows
// and "EQ Reset", bound to one unit at a time. The echo panel and the reverb panel are
// this panel over their own templates, captions and time rows. UI thread only.
#pragma once

#include "model/DataConver.h"
#include "model/Layout.h"
#include "pages/PageBase.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace zolt {

// The effect units by their EQ block numbers, which also name their curve sets.
namespace effectunit {
constexpr int kEchoA = 4;
constexpr int kEchoB = 5;
constexpr int kReverb = 6;
} // namespace effectunit

constexpr bool IsEchoUnit(int nUnit) {
    return nUnit == effectunit::kEchoA || nUnit == effectunit::kEchoB;
}

// The unit the effect page shows: echo A at start; only the page's selectors change it.
// Process-wide, kept while the program runs.
int& CurrentEffectUnit();
// Back to echo A. Tests use it.
void ResetEffectUnit();

// Items of a unit's curve set after its seven bands.
constexpr int kEffectHighPassItem = static_cast<int>(effect::kBandCount);
constexpr int kEffectLowPassItem = kEffectHighPassItem + 1;

// The controls both panels have, by the ids of the panel's template.
struct SEffectPanelIds {
    int m_nTypeCaption;
    int m_nGainCaption;
    int m_nFreqCaption;
    int m_nQCaption;
    int m_nEqReset;
    int m_nEqPass;
    int m_nWetSlider;
    int m_nWetLabel;
    int m_nWetPolarity;
    int m_nDrySlider;
    int m_nDryLabel;
    int m_nDryPolarity;
    int m_nHighPassSlope;
    int m_nHighPassField;
    int m_nHighPassSlider;
    int m_nLowPassSlope;
    int m_nLowPassField;
    int m_nLowPassSlider;
};

// The field rows of the shared part of a unit's block.
constexpr std::array<SFieldBinding, 9> EffectUnitFields(const SEffectPanelIds& ids) {
    constexpr auto polarity = [](int nButton, std::size_t nOffset) {
        return bind::Flag(nButton, nOffset, EFieldKind::Polarity)
            .Pictures(kSkinPolarityPlus, kSkinPolarityMinus);
    };
    return {
        bind::Flag(ids.m_nEqPass, effect::kBypass).Highlighting(kClearHighlight),
        bind::LabelledSlider(ids.m_nWetSlider, ids.m_nWetLabel, effect::kWet, EFieldKind::Percent),
        polarity(ids.m_nWetPolarity, effect::kWetPolarity),
        bind::LabelledSlider(ids.m_nDrySlider, ids.m_nDryLabel, effect::kDry, EFieldKind::Percent),
        polarity(ids.m_nDryPolarity, effect::kDryPolarity),
        bind::CrossoverFrequency(ids.m_nHighPassSlider, ids.m_nHighPassField, kEffectHighPassItem),
        bind::CrossoverSlope(ids.m_nHighPassSlope, kEffectHighPassItem),
        bind::CrossoverFrequency(ids.m_nLowPassSlider, ids.m_nLowPassField, kEffectLowPassItem),
        bind::CrossoverSlope(ids.m_nLowPassSlope, kEffectLowPassItem),
    };
}

// The captions of the shared controls: the band rows' titles and "EQ Reset".
constexpr std::array<SCaption, 5> EffectUnitCaptions(const SEffectPanelIds& ids) {
    return {{
        {ids.m_nTypeCaption, "类型", "Type"},
        {ids.m_nGainCaption, "增益(dB)", "Gain(dB)"},
        {ids.m_nFreqCaption, "频率(Hz)", "Freq(Hz)"},
        {ids.m_nQCaption, "Q值", "Q"},
        {ids.m_nEqReset, "EQ重置", "EQ Reset"},
    }};
}

class CEffectPanel : public CPageBase {
    Q_OBJECT
public:
    // Every strip re-reads its band and every bound control the block of the bound unit.
    void Refresh() override;
    // The unit whose block the panel edits (4, 5 or 6).
    int Unit() const;

protected:
    // The panel from its template (desc) whose shared controls are ids, drawing on the
    // container's display pDisplay, bound to unit nUnit. Its controls are loaded by the
    // first Refresh.
    CEffectPanel(const SPageDesc& desc, const SEffectPanelIds& ids, CFStatic* pDisplay, int nUnit,
                 QWidget* pParent);

    std::size_t BlockOffset(EBlock eBlock) const override;
    CKTVEQ* CurveSet() const override;
    // A dragged crossover shows its new frequency in the numeric field only; the slider
    // keeps its place until the next reload or a committed field.
    void OnCurveItemDragged(int nItem) override;
};

} // namespace zolt
