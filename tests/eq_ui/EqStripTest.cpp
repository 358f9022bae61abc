#include "pages/EQDlg.h"
#include "pages/EqStripBank.h"

#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/DialogTemplate.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "eq/CFStatic.h"
#include "model/Command.h"
#include "model/Defaults.h"

#include <QCoreApplication>
#include <QDialog>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace zolt {
namespace {

constexpr int kBarId = 1029;
// The music page's bank: ten strips scrolling over fifteen bands with every notification of
// its trackbar; the output page's: ten fixed strips.
constexpr SStripBankLayout kMusicStrips{10, 58, EStripScroll::EveryNotification, kBarId};
constexpr SStripBankLayout kOutputStrips{10, 53};

// A page as the pages build one: the curve display, a bank of strips and a trackbar, with
// the display's drags handed to the bank.
class CTestPage : public CMessageWidget {
public:
    explicit CTestPage(int nBlock, const SStripBankLayout& layout, QWidget* pParent = nullptr)
        : CMessageWidget(pParent), m_pDisplay(new CFStatic(this)), m_pBar(new QSlider(this)) {
        resize(1072, 673);
        m_pDisplay->setGeometry(9, 330, 1059, 313);
        m_pDisplay->Attach(this);
        m_pDisplay->LayoutGroup(nBlock < 2 ? curvegroup::kMusic : curvegroup::kOutput);
        m_pDisplay->ShowSet(nBlock);
        m_pBar->setOrientation(Qt::Horizontal);
        m_pBar->setGeometry(2, 268, 550, 20);
        SetControlId(m_pBar, kBarId);
        m_pBank = std::make_unique<CEqStripBank>(this, m_pDisplay, layout, nBlock, &m_view);
    }

    CFStatic* m_pDisplay;
    QSlider* m_pBar;
    SStripView m_view;
    std::unique_ptr<CEqStripBank> m_pBank;

protected:
    bool OnMessage(CMessageEvent& msg) override {
        if (msg.Message() != WM_CURVE_DRAGGED) {
            return false;
        }
        m_pBank->OnCurveDragged(static_cast<int>(msg.LParameter()));
        return true;
    }
};

std::uint8_t* MusicLeftBand(int nBand) {
    return Image() + 568 + 5 * nBand;
}

void TypeInto(CNumEdit* pField, const char* pszText) {
    pField->setFocus();
    pField->selectAll();
    QTest::keyClicks(pField, QString::fromLatin1(pszText));
    QTest::keyClick(pField, Qt::Key_Return);
}

class EqStrip : public testing::Test {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        ResetEqBlock(0);
        m_pPage = std::make_unique<CTestPage>(0, kMusicStrips);
        m_pPage->show();
        QApplication::setActiveWindow(m_pPage.get());
    }

    CEqStripBank& Bank() { return *m_pPage->m_pBank; }
    CEQDlg& Strip(int i) { return Bank().Strip(i); }

    std::unique_ptr<CTestPage> m_pPage;
};

TEST_F(EqStrip, StripOfBand3EditsItsRecord) {
    CEQDlg& strip = Strip(3);
    EXPECT_EQ(strip.Caption()->Text(), "4");
    EXPECT_EQ(strip.FreqField()->text(), "80.3");
    EXPECT_EQ(strip.Filter()->Record(), MusicLeftBand(3)) << "bytes 583..587";

    TypeInto(strip.GainField(), "3");
    EXPECT_EQ(Bank().SelectedStrip(), 3) << "the bank hears of the edit at once";
    EXPECT_EQ(MusicLeftBand(3)[2], 135);
    EXPECT_EQ(strip.GainSlider()->PosFromFarEnd(), 135) << "the slider follows the field";
    EXPECT_EQ(strip.GainField()->text(), "3.0");
    TypeInto(strip.FreqField(), "1000");
    EXPECT_EQ(GetU16(MusicLeftBand(3)), 204);
    TypeInto(strip.QField(), "1");
    EXPECT_EQ(MusicLeftBand(3)[3], 16);
    EXPECT_EQ(m_pPage->m_pDisplay->SelectedIndex(), 3);
    EXPECT_EQ(strip.Caption()->TextColor(), kRed);

    strip.TypeList()->setFocus();
    QTest::keyClick(strip.TypeList(), Qt::Key_Home); // the first item, "BY"
    EXPECT_EQ(MusicLeftBand(3)[4], 0);
    EXPECT_EQ(MusicLeftBand(3)[2], 135) << "choosing BY keeps the gain";
    EXPECT_EQ(GetU16(MusicLeftBand(3)), 204);
    EXPECT_EQ(MusicLeftBand(3)[3], 16);
}

