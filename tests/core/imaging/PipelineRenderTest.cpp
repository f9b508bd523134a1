// The fast render (shrink-on-load, steps that commute reordered) against the strict order.

#include "core/imaging/Effects.h"
#include "core/imaging/Image.h"
#include "core/imaging/WorkingImage.h"
#include "tests/core/TestImages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <vector>

using namespace vantrel;
using namespace vantrel::test;
using vips::VImage;

namespace {

// The strict order and the fast render of one photo under one recipe.
std::pair<VImage, VImage> strictAndFast(const std::string& photo, const EffectRecipe& recipe) {
    recipe.apply(Effects::sharedEffects());
    Image image(photo);
    (void)image.applyEffectsForPreview(false);
    Effects::sharedEffects().resetEffects();
    const auto working = image.workingImage();
    if (!working) {
        ADD_FAILURE() << "no working image";
        return {};
    }
    return {working->pixels().copy_memory(), working->render({})};
}

// Smooth shading, fine texture and a bright disc near the top-left: photographic enough
// for the resampling to matter, asymmetric so that a flip or a shift shows.
std::string writePhotographic(const QTemporaryDir& dir, const std::string& name) {
    const int w = 1201, h = 903;
    const VImage xy = VImage::xyz(w, h);
    const VImage x = xy[0], y = xy[1];
    const VImage texture =
        VImage::gaussnoise(w, h, VImage::option()->set("sigma", 40.0)->set("seed", 7))
            .gaussblur(0.8);
    const VImage disc = ((x - 300) * (x - 300) + (y - 250) * (y - 250)) < 150 * 150;
    const VImage r = x * (200.0 / w) + texture * 0.5 + disc * 0.3;
    const VImage g = y * (180.0 / h) + texture * 0.4 + 30;
    const VImage b = (x + y) * (150.0 / (w + h)) + texture * 0.6 + 60;
    const VImage rgb = r.bandjoin({g, b})
                           .cast(VIPS_FORMAT_UCHAR)
                           .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    const std::string path = dir.path().toStdString() + "/" + name;
    rgb.write_to_file(path.c_str(), VImage::option()->set("Q", 92));
    return path;
}

TEST(PipelineRender, FastRenderStaysWithinOnePercentOfTheStrictOrder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string nikonPng = dir.path().toStdString() + "/nikon-e950.png";
    loadPixels(testdataPath("real/jpeg/cameras/exif-org/nikon-e950.jpg"))
        .write_to_file(nikonPng.c_str());
    const std::vector<std::string> photos = {
        writePhotographic(dir, "generated.jpg"),
        writePhotographic(dir, "generated.png"),
        testdataPath("real/jpeg/orientation/Landscape_0.jpg"), // 1800 x 1200, 4:2:0
        testdataPath("real/jpeg/quirks/canon-SD300-tags.jpg"), // 1600 x 1200, 4:2:2
        testdataPath("real/png/photos/vips-sample-16bit.png"),
        nikonPng,
    };
    const std::vector<EffectRecipe> recipes = {
        {.name = "bright", .brightness = 0.6f, .maximumX = 500, .maximumY = 500},
        {.name = "dark", .brightness = -0.8f, .scaleX = 0.37f, .scaleY = 0.37f},
        {.name = "flat", .contrast = 0.0f, .scaleX = 0.5f, .scaleY = 0.5f},
        {.name = "contrast 2", .contrast = 2.0f, .maximumX = 400, .maximumY = 400},
        {.name = "grey", .saturation = 0.0f, .maximumX = 300, .maximumY = 0},
        {.name = "saturation 2", .saturation = 2.0f, .scaleX = 0.25f, .scaleY = 0.25f},
        jobT(512),
        {.name = "all at once",
         .brightness = -0.3f,
         .contrast = 1.7f,
         .saturation = 1.8f,
         .cropFraction = {0.1f, 0.02f, 0.0f, 0.125f},
         .degrees = 270,
         .scaleX = 0.6f,
         .scaleY = 0.45f},
        {.name = "fractions", .cropFraction = {0.125f, 0.125f, 0.25f, 0.0f}, .maximumX = 256},
        {.name = "odd pixels",
         .cropPixels = {13, 7, 1, 33},
         .degrees = 180,
         .scaleX = 0.3f,
         .scaleY = 0.3f},
        {.name = "one-pixel frame", .cropPixels = {1, 1, 1, 1}, .maximumX = 333, .maximumY = 333},
        {.name = "size", .cropPixels = {16, 16, 32, 0}, .sizeX = 640, .sizeY = 200},
        {.name = "up", .degrees = 90, .scaleX = 1.5f, .scaleY = 2.0f},
        {.name = "up and down", .contrast = 1.4f, .scaleX = 1.25f, .scaleY = 0.4f},
        {.name = "no resampling", .brightness = 0.2f, .cropFraction = {0.2f, 0.1f, 0.1f, 0.3f}},
    };
    double worst = 0;
    for (const std::string& photo : photos) {
        for (const EffectRecipe& recipe : recipes) {
            SCOPED_TRACE(photo + " / " + recipe.name);
            const auto [strict, fast] = strictAndFast(photo, recipe);
            ASSERT_EQ(fast.width(), strict.width());
            ASSERT_EQ(fast.height(), strict.height());
            ASSERT_EQ(fast.bands(), strict.bands());
            const double rmse = relativeRmse(strict, fast);
            worst = std::max(worst, rmse);
            EXPECT_LE(rmse, 0.01);
        }
    }
    std::printf("worst fast-render RMSE against the strict order: %.4f %%\n", worst * 100);
}

// A white photo in a black frame of `frame` pixels, stored as JPEG.
std::string writeFramedJpeg(const QTemporaryDir& dir, const std::string& name, int width,
                            int height, int frame) {
    const VImage white =
        (VImage::black(width - 2 * frame, height - 2 * frame, VImage::option()->set("bands", 3)) +
         255)
            .cast(VIPS_FORMAT_UCHAR);
    const VImage framed =
        white
            .embed(frame, frame, width, height,
                   VImage::option()->set("background", std::vector<double>{0.0}))
            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    const std::string path = dir.path().toStdString() + "/" + name;
    framed.write_to_file(path.c_str(), VImage::option()->set("Q", 95));
    return path;
}

TEST(PipelineRender, WhatTheStrictOrderGivesTheFastRenderGivesToo) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Cropped-away frames never come back, whatever the decoder's shrinking.
    const std::string wide = writeFramedJpeg(dir, "wide.jpg", 1600, 1200, 5);
    const std::string square = writeFramedJpeg(dir, "square.jpg", 806, 806, 3);
    // A frame as wide as the decoder's blocks: cropped on block edges, shrinking is allowed.
    const std::string blocks = writeFramedJpeg(dir, "blocks.jpg", 1600, 1216, 16);
    const struct {
        std::string photo;
        EffectRecipe recipe;
    } frames[] = {
        {wide, {.name = "pixels", .cropPixels = {5, 5, 5, 5}, .maximumX = 400}},
        {wide,
         {.name = "fractions",
          .cropFraction = {0.003125f, 0.003125f, 0.0041667f, 0.0041667f},
          .degrees = 90,
          .maximumX = 400}},
        {square,
         {.name = "eighth", .cropPixels = {3, 3, 3, 3}, .scaleX = 0.125f, .scaleY = 0.125f}},
        {blocks, {.name = "on blocks", .cropPixels = {16, 16, 16, 16}, .maximumX = 300}},
        {blocks,
         {.name = "fractions on blocks",
          .cropFraction = {0.01f, 0.01f, 0.0131579f, 0.0131579f},
          .degrees = 270,
          .maximumY = 200}},
        {wide, {.name = "quarter", .cropPixels = {5, 5, 5, 5}, .scaleX = 0.25f, .scaleY = 0.25f}},
    };
    for (const auto& [photo, recipe] : frames) {
        SCOPED_TRACE(recipe.name);
        const auto [strict, fast] = strictAndFast(photo, recipe);
        EXPECT_GE(strict.min(), 250.0);
        EXPECT_GE(fast.min(), strict.min() - 1.0) << "the cropped frame shows";
    }

