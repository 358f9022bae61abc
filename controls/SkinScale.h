// The scale pictures behind the System page's level meters: resource 170 with Chinese
// group names, 174 with English ones. Each carries the "Limit" and "Clip" rows, the dB
// marks of the music and mic meters on the left (0dB to -45dB) and the dBv marks of the
// output meters on the right (+12dBv to -33dBv), the column heads over the meters and the
// group names under them. The page paints the picture at kScaleOrigin, so the marks line
// up with meters placed at the columns below. UI thread only.
#pragma once

#include "controls/Colour.h"

#include <QPoint>
#include <QSize>

#include <array>

class QPainter;

namespace zolt {

namespace meterscale {
// The picture's place on the page and its size, in pixels.
constexpr QPoint kOrigin(5, 6);
constexpr QSize kSize(812, 344);
// The panel under the marks and meters.
constexpr ColorRef kPanel = Rgb(43, 48, 51);
// The meters, in the page's dialog units: one top and height for all twelve; the four
// music / mic meters (0..3) and the four output meters (9, 8, 5, 4 from left to right).
constexpr int kMeterTop = 19;
constexpr int kMeterHeight = 151;
constexpr std::array<int, 4> kLeftX{29, 66, 103, 140};
constexpr int kLeftWidth = 33;
constexpr std::array<int, 4> kRightX{198, 231, 264, 297};
constexpr int kRightWidth = 30;
} // namespace meterscale

// Paint the picture (170 Chinese, 174 English) into size on a panel of colour nPanel; the
// marks are placed for the picture's own size.
void PaintMeterScaleChinese(QPainter& p, QSizeF size, ColorRef nPanel);
void PaintMeterScaleEnglish(QPainter& p, QSizeF size, ColorRef nPanel);

} // namespace zolt
