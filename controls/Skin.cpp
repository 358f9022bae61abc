#include "controls/Skin.h"

#include "controls/Colour.h"
#include "controls/SkinScale.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdint>
#include <unordered_map>

namespace zolt {

namespace {

using PaintFn = void (*)(QPainter&, QSizeF, ColorRef);

struct SSkinArt {
    int nId;
    int nWidth;
    int nHeight;
    PaintFn pfnPaint;
    ColorRef nColour; // the picture's main colour
};

constexpr ColorRef kBarDark = Rgb(28, 31, 34);
constexpr ColorRef kBarBlue = Rgb(38, 120, 215);
constexpr ColorRef kKnob = Rgb(214, 219, 223);
constexpr ColorRef kKnobActive = Rgb(150, 200, 255);
constexpr ColorRef kPillGrey = Rgb(146, 152, 157);
constexpr ColorRef kPillLight = Rgb(164, 170, 175);
constexpr ColorRef kSignRed = Rgb(235, 30, 30);
constexpr ColorRef kConfirmGreen = Rgb(56, 168, 82);
constexpr ColorRef kModeGrey = Rgb(84, 92, 98);
constexpr ColorRef kEdge = Rgb(106, 117, 125);
constexpr ColorRef kMarks = Rgb(170, 178, 184);

QColor Shade(ColorRef c, float k) {
    return QColorOf(k >= 1 ? Lighter(c, k) : Darker(c, k));
}

// A rounded body with a top-lit gradient and a darker one-pixel rim.
void PaintBody(QPainter& p, const QRectF& r, qreal rRadius, ColorRef c) {
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, Shade(c, 1.35f));
    fill.setColorAt(0.5, QColorOf(c));
    fill.setColorAt(1, Shade(c, 0.8f));
    p.setPen(QPen(Shade(c, 0.55f), 1));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), rRadius, rRadius);
}

// Slider channel: a bar rounded at both ends with a groove along its middle.
void PaintChannel(QPainter& p, QSizeF s, ColorRef c) {
    const QRectF r(QPointF(0, 0), s);
    PaintBody(p, r, s.height() / 2, c);
    const qreal rGroove = 3;
    const QRectF groove(s.height() / 2, (s.height() - rGroove) / 2, s.width() - s.height(),
                        rGroove);
    p.setPen(Qt::NoPen);
    p.setBrush(Shade(c, c == kBarDark ? 0.4f : 1.5f));
    p.drawRoundedRect(groove, 1.5, 1.5);
}

// Slider thumb: a light knob with a grip line across the direction of travel.
void PaintThumb(QPainter& p, QSizeF s, ColorRef c) {
    PaintBody(p, QRectF(QPointF(0, 0), s), 3, c);
    p.setPen(QPen(Shade(c, 0.5f), 1));
    if (s.width() <= s.height()) {
        p.drawLine(QPointF(s.width() / 2, 3), QPointF(s.width() / 2, s.height() - 3));
    } else {
        p.drawLine(QPointF(3, s.height() / 2), QPointF(s.width() - 3, s.height() / 2));
    }
}

// Vertical gain channel: scale marks on the left, a dark groove on the right.
void PaintGainChannel(QPainter& p, QSizeF s, ColorRef c) {
    const qreal rTop = 6;
    const qreal rBottom = s.height() - 6;
    p.setPen(QPen(QColorOf(kMarks), 1));
    for (int i = 0; i <= 12; ++i) {
        const qreal y = rTop + (rBottom - rTop) * i / 12 + 0.5;
        p.drawLine(QPointF(i % 3 == 0 ? 1 : 5, y), QPointF(10, y));
    }
    PaintBody(p, QRectF(16, 1, 12, s.height() - 2), 5, c);
    p.setPen(Qt::NoPen);
    p.setBrush(Shade(c, 0.4f));
    p.drawRoundedRect(QRectF(20.5, 4, 3, s.height() - 8), 1.5, 1.5);
}

void PaintPill(QPainter& p, QSizeF s, ColorRef c) {
    PaintBody(p, QRectF(QPointF(0, 0), s), s.height() / 2, c);
}

void PaintPanelButton(QPainter& p, QSizeF s, ColorRef c) {
    PaintBody(p, QRectF(QPointF(0, 0), s), 3, c);
}

void PaintSignSquare(QPainter& p, QSizeF s) {
    p.setPen(QPen(QColorOf(kEdge), 1));
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(0.5, 0.5, s.width() - 1, s.height() - 1), 3, 3);
}

