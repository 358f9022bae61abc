#include "eq/CFStatic.h"

#include "controls/Message.h"
#include "eq/CFStaticGeometry.h"
#include "model/Command.h"
#include "model/Defaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace zolt {
namespace {

// Records the window messages a page would receive.
class CRecorder : public CMessageWidget {
public:
    std::vector<std::pair<WParam, LParam>> m_aDragged;

protected:
    bool OnMessage(CMessageEvent& msg) override {
        if (msg.Message() == WM_CURVE_DRAGGED) {
            m_aDragged.emplace_back(msg.WParameter(), msg.LParameter());
            return true;
        }
        return false;
    }
};

// Writes one band record of the working image and re-reads it into its curve object.
void SetBand(int nBlock, int nBand, int nFreqIndex, int nGainByte, int nQIndex, int nType) {
    std::uint8_t* p = Image() + EqBlock(nBlock, LiveOutputSet()).m_nFirst + 5 * nBand;
    SetU16(p, static_cast<std::uint16_t>(nFreqIndex));
    p[2] = static_cast<std::uint8_t>(nGainByte);
    p[3] = static_cast<std::uint8_t>(nQIndex);
    p[4] = static_cast<std::uint8_t>(nType);
    CurveSetOfBlock(nBlock)->Rebind();
}

class CurveDisplay : public testing::Test {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        ResetEqBlock(0);             // peaking, flat bands
        m_display.resize(1059, 313); // 706 x 167 dialog units
        m_display.Attach(&m_owner);
        m_display.LayoutGroup(curvegroup::kMusic);
        m_display.ShowSet(0);
        m_display.show();
    }

    QPoint MarkerCentre(int nIndex) const { return m_display.MarkerRect(nIndex).center(); }

    // Hovers the marker, then drags it by the given offset with the left button.
    void Drag(int nIndex, QPoint delta, Qt::MouseButton button = Qt::LeftButton) {
        const QPoint start = MarkerCentre(nIndex);
        // A move without buttons places the cursor; it must come from somewhere else.
        QTest::mouseMove(&m_display, QPoint(1, 1));
        QTest::mouseMove(&m_display, start);
        QTest::mousePress(&m_display, button, Qt::NoModifier, start);
        QTest::mouseMove(&m_display, start + delta);
        QTest::mouseRelease(&m_display, button, Qt::NoModifier, start + delta);
        QCoreApplication::sendPostedEvents();
    }

    const CFilter& Band(int nIndex) { return *CurveSetOfBlock(m_display.Block())->Filter(nIndex); }

    CRecorder m_owner;
    CFStatic m_display;
};

TEST_F(CurveDisplay, HoverMakesAFilterCurrent) {
    QTest::mouseMove(&m_display, MarkerCentre(9));
    EXPECT_EQ(m_display.CurrentIndex(), 9);
    EXPECT_EQ(m_display.HighlightedIndex(), 9);
    QTest::mouseMove(&m_display, QPoint(2, 2));
    EXPECT_EQ(m_display.CurrentIndex(), 9) << "a band stays current after the mouse leaves";
    QTest::mouseMove(&m_display, MarkerCentre(16));
    EXPECT_EQ(m_display.CurrentIndex(), 16);
    QTest::mouseMove(&m_display, QPoint(2, 2));
    EXPECT_EQ(m_display.CurrentIndex(), -1) << "a crossover is forgotten when left";
    m_display.SelectFilter(3);
    EXPECT_EQ(m_display.HighlightedIndex(), 3);
}

