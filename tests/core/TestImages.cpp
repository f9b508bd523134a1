#include "tests/core/TestImages.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>
#include <cmath>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <unistd.h>

using vips::VImage;

namespace vantrel::test {

std::string writeCoordinatePhoto(const QTemporaryDir& dir, const std::string& name, int width,
                                 int height) {
    const VImage xy = VImage::xyz(width, height);
    const VImage image =
        xy.bandjoin_const({1000.0})
            .cast(VIPS_FORMAT_USHORT)
            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16));
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    image.write_to_file(path.c_str());
    return path;
}

std::string writeQuadrantPhoto(const QTemporaryDir& dir, const std::string& name, int width,
                               int height) {
    const VImage xy = VImage::xyz(width, height);
    const VImage right = xy.extract_band(0) >= width / 2;
    const VImage bottom = xy.extract_band(1) >= height / 2;
    const VImage tl = VImage::black(width, height).new_from_image({200.0, 30.0, 40.0});
    const VImage tr = tl.new_from_image({20.0, 180.0, 60.0});
    const VImage bl = tl.new_from_image({30.0, 50.0, 210.0});
    const VImage br = tl.new_from_image({128.0, 128.0, 128.0});
    const VImage top = right.ifthenelse(tr, tl);
    const VImage low = right.ifthenelse(br, bl);
    const VImage image =
        bottom.ifthenelse(low, top)
            .cast(VIPS_FORMAT_UCHAR)
            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    image.write_to_file(path.c_str());
    return path;
}

void EffectRecipe::apply(Effects& e) const {
    e.resetEffects();
    e.setBrightnessValue(brightness);
    e.setContrastValue(contrast);
    e.setSaturationValue(saturation);
    e.setCropLeftPercentage(cropFraction[0]);
    e.setCropRightPercentage(cropFraction[1]);
    e.setCropTopPercentage(cropFraction[2]);
    e.setCropBottomPercentage(cropFraction[3]);
    e.setCropLeftPixels(cropPixels[0]);
    e.setCropRightPixels(cropPixels[1]);
    e.setCropTopPixels(cropPixels[2]);
    e.setCropBottomPixels(cropPixels[3]);
    e.setRotationDegrees(degrees);
    e.setScaleXPercentage(scaleX);
    e.setScaleYPercentage(scaleY);
    e.setScaleXPixels(sizeX);
    e.setScaleYPixels(sizeY);
    e.setScaleXMaximumPixels(maximumX);
    e.setScaleYMaximumPixels(maximumY);
}

VImage imageOf(const Bitmap& b) {
    // A copy of the pixels (copy_memory() would keep pointing at them): the bitmap may go.
    return VImage(vips_image_new_from_memory_copy(b.pixels.data(), b.pixels.size(), b.width,
                                                  b.height, b.bands, VIPS_FORMAT_UCHAR));
}

VImage loadPixels(const std::string& path) {
    return VImage::new_from_file(path.c_str());
}

std::vector<double> pixelAt(const VImage& image, int x, int y) {
    return image.getpoint(x, y);
}

double relativeRmse(const VImage& a, const VImage& b) {
    const double full = a.format() == VIPS_FORMAT_USHORT ? 65535.0 : 255.0;
    const VImage diff = a.cast(VIPS_FORMAT_FLOAT) - b.cast(VIPS_FORMAT_FLOAT);
    return std::sqrt((diff * diff).avg()) / full;
}

std::string testdataPath(const std::string& relative) {
    return std::string(VANTREL_TESTDATA) + "/" + relative;
}

ScopedEnvironment::ScopedEnvironment(const char* name, const QByteArray& value)
    : mName(name), mHad(qEnvironmentVariableIsSet(name)), mOld(qgetenv(name)) {
    qputenv(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (mHad) {
        qputenv(mName, mOld);
    } else {
        qunsetenv(mName);
    }
}

ScopedWorkingFolder::ScopedWorkingFolder(const std::string& folder,
                                         const std::string& shellSpelling)
    : mPrevious(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
      mShell("PWD", QByteArray::fromStdString(shellSpelling)) {
    if (shellSpelling.empty()) {
        qunsetenv("PWD");
    }
    EXPECT_EQ(::chdir(folder.c_str()), 0) << folder;
}

ScopedWorkingFolder::~ScopedWorkingFolder() {
    EXPECT_EQ(::fchdir(mPrevious), 0);
    ::close(mPrevious);
}

int openFileCount() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).count());
}

namespace {
std::mutex logMutex;
QStringList capturedLines;
QtMessageHandler previousHandler = nullptr;

void captureMessage(QtMsgType, const QMessageLogContext&, const QString& message) {
    std::lock_guard lock(logMutex);
    capturedLines.append(message);
}
} // namespace

LogCapture::LogCapture() {
    std::lock_guard lock(logMutex);
    capturedLines.clear();
    previousHandler = qInstallMessageHandler(captureMessage);
}

LogCapture::~LogCapture() {
    qInstallMessageHandler(previousHandler);
}

QStringList LogCapture::lines() const {
    std::lock_guard lock(logMutex);
    return capturedLines;
}

QByteArray fileBytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray profileOf(const vips::VImage& image) {
    if (image.get_typeof(VIPS_META_ICC_NAME) == 0)
        return {};
    size_t length = 0;
    const auto* data = static_cast<const char*>(image.get_blob(VIPS_META_ICC_NAME, &length));
    return QByteArray(data, static_cast<qsizetype>(length));
}

} // namespace vantrel::test
