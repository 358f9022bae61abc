#include "eq/CFStatic.h"

#include "controls/DialogTemplate.h"
#include "controls/Language.h"
#include "controls/Message.h"
#include "eq/RoomOverlay.h"
#include "model/Command.h"
#include "model/Layout.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <vector>

namespace zolt {

namespace {

const QColor kFrameGrey(100, 100, 100);
const QColor kPlotOutline(0, 180, 0);
const QColor kHighlightFill(68, 86, 98);
const QColor kGridGreen(21, 100, 21);
const QColor kCurveColour(255, 49, 68, 255);
const QColor kGlowColour(94, 104, 116, 32);
const QColor kBypassText(155, 155, 155);
const QColor kMarkerOutline(255, 0, 0);
constexpr int kGlowWidths = 7; // pens of width 1 .. 7

// The room overlay's curves, each with its colour, pen and caption, and the equaliser's own
// curve for the legend.
struct SOverlayStyle {
    EOverlayCurve m_eCurve;
    QColor m_colour;
    Qt::PenStyle m_ePen;
    SText m_caption;
};
const SOverlayStyle kOverlayStyles[] = {
    {EOverlayCurve::Target, QColor(240, 200, 60), Qt::DashLine, {"目标", "Target"}},
    {EOverlayCurve::Measurement, QColor(70, 150, 255), Qt::SolidLine, {"测量", "Measurement"}},
    {EOverlayCurve::Prediction, QColor(120, 230, 120), Qt::SolidLine, {"预测", "Prediction"}},
};
constexpr SText kEqCaption{"均衡", "EQ"};
const QColor kLegendFill(0, 0, 0, 190);
constexpr int kLegendLine = 14; // pixels a legend row
constexpr int kLegendSwatch = 18;

QFont BypassFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(48);
    return font;
}

// The sets of each curve group.
std::vector<CKTVEQ*> GroupSets(int nGroup) {
    std::vector<CKTVEQ*> sets;
    auto addBlocks = [&sets](std::initializer_list<int> blocks) {
        for (int block : blocks) {
            sets.push_back(CurveSetOfBlock(block));
        }
    };
    switch (nGroup) {
    case curvegroup::kMusic:
        addBlocks({0, 1});
        break;
    case curvegroup::kDynamic:
        addBlocks({16, 17});
        break;
    case curvegroup::kMic:
        addBlocks({2, 3});
        break;
    case curvegroup::kOutput:
        for (int set = 1; set <= 3; ++set) {
            for (int record = 0; record < int{output::kRecordCount}; ++record) {
                sets.push_back(OutputCurveSet(set, record));
            }
        }
        break;
    case curvegroup::kEffect:
        addBlocks({4, 5, 6, 7});
        break;
    default:
        break;
    }
    return sets;
}

bool IsFlat(const CResponseDb& db) {
    return std::all_of(db.begin(), db.end(), [](double v) { return v == 0.0; });
}

QPoint CentreOf(const QRect& r) {
    return QPoint(r.left() + r.width() / 2, r.top() + r.height() / 2);
}

Qt::Alignment NumberFlags(curve::ENumberAlign align) {
    switch (align) {
    case curve::ENumberAlign::Left:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case curve::ENumberAlign::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case curve::ENumberAlign::Centre:
        break;
    }
    return Qt::AlignCenter;
}

// "EQ BYPASS" as a text path centred on x = w / 2 with its top at y = h / 3 (plot
// coordinates).
QPainterPath BypassTextPath(int w, int h) {
    const QString text = QStringLiteral("EQ BYPASS");
    const QFont font = BypassFont();
    const QFontMetricsF metrics(font);
    QPainterPath path;
    path.addText(QPointF(w / 2 - metrics.horizontalAdvance(text) / 2, h / 3 + metrics.ascent()),
                 font, text);
    return path;
}

// The path stroked seven times with widening soft pens, then filled.
void PaintGlow(QPainter& painter, const QPainterPath& path) {
    painter.setRenderHint(QPainter::Antialiasing);
    for (int width = 1; width <= kGlowWidths; ++width) {
        painter.strokePath(path,
                           QPen(kGlowColour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    painter.fillPath(path, kBypassText);
}

} // namespace

CFStatic::CFStatic(QWidget* pParent) : QWidget(pParent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_rcPlot = curve::PlotRect(rect());
}

void CFStatic::Attach(QWidget* pOwner) {
    m_pOwner = pOwner;
    m_rcPlot = curve::PlotRect(rect());
}

void CFStatic::LayoutGroup(int nGroup) {
    for (CKTVEQ* pSet : GroupSets(nGroup)) {
        if (pSet != nullptr) {
            pSet->ComputeComposite();
        }
    }
}

void CFStatic::ShowSet(int nBlock) {
    m_pSet = CurveSetOfBlock(nBlock);
    m_nBlock = m_pSet != nullptr ? nBlock : -1;
    m_nCurrent = -1;
    m_bOverMarker = false;
    m_nSelected = -1;
    m_eDrag = EDrag::None;
    update();
}

void CFStatic::SelectFilter(int nIndex, bool bForgetCurrent) {
    m_nSelected = Filter(nIndex) != nullptr ? nIndex : -1;
    if (bForgetCurrent) {
        m_nCurrent = -1;
        m_bOverMarker = false;
    }
    update();
}

void CFStatic::SetState(bool bBypassed, bool bInteractive) {
    if (bBypassed == m_bBypassed && bInteractive == m_bInteractive) {
        return;
    }
    m_bBypassed = bBypassed;
    m_bInteractive = bInteractive;
    update();
}

int CFStatic::HighlightedIndex() const {
    if (Filter(m_nSelected) != nullptr) {
        return m_nSelected;
    }
    return Filter(m_nCurrent) != nullptr ? m_nCurrent : -1;
}

QRect CFStatic::MarkerRect(int nIndex) const {
    const CFilter* pFilter = Filter(nIndex);
    if (pFilter == nullptr || PlotIsEmpty()) {
        return QRect();
    }
    return curve::MarkerOf(*pFilter, PlotWidth(), PlotHeight(), Scale());
}

curve::SDbScale CFStatic::Scale() const {
    const CRoomOverlay* pOverlay = RoomOverlayOf(m_nBlock);
    if (pOverlay == nullptr || !pOverlay->Loaded()) {
        return {};
    }
    return curve::ScaleFor(pOverlay->Lowest(), pOverlay->Highest());
}

CFilter* CFStatic::Filter(int nIndex) const {
    return m_pSet != nullptr ? m_pSet->Filter(nIndex) : nullptr;
}

bool CFStatic::PlotIsEmpty() const {
    return m_rcPlot.width() <= 0 || m_rcPlot.height() <= 0;
}

bool CFStatic::MouseIgnored() const {
    return m_pSet == nullptr || PlotIsEmpty() || !m_bInteractive;
}

int CFStatic::FilterAt(QPoint pt) const {
    for (int i = 0; m_pSet != nullptr && i < m_pSet->FilterCount(); ++i) {
        if (MarkerRect(i).contains(pt)) {
            return i;
        }
    }
    return -1;
}

// --- painting ---------------------------------------------------------------------------

void CFStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    render(painter, rect());
}

void CFStatic::resizeEvent(QResizeEvent*) {
    m_rcPlot = curve::PlotRect(rect());
}

void CFStatic::render(QPainter& painter, const QRectF& target) {
    painter.save();
    painter.translate(target.topLeft());
    DrawFrame(painter);
    if (!PlotIsEmpty()) {
        DrawPlot(painter);
    }
    painter.restore();
}

void CFStatic::DrawFrame(QPainter& painter) const {
    const QRect client = rect();
    painter.fillRect(client, Qt::black);
    painter.setPen(kFrameGrey);
    painter.drawRect(client.adjusted(0, 0, -1, -1));
    painter.setFont(DialogFont());
    const QFontMetrics metrics(painter.font());
    auto drawAt = [&painter, &metrics](const curve::SAxisLabel& label) {
        painter.drawText(QPoint(label.m_nX, label.m_nY + metrics.ascent()),
                         QString::fromLatin1(label.m_pszText));
    };
    for (const curve::SScaleLabel& label : curve::ScaleLabels(Scale(), PlotHeight())) {
        painter.drawText(QPoint(label.m_nX, label.m_nY + metrics.ascent()), label.m_strText);
    }
    for (const curve::SAxisLabel& label : curve::FreqAxisLabels(PlotWidth(), PlotHeight())) {
        drawAt(label);
    }
}

void CFStatic::DrawPlot(QPainter& target) {
    if (m_pixPlot.size() != m_rcPlot.size()) {
        m_pixPlot = QPixmap(m_rcPlot.size());
    }
    m_pixPlot.fill(Qt::black);
    {
        // The comm thread re-binds and recomputes curves when a whole image arrives.
        const CImageGuard lock(ImageLock());
        QPainter painter(&m_pixPlot);
        painter.setPen(kPlotOutline);
        painter.drawRect(0, 0, PlotWidth() - 1, PlotHeight() - 1);
        // Everything below is placed in control coordinates.
        painter.translate(-m_rcPlot.topLeft());
        const CFilter* pHighlight = Filter(HighlightedIndex());
        if (pHighlight != nullptr) {
            DrawHighlightPolygon(painter, *pHighlight);
        }
        DrawGrid(painter);
        if (m_pSet != nullptr) {
            m_pSet->ComputeComposite();
            DrawOverlay(painter);
            DrawComposite(painter);
            if (m_bBypassed) {
                DrawBypassGlow(painter);
            }
            DrawNumbers(painter);
            DrawLegend(painter);
        }
        if (pHighlight != nullptr) {
            DrawHighlightMarker(painter, *pHighlight);
        }
    }
    target.drawPixmap(m_rcPlot.topLeft(), m_pixPlot);
}

void CFStatic::DrawHighlightPolygon(QPainter& painter, const CFilter& filter) const {
    painter.setPen(kHighlightFill);
    painter.setBrush(kHighlightFill);
    painter.drawPolygon(
        curve::FilterPolygon(filter.ResponseDb(), PlotWidth(), PlotHeight(), Scale()));
    painter.setBrush(Qt::NoBrush);
}

void CFStatic::DrawGrid(QPainter& painter) const {
    painter.setPen(QPen(kGridGreen, 1));
    const int top = m_rcPlot.top();
    const int bottom = top + PlotHeight();
    for (int n = 1; n + 1 < int{curve::kGridFrequencies.size()}; ++n) {
        const int x = curve::GridX(n, PlotWidth());
        painter.drawLine(x, top, x, bottom);
    }
    for (const double y : curve::GridLineYs(Scale(), PlotHeight())) {
        painter.drawLine(QPointF(m_rcPlot.left(), top + y),
                         QPointF(m_rcPlot.left() + PlotWidth(), top + y));
    }
}

void CFStatic::DrawComposite(QPainter& painter) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kCurveColour, 2));
    painter.drawPolyline(
        curve::CompositeCurve(m_pSet->CompositeDb(), PlotWidth(), PlotHeight(), Scale()));
    painter.restore();
}