    // Colour clips before it is averaged: a 1-pixel checkerboard brightened by half and
    // halved is mid grey (255 + 128) / 2, not white.
    const std::string checker = dir.path().toStdString() + "/checker.png";
    const VImage xy = VImage::xyz(64, 64);
    (((xy[0] + xy[1]) % 2) * 255).cast(VIPS_FORMAT_UCHAR).write_to_file(checker.c_str());
    const auto [strictChecker, fastChecker] = strictAndFast(
        checker, {.name = "checker", .brightness = 0.5f, .scaleX = 0.5f, .scaleY = 0.5f});
    EXPECT_NEAR(strictChecker.avg(), 192.0, 7.0);
    EXPECT_NEAR(fastChecker.avg(), 192.0, 7.0);

    // Enlarging is centred: a 4|4 black|white edge doubled falls between columns 7 and 8,
    // the two mirrored around mid grey, in both orders.
    const std::string edge = dir.path().toStdString() + "/edge.png";
    VImage::black(4, 2)
        .join(VImage::black(4, 2) + 255, VIPS_DIRECTION_HORIZONTAL)
        .cast(VIPS_FORMAT_UCHAR)
        .write_to_file(edge.c_str());
    const auto [strictEdge, fastEdge] = strictAndFast(edge, {.name = "edge", .scaleX = 2.0f});
    for (const VImage& doubled : {strictEdge, fastEdge}) {
        ASSERT_EQ(doubled.width(), 16);
        const double left = doubled.getpoint(7, 0)[0];
        const double right = doubled.getpoint(8, 0)[0];
        EXPECT_LT(left, 100.0);
        EXPECT_GT(right, 155.0);
        EXPECT_NEAR(left + right, 255.0, 3.0);
        EXPECT_EQ(doubled.getpoint(0, 0)[0], 0.0);
        EXPECT_EQ(doubled.getpoint(15, 1)[0], 255.0);
    }
}

TEST(PipelineRender, ZoomRendersTheSamePictureSmaller) {
    QTemporaryDir dir;
    const std::string photo = writeQuadrantPhoto(dir, "q.jpg", 800, 600);
    Effects& effects = Effects::sharedEffects();
    jobT(0).apply(effects);
    Image image(photo);
    const Picture picture = image.imageWithEffects();
    effects.resetEffects();
    EXPECT_EQ(picture.pixelWidth(), 540);
    EXPECT_EQ(picture.pixelHeight(), 720);
    const VImage quarter = picture.workingImage()->render({0.25});
    EXPECT_EQ(quarter.width(), 135);
    EXPECT_EQ(quarter.height(), 180);
    const VImage reference = picture.workingImage()->pixels().resize(0.25);
    EXPECT_LE(relativeRmse(reference, quarter), 0.03);
}

} // namespace
