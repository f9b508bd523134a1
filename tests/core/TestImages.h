#pragma once

#include "core/imaging/Effects.h"
#include "core/imaging/Picture.h"
#include "tests/core/BombFiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vips/vips8>

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace vantrel::test {

// The file's bytes; empty when it cannot be read.
QByteArray fileBytes(const std::string& path);
// The colour profile attached to an image; empty when there is none.
QByteArray profileOf(const vips::VImage& image);

// A 16-bit RGB PNG whose first band is each pixel's column and whose second is its row
// (both counted from the top-left), so any crop, flip or turn shows in the numbers.
std::string writeCoordinatePhoto(const QTemporaryDir& dir, const std::string& name, int width,
                                 int height);

// An 8-bit photo with four differently coloured quadrants: top-left red, top-right green,
// bottom-left blue, bottom-right grey. Saved losslessly in the format the name says.
std::string writeQuadrantPhoto(const QTemporaryDir& dir, const std::string& name, int width,
                               int height);

// Tests that set the one shared set of effects: each starts from the defaults and leaves them.
class SharedEffectsTest : public ::testing::Test {
protected:
    void SetUp() override { effects.resetEffects(); }
    void TearDown() override { effects.resetEffects(); }

    QTemporaryDir dir;
    Effects& effects = Effects::sharedEffects();
};

// One set of effects, as the controls hold them.
struct EffectRecipe {
    const char* name = "";
    float brightness = 0, contrast = 1, saturation = 1;
    std::array<float, 4> cropFraction{}; // left, right, top, bottom
    std::array<float, 4> cropPixels{};
    float degrees = 0;
    float scaleX = 1, scaleY = 1;
    float sizeX = 0, sizeY = 0;
    float maximumX = 0, maximumY = 0;

    // Resets `e` and sets every field of the recipe.
    void apply(Effects& e) const;
};

// Colour, a 5 % crop on every side and a quarter turn, to at most `maximum` pixels (0: none).
inline EffectRecipe jobT(float maximum) {
    return {.name = "job T",
            .brightness = 0.1f,
            .contrast = 1.1f,
            .saturation = 1.2f,
            .cropFraction = {0.05f, 0.05f, 0.05f, 0.05f},
            .degrees = 90,
            .maximumX = maximum,
            .maximumY = maximum};
}

// A bitmap's pixels as an image, to compare with libvips' own results.
vips::VImage imageOf(const Bitmap& bitmap);

vips::VImage loadPixels(const std::string& path);
std::vector<double> pixelAt(const vips::VImage& image, int x, int y);

// Root-mean-square difference of two equally sized images, as a fraction of full scale.
double relativeRmse(const vips::VImage& a, const vips::VImage& b);

std::string testdataPath(const std::string& relative);

// An environment variable holding `value` while this lives; restored (or removed) after.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value);
    ~ScopedEnvironment();

private:
    const char* mName;
    bool mHad;
    QByteArray mOld;
};

// The process works in `folder` while this lives, with $PWD spelled `shellSpelling` (as a
// shell that reached the folder that way would set it; empty leaves $PWD unset), and
// returns to where it was after.
class ScopedWorkingFolder {
public:
    explicit ScopedWorkingFolder(const std::string& folder, const std::string& shellSpelling = {});
    ~ScopedWorkingFolder();
    ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
    ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;

private:
    int mPrevious;
    ScopedEnvironment mShell;
};

// How many files this process holds open.
int openFileCount();

// Collects the lines written to the Qt log while it lives.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const;
    bool contains(const QString& line) const { return lines().contains(line); }
};

} // namespace vantrel::test