// The measurement, the target and the prediction (the measurement plus the composite), each
// at the target's level.
void CFStatic::DrawOverlay(QPainter& painter) const {
    const CRoomOverlay* pOverlay = RoomOverlayOf(m_nBlock);
    if (pOverlay == nullptr || !pOverlay->Loaded()) {
        return;
    }
    const CResponseDb predicted = pOverlay->Prediction(m_pSet->CompositeDb());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const SOverlayStyle& style : kOverlayStyles) {
        if (!pOverlay->Shows(style.m_eCurve)) {
            continue;
        }
        const CResponseDb& curve = style.m_eCurve == EOverlayCurve::Target ? pOverlay->TargetDb()
                                   : style.m_eCurve == EOverlayCurve::Measurement
                                       ? pOverlay->ShownMeasurement()
                                       : predicted;
        painter.setPen(QPen(style.m_colour, 1.5, style.m_ePen));
        for (const QPolygonF& run : curve::CurveRuns(curve, PlotWidth(), PlotHeight(), Scale())) {
            painter.drawPolyline(run);
        }
    }
    painter.restore();
}

// A box in the plot's top right corner naming each curve drawn in its colour.
void CFStatic::DrawLegend(QPainter& painter) const {
    const CRoomOverlay* pOverlay = RoomOverlayOf(m_nBlock);
    if (pOverlay == nullptr || !pOverlay->Loaded()) {
        return;
    }
    std::vector<std::pair<QString, QPen>> rows{{LanguageText(kEqCaption), QPen(kCurveColour, 2)}};
    for (const SOverlayStyle& style : kOverlayStyles) {
        if (pOverlay->Shows(style.m_eCurve)) {
            rows.emplace_back(LanguageText(style.m_caption),
                              QPen(style.m_colour, 1.5, style.m_ePen));
        }
    }
    painter.save();
    painter.setFont(DialogFont());
    const QFontMetrics metrics(painter.font());
    int textWidth = 0;
    for (const auto& row : rows) {
        textWidth = std::max(textWidth, metrics.horizontalAdvance(row.first));
    }
    const int width = kLegendSwatch + textWidth + 14;
    const QRect box(m_rcPlot.right() - width - 5, m_rcPlot.top() + 5, width,
                    kLegendLine * static_cast<int>(rows.size()) + 6);
    painter.setPen(kFrameGrey);
    painter.setBrush(kLegendFill);
    painter.drawRect(box);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int y = box.top() + 3 + kLegendLine * static_cast<int>(i) + kLegendLine / 2;
        painter.setPen(rows[i].second);
        painter.drawLine(box.left() + 4, y, box.left() + 4 + kLegendSwatch, y);
        painter.setPen(Qt::white);
        painter.drawText(QPoint(box.left() + kLegendSwatch + 9, y + metrics.ascent() / 2 - 1),
                         rows[i].first);
    }
    painter.restore();
}

