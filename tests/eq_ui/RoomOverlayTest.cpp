// A measurement over the curve display: its scale, the curves drawn where the geometry puts
// them, the prediction following a drag, the switches, and the right button's two jobs.
#include "eq/CFStatic.h"

#include "eq/CFStaticGeometry.h"
#include "eq/RoomOverlay.h"
#include "model/Command.h"
#include "model/Defaults.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zolt {
namespace {

using curve::SDbScale;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(CurveScale, TheScaleWidensInSixDecibelStepsToShowAMeasurement) {
    EXPECT_TRUE(curve::ScaleFor(-20.0, 10.0).IsDefault());
    EXPECT_TRUE(curve::ScaleFor(kNaN, kNaN).IsDefault());
    const SDbScale wide = curve::ScaleFor(-31.0, 13.5);
    EXPECT_EQ(wide.m_dTop, 18.0);
    EXPECT_EQ(wide.m_dBottom, -36.0);
    const SDbScale capped = curve::ScaleFor(-200.0, 90.0);
    EXPECT_EQ(capped.m_dTop, 36.0);
    EXPECT_EQ(capped.m_dBottom, -60.0);

    // y and dB map both ways on any scale.
    for (const SDbScale& scale : {SDbScale{}, wide, capped}) {
        for (int db = -24; db <= 12; db += 6) {
            EXPECT_EQ(curve::DbOfY(curve::YOfDb(db, 300, scale), 300, scale), db);
        }
        EXPECT_DOUBLE_EQ(curve::YOfDb(scale.m_dTop, 300, scale), 0.0);
        EXPECT_DOUBLE_EQ(curve::YOfDb(scale.m_dBottom, 300, scale), 300.0);
    }

    // The default scale keeps its captions and its twelve lines every 3 dB.
    const std::vector<curve::SScaleLabel> labels = curve::ScaleLabels({}, 283);
    const auto axis = curve::DbAxisLabels(283);
    ASSERT_EQ(labels.size(), axis.size());
    for (std::size_t i = 0; i < axis.size(); ++i) {
        EXPECT_EQ(labels[i].m_strText, QString::fromLatin1(axis[i].m_pszText));
        EXPECT_EQ(labels[i].m_nY, axis[i].m_nY);
    }
    const std::vector<double> lines = curve::GridLineYs({}, 283);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_NEAR(lines.front(), 283.0 / 12.0, 1e-9);
    EXPECT_NEAR(lines.back(), 283.0, 1e-9);
    // A wide scale: lines every 6 dB, captions every 12 dB at their heights.
    EXPECT_EQ(curve::GridLineYs(capped, 480).size(), 16u);
    const std::vector<curve::SScaleLabel> wideLabels = curve::ScaleLabels(wide, 300);
    ASSERT_EQ(wideLabels.size(), 5u);
    EXPECT_EQ(wideLabels[0].m_strText, QStringLiteral("+12"));
    EXPECT_EQ(wideLabels[1].m_strText, QStringLiteral("0dB"));
    EXPECT_EQ(wideLabels[2].m_strText, QStringLiteral("-12"));
    EXPECT_EQ(wideLabels[4].m_strText, QStringLiteral("-36"));
    EXPECT_EQ(wideLabels[1].m_nY, static_cast<int>(curve::YOfDb(0.0, 300, wide)) + 10 - 6);
}

TEST(CurveScale, AMeasurementIsDrawnInRunsWhereItIsKnown) {
    CResponseDb db{};
    db.fill(kNaN);
    for (std::size_t i = 100; i < 200; ++i) {
        db[i] = 1.0;
    }
    db[150] = kNaN;
    const std::vector<QPolygonF> runs = curve::CurveRuns(db, 1000, 300, {});
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].size(), 50);
    EXPECT_EQ(runs[1].size(), 49);
    EXPECT_DOUBLE_EQ(runs[0].front().x(), curve::XOfFreq(kResponseGrid[100], 1000) + 35);
    EXPECT_DOUBLE_EQ(runs[0].front().y(), curve::YOfDb(1.0, 300) + 10);
}

