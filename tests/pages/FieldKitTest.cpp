// The page kit against the field table: every binding row of every page, in every block the
// page edits (Music Left and Right, both mic pairs, every output record of every output set,
// the echo units and the reverb, the system block) and in every band strip, lands on the
// first byte of a field of the row's kind, with the bits and width the row writes, and its
// controls offer exactly that kind's range.
#include "PageUser.h"

#include "FieldKitCheck.h"
#include "eq/KTVEQ.h"
#include "model/Defaults.h"
#include "pages/DEQ_Dlg.h"
#include "pages/EQDlg.h"
#include "pages/Echo_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/EqStripBank.h"
#include "pages/MainDlg.h"
#include "pages/Mic_Dlg.h"
#include "pages/MusicDlg.h"
#include "pages/Rev_Dlg.h"
#include "pages/SysDlg.h"

#include <set>
#include <string>

namespace zolt {
namespace {

class FieldKit : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        Image()[image::kMusicLink] = 0;
        Image()[image::kMicLink] = 0;
        ResetMusicView();
        ResetMicView();
        ResetDeqView();
        ResetOutputView();
        ResetEffectUnit();
    }
    void TearDown() override {
        ResetProcessData();
        ResetEffectUnit();
    }

    // The page's rows and its strips' rows where it stands now; the kinds seen are noted.
    void Check(CPageBase& page, const std::string& strWhere) {
        m_nRows += test::ExpectRowsOnTheirFields(page.Fields(), page, strWhere, m_kinds);
        if (page.findChild<CEQDlg*>() == nullptr) {
            return;
        }
        for (int i = 0; i < page.Strips().StripCount(); ++i) {
            CEQDlg& strip = page.Strips().Strip(i);
            m_nRows += test::ExpectRowsOnTheirFields(
                strip.Fields(), strip, strWhere + " strip " + std::to_string(i), m_kinds);
        }
    }

    std::size_t m_nRows = 0;
    std::set<EFieldKind> m_kinds;
};

TEST_F(FieldKit, MusicMicAndDynamicRowsLandOnTheirFieldsInBothChannels) {
    CMusicDlg music(nullptr);
    for (int nButton : {musicid::kRight, musicid::kLeft}) {
        QTest::mouseClick(DlgItem<CBitButton>(&music, nButton), Qt::LeftButton);
        Check(music, "Music channel " + std::to_string(MusicView().m_nChannel));
    }
    CMic_Dlg mic(nullptr);
    for (int nButton : {micid::kPair34, micid::kPair12}) {
        QTest::mouseClick(DlgItem<CBitButton>(&mic, nButton), Qt::LeftButton);
        Check(mic, "Mic pair " + std::to_string(MicView().m_nPair));
    }
    CDEQ_Dlg deq(nullptr);
    for (int nButton : {deqid::kRight, deqid::kLeft}) {
        QTest::mouseClick(DlgItem<CBitButton>(&deq, nButton), Qt::LeftButton);
        Check(deq, "DEQ block " + std::to_string(DeqView().m_nChannel));
    }
    EXPECT_EQ(MusicView().m_nChannel, 0) << "the channel buttons were clicked";
    EXPECT_EQ(m_nRows, 2u * (21 + 20 + 24) + 2u * 2 * 10 * 4) << "every row of every channel";
    for (EFieldKind eKind : {EFieldKind::Gain, EFieldKind::DynamicGain, EFieldKind::Pitch,
                             EFieldKind::ExciterLevel, EFieldKind::HalfDb}) {
        EXPECT_EQ(m_kinds.count(eKind), 1u) << static_cast<int>(eKind);
    }
}

TEST_F(FieldKit, OutputRowsLandOnTheirFieldsInEveryViewChannelAndSet) {
    CMainDlg output(nullptr);
    for (std::uint8_t nMode = 1; nMode <= 3; ++nMode) {
        Image()[image::kOutputMode] = nMode;
        RebindAllCurveSets();
        for (int nView : {3, 4, 7, 8, 9}) {
            output.ShowView(nView);
            output.Refresh();
            Check(output, "output view " + std::to_string(nView) + " set " + std::to_string(nMode));
            QTest::mouseClick(DlgItem<CBitButton>(&output, outputid::kSecondChannel),
                              Qt::LeftButton);
            Check(output,
                  "output view " + std::to_string(nView) + " second, set " + std::to_string(nMode));
        }
    }
    EXPECT_EQ(m_kinds.count(EFieldKind::OutputLimiterLevel), 1u);
    EXPECT_EQ(m_kinds.count(EFieldKind::MixLevel), 1u);
    EXPECT_EQ(m_kinds.count(EFieldKind::Tenths), 1u);
}

TEST_F(FieldKit, EffectAndSystemRowsLandOnTheirFields) {
    CEffect_Dlg effect(nullptr);
    effect.Refresh();
    for (int nSelector : {effectid::kEchoB, effectid::kReverb, effectid::kEchoA}) {
        QTest::mouseClick(DlgItem<CBitButton>(&effect, nSelector), Qt::LeftButton);
        CPageBase& panel = IsEchoUnit(CurrentEffectUnit())
                               ? static_cast<CPageBase&>(effect.EchoPanel())
                               : static_cast<CPageBase&>(effect.ReverbPanel());
        Check(panel, "effect unit " + std::to_string(CurrentEffectUnit()));
    }
    CFakePageApi api;
    CSysDlg system(api, nullptr);
    Check(system, "System");
    for (EFieldKind eKind : {EFieldKind::EchoPreDelay, EFieldKind::ReverbTime,
                             EFieldKind::InputGain, EFieldKind::Sensitivity}) {
        EXPECT_EQ(m_kinds.count(eKind), 1u) << static_cast<int>(eKind);
    }
}

} // namespace
} // namespace zolt
