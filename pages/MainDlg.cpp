#include "pages/MainDlg.h"

#include "controls/BitButton.h"
#include "eq/CFStatic.h"
#include "eq/KTVEQ.h"
#include "model/Command.h"
#include "model/DataConver.h"
#include "model/Defaults.h"
#include "pages/EqStripBank.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace zolt {

using namespace outputid;

namespace {

using namespace ctlkind;
constexpr bool kHidden = true;

// Template 149; positions and sizes in dialog units. Sliders take their channel picture's
// size within the width given, combo boxes the closed-box height. A delay row's caption
// ("Center Delay"), distance ("51.000m") and time ("150.0ms") need nearly the whole width of
// the column at our pixel scale: the caption takes the room up to 650, the two values are
// right-aligned in the rest.
constexpr SControlTemplate kControls[] = {
    {kTypeCaption, kCaption, 4, 17, 36, 9},
    {kGainCaption, kCaption, 4, 31, 36, 9},
    {kFreqCaption, kCaption, 3, 117, 36, 9},
    {kQCaption, kCaption, 3, 130, 36, 9},
    {kSync, kButton, 14, 158, 56, 14},
    {kSecondChannel, kButton, 78, 158, 56, 14},
    {kFirstChannel, kButton, 145, 158, 56, 14},
    {kEqReset, kButton, 245, 158, 56, 14},
    {kEqPass, kButton, 313, 158, 56, 14, false, "EQ Pass"},
    {kModeAuto, kButton, 446, 158, 56, 14},
    {kModeSing, kButton, 511, 158, 56, 14},
    {kModeDisco, kButton, 576, 158, 56, 14},
    {kModeDecode, kButton, 641, 158, 56, 14},
    {kAutoNote, kCaption, 14, 145, 420, 9, kHidden},
    {kDisplay, ECtl::Custom, 6, 176, 706, 167},

    {kMusicCaption, kCaption, 348, 6, 75, 9},
    {kMusicLabel, kLabel, 425, 6, 30, 9},
    {kMusicSlider, kSlider, 348, 18, 105, 10},
    {kMusicPolarity, kButton, 456, 18, 14, 11},
    {kMicCaption, kCaption, 347, 33, 75, 9},
    {kMicLabel, kLabel, 424, 33, 30, 9},
    {kMicSlider, kSlider, 347, 46, 105, 10},
    {kMicPolarity, kButton, 456, 46, 14, 11, kHidden},
    {kEchoACaption, kCaption, 348, 62, 75, 9, kHidden},
    {kEchoALabel, kLabel, 425, 62, 30, 9, kHidden},
    {kEchoASlider, kSlider, 348, 74, 105, 10, kHidden},
    {kEchoAPolarity, kButton, 456, 74, 14, 11, kHidden},
    {kEchoBCaption, kCaption, 348, 89, 75, 9, kHidden},
    {kEchoBLabel, kLabel, 425, 89, 30, 9, kHidden},
    {kEchoBSlider, kSlider, 348, 102, 105, 10, kHidden},
    {kEchoBPolarity, kButton, 456, 102, 14, 11, kHidden},
    {kReverbCaption, kCaption, 347, 118, 75, 9, kHidden},
    {kReverbLabel, kLabel, 424, 118, 30, 9, kHidden},
    {kReverbSlider, kSlider, 347, 130, 105, 10, kHidden},
    {kReverbPolarity, kButton, 456, 130, 14, 11, kHidden},

    {kSecondMute, kButton, 482, 5, 56, 14},
    {kFirstMute, kButton, 540, 5, 56, 14},
    {kLimitTitle, kCaption, 486, 26, 110, 9},
    {kLimitLevelCaption, kCaption, 485, 39, 75, 9},
    {kLimitLevelLabel, kLabel, 562, 39, 36, 9},
    {kLimitLevelSlider, kSlider, 485, 53, 110, 10},
    {kLimitAttackCaption, kCaption, 485, 67, 75, 9},
    {kLimitAttackLabel, kLabel, 562, 67, 36, 9},
    {kLimitAttackSlider, kSlider, 485, 79, 110, 10},
    {kLimitReleaseCaption, kCaption, 485, 93, 75, 9},
    {kLimitReleaseLabel, kLabel, 562, 93, 36, 9},
    {kLimitReleaseSlider, kSlider, 485, 104, 110, 10},
    {kLimitRatioCaption, kCaption, 485, 119, 75, 9},
    {kLimitRatioLabel, kLabel, 562, 119, 36, 9},
    {kLimitRatioSlider, kSlider, 485, 130, 110, 10},

    {kSecondDelayCaption, kCaption, 603, 6, 47, 9},
    {kSecondDistanceLabel, kLabel, 650, 6, 33, 9, false, "", kStyleRight},
    {kSecondDelayLabel, kLabel, 683, 6, 32, 9, false, "", kStyleRight},
    {kSecondDelaySlider, kSlider, 603, 18, 110, 10},
    {kFirstDelayCaption, kCaption, 603, 33, 47, 9},
    {kFirstDistanceLabel, kLabel, 650, 33, 33, 9, false, "", kStyleRight},
    {kFirstDelayLabel, kLabel, 683, 33, 32, 9, false, "", kStyleRight},
    {kFirstDelaySlider, kSlider, 603, 46, 110, 10},
    {kHpfCaption, kCaption, 602, 63, 60, 9},
    {kHpfSlope, kCombo, 602, 75, 70, 12},
    {kHpfField, kField, 675, 75, 38, 11},
    {kHpfSlider, kSlider, 603, 90, 110, 10},
    {kLpfCaption, kCaption, 603, 104, 60, 9},
    {kLpfSlope, kCombo, 603, 115, 70, 12},
    {kLpfField, kField, 675, 115, 38, 11},
    {kLpfSlider, kSlider, 603, 130, 110, 10},
};

constexpr SCaption kCaptions[] = {
    {kTypeCaption, "类型", "Type"},
    {kQCaption, "Q值", "Q"},
    {kGainCaption, "增益(dB)", "Gain(dB)"},
    {kFreqCaption, "频率(Hz)", "Freq(Hz)"},
    {kSync, "同步", "SYNC"},
    {kEqReset, "EQ重置", "EQ Reset"},
    {kModeAuto, "自动", "Auto"},
    {kModeSing, "唱歌", "Sing"},
    {kModeDisco, "热舞", "Disco"},
    {kModeDecode, "解码", "Decode"},
    {kAutoNote, "输出模式为自动，本页不能编辑。选择唱歌、热舞或解码即可编辑输出。",
     "Output mode is Auto: this page cannot be edited. Choose Sing, Disco or Decode to edit the "
     "outputs."},
    {kMusicCaption, "音乐电平", "Music Level"},
    {kMicCaption, "话筒电平", "Mic Level"},
    {kEchoACaption, "回声A电平", "EchoA Level"},
    {kEchoBCaption, "回声B电平", "EchoB Level"},
    {kReverbCaption, "混响电平", "Reverb Level"},
    {kLimitLevelCaption, "压限启动电平", "Limit Level"},
    {kLimitAttackCaption, "压限启动时间", "Attack Time"},
    {kLimitReleaseCaption, "压限释放时间", "Release Time"},
    {kLimitRatioCaption, "压缩比例", "Ratio"},
    {kHpfCaption, "高通", "HPF"},
    {kLpfCaption, "低通", "LPF"},
};

// The fields. The mix, the EQ bypass and the crossovers belong to the shown channel; the
// limiter to the view's first record; each mute and delay to its own record.
constexpr std::size_t Level(std::size_t nSource) {
    return output::kMix + 2 * nSource;
}
constexpr std::size_t Polarity(std::size_t nSource) {
    return Level(nSource) + 1;
}

constexpr SFieldBinding MixLevel(int nSlider, int nLabel, std::size_t nSource) {
    return bind::LabelledSlider(nSlider, nLabel, Level(nSource), EFieldKind::MixLevel);
}
constexpr SFieldBinding MixPolarity(int nButton, std::size_t nSource) {
    return bind::Flag(nButton, Polarity(nSource), EFieldKind::Polarity)
        .Pictures(kSkinPolarityPlus, kSkinPolarityMinus);
}
constexpr SFieldBinding Delay(int nSlider, int nLabel, int nDistance, EBlock eRecord) {
    return bind::LabelledWordSlider(nSlider, nLabel, output::kDelay, EFieldKind::Tenths)
        .WithLabel2(nDistance)
        .In(eRecord);
}

constexpr auto kFields = Join(
    std::array{
        MixLevel(kMusicSlider, kMusicLabel, 0),
        MixLevel(kMicSlider, kMicLabel, 1),
        MixLevel(kEchoASlider, kEchoALabel, 2),
        MixLevel(kEchoBSlider, kEchoBLabel, 3),
        MixLevel(kReverbSlider, kReverbLabel, 4),
        MixPolarity(kMusicPolarity, 0),
        MixPolarity(kMicPolarity, 1),
        MixPolarity(kEchoAPolarity, 2),
        MixPolarity(kEchoBPolarity, 3),
        MixPolarity(kReverbPolarity, 4),
        bind::Flag(kEqPass, output::kBypass).Highlighting(kClearHighlight),
    },
    // The limiter is always the view's first record's.
    bind::Dynamics<4>({{{kLimitLevelSlider, kLimitLevelLabel},
                        {kLimitAttackSlider, kLimitAttackLabel},
                        {kLimitReleaseSlider, kLimitReleaseLabel},
                        {kLimitRatioSlider, kLimitRatioLabel}}},
                      output::kLimiter + limiter::kLevel, EFieldKind::OutputLimiterLevel,
                      EBlock::First),
    std::array{
        Delay(kFirstDelaySlider, kFirstDelayLabel, kFirstDistanceLabel, EBlock::First),
        Delay(kSecondDelaySlider, kSecondDelayLabel, kSecondDistanceLabel, EBlock::Second),
        bind::Flag(kFirstMute, output::kMute).In(EBlock::First),
        bind::Flag(kSecondMute, output::kMute).In(EBlock::Second),
        bind::CrossoverFrequency(kHpfSlider, kHpfField, kOutputHighPassItem),
        bind::CrossoverSlope(kHpfSlope, kOutputHighPassItem),
        bind::CrossoverFrequency(kLpfSlider, kLpfField, kOutputLowPassItem),
        bind::CrossoverSlope(kLpfSlope, kOutputLowPassItem),
    });

// Output record nRecord of output set nSet of the working image.
// Unlinking keeps what was edited while linked: in every output set the linked record (the
// one the page edited) is copied over the other one, which keeps its own mute and delay.
// The copy goes into the working image only: the synchronisation sends the live set's
// records before the flag, so the processor ends up holding what the page shows whatever
// it copies itself when the flag clears.
template <int kLinked, int kOther> void KeepLinkedEdits() {
    OutputPairLinkCopy(kLinked, kOther);
}

// A pair of channels (EQ blocks) kFirst and kFirst + 1 linked by image byte nFlag, edited
// on channel kLinked while linked. The first channel button shows the first channel, the
// second button the second.
template <int kFirst, int kLinked> constexpr SChannelPair OutputPair(std::size_t nFlag) {
    constexpr int kOther = kLinked == kFirst ? kFirst + 1 : kFirst;
    return {kSync,
            {kFirstChannel, kSecondChannel},
            {kFirst, kFirst + 1},
            nFlag,
            kLinked,
            &KeepLinkedEdits<kLinked - kFirstOutputBlock, kOther - kFirstOutputBlock>};
}

constexpr SChannelPair kOut12Pair = OutputPair<12, 13>(image::kLinkOut12);
constexpr SChannelPair kOut34Pair = OutputPair<8, 9>(image::kLinkOut34);
constexpr SChannelPair kSurroundPair = OutputPair<14, 14>(image::kLinkSurround);

// Captions that depend on the view; a one-channel view has no second channel's.
constexpr SCaption kOut12Captions[] = {
    {kSecondChannel, "输出1", "Out 1"},
    {kFirstChannel, "输出2", "Out 2"},
    {kSecondMute, "输出1静音", "Out1 Mute"},
    {kFirstMute, "输出2静音", "Out2 Mute"},
    {kLimitTitle, "输出1&&2压限", "Out1&&2 Limit"},
    {kSecondDelayCaption, "输出1延时", "Out1 Delay"},
    {kFirstDelayCaption, "输出2延时", "Out2 Delay"},
};
constexpr SCaption kOut34Captions[] = {
    {kSecondChannel, "输出3", "Out 3"},
    {kFirstChannel, "输出4", "Out 4"},
    {kSecondMute, "输出3 静音", "3 Mute"},
    {kFirstMute, "输出4 静音", "4 Mute"},
    {kLimitTitle, "输出3&&4压限", "Out3&&4 Limit"},
    {kSecondDelayCaption, "输出3延时", "Out3 Delay"},
    {kFirstDelayCaption, "输出4延时", "Out4 Delay"},
};
constexpr SCaption kCenterCaptions[] = {
    {kFirstMute, "静音", "Mute"},
    {kLimitTitle, "中置压限", "Center Limit"},
    {kFirstDelayCaption, "中置延时", "Center Delay"},
};
constexpr SCaption kSubCaptions[] = {
    {kFirstMute, "静音", "Mute"},
    {kLimitTitle, "超低压限", "SUB Limit"},
    {kFirstDelayCaption, "超低延时", "SUB Delay"},
};
constexpr SCaption kSurroundCaptions[] = {
    {kSecondChannel, "环绕右", "Surround R"},
    {kFirstChannel, "环绕左", "Surround L"},
    {kSecondMute, "右静音", "R Mute"},
    {kFirstMute, "左静音", "L Mute"},
    {kLimitTitle, "环绕输出压限", "Surround Limit"},
    {kSecondDelayCaption, "右声道延时", "Right Delay"},
    {kFirstDelayCaption, "左声道延时", "Left Delay"},
};

// What a two-channel view shows of its second channel; hidden on Center and SUB.
constexpr int kSecondChannelControls[] = {
    kSync,
    kFirstChannel,
    kSecondChannel,
    kSecondMute,
    kSecondDelayCaption,
    kSecondDelayLabel,
    kSecondDistanceLabel,
    kSecondDelaySlider,
};

constexpr int kModeButtons[] = {kModeAuto, kModeSing, kModeDisco, kModeDecode};

// Ten strips 46 pixels apart: the row then ends clear of the mix column (53 apart, the
// tenth strip would run under the level sliders). No trackbar: band b is always strip b.
constexpr SStripBankLayout kStrips{10, 46};

} // namespace