class OverlayDisplay : public testing::Test {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        ResetEqBlock(0);
        m_display.resize(1059, 313);
        m_display.Attach(&m_owner);
        m_display.LayoutGroup(curvegroup::kMusic);
        m_display.ShowSet(0);
        m_display.show();
    }
    void TearDown() override { RoomOverlayOf(0)->Clear(); }

    // A room of +-20 dB: 60 dB flat, a 20 dB peak at 100 Hz and a 20 dB dip at 5 kHz.
    static SMeasurement Room() {
        SMeasurement m;
        for (double f = 15.0; f < 25000.0; f *= 1.02) {
            m.m_adFreq.push_back(f);
            const double peak = 20.0 / (1.0 + std::pow(std::log2(f / 100.0) * 4.0, 2.0));
            const double dip = 20.0 / (1.0 + std::pow(std::log2(f / 5000.0) * 4.0, 2.0));
            m.m_adLevel.push_back(60.0 + peak - dip);
        }
        return m;
    }

    QImage Rendered() {
        QImage image(m_display.size(), QImage::Format_ARGB32);
        QPainter painter(&image);
        m_display.render(painter, QRectF(QPointF(0, 0), m_display.size()));
        return image;
    }

    // The rows of column x whose pixel is colour.
    static std::vector<int> RowsOf(const QImage& image, int x, QColor colour) {
        std::vector<int> rows;
        for (int y = 0; y < image.height(); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 40 &&
                std::abs(c.green() - colour.green()) < 40 &&
                std::abs(c.blue() - colour.blue()) < 40) {
                rows.push_back(y);
            }
        }
        return rows;
    }

    // Control x of grid point n, and y of db on the display's scale.
    int X(int n) const {
        return static_cast<int>(curve::XOfFreq(kResponseGrid[static_cast<std::size_t>(n)],
                                               m_display.PlotWidth())) +
               35;
    }
    int Y(double db) const {
        return static_cast<int>(curve::YOfDb(db, m_display.PlotHeight(), m_display.Scale())) + 10;
    }

    static bool Near(const std::vector<int>& rows, int y) {
        return std::any_of(rows.begin(), rows.end(), [y](int r) { return std::abs(r - y) <= 2; });
    }

    QWidget m_owner;
    CFStatic m_display;
};

// The prediction is drawn at the target's level as the measurement is: a cut of every
// frequency alike is the volume's business and leaves it where it was, a narrow cut shows.
TEST_F(OverlayDisplay, ThePredictionIsShownAtTheTargetsLevel) {
    CRoomOverlay& overlay = *RoomOverlayOf(0);
    overlay.Load(Room(), "room.txt");
    CResponseDb composite{};
    composite.fill(-6.0);
    const CResponseDb everywhere = overlay.Prediction(composite);
    for (std::size_t i = 0; i < composite.size(); ++i) {
        if (std::isfinite(overlay.ShownMeasurement()[i])) {
            ASSERT_NEAR(everywhere[i], overlay.ShownMeasurement()[i], 1e-9) << i;
        }
    }
    constexpr std::size_t kPoint = 85;
    composite.fill(0.0);
    composite[kPoint] = -10.0;
    EXPECT_NEAR(overlay.Prediction(composite)[kPoint], overlay.ShownMeasurement()[kPoint] - 10.0,
                0.05);
}

const QColor kMeasurementBlue(70, 150, 255);
const QColor kPredictionGreen(120, 230, 120);

