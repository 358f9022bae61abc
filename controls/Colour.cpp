#include "controls/Colour.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace zolt {

namespace {

int ScaleChannel(int nChannel, float k) {
    return std::min(255, static_cast<int>(static_cast<float>(nChannel) * k));
}

ColorRef PaletteColour(QPalette::ColorRole eRole) {
    return ColorRefOf(QGuiApplication::palette().color(QPalette::Active, eRole));
}

} // namespace

ColorRef Lighter(ColorRef c, float k) {
    k = std::max(k, 1.0f);
    return Rgb(ScaleChannel(RedOf(c), k), ScaleChannel(GreenOf(c), k), ScaleChannel(BlueOf(c), k));
}

ColorRef Darker(ColorRef c, float k) {
    k = std::clamp(k, 0.0f, 1.0f);
    return Rgb(ScaleChannel(RedOf(c), k), ScaleChannel(GreenOf(c), k), ScaleChannel(BlueOf(c), k));
}

ColorRef SysButtonFace() {
    return PaletteColour(QPalette::Button);
}
ColorRef SysButtonShadow() {
    return PaletteColour(QPalette::Dark);
}
ColorRef SysButtonHighlight() {
    return PaletteColour(QPalette::Light);
}
ColorRef SysWindowText() {
    return PaletteColour(QPalette::WindowText);
}

} // namespace zolt
