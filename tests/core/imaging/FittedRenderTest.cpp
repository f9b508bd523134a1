#include "core/imaging/FittedRender.h"
#include "core/imaging/Image.h"
#include "tests/core/TestImages.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(FittedRender, RefusesWhatCannotOrNeedNotBeShown) {
    QTemporaryDir dir;
    // 30000 x 20000 grey pixels in a few hundred kilobytes: refused by its header.
    const std::string bomb = test::writeBombPng(dir, "bomb.png", 30000, 20000, 0, 8);
    QString why;
    EXPECT_FALSE(renderToFit(Image(bomb).originalImage(), 400, 300, {}, &why).has_value());
    EXPECT_EQ(why, "The photo is too large to show (30000 x 20000 pixels).");

    const std::string damaged =
        test::testdataPath("bad-seed/jpeg/exifsamples-corrupted-olympus.jpg");
    why.clear();
    EXPECT_FALSE(renderToFit(Image(damaged).originalImage(), 400, 300, {}, &why).has_value());
    EXPECT_EQ(why, "The photo cannot be read.");

    // A render nobody wants any more stops.
    const Picture photo = Image(test::testdataPath("real/jpeg/phones/jolla.jpg")).originalImage();
    EXPECT_TRUE(renderToFit(photo, 400, 300, [] { return true; }).has_value());
    EXPECT_FALSE(renderToFit(photo, 400, 300, [] { return false; }).has_value());
}

} // namespace
} // namespace vantrel