// One output view: its page index, its pair (null for Center and SUB) with the view
// state that holds its shown channel, or its one channel, and its captions.
struct SOutputViewDesc {
    int m_nIndex;
    const SChannelPair* m_pPair;
    int SOutputView::*m_pChannel;
    int m_nChannel;
    std::span<const SCaption> m_aCaptions;
};

namespace {

constexpr SOutputViewDesc kViews[] = {
    {3, &kOut12Pair, &SOutputView::m_nOut12, 0, kOut12Captions},
    {4, &kOut34Pair, &SOutputView::m_nOut34, 0, kOut34Captions},
    {7, nullptr, nullptr, 10, kCenterCaptions},
    {8, nullptr, nullptr, 11, kSubCaptions},
    {9, &kSurroundPair, &SOutputView::m_nSurround, 0, kSurroundCaptions},
};

int OutputMode() {
    const CImageGuard guard(ImageLock());
    return Image()[image::kOutputMode];
}

constexpr SDialogTemplate kTemplate{149, 715, 359, kControls};

// The page starts on the Out1&2 view; its records move with the view and the output set.
constexpr SPairedEqPage kPage{
    {&kTemplate, kCaptions, kFields, kDisplay, curvegroup::kOutput, kEqPass},
    &kOut12Pair,
    []() -> int& { return OutputView().m_nOut12; },
    {},
    kEqReset,
    &kStrips,
    nullptr,
    true,
};

} // namespace