void CFStatic::DrawBypassGlow(QPainter& painter) {
    // The glow costs several times the rest of the plot, so it is drawn once per plot size
    // into a transparent layer and blended from there.
    if (m_pixGlow.size() != m_rcPlot.size()) {
        m_pixGlow = QPixmap(m_rcPlot.size());
        m_pixGlow.fill(Qt::transparent);
        QPainter layer(&m_pixGlow);
        PaintGlow(layer, BypassTextPath(PlotWidth(), PlotHeight()));
    }
    painter.drawPixmap(m_rcPlot.topLeft(), m_pixGlow);
}

void CFStatic::DrawNumbers(QPainter& painter) const {
    painter.setFont(DialogFont());
    painter.setPen(Qt::white);
    for (int i = m_pSet->FilterCount() - 1; i >= 0; --i) {
        const CFilter& filter = *m_pSet->Filter(i);
        const QRect marker = MarkerRect(i);
        painter.drawText(marker,
                         NumberFlags(curve::NumberAlign(marker, filter.FreqIndex(), PlotWidth())),
                         QString::fromStdString(filter.NumberText()));
    }
}

void CFStatic::DrawHighlightMarker(QPainter& painter, const CFilter& filter) const {
    const QRect marker = curve::MarkerOf(filter, PlotWidth(), PlotHeight(), Scale());
    painter.setPen(kMarkerOutline);
    painter.setBrush(kHighlightFill);
    painter.drawRect(marker.adjusted(0, 0, -1, -1));
    painter.setBrush(Qt::NoBrush);
    painter.setFont(DialogFont());
    painter.setPen(Qt::white);
    painter.drawText(marker, Qt::AlignCenter, QString::fromStdString(filter.NumberText()));
    painter.drawText(curve::LabelRectOf(filter, marker, PlotWidth()),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                     curve::LabelTextOf(filter));
}