void PaintPlus(QPainter& p, QSizeF s, ColorRef c) {
    PaintSignSquare(p, s);
    const qreal rArm = s.width() * 0.3;
    const QPointF centre(s.width() / 2, s.height() / 2);
    p.setPen(QPen(QColorOf(c), 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(centre - QPointF(rArm, 0), centre + QPointF(rArm, 0));
    p.drawLine(centre - QPointF(0, rArm), centre + QPointF(0, rArm));
}

void PaintMinus(QPainter& p, QSizeF s, ColorRef c) {
    PaintSignSquare(p, s);
    const qreal rArm = s.width() * 0.3;
    const QPointF centre(s.width() / 2, s.height() / 2);
    p.setPen(QPen(QColorOf(c), 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(centre - QPointF(rArm, 0), centre + QPointF(rArm, 0));
}

QPainterPath SpeakerPath(QSizeF s) {
    const qreal w = s.width();
    const qreal h = s.height();
    QPainterPath path;
    path.moveTo(w * 0.12, h * 0.38);
    path.lineTo(w * 0.32, h * 0.38);
    path.lineTo(w * 0.58, h * 0.16);
    path.lineTo(w * 0.58, h * 0.84);
    path.lineTo(w * 0.32, h * 0.62);
    path.lineTo(w * 0.12, h * 0.62);
    path.closeSubpath();
    return path;
}

void PaintSpeaker(QPainter& p, QSizeF s, ColorRef c) {
    p.setPen(QPen(QColorOf(kEdge), 1));
    p.setBrush(QColorOf(kBarDark));
    p.drawRoundedRect(QRectF(0.5, 0.5, s.width() - 1, s.height() - 1), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColorOf(c));
    p.drawPath(SpeakerPath(s));
}

void PaintMute(QPainter& p, QSizeF s, ColorRef c) {
    PaintSpeaker(p, s, c);
    p.setPen(QPen(QColorOf(c), 1.2));
    p.drawArc(QRectF(s.width() * 0.45, s.height() * 0.3, s.width() * 0.3, s.height() * 0.4),
              -60 * 16, 120 * 16);
}

void PaintMuted(QPainter& p, QSizeF s, ColorRef c) {
    PaintSpeaker(p, s, c);
    p.setPen(QPen(QColorOf(c), 1.5));
    const qreal x0 = s.width() * 0.66;
    const qreal x1 = s.width() * 0.92;
    p.drawLine(QPointF(x0, s.height() * 0.38), QPointF(x1, s.height() * 0.62));
    p.drawLine(QPointF(x0, s.height() * 0.62), QPointF(x1, s.height() * 0.38));
}

// The main window's background: the page colour under a slightly lit volume strip.
void PaintBackground(QPainter& p, QSizeF s, ColorRef c) {
    p.fillRect(QRectF(QPointF(0, 0), s), QColorOf(c));
    const qreal rStrip = 30;
    QLinearGradient strip(0, 0, 0, rStrip);
    strip.setColorAt(0, Shade(c, 1.3f));
    strip.setColorAt(1, QColorOf(c));
    p.fillRect(QRectF(0, 0, s.width(), rStrip), strip);
    p.fillRect(QRectF(0, rStrip - 1, s.width(), 1), Shade(c, 0.7f));
}

// The program icon: three level bars on a blue tile.
void PaintIcon(QPainter& p, QSizeF s, ColorRef c) {
    PaintBody(p, QRectF(QPointF(0, 0), s), s.width() / 6, c);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const qreal rBar = s.width() / 8;
    const qreal aHeights[] = {0.45, 0.7, 0.55};
    for (int i = 0; i < 3; ++i) {
        const qreal h = s.height() * aHeights[i];
        p.drawRect(QRectF(s.width() * (0.2 + 0.25 * i), s.height() * 0.82 - h, rBar, h));
    }
}

// Combo face pieces: the dark field with a rim; the caps are rounded on their outer side.
void PaintComboMiddle(QPainter& p, QSizeF s, ColorRef c) {
    p.fillRect(QRectF(QPointF(0, 0), s), QColorOf(c));
    p.fillRect(QRectF(0, 0, s.width(), 1), QColorOf(kEdge));
    p.fillRect(QRectF(0, s.height() - 1, s.width(), 1), QColorOf(kEdge));
}

void PaintComboCap(QPainter& p, const QRectF& body, ColorRef c) {
    p.setPen(QPen(QColorOf(kEdge), 1));
    p.setBrush(QColorOf(c));
    p.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}

void PaintComboLeft(QPainter& p, QSizeF s, ColorRef c) {
    PaintComboCap(p, QRectF(0, 0, s.width() + 8, s.height()), c);
}

void PaintComboRight(QPainter& p, QSizeF s, ColorRef c) {
    PaintComboCap(p, QRectF(-8, 0, s.width() + 8, s.height()), c);
    p.fillRect(QRectF(1, 4, 1, s.height() - 8), QColorOf(kEdge));
    const qreal cx = s.width() / 2 + 1;
    const qreal cy = s.height() / 2;
    const QPointF arrow[] = {{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 3}};
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(arrow, 3);
}

void PaintFill(QPainter& p, QSizeF s, ColorRef c) {
    p.fillRect(QRectF(QPointF(0, 0), s), QColorOf(c));
}

constexpr SSkinArt kSkinArt[] = {
    {kSkinSliderChannel, 184, 19, &PaintChannel, kBarDark},
    {kSkinSliderChannelActive, 184, 19, &PaintChannel, kBarBlue},
    {kSkinSliderThumb, 12, 19, &PaintThumb, kKnob},
    {kSkinVolumeChannel, 100, 20, &PaintChannel, kBarDark},
    {kSkinVolumeChannelActive, 100, 20, &PaintChannel, kBarBlue},
    {kSkinVolumeThumb, 9, 20, &PaintThumb, kKnob},
    {kSkinGainChannel, 33, 114, &PaintGainChannel, kBarDark},
    {kSkinGainThumb, 14, 12, &PaintThumb, kKnob},
    {kSkinGainThumbActive, 14, 12, &PaintThumb, kKnobActive},
    {kSkinButton, 100, 26, &PaintPill, kPillGrey},
    {kSkinButtonChecked, 100, 26, &PaintPill, kBarBlue},
    {kSkinSelector, 75, 21, &PaintPill, kPillLight},
    {kSkinSelectorChecked, 75, 21, &PaintPill, kBarBlue},
    {kSkinPolarityPlus, 20, 20, &PaintPlus, kSignRed},
    {kSkinPolarityMinus, 20, 20, &PaintMinus, kSignRed},
    {kSkinMute, 15, 19, &PaintMute, kKnob},
    {kSkinMuted, 15, 19, &PaintMuted, kSignRed},
    {kSkinModeButton, 270, 26, &PaintPanelButton, kModeGrey},
    {kSkinModeButtonActive, 270, 26, &PaintPanelButton, kBarBlue},
    {kSkinConfirm, 75, 26, &PaintPill, kModeGrey},
    {kSkinConfirmActive, 75, 26, &PaintPill, kConfirmGreen},
    {kSkinComboMiddle, 1, 22, &PaintComboMiddle, kFieldColour},
    {kSkinComboLeft, 6, 22, &PaintComboLeft, kFieldColour},
    {kSkinComboRight, 16, 22, &PaintComboRight, kFieldColour},
    {kSkinListTop, 1, 2, &PaintFill, kEdge},
    {kSkinListBottom, 1, 2, &PaintFill, kEdge},
    {kSkinListLeft, 2, 1, &PaintFill, kEdge},
    {kSkinListRight, 2, 1, &PaintFill, kEdge},
    {kSkinBackground, 1085, 700, &PaintBackground, kPageColour},
    {kSkinMeterScaleChinese, meterscale::kSize.width(), meterscale::kSize.height(),
     &PaintMeterScaleChinese, meterscale::kPanel},
    {kSkinMeterScaleEnglish, meterscale::kSize.width(), meterscale::kSize.height(),
     &PaintMeterScaleEnglish, meterscale::kPanel},
    {kSkinIcon, 32, 32, &PaintIcon, kBarBlue},
};

const SSkinArt* FindArt(int nId) {
    for (const SSkinArt& art : kSkinArt) {
        if (art.nId == nId) {
            return &art;
        }
    }
    return nullptr;
}

QPixmap Draw(const SSkinArt& art, QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    art.pfnPaint(p, QSizeF(size), art.nColour);
    return pixmap;
}

std::uint64_t CacheKey(int nId, QSize size) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(nId)) << 40) ^
           (static_cast<std::uint64_t>(static_cast<std::uint32_t>(size.width())) << 20) ^
           static_cast<std::uint32_t>(size.height());
}

} // namespace

const QPixmap& SkinPixmap(int nId) {
    return SkinPixmap(nId, SkinSize(nId));
}

const QPixmap& SkinPixmap(int nId, QSize size) {
    static const QPixmap s_none;
    static std::unordered_map<std::uint64_t, QPixmap> s_cache;
    const SSkinArt* pArt = FindArt(nId);
    if (pArt == nullptr || size.isEmpty()) {
        return s_none;
    }
    const std::uint64_t nKey = CacheKey(nId, size);
    auto it = s_cache.find(nKey);
    if (it == s_cache.end()) {
        it = s_cache.emplace(nKey, Draw(*pArt, size)).first;
    }
    return it->second;
}

QSize SkinSize(int nId) {
    const SSkinArt* pArt = FindArt(nId);
    return pArt != nullptr ? QSize(pArt->nWidth, pArt->nHeight) : QSize();
}

QIcon SkinIcon(int nId) {
    QIcon icon;
    const QPixmap& large = SkinPixmap(nId);
    if (!large.isNull()) {
        icon.addPixmap(large);
        icon.addPixmap(SkinPixmap(nId, QSize(16, 16)));
    }
    return icon;
}

} // namespace zolt
