// The EQ curve display: an owner-drawn control that shows the composite response of one
// curve set on a logarithmic 10 Hz .. 30 kHz axis from +12 to -24 dB, marks every band and
// crossover, describes the filter under the mouse, shows "EQ BYPASS" over a bypassed set,
// and lets the user drag bands (frequency and gain, right button sideways or the wheel over
// the band's point for Q) and crossovers
// (frequency). Whether the shown set is bypassed and whether it may be dragged is the
// page's to say: the display reads neither from the image. Edits go straight into the working image
// through the CFilter objects; the page hears of them through WM_CURVE_DRAGGED (wParam = EQ block
// number, lParam = the filter's index in its set: bands 0..n-1, then the high-pass, then the
// low-pass). When the shown block's room overlay holds a measurement, the display draws it,
// its target and the prediction (recomputed with every repaint, so it follows a drag) in
// their own colours with a legend, and its dB scale widens to show them. A right press that
// drags no Q leaves the context menu to the page's window. UI thread only; a drag takes the
// image lock around its writes.
#pragma once

#include "eq/CFStaticGeometry.h"
#include "eq/KTVEQ.h"

#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QPainter;

namespace zolt {

// The curve groups a page can lay out: the sets one page shows.
namespace curvegroup {
constexpr int kMusic = 0;   // blocks 0, 1
constexpr int kDynamic = 1; // blocks 16, 17
constexpr int kMic = 2;     // blocks 2, 3
constexpr int kOutput = 4;  // the 24 output-record sets
constexpr int kEffect = 6;  // blocks 4, 5, 6, 7
} // namespace curvegroup

class CFStatic : public QWidget {
    Q_OBJECT
public:
    explicit CFStatic(QWidget* pParent = nullptr);

    // The page that receives WM_CURVE_DRAGGED. The plot follows the control's size.
    void Attach(QWidget* pOwner);
    // Brings the composite curves of a curve group (curvegroup::k...) up to date; other
    // numbers do nothing.
    void LayoutGroup(int nGroup);
    // Shows the set of EQ block 0..17 (8..15 taken from the live output set now), forgets
    // the current filter and the selected index, repaints. Other numbers show nothing.
    void ShowSet(int nBlock);
    // Highlights filter nIndex of the shown set (-1: none, so the filter under the mouse
    // is highlighted); with bForgetCurrent the filter under the mouse is forgotten too.
    void SelectFilter(int nIndex, bool bForgetCurrent = false);
    // What the page shows: the set bypassed ("EQ BYPASS" over it), and whether the mouse
    // may drag it (not while the page's controls are disabled). The page tells it whenever
    // either may have changed; repaints when something did.
    void SetState(bool bBypassed, bool bInteractive);
    bool Bypassed() const { return m_bBypassed; }
    bool Interactive() const { return m_bInteractive; }

    int Block() const { return m_nBlock; }
    CKTVEQ* Set() const { return m_pSet; }
    int CurrentIndex() const { return m_nCurrent; }
    int SelectedIndex() const { return m_nSelected; }
    // The filter drawn highlighted: the selected one, else the current one (-1 none).
    int HighlightedIndex() const;
    // The plot's size in pixels (the control less its insets).
    int PlotWidth() const { return m_rcPlot.width(); }
    int PlotHeight() const { return m_rcPlot.height(); }
    // Marker rectangle of filter nIndex of the shown set, control coordinates.
    QRect MarkerRect(int nIndex) const;
    // The dB the plot spans: the default, or wider for the shown block's room overlay.
    curve::SDbScale Scale() const;

    // Draws the whole control, as on screen, into a painter whose area is target.
    void render(QPainter& painter, const QRectF& target);

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    // Over a band's point, each notch of the wheel moves its Q one step: away from you as a
    // right-drag to the right does.
    void wheelEvent(QWheelEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    enum class EDrag { None, Move, Q };

    bool PlotIsEmpty() const;
    bool MouseIgnored() const;
    CFilter* Filter(int nIndex) const;
    int FilterAt(QPoint pt) const;

    void DrawFrame(QPainter& painter) const;
    void DrawPlot(QPainter& painter);
    void DrawHighlightPolygon(QPainter& painter, const CFilter& filter) const;
    void DrawGrid(QPainter& painter) const;
    void DrawComposite(QPainter& painter) const;
    void DrawOverlay(QPainter& painter) const;
    void DrawLegend(QPainter& painter) const;
    void DrawBypassGlow(QPainter& painter);
    void DrawNumbers(QPainter& painter) const;
    void DrawHighlightMarker(QPainter& painter, const CFilter& filter) const;

    void Hover(QPoint pt);
    bool DragBand(CFilter& filter, QPoint pt);
    bool DragCrossover(CFilter& filter, QPoint pt);
    bool DragQ(CFilter& filter, QPoint pt);
    void NotifyOwner() const;
    // The button that holds the drag under way.
    Qt::MouseButton DragButton() const;
    void UpdateCursor(QPoint pt);

    QPointer<QWidget> m_pOwner;
    QRect m_rcPlot; // control coordinates
    QPixmap m_pixPlot;
    QPixmap m_pixGlow; // the "EQ BYPASS" layer for the current plot size
    int m_nBlock = -1;
    CKTVEQ* m_pSet = nullptr;
    int m_nCurrent = -1;   // filter under the mouse or being dragged
    int m_nWheelAngle = 0; // eighths of a degree turned and not yet a whole notch
    bool m_bOverMarker = false;
    int m_nSelected = -1; // given by the page
    bool m_bBypassed = false;
    bool m_bInteractive = true;
    EDrag m_eDrag = EDrag::None;
    QPoint m_ptOffset; // marker centre minus mouse at the start of a drag
    int m_nDragStartQ = 0;
    bool m_bQPress = false; // the last right press started a Q drag
};

} // namespace zolt