TEST_F(CurveDisplay, BandDragClampsGainAndFrequency) {
    Drag(9, QPoint(0, -1000));
    EXPECT_EQ(Band(9).GainByte(), 180) << "+12 dB at the top";
    Drag(9, QPoint(0, 2000));
    EXPECT_EQ(Band(9).GainByte(), 0) << "-24 dB at the bottom";
    Drag(9, QPoint(-2000, 0));
    EXPECT_EQ(Band(9).FreqIndex(), 0);
    EXPECT_DOUBLE_EQ(Band(9).FreqHz(), 19.7);
    Drag(9, QPoint(3000, 0));
    EXPECT_EQ(Band(9).FreqIndex(), 361);
    EXPECT_EQ(GetU16(Image() + 568 + 5 * 9), 361) << "written into the working image";
    ASSERT_FALSE(m_owner.m_aDragged.empty());
    EXPECT_EQ(m_owner.m_aDragged.back(), std::make_pair(WParam{0}, LParam{9}));
}

TEST_F(CurveDisplay, GrabbedMarkerKeepsItsOffset) {
    const QRect marker = m_display.MarkerRect(9);
    const QPoint grab = marker.topLeft() + QPoint(2, 2);
    QTest::mouseMove(&m_display, grab);
    QTest::mousePress(&m_display, Qt::LeftButton, Qt::NoModifier, grab);
    QTest::mouseMove(&m_display, grab + QPoint(0, 1));
    QTest::mouseRelease(&m_display, Qt::LeftButton, Qt::NoModifier, grab + QPoint(0, 1));
    EXPECT_EQ(Band(9).GainByte(), 120) << "a one-pixel move off-centre does not jump";
}

TEST_F(CurveDisplay, DynamicBandStopsAtMinus12) {
    m_display.LayoutGroup(curvegroup::kDynamic);
    m_display.ShowSet(16);
    Drag(1, QPoint(0, 2000));
    EXPECT_EQ(Band(1).GainByte(), 60);
    EXPECT_EQ(Image()[674 + 10 + 2], 60);
}

TEST_F(CurveDisplay, RightDragChangesQ) {
    SetBand(0, 9, 204, 150, 10, 1);
    Drag(9, QPoint(35, 0), Qt::RightButton);
    EXPECT_EQ(Band(9).QIndex(), 13);
    EXPECT_EQ(Band(9).FreqIndex(), 204) << "a Q drag moves nothing else";
    Drag(16, QPoint(35, 0), Qt::RightButton);
    EXPECT_EQ(CurveSetOfBlock(0)->LowPass()->Slope(), 0) << "crossovers ignore the right button";
}

// A button-up that another window took (a box that opened meanwhile) never reaches the
// display: the first move without the button ends the drag, so plain moves edit nothing.
TEST_F(CurveDisplay, ADragWhoseButtonUpWentElsewhereEndsAtTheNextMove) {
    SetBand(0, 9, 204, 150, 10, 1);
    const QPoint start = MarkerCentre(9);
    QTest::mouseMove(&m_display, QPoint(1, 1));
    QTest::mouseMove(&m_display, start);
    QTest::mousePress(&m_display, Qt::RightButton, Qt::NoModifier, start);
    const QPoint later = start + QPoint(60, 0);
    QMouseEvent move(QEvent::MouseMove, later, m_display.mapToGlobal(later), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&m_display, &move);
    EXPECT_EQ(Band(9).QIndex(), 10);
    QTest::mouseRelease(&m_display, Qt::RightButton, Qt::NoModifier, later);
}

TEST_F(CurveDisplay, HighPassDraggedOffTheLeftGoesFlat) {
    CFilter& highPass = *CurveSetOfBlock(0)->HighPass();
    highPass.SetSlope(3);
    highPass.SetFreqIndex(100);
    Drag(15, QPoint(-2000, 0));
    EXPECT_EQ(highPass.FreqIndex(), 0);
    EXPECT_EQ(highPass.ResponseDb()[0], 0.0);
    Drag(15, QPoint(200, 0));
    EXPECT_GT(highPass.FreqIndex(), 0);
    EXPECT_LT(highPass.ResponseDb()[0], -10.0) << "the real response is back";
    EXPECT_EQ(m_owner.m_aDragged.back(), std::make_pair(WParam{0}, LParam{15}));
}