CMainDlg::CMainDlg(QWidget* pParent) : CPairedEqPage(kPage, pParent), m_pView(&kViews[0]) {
    for (int i = 0; i < static_cast<int>(std::size(kModeButtons)); ++i) {
        connect(DlgItem<CBitButton>(this, kModeButtons[i]), &QAbstractButton::clicked, this,
                [this, i] { SetOutputMode(i); });
    }
    ApplyLanguage();
    Refresh();
}

int CMainDlg::View() const {
    return m_pView->m_nIndex;
}

bool CMainDlg::IsPairView() const {
    return m_pView->m_pPair != nullptr;
}

int CMainDlg::Channel() const {
    return IsPairView() ? OutputView().*(m_pView->m_pChannel) : m_pView->m_nChannel;
}

int CMainDlg::Record(EBlock eBlock) const {
    if (eBlock == EBlock::Edited || !IsPairView()) {
        return Channel() - kFirstOutputBlock;
    }
    const int nFirst = m_pView->m_pPair->m_anChannels[0] - kFirstOutputBlock;
    return eBlock == EBlock::Second ? nFirst + 1 : nFirst;
}

void CMainDlg::ShowView(int nIndex) {
    const auto* pView =
        std::find_if(std::begin(kViews), std::end(kViews),
                     [nIndex](const auto& view) { return view.m_nIndex == nIndex; });
    if (pView == std::end(kViews)) {
        return;
    }
    m_pView = pView;
    if (IsPairView()) {
        Pair().SetRow(*m_pView->m_pPair, &(OutputView().*(m_pView->m_pChannel)));
    }
    for (int nId : kSecondChannelControls) {
        DlgItem(this, nId)->setVisible(IsPairView());
    }
    Display().ShowSet(Channel());
    Strips().SwitchBlock(Channel());
}

