// The geometry of the EQ curve display: where the plot lies inside the control, how
// frequency and dB map to pixels and back, where the markers and labels of a filter sit,
// and the texts drawn there. Painting and mouse hit-testing both use these functions, so
// what is drawn and what is grabbed can never disagree. Pure functions, any thread.
//
// Unless a comment says otherwise, w and h are the plot's width and height in pixels,
// "plot" coordinates have the plot's top-left corner at (0, 0) and "control" coordinates
// are plot coordinates shifted by (kPlotLeft, kPlotTop).
#pragma once

#include "eq/Filter.h"

#include <QPolygon>
#include <QPolygonF>
#include <QRect>
#include <QString>

#include <array>
#include <vector>

namespace zolt::curve {

// The plot rectangle: the control's client rectangle less these insets.
constexpr int kPlotLeft = 35;
constexpr int kPlotTop = 10;
constexpr int kPlotRight = 10;
constexpr int kPlotBottom = 20;

constexpr int kMarkerSize = 16;
constexpr double kTopDb = 12.0;
constexpr double kBottomDb = -24.0;
constexpr double kTopHz = 30000.0; // the axis runs from 10 Hz to 30 kHz

// The vertical grid: 10, 20 .. 90, 100 .. 900, 1000 .. 9000, 10000, 20000, 30000 Hz.
// Entries 1..28 (20 Hz .. 20 kHz) are drawn as lines; 0 and 29 are the plot's edges.
constexpr std::array<double, 30> kGridFrequencies{
    10,  20,  30,  40,   50,   60,   70,   80,   90,   100,  200,  300,  400,   500,   600,
    700, 800, 900, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000, 30000};

// The dB the plot spans from its top to its bottom: +12 .. -24 dB, or wider while a
// measurement is shown over the curve.
struct SDbScale {
    double m_dTop = kTopDb;
    double m_dBottom = kBottomDb;
    bool IsDefault() const { return m_dTop == kTopDb && m_dBottom == kBottomDb; }
};
// The scale that shows dLowest .. dHighest dB: +12 .. -24 dB, widened in steps of 6 dB as
// far as +36 and -60 dB.
SDbScale ScaleFor(double dLowest, double dHighest);

// Client rectangle (pixels, control coordinates) -> plot rectangle.
QRect PlotRect(const QRect& client);

// x of hz: 10 Hz at 0, 30 kHz at w.
double XOfFreq(double hz, int w);
// y of db: the scale's top at 0, its bottom at h.
double YOfDb(double db, int h, const SDbScale& scale = {});
// Hz at plot x (the inverse of XOfFreq, not clamped).
double FreqOfX(double x, int w);
// Whole dB at plot y, halves rounded away from zero (not clamped).
int DbOfY(double y, int h, const SDbScale& scale = {});

// Control-coordinate x of grid frequency n (0..29), truncated to a pixel.
int GridX(int n, int w);

// One axis caption: its text and the top-left point it is drawn at (control coordinates).
struct SAxisLabel {
    const char* m_pszText;
    int m_nX;
    int m_nY;
};
std::array<SAxisLabel, 7> DbAxisLabels(int h);
std::array<SAxisLabel, 12> FreqAxisLabels(int w, int h);
// The dB captions of a scale: DbAxisLabels' for the default one; for a wider one a caption
// every 12 dB ("+24", "+12", "0dB", "-12", ...), each centred on its height, kept on the
// control.
struct SScaleLabel {
    QString m_strText;
    int m_nX;
    int m_nY; // top of the text, control coordinates
};
std::vector<SScaleLabel> ScaleLabels(const SDbScale& scale, int h);
// Plot y of the horizontal grid lines below the top: every 3 dB, every 6 dB on a scale of
// more than 48 dB.
std::vector<double> GridLineYs(const SDbScale& scale, int h);

// Marker rectangles (16 x 16, control coordinates), kept inside the plot as far as the
// display allows: a band marker's centre is (x(hz), y(db)); a crossover marker follows
// x(hz) and sits with its top at +2 dB (high-pass) or 0 dB (low-pass).
QRect BandMarker(double hz, double db, int w, int h, const SDbScale& scale = {});
QRect CrossoverMarker(double hz, bool bHighPass, int w, int h, const SDbScale& scale = {});
QRect MarkerOf(const CFilter& filter, int w, int h, const SDbScale& scale = {});

// Label rectangles (control coordinates). The text is drawn centred across the rectangle
// on its top line: a cut band's label therefore sits above its marker, a boost or flat
// band's below it; a high-pass label just below its marker, a low-pass label just above.
QRect BandLabelRect(const QRect& marker, int nType, int nGainByte, int w);
QRect CrossoverLabelRect(const QRect& marker, bool bHighPass, int w);
QRect LabelRectOf(const CFilter& filter, const QRect& marker, int w);

// The description of the filter under the mouse, e.g. "PEQ  1000Hz 0.71Q 6.0dB", and
// "95Hz " for a crossover.
QString BandLabelText(int nType, double hz, double q, double db);
QString CrossoverLabelText(int nFreqIndex);
QString LabelTextOf(const CFilter& filter);

// How a filter's number sits in its marker: against the left edge when the marker touches
// the plot's right edge, against the right edge for frequency index 0..20, else centred.
enum class ENumberAlign { Left, Right, Centre };
ENumberAlign NumberAlign(const QRect& marker, int nFreqIndex, int w);

// A filter's own response closed against the 0 dB line: 422 points in control
// coordinates, x limited to the plot's right edge.
QPolygon FilterPolygon(const CResponseDb& db, int w, int h, const SDbScale& scale = {});
// The summed response of a set: 420 points in control coordinates, floating point.
QPolygonF CompositeCurve(const CResponseDb& db, int w, int h, const SDbScale& scale = {});
// A curve that says nothing at some grid points (NaN: a measurement outside its range) as
// the runs of points where it is known, control coordinates.
std::vector<QPolygonF> CurveRuns(const CResponseDb& db, int w, int h, const SDbScale& scale);

// Drag rules. A band dragged so that its marker centre is at `centre` (control
// coordinates) takes this frequency index and gain byte: the position is clamped to the
// plot, the frequency to 19.7 .. 20600 Hz, the gain to whole dB within -24 (-12 for a
// dynamic-EQ band) .. +12.
struct SBandDrag {
    int m_nFreqIndex;
    int m_nGainByte;
};
SBandDrag BandDragTarget(QPoint centre, int w, int h, bool bDynamic, const SDbScale& scale = {});
// Frequency index of a crossover dragged to control x; a high-pass dragged onto or past
// the left edge of the plot gives kHighPassOff (index 0, drawn flat).
constexpr int kHighPassOff = -1;
int CrossoverDragTarget(int x, bool bHighPass, int w);
// Q index of a right-button drag: the start index plus one step per 10 pixels the mouse
// is right of the marker centre (fewer to the left), clamped to 0..100.
int QDragTarget(int nStartQIndex, int nMouseX, int nCentreX);

} // namespace zolt::curve