TEST_F(OverlayDisplay, TheMeasurementTargetAndPredictionAreDrawnOnTheWidenedScale) {
    CRoomOverlay& overlay = *RoomOverlayOf(0);
    overlay.Load(Room(), "room.txt");
    m_display.ShowSet(0);
    // Shown at the target's level (its median, 0 dB): from +20 to -20 dB.
    EXPECT_NEAR(overlay.Highest(), 20.0, 0.5);
    EXPECT_NEAR(overlay.Lowest(), -20.0, 0.5);
    const SDbScale scale = m_display.Scale();
    EXPECT_EQ(scale.m_dTop, 24.0);
    EXPECT_EQ(scale.m_dBottom, -24.0);

    // At 51.6 Hz (grid point 85) a band is cut; the prediction follows.
    constexpr int kPoint = 85;
    const double shown = overlay.ShownMeasurement()[kPoint];
    QImage image = Rendered();
    EXPECT_TRUE(Near(RowsOf(image, X(kPoint), kPredictionGreen), Y(shown)))
        << "a flat equaliser predicts the measurement";

    // The band's marker sits on the widened scale, and a drag down cuts it: the prediction
    // follows at the next repaint.
    CFilter& band = *CurveSetOfBlock(0)->Filter(0);
    {
        const CImageGuard guard(ImageLock());
        band.SetFreqIndex(kPoint - kGridFirstTableIndex);
    }
    const QRect marker = m_display.MarkerRect(0);
    EXPECT_NEAR(marker.center().y(), Y(0.0), 1) << "0 dB on the widened scale";
    QTest::mouseMove(&m_display, QPoint(1, 1));
    QTest::mouseMove(&m_display, marker.center());
    QTest::mousePress(&m_display, Qt::LeftButton, Qt::NoModifier, marker.center());
    QTest::mouseMove(&m_display, QPoint(marker.center().x(), Y(-10.0)));
    QTest::mouseRelease(&m_display, Qt::LeftButton, Qt::NoModifier,
                        QPoint(marker.center().x(), Y(-10.0)));
    EXPECT_EQ(band.GainByte(), RawOfGainDb(-10.0));
    // Beside the marker (which covers the column of its own frequency), the prediction lies
    // the cut below the measurement.
    constexpr int kBeside = kPoint + 5;
    image = Rendered();
    EXPECT_NEAR(CurveSetOfBlock(0)->CompositeDb()[kPoint], -10.0, 0.1);
    const double measured = overlay.ShownMeasurement()[kBeside];
    const double predicted = measured + CurveSetOfBlock(0)->CompositeDb()[kBeside];
    EXPECT_LT(predicted, measured - 3.0);
    EXPECT_TRUE(Near(RowsOf(image, X(kBeside), kMeasurementBlue), Y(measured)));
    EXPECT_TRUE(Near(RowsOf(image, X(kBeside), kPredictionGreen), Y(predicted)));
    EXPECT_FALSE(Near(RowsOf(image, X(kBeside), kPredictionGreen), Y(measured)));

    // Switched off, a curve is not drawn; without the measurement and target the scale
    // goes back to +12 .. -24 dB.
    overlay.Show(EOverlayCurve::Measurement, false);
    overlay.Show(EOverlayCurve::Prediction, false);
    image = Rendered();
    EXPECT_TRUE(RowsOf(image, X(kBeside), kMeasurementBlue).empty());
    EXPECT_TRUE(RowsOf(image, X(kBeside), kPredictionGreen).empty());
    overlay.Show(EOverlayCurve::Target, false);
    EXPECT_TRUE(m_display.Scale().IsDefault());
    overlay.Clear();
    EXPECT_TRUE(m_display.Scale().IsDefault());
}

// Records the context menus that reach the display's parent.
class CMenuParent : public QWidget {
public:
    int m_nMenus = 0;

protected:
    void contextMenuEvent(QContextMenuEvent*) override { ++m_nMenus; }
};

TEST(OverlayMenu, ARightClickOffTheBandsOpensTheWindowsMenuAndAQDragDoesNot) {
    ResetProcessData();
    FactoryDefaults();
    ResetEqBlock(0);
    CMenuParent parent;
    parent.resize(1100, 350);
    auto* pDisplay = new CFStatic(&parent);
    pDisplay->resize(1059, 313);
    pDisplay->Attach(&parent);
    pDisplay->ShowSet(0);
    parent.show();
    auto menuAt = [pDisplay](QPoint pt) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pt, pDisplay->mapToGlobal(pt));
        QCoreApplication::sendEvent(pDisplay, &event);
    };

    const QPoint background(pDisplay->width() / 2, 30);
    QTest::mouseMove(pDisplay, background);
    QTest::mousePress(pDisplay, Qt::RightButton, Qt::NoModifier, background);
    QTest::mouseRelease(pDisplay, Qt::RightButton, Qt::NoModifier, background);
    menuAt(background);
    EXPECT_EQ(parent.m_nMenus, 1);

    const QPoint marker = pDisplay->MarkerRect(5).center();
    QTest::mouseMove(pDisplay, marker);
    QTest::mousePress(pDisplay, Qt::RightButton, Qt::NoModifier, marker);
    menuAt(marker);
    QTest::mouseRelease(pDisplay, Qt::RightButton, Qt::NoModifier, marker);
    menuAt(marker);
    EXPECT_EQ(parent.m_nMenus, 1) << "the press that drags Q opens no menu";

    // The keyboard's menu key always reaches the window.
    QContextMenuEvent key(QContextMenuEvent::Keyboard, marker, pDisplay->mapToGlobal(marker));
    QCoreApplication::sendEvent(pDisplay, &key);
    EXPECT_EQ(parent.m_nMenus, 2);
}

} // namespace
} // namespace zolt
