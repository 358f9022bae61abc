#include "eq/CFStaticGeometry.h"

#include <algorithm>
#include <cmath>

namespace zolt::curve {

namespace {

// log10(30000) - 1: the decades between 10 Hz and 30 kHz.
const double kDecades = std::log10(kTopHz) - 1.0;
// How far a measurement widens the scale, and in what steps.
constexpr double kHighestTopDb = 36.0;
constexpr double kLowestBottomDb = -60.0;
constexpr double kScaleStepDb = 6.0;
constexpr double kLabelStepDb = 12.0;
constexpr double kFineScaleDb = 48.0; // grid lines every 3 dB up to this span, then 6 dB
constexpr int kLabelHalfHeight = 6;   // pixels: half the dialog font's line
constexpr double kGridStepDb = 3.0;

// A response can fall by hundreds of dB far outside the plot; keep pixel values within a
// range that converts to int safely and still lies far off the plot.
constexpr double kPixelLimit = 100000.0;

double SafePixel(double v) {
    if (std::isnan(v)) {
        return 0.0;
    }
    return std::clamp(v, -kPixelLimit, kPixelLimit);
}

// The rectangle of a marker centred at plot x, placed at plot top y, kept from running
// off the left edge by more than half its width.
struct SEdges {
    int m_nLeft;
    int m_nTop;
    int m_nRight;
    int m_nBottom;
};

QRect ToControl(const SEdges& e) {
    return QRect(e.m_nLeft + kPlotLeft, e.m_nTop + kPlotTop, e.m_nRight - e.m_nLeft,
                 e.m_nBottom - e.m_nTop);
}

SEdges HorizontalMarker(int x, int nMaxRight) {
    SEdges e{x - kMarkerSize / 2, 0, x + kMarkerSize / 2, 0};
    if (e.m_nLeft < -kMarkerSize / 2) {
        e.m_nLeft = -kMarkerSize / 2;
        e.m_nRight = kMarkerSize / 2;
    }
    if (e.m_nRight > nMaxRight) {
        e.m_nRight = nMaxRight;
        e.m_nLeft = nMaxRight - kMarkerSize;
    }
    return e;
}

int PlotRightEdge(int w) {
    return w + kPlotLeft;
}

constexpr std::array<const char*, 4> kTypePrefixes{"BY  ", "PEQ  ", "LS  ", "HS  "};

struct SFreqCaption {
    const char* m_pszText;
    int m_nGrid;  // index into kGridFrequencies
    int m_nShift; // drawn this many pixels left of the grid line
};
constexpr std::array<SFreqCaption, 12> kFreqCaptions{{
    {"10", 0, 5},
    {"20", 1, 8},
    {"50", 4, 8},
    {"100", 9, 10},
    {"200", 10, 10},
    {"500", 13, 10},
    {"1K", 18, 8},
    {"2K", 19, 8},
    {"5K", 22, 8},
    {"10K", 27, 10},
    {"20K", 28, 15},
    {"30K", 29, 15},
}};

} // namespace

QRect PlotRect(const QRect& client) {
    return client.adjusted(kPlotLeft, kPlotTop, -kPlotRight, -kPlotBottom);
}

double XOfFreq(double hz, int w) {
    return (std::log10(hz) - 1.0) * w / kDecades;
}

SDbScale ScaleFor(double dLowest, double dHighest) {
    SDbScale scale;
    if (std::isfinite(dHighest) && dHighest > kTopDb) {
        scale.m_dTop = std::min(std::ceil(dHighest / kScaleStepDb) * kScaleStepDb, kHighestTopDb);
    }
    if (std::isfinite(dLowest) && dLowest < kBottomDb) {
        scale.m_dBottom =
            std::max(std::floor(dLowest / kScaleStepDb) * kScaleStepDb, kLowestBottomDb);
    }
    return scale;
}

double YOfDb(double db, int h, const SDbScale& scale) {
    return h / (scale.m_dTop - scale.m_dBottom) * (scale.m_dTop - db);
}

double FreqOfX(double x, int w) {
    return std::pow(10.0, kDecades * x / w + 1.0);
}

int DbOfY(double y, int h, const SDbScale& scale) {
    return static_cast<int>(std::lround(scale.m_dTop - y * (scale.m_dTop - scale.m_dBottom) / h));
}

int GridX(int n, int w) {
    return static_cast<int>(XOfFreq(kGridFrequencies[static_cast<std::size_t>(n)], w)) + kPlotLeft;
}

std::array<SAxisLabel, 7> DbAxisLabels(int h) {
    const int step = h / 12;
    constexpr int x = 6;
    return {{{"+12", x, 5},
             {"+6", x, 2 * step + 3},
             {"0", x, 4 * step + 3},
             {"-6dB", x, 6 * step + 5},
             {"-12", x, 8 * step + 9},
             {"-18", x, 10 * step + 9},
             {"-24", x, h}}};
}

std::vector<SScaleLabel> ScaleLabels(const SDbScale& scale, int h) {
    std::vector<SScaleLabel> labels;
    if (scale.IsDefault()) {
        for (const SAxisLabel& label : DbAxisLabels(h)) {
            labels.push_back({QString::fromLatin1(label.m_pszText), label.m_nX, label.m_nY});
        }
        return labels;
    }
    const double first = std::floor(scale.m_dTop / kLabelStepDb) * kLabelStepDb;
    for (double db = first; db >= scale.m_dBottom; db -= kLabelStepDb) {
        const int y = static_cast<int>(YOfDb(db, h, scale)) + kPlotTop - kLabelHalfHeight;
        QString text = db > 0 ? QStringLiteral("+%1").arg(db) : QString::number(db);
        if (db == 0.0) { // the unit on the narrowest caption, clear of the plot
            text += QStringLiteral("dB");
        }
        labels.push_back({text, 6, std::clamp(y, 0, h + kPlotTop - 2 * kLabelHalfHeight)});
    }
    return labels;
}

std::vector<double> GridLineYs(const SDbScale& scale, int h) {
    const double span = scale.m_dTop - scale.m_dBottom;
    const double step = span > kFineScaleDb ? 2 * kGridStepDb : kGridStepDb;
    std::vector<double> ys;
    for (double db = std::ceil(scale.m_dTop / step) * step - step; db >= scale.m_dBottom;
         db -= step) {
        ys.push_back(h / span * (scale.m_dTop - db));
    }
    return ys;
}

std::array<SAxisLabel, 12> FreqAxisLabels(int w, int h) {
    std::array<SAxisLabel, 12> labels{};
    const int y = h + kPlotTop;
    for (std::size_t i = 0; i < kFreqCaptions.size(); ++i) {
        const SFreqCaption& c = kFreqCaptions[i];
        labels[i] = {c.m_pszText, GridX(c.m_nGrid, w) - c.m_nShift, y};
    }
    return labels;
}

QRect BandMarker(double hz, double db, int w, int h, const SDbScale& scale) {
    const int x = static_cast<int>(SafePixel(XOfFreq(hz, w)));
    const int y = static_cast<int>(SafePixel(YOfDb(db, h, scale)));
    SEdges e = HorizontalMarker(x, w);
    e.m_nTop = y - kMarkerSize / 2;
    e.m_nBottom = y + kMarkerSize / 2;
    if (e.m_nTop < 0) {
        e.m_nTop = 0;
        e.m_nBottom = kMarkerSize;
    }
    if (e.m_nBottom >= h) {
        e.m_nBottom = h;
        e.m_nTop = h - kMarkerSize;
    }
    return ToControl(e);
}

QRect CrossoverMarker(double hz, bool bHighPass, int w, int h, const SDbScale& scale) {
    const int x = static_cast<int>(SafePixel(XOfFreq(hz, w)));
    SEdges e = HorizontalMarker(x, w + kMarkerSize / 2);
    e.m_nTop = static_cast<int>(YOfDb(bHighPass ? 2.0 : 0.0, h, scale));
    e.m_nBottom = e.m_nTop + kMarkerSize;
    return ToControl(e);
}

QRect MarkerOf(const CFilter& filter, int w, int h, const SDbScale& scale) {
    if (filter.IsCrossover()) {
        return CrossoverMarker(filter.FreqHz(), filter.Type() == ftype::kHighPass, w, h, scale);
    }
    return BandMarker(filter.FreqHz(), filter.GainDb(), w, h, scale);
}

QRect BandLabelRect(const QRect& marker, int nType, int nGainByte, int w) {
    const int right = PlotRightEdge(w);
    int left = marker.left() - 100;
    int labelRight = marker.left() + marker.width() + 100;
    if (labelRight > right) {
        left = right - 200;
        labelRight = right;
    } else if (left < kPlotLeft) {
        left = kPlotLeft;
        labelRight = kPlotLeft + 200;
    }
    const int top = marker.top();
    const int bottom = marker.top() + marker.height();
    const bool bCut = nType != ftype::kBypass && nGainByte < kGainRawZero;
    if (bCut) {
        return QRect(left, top - 50, labelRight - left, 100);
    }
    return QRect(left, top + 35, labelRight - left, bottom + 85 - (top + 35));
}

QRect CrossoverLabelRect(const QRect& marker, bool bHighPass, int w) {
    const int right = PlotRightEdge(w);
    const int markerRight = marker.left() + marker.width();
    int left = marker.left();
    int labelRight = markerRight + 50;
    if (labelRight > right) {
        left = right - 66;
        labelRight = right;
    }
    const int markerBottom = marker.top() + marker.height();
    const int top = bHighPass ? marker.top() + 15 : marker.top() - 15;
    const int bottom = bHighPass ? markerBottom + 25 : markerBottom + 20;
    return QRect(left, top, labelRight - left, bottom - top);
}

QRect LabelRectOf(const CFilter& filter, const QRect& marker, int w) {
    if (filter.IsCrossover()) {
        return CrossoverLabelRect(marker, filter.Type() == ftype::kHighPass, w);
    }
    return BandLabelRect(marker, filter.Type(), filter.GainByte(), w);
}

QString BandLabelText(int nType, double hz, double q, double db) {
    const std::size_t type = static_cast<std::size_t>(std::clamp(nType, 0, 3));
    const bool bShelving = nType == ftype::kLowShelf || nType == ftype::kHighShelf;
    return QString::fromLatin1(kTypePrefixes[type]) + QString::fromStdString(FreqTextByValue(hz)) +
           QStringLiteral("Hz ") + QString::fromStdString(QText(q, bShelving)) +
           QStringLiteral("Q ") + QString::asprintf("%.1f", db) + QStringLiteral("dB");
}

QString CrossoverLabelText(int nFreqIndex) {
    return QString::fromStdString(FreqTextByIndex(nFreqIndex)) + QStringLiteral("Hz ");
}

QString LabelTextOf(const CFilter& filter) {
    if (filter.IsCrossover()) {
        return CrossoverLabelText(filter.FreqIndex());
    }
    return BandLabelText(filter.Type(), filter.FreqHz(), filter.Q(), filter.GainDb());
}

ENumberAlign NumberAlign(const QRect& marker, int nFreqIndex, int w) {
    if (marker.left() + marker.width() >= PlotRightEdge(w)) {
        return ENumberAlign::Left;
    }
    if (nFreqIndex <= 20) {
        return ENumberAlign::Right;
    }
    return ENumberAlign::Centre;
}

QPolygon FilterPolygon(const CResponseDb& db, int w, int h, const SDbScale& scale) {
    QPolygon polygon(kGridCount + 2);
    const int zeroY = static_cast<int>(YOfDb(0.0, h, scale)) + kPlotTop;
    const int right = PlotRightEdge(w);
    polygon[0] = QPoint(kPlotLeft, zeroY);
    for (int i = 0; i < kGridCount; ++i) {
        const std::size_t n = static_cast<std::size_t>(i);
        const int x = static_cast<int>(XOfFreq(kResponseGrid[n], w)) + kPlotLeft;
        const int y = static_cast<int>(SafePixel(YOfDb(db[n], h, scale))) + kPlotTop;
        polygon[i + 1] = QPoint(std::min(x, right), y);
    }
    polygon[kGridCount + 1] = QPoint(right, zeroY);
    return polygon;
}

QPolygonF CompositeCurve(const CResponseDb& db, int w, int h, const SDbScale& scale) {
    QPolygonF curve(kGridCount);
    for (int i = 0; i < kGridCount; ++i) {
        const std::size_t n = static_cast<std::size_t>(i);
        curve[i] = QPointF(XOfFreq(kResponseGrid[n], w) + kPlotLeft,
                           SafePixel(YOfDb(db[n], h, scale)) + kPlotTop);
    }
    return curve;
}

std::vector<QPolygonF> CurveRuns(const CResponseDb& db, int w, int h, const SDbScale& scale) {
    std::vector<QPolygonF> runs;
    bool bInRun = false;
    for (std::size_t n = 0; n < db.size(); ++n) {
        if (std::isnan(db[n])) {
            bInRun = false;
            continue;
        }
        if (!bInRun) {
            runs.emplace_back();
            bInRun = true;
        }
        runs.back() << QPointF(XOfFreq(kResponseGrid[n], w) + kPlotLeft,
                               SafePixel(YOfDb(db[n], h, scale)) + kPlotTop);
    }
    return runs;
}

SBandDrag BandDragTarget(QPoint centre, int w, int h, bool bDynamic, const SDbScale& scale) {
    const int x = std::clamp(centre.x() - kPlotLeft, 0, w);
    const int y = std::clamp(centre.y() - kPlotTop, 0, h);
    const int lowestDb = bDynamic ? -12 : static_cast<int>(kBottomDb);
    const int db = std::clamp(DbOfY(y, h, scale), lowestDb, static_cast<int>(kTopDb));
    return {IndexOfFreq(ClampFreq(FreqOfX(x, w))), RawOfGainDb(db)};
}

int CrossoverDragTarget(int x, bool bHighPass, int w) {
    const int plotX = std::clamp(x - kPlotLeft, 0, w);
    if (bHighPass && plotX <= 0) {
        return kHighPassOff;
    }
    return IndexOfFreq(FreqOfX(plotX, w));
}

int QDragTarget(int nStartQIndex, int nMouseX, int nCentreX) {
    return std::clamp(nStartQIndex + (nMouseX - nCentreX) / 10, 0, kQCount - 1);
}

} // namespace zolt::curve