// --- mouse ------------------------------------------------------------------------------

void CFStatic::mouseMoveEvent(QMouseEvent* pEvent) {
    const QPoint pt = pEvent->position().toPoint();
    // The comm thread re-binds the curves when a whole image arrives: markers, hits and
    // drags read and write them under the image lock.
    const CImageGuard lock(ImageLock());
    if (MouseIgnored()) {
        return;
    }
    if (m_eDrag != EDrag::None && (pEvent->buttons() & DragButton()) == 0) {
        // The button-up went to another window (a box that took the mouse): the drag is over.
        m_eDrag = EDrag::None;
    }
    CFilter* pFilter = Filter(m_nCurrent);
    bool bChanged = false;
    if (m_eDrag != EDrag::None && pFilter != nullptr) {
        if (m_eDrag == EDrag::Q) {
            bChanged = DragQ(*pFilter, pt);
        } else {
            bChanged =
                pFilter->IsCrossover() ? DragCrossover(*pFilter, pt) : DragBand(*pFilter, pt);
        }
    } else {
        Hover(pt);
    }
    if (bChanged) {
        update();
        NotifyOwner();
    }
    UpdateCursor(pt);
}

void CFStatic::mousePressEvent(QMouseEvent* pEvent) {
    const QPoint pt = pEvent->position().toPoint();
    if (pEvent->button() == Qt::RightButton) {
        m_bQPress = false;
    }
    const CImageGuard lock(ImageLock());
    if (MouseIgnored()) {
        return;
    }
    const CFilter* pFilter = Filter(m_nCurrent);
    const bool bOnCurrent =
        pFilter != nullptr && m_bOverMarker && MarkerRect(m_nCurrent).contains(pt);
    if (pEvent->button() == Qt::LeftButton) {
        if (bOnCurrent) {
            m_eDrag = EDrag::Move;
            m_ptOffset = CentreOf(MarkerRect(m_nCurrent)) - pt;
        }
        // A press with no filter under the mouse since the last move names no item.
        if (pFilter != nullptr) {
            NotifyOwner();
        }
    } else if (pEvent->button() == Qt::RightButton && bOnCurrent && !pFilter->IsCrossover()) {
        m_bQPress = true;
        m_eDrag = EDrag::Q;
        m_nDragStartQ = pFilter->QIndex();
    }
}

