#include "pages/EffectPanel.h"

#include "controls/BitButton.h"
#include "eq/KTVEQ.h"
#include "pages/EqStripBank.h"

namespace zolt {

namespace {

int g_nEffectUnit = effectunit::kEchoA;

// Seven fixed strips, 58 pixels apart: a unit's seven bands, so nothing scrolls.
constexpr SStripBankLayout kStrips{static_cast<int>(effect::kBandCount), 58};

} // namespace

int& CurrentEffectUnit() {
    return g_nEffectUnit;
}

void ResetEffectUnit() {
    g_nEffectUnit = effectunit::kEchoA;
}

CEffectPanel::CEffectPanel(const SPageDesc& desc, const SEffectPanelIds& ids, CFStatic* pDisplay,
                           int nUnit, QWidget* pParent)
    : CPageBase(desc, pParent) {
    UseDisplay(pDisplay);
    AttachStrips(std::make_unique<CEqStripBank>(this, pDisplay, kStrips, nUnit));
    connect(DlgItem<CBitButton>(this, ids.m_nEqReset), &QAbstractButton::clicked, this,
            [this] { Strips().ResetEq(); });
}

void CEffectPanel::Refresh() {
    Strips().ReloadAll();
    LoadFields();
}

int CEffectPanel::Unit() const {
    return Strips().Block();
}

std::size_t CEffectPanel::BlockOffset(EBlock) const {
    switch (Unit()) {
    case effectunit::kEchoB:
        return image::kEchoB;
    case effectunit::kReverb:
        return image::kReverb;
    default:
        return image::kEchoA;
    }
}

CKTVEQ* CEffectPanel::CurveSet() const {
    return CurveSetOfBlock(Unit());
}

void CEffectPanel::OnCurveItemDragged(int nItem) {
    Fields().LoadItem(nItem, true);
}

} // namespace zolt