TEST_F(CurveDisplay, OutputModeZeroIgnoresTheMouse) {
    m_display.LayoutGroup(curvegroup::kOutput);
    Image()[image::kOutputMode] = 0;
    m_display.ShowSet(8);
    m_display.SetState(false, false); // what the output page says in output mode 0
    const int nGain = Band(4).GainByte();
    Drag(4, QPoint(0, -100));
    EXPECT_EQ(m_display.CurrentIndex(), -1);
    EXPECT_EQ(Band(4).GainByte(), nGain);
    EXPECT_TRUE(m_owner.m_aDragged.empty());
    Image()[image::kOutputMode] = 1;
    m_display.SetState(false, true);
    Drag(4, QPoint(0, -100));
    EXPECT_NE(Band(4).GainByte(), nGain);
}

TEST_F(CurveDisplay, ShowSetForgetsTheFilters) {
    QTest::mouseMove(&m_display, MarkerCentre(2));
    m_display.SelectFilter(4);
    m_display.ShowSet(1);
    EXPECT_EQ(m_display.CurrentIndex(), -1);
    EXPECT_EQ(m_display.SelectedIndex(), -1);
    m_display.ShowSet(42);
    EXPECT_EQ(m_display.Set(), nullptr);
    QTest::mouseMove(&m_display, QPoint(500, 100)); // nothing to hit, nothing to crash
    EXPECT_EQ(m_display.CurrentIndex(), -1);
}

QImage Render(CFStatic& display) {
    QImage image(display.size(), QImage::Format_ARGB32);
    QPainter painter(&image);
    display.render(painter, QRectF(image.rect()));
    return image;
}

// A Music set with boosts, cuts, both shelves and both crossovers, bypassed; saved for
// looking at, and checked where the bypass text must show.
TEST_F(CurveDisplay, RendersAMusicSetWithTheBypassGlow) {
    SetBand(0, 0, 30, 160, 10, 2);   // low shelf +8 dB
    SetBand(0, 3, 96, 95, 16, 1);    // cut at 125 Hz
    SetBand(0, 6, 150, 150, 20, 1);  // boost at 354 Hz
    SetBand(0, 9, 215, 80, 30, 1);   // narrow cut at 1240 Hz
    SetBand(0, 12, 280, 150, 16, 1); // boost at 4320 Hz
    SetBand(0, 14, 340, 140, 10, 3); // high shelf +4 dB
    CKTVEQ& set = *CurveSetOfBlock(0);
    set.HighPass()->SetSlope(8);
    set.HighPass()->SetFreqIndex(40);
    set.LowPass()->SetSlope(4);
    set.LowPass()->SetFreqIndex(345);
    m_display.ShowSet(0);
    QTest::mouseMove(&m_display, MarkerCentre(9)); // the cut band is described

    const QImage plain = Render(m_display);
    m_display.SetState(true, true); // the page found the EQ bypass flag of Music Left set
    const QImage bypassed = Render(m_display);
    QDir().mkpath(QStringLiteral(ZOLT_TEST_OUTPUT_DIR));
    ASSERT_TRUE(bypassed.save(QStringLiteral(ZOLT_TEST_OUTPUT_DIR "/music_curve.png")));

    // The centre of the plot's upper half carries the grey bypass text only when bypassed.
    const QRect textBand(35 + 1014 / 2 - 150, 10 + 283 / 3, 300, 40);
    int nGreyPlain = 0;
    int nGreyBypassed = 0;
    for (int y = textBand.top(); y <= textBand.bottom(); ++y) {
        for (int x = textBand.left(); x <= textBand.right(); ++x) {
            nGreyPlain += plain.pixelColor(x, y) == QColor(155, 155, 155);
            nGreyBypassed += bypassed.pixelColor(x, y) == QColor(155, 155, 155);
        }
    }
    EXPECT_EQ(nGreyPlain, 0);
    EXPECT_GT(nGreyBypassed, 500);
    // The highlighted marker is outlined in red.
    const QRect marker = m_display.MarkerRect(9);
    EXPECT_EQ(bypassed.pixelColor(marker.topLeft()), QColor(255, 0, 0));
}

} // namespace
} // namespace zolt