void CFStatic::mouseReleaseEvent(QMouseEvent*) {
    m_eDrag = EDrag::None;
}

void CFStatic::wheelEvent(QWheelEvent* pEvent) {
    constexpr int kNotch = 120; // eighths of a degree
    const QPoint pt = pEvent->position().toPoint();
    bool bChanged = false;
    {
        const CImageGuard lock(ImageLock());
        CFilter* pFilter = Filter(m_nCurrent);
        if (MouseIgnored() || m_eDrag != EDrag::None || pFilter == nullptr ||
            pFilter->IsCrossover() || !MarkerRect(m_nCurrent).contains(pt)) {
            m_nWheelAngle = 0;
            pEvent->ignore();
            return;
        }
        m_nWheelAngle += pEvent->angleDelta().y();
        const int nSteps = m_nWheelAngle / kNotch;
        m_nWheelAngle -= nSteps * kNotch;
        const int nTarget = std::clamp(pFilter->QIndex() + nSteps, 0, kQCount - 1);
        if (nTarget != pFilter->QIndex()) {
            pFilter->SetQIndex(nTarget);
            bChanged = true;
        }
    }
    pEvent->accept();
    if (bChanged) {
        update();
        NotifyOwner();
    }
}

// The right button drags Q on a band: that press opens no menu (nor the window's, which
// would take the mouse in the middle of the drag), whether the platform opens menus on
// press or on release. Any other right click opens the window's menu, as over the page.
void CFStatic::contextMenuEvent(QContextMenuEvent* pEvent) {
    if (m_bQPress && pEvent->reason() == QContextMenuEvent::Mouse) {
        pEvent->accept();
    } else {
        pEvent->ignore();
    }
}