TEST_F(EqStrip, EnterCommitsWithoutClosingTheWindow) {
    QDialog dialog;
    auto* pButton = new QPushButton(QStringLiteral("OK"), &dialog);
    pButton->setDefault(true);
    int nClicks = 0;
    QObject::connect(pButton, &QPushButton::clicked, [&nClicks] { ++nClicks; });
    CTestPage page(0, kMusicStrips, &dialog);
    dialog.show();
    QApplication::setActiveWindow(&dialog);

    CEQDlg& strip = page.m_pBank->Strip(2);
    TypeInto(strip.GainField(), "-6");
    EXPECT_EQ(MusicLeftBand(2)[2], 90);
    EXPECT_EQ(strip.GainSlider()->PosFromFarEnd(), 90);
    EXPECT_TRUE(strip.hasFocus()) << "the focus parks on the strip";
    strip.GainField()->setFocus();
    QTest::keyClick(strip.GainField(), Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(nClicks, 0);
}

TEST_F(EqStrip, SliderEndsStoreTheGainRange) {
    CEQDlg& strip = Strip(0);
    strip.GainSlider()->setFocus();
    QTest::keyClick(strip.GainSlider(), Qt::Key_Home); // top of the slider
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(MusicLeftBand(0)[2], 180);
    EXPECT_EQ(strip.GainField()->text(), "12.0");
    EXPECT_TRUE(strip.GainField()->hasFocus());
    QTest::keyClick(strip.GainSlider(), Qt::Key_End);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(MusicLeftBand(0)[2], 0);
    EXPECT_EQ(strip.GainField()->text(), "-24.0");
    EXPECT_EQ(Bank().SelectedStrip(), 0) << "the bank heard of the slider's edit";

    // A slider edit reaches the bank as a posted notice, after the edit itself.
    Strip(4).GainSlider()->setFocus();
    QTest::keyClick(Strip(4).GainSlider(), Qt::Key_Home);
    QCoreApplication::sendPostedEvents(&Strip(4)); // the strip takes the slider's notice
    EXPECT_EQ(MusicLeftBand(4)[2], 180);
    EXPECT_EQ(Bank().SelectedStrip(), 0) << "not yet";
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(Bank().SelectedStrip(), 4);
}

TEST_F(EqStrip, GainAboveTheStripRangeShowsAsItIsWithTheSliderAtItsTop) {
    MusicLeftBand(1)[2] = 200; // +16 dB from a device image
    CurveSetOfBlock(0)->Rebind();
    Strip(2).Reload(); // the field showed another band's text last
    Strip(1).Reload();
    EXPECT_EQ(Strip(1).GainField()->text(), "16.0");
    EXPECT_EQ(Strip(1).GainSlider()->PosFromFarEnd(), 180);
    EXPECT_EQ(MusicLeftBand(1)[2], 200) << "a reload writes nothing";
}

TEST_F(EqStrip, ScrollToFiveShowsBandSix) {
    m_pPage->m_pBar->setValue(5);
    EXPECT_EQ(Bank().FirstVisible(), 5);
    EXPECT_EQ(m_pPage->m_view.m_nLast, 14);
    EXPECT_EQ(Strip(0).Caption()->Text(), "6");
    EXPECT_EQ(Strip(0).Filter()->Record(), MusicLeftBand(5));
    TypeInto(Strip(0).GainField(), "1");
    EXPECT_EQ(MusicLeftBand(5)[2], 125);
    EXPECT_EQ(Bank().SelectedStrip(), 0) << "band 5 is shown by strip 0";

    // The band strip 0 showed before no longer moves its slider.
    const int nShown = Strip(0).GainSlider()->PosFromFarEnd();
    CurveSetOfBlock(0)->Filter(0)->SetGainByte(0);
    Bank().OnCurveDragged(0 + 5); // band 5's point, still shown by strip 0
    EXPECT_EQ(Strip(0).GainSlider()->PosFromFarEnd(), nShown);
}

TEST_F(EqStrip, DraggingBand12ScrollsItIntoView) {
    CFStatic& display = *m_pPage->m_pDisplay;
    const QPoint start = display.MarkerRect(12).center();
    QTest::mouseMove(&display, QPoint(1, 1));
    QTest::mouseMove(&display, start);
    QTest::mousePress(&display, Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(&display, start + QPoint(0, -40));
    QTest::mouseRelease(&display, Qt::LeftButton, Qt::NoModifier, start + QPoint(0, -40));
    QCoreApplication::sendPostedEvents();

    EXPECT_EQ(Bank().FirstVisible(), 3);
    EXPECT_EQ(m_pPage->m_pBar->value(), 3);
    CEQDlg& strip = Strip(9);
    EXPECT_EQ(strip.Caption()->Text(), "13");
    EXPECT_TRUE(strip.GainField()->hasFocus());
    EXPECT_EQ(strip.Caption()->TextColor(), kRed);
    EXPECT_GT(MusicLeftBand(12)[2], 120);
    EXPECT_EQ(strip.GainSlider()->PosFromFarEnd(), MusicLeftBand(12)[2]);
    EXPECT_EQ(strip.GainField()->Value(), MusicLeftBand(12)[2]);
}

TEST_F(EqStrip, HighlightMovesBetweenStrips) {
    Bank().OnBandActivated(4);
    Bank().OnBandActivated(6);
    EXPECT_EQ(Strip(4).Caption()->TextColor(), kWhite);
    EXPECT_EQ(Strip(6).Caption()->TextColor(), kRed);
    Bank().OnBandActivated(12); // not shown: nothing changes
    EXPECT_EQ(Bank().SelectedStrip(), 6);
    EXPECT_FALSE(Bank().OnCurveDragged(15)) << "the high-pass item is the page's";
    EXPECT_FALSE(Bank().OnCurveDragged(-1));
    EXPECT_EQ(Bank().FirstVisible(), 0);
}

TEST_F(EqStrip, BlockSwitchAndReset) {
    Bank().OnBandActivated(2);
    Image()[732 + 2] = 150; // Music Right band 1 gain
    CurveSetOfBlock(1)->Rebind();
    Bank().SwitchBlock(1);
    EXPECT_EQ(Bank().SelectedStrip(), -1);
    EXPECT_EQ(Strip(2).Caption()->TextColor(), kWhite);
    EXPECT_EQ(Strip(0).GainField()->text(), "6.0");
    EXPECT_EQ(Strip(0).Filter()->Record(), Image() + 732);

    Bank().OnBandActivated(0);
    Bank().ResetEq();
    EXPECT_EQ(Image()[732 + 2], 120);
    EXPECT_EQ(Image()[732 + 4], 1) << "peaking after a reset";
    EXPECT_EQ(Strip(0).GainField()->text(), "0.0");
    EXPECT_EQ(Strip(0).Caption()->TextColor(), kWhite);
    EXPECT_EQ(m_pPage->m_pDisplay->Block(), 1);
    EXPECT_EQ(m_pPage->m_pDisplay->HighlightedIndex(), -1);
}

TEST_F(EqStrip, OutputBlockWithModeZeroUsesSetOne) {
    Image()[image::kOutputMode] = 0;
    CTestPage page(8, kOutputStrips);
    EXPECT_EQ(page.m_pBank->Strip(0).Filter()->Record(), Image() + 882 + 11);
    EXPECT_EQ(page.m_pBank->Strip(9).Filter()->Record(), Image() + 882 + 11 + 45);
    EXPECT_EQ(page.m_pBank->Strip(1).x() - page.m_pBank->Strip(0).x(), 53);
    Image()[image::kOutputMode] = 2;
    page.m_pBank->SwitchBlock(9);
    EXPECT_EQ(page.m_pBank->Strip(0).Filter()->Record(), Image() + 1490 + 76 + 11);
}

} // namespace
} // namespace zolt
