#include "app/session/EmoteImage.h"

#include <gtest/gtest.h>

using parley::EmoteImage;

namespace {

QImage pixels(int width, int height, qreal ratio = 1.0)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::red);
    image.setDevicePixelRatio(ratio);
    return image;
}

} // namespace

TEST(EmoteImage, TallImagesShrinkToTheLineHeightKeepingTheirPixels)
{
    const EmoteImage square = EmoteImage::fromDecoded(pixels(56, 56));
    EXPECT_EQ(square.size, QSizeF(24, 24));
    EXPECT_EQ(square.alignmentRect, QRectF(0, 0, 24, 12));
    EXPECT_EQ(square.image.size(), QSize(56, 56));
    EXPECT_DOUBLE_EQ(square.image.devicePixelRatio(), 56.0 / 24.0);
    EXPECT_EQ(square.image.deviceIndependentSize(), QSizeF(24, 24));

    const EmoteImage wide = EmoteImage::fromDecoded(pixels(112, 28));
    EXPECT_EQ(wide.size, QSizeF(96, 24));
    EXPECT_EQ(wide.alignmentRect, QRectF(0, 0, 96, 12));
    EXPECT_EQ(wide.image.size(), QSize(112, 28));
    EXPECT_DOUBLE_EQ(wide.image.deviceIndependentSize().width(), 96);
}

TEST(EmoteImage, SmallImagesAreNeverEnlarged)
{
    const EmoteImage small = EmoteImage::fromDecoded(pixels(30, 20));
    EXPECT_EQ(small.size, QSizeF(30, 20));
    EXPECT_EQ(small.alignmentRect, QRectF(0, 0, 30, 10));
    EXPECT_DOUBLE_EQ(small.image.devicePixelRatio(), 1.0);

    // Its size in points counts, not its pixels: 40 pixels at ratio 2 are 20 points.
    const EmoteImage dense = EmoteImage::fromDecoded(pixels(40, 40, 2.0));
    EXPECT_EQ(dense.size, QSizeF(20, 20));
    EXPECT_DOUBLE_EQ(dense.image.devicePixelRatio(), 2.0);
}

TEST(EmoteImage, EmptyImagesGiveNothing)
{
    EXPECT_TRUE(EmoteImage::fromDecoded(QImage()).isNull());
    EXPECT_TRUE(EmoteImage::fromDecoded(pixels(10, 0)).isNull());
}
