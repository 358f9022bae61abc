#include "eq/CFStaticGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zolt::curve {
namespace {

// The Music page's display: 706 x 167 dialog units = 1059 x 313 pixels.
constexpr int kW = 1059 - kPlotLeft - kPlotRight; // 1014
constexpr int kH = 313 - kPlotTop - kPlotBottom;  // 283
constexpr int kRightEdge = kW + kPlotLeft;        // the plot's right edge, control x

QPoint CentreOf(const QRect& r) {
    return QPoint(r.left() + r.width() / 2, r.top() + r.height() / 2);
}

TEST(CurveCoordinates, AxisEndsAndInverses) {
    EXPECT_EQ(PlotRect(QRect(0, 0, 1059, 313)), QRect(35, 10, kW, kH));
    EXPECT_NEAR(XOfFreq(10, kW), 0.0, 1e-9);
    EXPECT_NEAR(XOfFreq(30000, kW), kW, 1e-9);
    EXPECT_NEAR(YOfDb(12, kH), 0.0, 1e-9);
    EXPECT_NEAR(YOfDb(-24, kH), kH, 1e-9);
    for (double hz : {19.7, 95.0, 1000.0, 20600.0}) {
        EXPECT_NEAR(FreqOfX(XOfFreq(hz, kW), kW), hz, hz * 1e-9);
    }
    for (int db = -24; db <= 12; ++db) {
        EXPECT_EQ(DbOfY(YOfDb(db, kH), kH), db);
    }
    // With h = 36 one pixel is one dB: halves round away from zero.
    EXPECT_EQ(DbOfY(11.5, 36), 1);
    EXPECT_EQ(DbOfY(12.5, 36), -1);
    EXPECT_EQ(GridX(0, kW), kPlotLeft);
    EXPECT_EQ(GridX(29, kW), kRightEdge);
}

TEST(CurveCoordinates, AxisCaptions) {
    const auto db = DbAxisLabels(kH);
    EXPECT_STREQ(db[0].m_pszText, "+12");
    EXPECT_EQ(db[0].m_nY, 5);
    EXPECT_STREQ(db[3].m_pszText, "-6dB");
    EXPECT_EQ(db[3].m_nY, 6 * (kH / 12) + 5);
    EXPECT_EQ(db[6].m_nY, kH);
    const auto hz = FreqAxisLabels(kW, kH);
    EXPECT_STREQ(hz[0].m_pszText, "10");
    EXPECT_EQ(hz[0].m_nX, 30);
    EXPECT_STREQ(hz[6].m_pszText, "1K");
    EXPECT_EQ(hz[6].m_nX, static_cast<int>(XOfFreq(1000, kW)) + kPlotLeft - 8);
    EXPECT_EQ(hz[11].m_nX, kRightEdge - 15);
    EXPECT_EQ(hz[11].m_nY, kH + kPlotTop);
}

TEST(CurveMarkers, StayInsideThePlot) {
    const QRect centre = BandMarker(1000, 0, kW, kH);
    EXPECT_EQ(centre.size(), QSize(16, 16));
    EXPECT_EQ(CentreOf(centre), QPoint(static_cast<int>(XOfFreq(1000, kW)) + kPlotLeft,
                                       static_cast<int>(YOfDb(0, kH)) + kPlotTop));
    EXPECT_EQ(BandMarker(1000, 12, kW, kH).top(), kPlotTop) << "top not above the plot";
    EXPECT_EQ(BandMarker(1000, -24, kW, kH).bottom() + 1, kH + kPlotTop);
    EXPECT_EQ(BandMarker(10, 0, kW, kH).left(), kPlotLeft - 8) << "half out on the left";
    EXPECT_EQ(BandMarker(30000, 0, kW, kH).right() + 1, kRightEdge);
    EXPECT_EQ(CrossoverMarker(30000, false, kW, kH).right() + 1, kRightEdge + 8);
    EXPECT_EQ(CrossoverMarker(1000, true, kW, kH).top(), static_cast<int>(YOfDb(2, kH)) + kPlotTop);
    EXPECT_EQ(CrossoverMarker(1000, false, kW, kH).top(),
              static_cast<int>(YOfDb(0, kH)) + kPlotTop);
}

TEST(CurveLabels, CutAboveBoostAndFlatBelow) {
    const QRect cut = BandMarker(1000, -6, kW, kH);
    const QRect boost = BandMarker(1000, 6, kW, kH);
    EXPECT_LT(BandLabelRect(cut, ftype::kPeaking, 90, kW).top(), cut.top());
    EXPECT_GT(BandLabelRect(boost, ftype::kPeaking, 150, kW).top(), boost.bottom());
    EXPECT_GT(BandLabelRect(boost, ftype::kPeaking, 120, kW).top(), boost.bottom());
    EXPECT_GT(BandLabelRect(cut, ftype::kBypass, 90, kW).top(), cut.bottom())
        << "a bypassed band is drawn flat, its label goes below";
    EXPECT_LT(BandLabelRect(cut, ftype::kLowShelf, 119, kW).top(), cut.top()) << "-0.2 dB";
}

TEST(CurveLabels, KeptInsideHorizontally) {
    const QRect right = BandLabelRect(BandMarker(20600, 0, kW, kH), ftype::kPeaking, 120, kW);
    EXPECT_EQ(right.right() + 1, kRightEdge);
    EXPECT_EQ(right.width(), 200);
    const QRect left = BandLabelRect(BandMarker(19.7, 0, kW, kH), ftype::kPeaking, 120, kW);
    EXPECT_EQ(left.left(), kPlotLeft);
    EXPECT_EQ(left.width(), 200);
    const QRect mid = BandMarker(1000, 0, kW, kH);
    EXPECT_EQ(BandLabelRect(mid, ftype::kPeaking, 120, kW).width(), 216);

    const QRect hp = CrossoverMarker(1000, true, kW, kH);
    const QRect hpLabel = CrossoverLabelRect(hp, true, kW);
    EXPECT_EQ(hpLabel.top(), hp.top() + 15);
    EXPECT_EQ(hpLabel.left(), hp.left());
    EXPECT_EQ(hpLabel.width(), 66);
    const QRect lp = CrossoverMarker(20600, false, kW, kH);
    const QRect lpLabel = CrossoverLabelRect(lp, false, kW);
    EXPECT_EQ(lpLabel.top(), lp.top() - 15);
    EXPECT_EQ(lpLabel.right() + 1, kRightEdge);
    EXPECT_EQ(lpLabel.width(), 66);
}

TEST(CurveLabels, Texts) {
    EXPECT_EQ(BandLabelText(ftype::kPeaking, 1000, 0.71, 6.0), "PEQ  1000Hz 0.71Q 6.0dB");
    EXPECT_EQ(BandLabelText(ftype::kLowShelf, 95, 0.71, -3.0), "LS  95.0Hz 0.710Q -3.0dB");
    EXPECT_EQ(BandLabelText(ftype::kHighShelf, 101, 2, 0.0), "HS  101Hz 2.000Q 0.0dB");
    EXPECT_EQ(BandLabelText(ftype::kBypass, 19.7, 128, -24.0), "BY  19.7Hz 128.00Q -24.0dB");
    EXPECT_EQ(CrossoverLabelText(82), "95Hz ");
    EXPECT_EQ(CrossoverLabelText(81), "94.0Hz ");
    EXPECT_EQ(CrossoverLabelText(361), "20600Hz ");
}

TEST(CurveLabels, NumberAlignment) {
    EXPECT_EQ(NumberAlign(BandMarker(FreqOfIndex(20), 0, kW, kH), 20, kW), ENumberAlign::Right);
    EXPECT_EQ(NumberAlign(BandMarker(FreqOfIndex(21), 0, kW, kH), 21, kW), ENumberAlign::Centre);
    EXPECT_EQ(NumberAlign(CrossoverMarker(30000, false, kW, kH), 361, kW), ENumberAlign::Left);
}

TEST(CurvePolygons, FilterAndComposite) {
    CResponseDb db{};
    db[100] = 6.0;
    db[0] = -1e308; // far below the plot: must not overflow a pixel
    const QPolygon polygon = FilterPolygon(db, kW, kH);
    ASSERT_EQ(polygon.size(), 422);
    const int zeroY = static_cast<int>(YOfDb(0, kH)) + kPlotTop;
    EXPECT_EQ(polygon.first(), QPoint(kPlotLeft, zeroY));
    EXPECT_EQ(polygon.last(), QPoint(kRightEdge, zeroY));
    EXPECT_EQ(polygon[101].y(), static_cast<int>(YOfDb(6, kH)) + kPlotTop);
    EXPECT_GT(polygon[1].y(), 10 * kH);
    EXPECT_EQ(polygon[420].x(), kRightEdge) << "grid above 30 kHz is held at the edge";
    EXPECT_LT(polygon[396].x(), kRightEdge);

    const QPolygonF curve = CompositeCurve(db, kW, kH);
    ASSERT_EQ(curve.size(), 420);
    EXPECT_DOUBLE_EQ(curve[100].y(), YOfDb(6, kH) + kPlotTop);
    EXPECT_GT(curve[419].x(), kRightEdge) << "the composite is clipped when drawn, not here";
}

TEST(CurveDrag, BandClampsAtTheEdges) {
    const int midX = kPlotLeft + kW / 2;
    EXPECT_EQ(BandDragTarget({midX, -500}, kW, kH, false).m_nGainByte, 180) << "+12 dB";
    EXPECT_EQ(BandDragTarget({midX, 5000}, kW, kH, false).m_nGainByte, 0) << "-24 dB";
    EXPECT_EQ(BandDragTarget({midX, 5000}, kW, kH, true).m_nGainByte, 60) << "-12 dB";
    EXPECT_EQ(BandDragTarget({-500, 100}, kW, kH, false).m_nFreqIndex, 0);
    EXPECT_EQ(BandDragTarget({5000, 100}, kW, kH, false).m_nFreqIndex, 361);
    const SBandDrag mid = BandDragTarget({static_cast<int>(XOfFreq(1000, kW)) + kPlotLeft,
                                          static_cast<int>(YOfDb(-6, kH)) + kPlotTop},
                                         kW, kH, false);
    EXPECT_EQ(mid.m_nFreqIndex, 204);
    EXPECT_EQ(mid.m_nGainByte, 90);
}

TEST(CurveDrag, CrossoverAndQ) {
    EXPECT_EQ(CrossoverDragTarget(kPlotLeft, true, kW), kHighPassOff);
    EXPECT_EQ(CrossoverDragTarget(-100, true, kW), kHighPassOff);
    EXPECT_EQ(CrossoverDragTarget(kPlotLeft, false, kW), 0);
    EXPECT_EQ(CrossoverDragTarget(kPlotLeft + 1, true, kW), 0);
    EXPECT_EQ(CrossoverDragTarget(5000, false, kW), 361);
    EXPECT_EQ(QDragTarget(10, 125, 100), 12);
    EXPECT_EQ(QDragTarget(10, 75, 100), 8) << "steps toward zero on both sides";
    EXPECT_EQ(QDragTarget(10, 109, 100), 10);
    EXPECT_EQ(QDragTarget(95, 300, 100), 100);
    EXPECT_EQ(QDragTarget(3, -300, 100), 0);
}

} // namespace
} // namespace zolt::curve