void CMainDlg::Refresh() {
    if (IsPairView()) {
        Pair().FollowLink();
    }
    Strips().SwitchBlock(Channel());
    LoadEnableState(OutputMode());
    LoadFields();
    Display().ShowSet(Channel());
    ApplyViewCaptions();
}

// The output mode is a setting of the mode like any other: the synchronisation sends it, and
// the page now edits the output set it makes live.
void CMainDlg::SetOutputMode(int nMode) {
    {
        const CImageGuard guard(ImageLock());
        Image()[image::kOutputMode] = static_cast<std::uint8_t>(nMode);
    }
    Refresh();
}

// Everything but the mode buttons is disabled while the output mode is 0 (Auto), and a line
// says so; the channel buttons also while their pair is linked, and always on Center and
// SUB. The mode buttons show the mode.
void CMainDlg::LoadEnableState(int nMode) {
    const bool bEnabled = nMode != 0;
    Strips().Enable(bEnabled);
    Fields().EnableAll(bEnabled);
    for (int nId : {kSync, kEqReset}) {
        DlgItem(this, nId)->setEnabled(bEnabled);
    }
    if (IsPairView()) {
        Pair().LoadButtons();
    }
    if (!IsPairView() || !bEnabled) {
        for (int nId : {kFirstChannel, kSecondChannel}) {
            DlgItem(this, nId)->setEnabled(false);
        }
    }
    for (int i = 0; i < static_cast<int>(std::size(kModeButtons)); ++i) {
        DlgItem<CBitButton>(this, kModeButtons[i])->SetChecked(i == nMode ? 1 : 0);
    }
    DlgItem(this, kAutoNote)->setVisible(!bEnabled);
}

void CMainDlg::ApplyLanguage() {
    CPageBase::ApplyLanguage();
    ApplyViewCaptions();
    const QString strMode = QString::fromStdString(FieldDescription(
        *FieldAt(EArea::Image, image::kOutputMode), FieldKind(EFieldKind::OutputMode), Language()));
    for (int nId : kModeButtons) {
        DlgItem(this, nId)->setToolTip(strMode);
    }
}

void CMainDlg::ApplyViewCaptions() {
    ApplyCaptions(this, m_pView->m_aCaptions);
}

// While the output mode is 0 the page shows set 1 with every control disabled: the display
// is neither bypassed nor draggable; a mode beyond 3 shows no bypass either.
bool CMainDlg::DisplayBypassed() const {
    const int nMode = OutputMode();
    return nMode >= 1 && nMode <= 3 && CPairedEqPage::DisplayBypassed();
}

bool CMainDlg::EqEditable() const {
    return OutputMode() != 0;
}

std::size_t CMainDlg::BlockOffset(EBlock eBlock) const {
    const int nSet = LiveOutputSet(Image()[image::kOutputMode]);
    return OutputSetOffset(nSet) + output::kSize * static_cast<std::size_t>(Record(eBlock));
}

} // namespace zolt