Qt::MouseButton CFStatic::DragButton() const {
    return m_eDrag == EDrag::Q ? Qt::RightButton : Qt::LeftButton;
}

void CFStatic::Hover(QPoint pt) {
    if (Filter(m_nCurrent) != nullptr && MarkerRect(m_nCurrent).contains(pt)) {
        m_bOverMarker = true;
        return;
    }
    const int nHit = FilterAt(pt);
    if (nHit >= 0) {
        m_nCurrent = nHit;
        m_bOverMarker = true;
        update();
        return;
    }
    m_bOverMarker = false;
    const CFilter* pFilter = Filter(m_nCurrent);
    if (pFilter != nullptr && pFilter->IsCrossover()) {
        m_nCurrent = -1;
        update();
    }
}

bool CFStatic::DragBand(CFilter& filter, QPoint pt) {
    const curve::SBandDrag target = curve::BandDragTarget(
        pt + m_ptOffset, PlotWidth(), PlotHeight(), filter.IsDynamic(), Scale());
    const bool bFreq = target.m_nFreqIndex != filter.FreqIndex();
    const bool bGain = target.m_nGainByte != filter.GainByte();
    if (bFreq) {
        filter.SetFreqIndex(target.m_nFreqIndex);
    }
    if (bGain) {
        filter.SetGainByte(target.m_nGainByte);
    }
    return bFreq || bGain;
}

bool CFStatic::DragCrossover(CFilter& filter, QPoint pt) {
    const bool bHighPass = filter.Type() == ftype::kHighPass;
    const int nTarget = curve::CrossoverDragTarget((pt + m_ptOffset).x(), bHighPass, PlotWidth());
    const int nIndex = nTarget == curve::kHighPassOff ? 0 : nTarget;
    const bool bWasFlat = IsFlat(filter.ResponseDb());
    bool bChanged = nIndex != filter.FreqIndex();
    if (bChanged) {
        filter.SetFreqIndex(nIndex);
    }
    if (nTarget == curve::kHighPassOff) {
        filter.SetFlat();
        bChanged = bChanged || !bWasFlat;
    } else if (!bChanged && bWasFlat && filter.Slope() != 0) {
        // Back from the left edge at the same index: show the real response again.
        filter.Recompute();
        bChanged = true;
    }
    return bChanged;
}

bool CFStatic::DragQ(CFilter& filter, QPoint pt) {
    const int nTarget =
        curve::QDragTarget(m_nDragStartQ, pt.x(), CentreOf(MarkerRect(m_nCurrent)).x());
    if (nTarget == filter.QIndex()) {
        return false;
    }
    filter.SetQIndex(nTarget);
    return true;
}

void CFStatic::NotifyOwner() const {
    PostMessage(m_pOwner, WM_CURVE_DRAGGED, static_cast<WParam>(m_nBlock), m_nCurrent);
}

void CFStatic::UpdateCursor(QPoint pt) {
    const CFilter* pFilter = Filter(m_nCurrent);
    if (pFilter == nullptr || !MarkerRect(m_nCurrent).contains(pt)) {
        setCursor(Qt::ArrowCursor);
    } else {
        setCursor(pFilter->IsCrossover() ? Qt::SizeHorCursor : Qt::SizeAllCursor);
    }
}

} // namespace zolt
