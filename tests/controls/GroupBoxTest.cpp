#include "controls/SxGroupBox.h"

#include "ControlTestSupport.h"

#include <gtest/gtest.h>

namespace zolt {
namespace {

// Whether white caption pixels lie in the rows above the top line, where only the caption
// can be.
bool HasCaption(const QImage& image, int yLine) {
    for (int y = 0; y < yLine; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (test::PixelAt(image, x, y) == kWhite) {
                return true;
            }
        }
    }
    return false;
}

TEST(SxGroupBox, EnabledFramesInTheFieldColourDisabledEtchedWithoutCaption) {
    QWidget page;
    page.setAutoFillBackground(true);
    page.setPalette(QPalette(QColorOf(kPageColour)));
    page.resize(200, 120);
    CSxGroupBox group(&page);
    group.setGeometry(0, 0, 185, 100);
    group.SetCaption(QStringLiteral("Setting"), false);
    const int y = group.fontMetrics().height() / 2 - 1;

    QImage image = test::Snapshot(page);
    EXPECT_EQ(test::PixelAt(image, 0, 50), kFieldColour);
    EXPECT_EQ(test::PixelAt(image, 100, y), kFieldColour);
    EXPECT_EQ(test::PixelAt(image, 1, 50), kFieldColour) << "the second line";
    EXPECT_TRUE(HasCaption(image, y)) << "the caption";
    EXPECT_EQ(test::PixelAt(image, 10, y + 1), kPageColour) << "the caption's gap in the lines";

    group.setEnabled(false);
    image = test::Snapshot(page);
    EXPECT_EQ(test::PixelAt(image, 0, 50), SysButtonShadow());
    EXPECT_EQ(test::PixelAt(image, 1, 50), SysButtonHighlight());
    EXPECT_FALSE(HasCaption(image, y)) << "a disabled group shows no caption";
}

} // namespace
} // namespace zolt
