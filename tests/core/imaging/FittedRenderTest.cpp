#include "core/imaging/FittedRender.h"
#include "core/imaging/Image.h"
#include "tests/core/TestImages.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(FittedRender, RendersWholeInsideTheBoxNeverEnlarged) {
    // Canon_40D.jpg is 100 x 68.
    Image photo(test::testdataPath("real/jpeg/cameras/Canon_40D.jpg"));
    const struct {
        int boxWidth, boxHeight, width, height;
    } cases[] = {{50, 50, 50, 34}, {400, 34, 50, 34}, {1000, 1000, 100, 68}};
    for (const auto& c : cases) {
        QString why;
        const auto bitmap = renderToFit(photo.originalImage(), c.boxWidth, c.boxHeight, &why);
        ASSERT_TRUE(bitmap.has_value()) << why.toStdString();
        EXPECT_EQ(bitmap->width, c.width) << c.boxWidth << "x" << c.boxHeight;
        EXPECT_EQ(bitmap->height, c.height) << c.boxWidth << "x" << c.boxHeight;
    }
    EXPECT_FALSE(renderToFit(photo.originalImage(), 0, 100).has_value());
}

TEST(FittedRender, RefusesWhatCannotBeShownWithAReason) {
    QTemporaryDir dir;
    // 30000 x 20000 grey pixels in a few hundred kilobytes: refused by its header.
    const std::string bomb = test::writeBombPng(dir, "bomb.png", 30000, 20000, 0, 8);
    QString why;
    EXPECT_FALSE(renderToFit(Image(bomb).originalImage(), 400, 300, &why).has_value());
    EXPECT_EQ(why, "The photo is too large to show (30000 x 20000 pixels).");

    const std::string damaged =
        test::testdataPath("bad-seed/jpeg/exifsamples-corrupted-olympus.jpg");
    why.clear();
    EXPECT_FALSE(renderToFit(Image(damaged).originalImage(), 400, 300, &why).has_value());
    EXPECT_EQ(why, "The photo cannot be read.");
}

} // namespace
} // namespace vantrel
