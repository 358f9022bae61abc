#include "controls/Skin.h"

#include "ControlTestSupport.h"

#include <gtest/gtest.h>

namespace zolt {
namespace {

TEST(Skin, EveryResourceExistsAtItsSize) {
    struct SExpected {
        int nId;
        int nWidth;
        int nHeight;
    };
    constexpr SExpected kSizes[] = {
        {142, 184, 19}, {155, 184, 19}, {141, 12, 19},  {134, 100, 20},   {169, 100, 20},
        {133, 9, 20},   {138, 33, 114}, {137, 14, 12},  {139, 14, 12},    {152, 100, 26},
        {153, 100, 26}, {158, 75, 21},  {157, 75, 21},  {161, 20, 20},    {160, 20, 20},
        {172, 15, 19},  {173, 15, 19},  {175, 270, 26}, {176, 270, 26},   {178, 75, 26},
        {177, 75, 26},  {200, 1, 22},   {201, 6, 22},   {202, 16, 22},    {203, 1, 2},
        {204, 1, 2},    {205, 2, 1},    {206, 2, 1},    {167, 1085, 700}, {128, 32, 32},
    };
    for (const SExpected& expected : kSizes) {
        const QPixmap& picture = SkinPixmap(expected.nId);
        ASSERT_FALSE(picture.isNull()) << expected.nId;
        EXPECT_EQ(picture.size(), QSize(expected.nWidth, expected.nHeight)) << expected.nId;
    }
    EXPECT_TRUE(SkinSize(999).isEmpty());
    EXPECT_FALSE(SkinIcon(128).isNull());
}

TEST(Skin, PicturesAreDrawnOnceAndShared) {
    EXPECT_EQ(SkinPixmap(142).cacheKey(), SkinPixmap(142).cacheKey());
    EXPECT_EQ(&SkinPixmap(152, QSize(75, 21)), &SkinPixmap(152, QSize(75, 21)));
    EXPECT_EQ(SkinPixmap(152, QSize(75, 21)).size(), QSize(75, 21));
}

TEST(Skin, TheActiveChannelIsTheDarkBarInBlue) {
    const QImage dark = SkinPixmap(142).toImage();
    const QImage blue = SkinPixmap(155).toImage();
    const QColor d = dark.pixelColor(40, 5);
    const QColor b = blue.pixelColor(40, 5);
    EXPECT_LT(d.value(), 80) << "a dark bar";
    EXPECT_GT(b.blue(), b.red() + 80) << "the same bar in blue";
    EXPECT_EQ(dark.pixelColor(0, 0).alpha(), 0) << "rounded ends let the page show through";
}

} // namespace
} // namespace zolt
