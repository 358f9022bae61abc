// Colours as the pages and controls give them: COLORREF values 0x00BBGGRR, so 0x0000FF
// is pure red. The conversions to Qt and the lighter / darker rules of the skinned tab bar.
#pragma once

#include <QColor>

#include <cstdint>

namespace zolt {

using ColorRef = std::uint32_t; // 0x00BBGGRR

constexpr ColorRef Rgb(int nRed, int nGreen, int nBlue) {
    return static_cast<ColorRef>((nRed & 0xFF) | ((nGreen & 0xFF) << 8) | ((nBlue & 0xFF) << 16));
}
constexpr int RedOf(ColorRef c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(ColorRef c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(ColorRef c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

constexpr ColorRef kNoColour = 0xFFFFFFFF;        // "no colour set"
constexpr ColorRef kPageColour = Rgb(56, 62, 66); // page background
constexpr ColorRef kFieldColour = 0x2E2D24;       // background of fields and lists
constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef kBlack = 0x000000;
constexpr ColorRef kRed = 0x0000FF;

inline QColor QColorOf(ColorRef c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
inline ColorRef ColorRefOf(const QColor& c) {
    return Rgb(c.red(), c.green(), c.blue());
}

// Each channel times k (k not above 1 counts as 1), truncated, capped at 255.
ColorRef Lighter(ColorRef c, float k);
// Each channel times k (k clamped to 0..1), truncated.
ColorRef Darker(ColorRef c, float k);

// The platform's neutral colours standing in for the system colours the controls name.
ColorRef SysButtonFace();
ColorRef SysButtonShadow();
ColorRef SysButtonHighlight();
ColorRef SysWindowText();

} // namespace zolt
