// Encoding processed photos into the export folder and publishing them under free names.

#include "core/export/PhotoWriter.h"
#include "tests/core/TestImages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>
#include <set>
#include <sys/resource.h>
#include <thread>

using namespace vantrel;
using namespace vantrel::test;
using vips::VImage;

namespace {

QStringList folderEntries(const QTemporaryDir& dir) {
    return QDir(dir.path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

std::string inFolder(const QTemporaryDir& dir, const std::string& name) {
    return dir.filePath(QString::fromStdString(name)).toStdString();
}

std::optional<PendingOutput> encodeInto(const QTemporaryDir& dir, const VImage& photo,
                                        Encoding encoding, const std::string& extension,
                                        bool named = false, int quality = 90) {
    QString why;
    auto pending = PendingOutput::encode(photo, dir.path().toStdString(), encoding, quality,
                                         extension, named, &why);
    EXPECT_TRUE(pending) << why.toStdString();
    EXPECT_EQ(pending.has_value(), why.isEmpty());
    return pending;
}

// Writes the photo as `name` in the folder and returns the path it got.
std::string exportAs(const QTemporaryDir& dir, const VImage& photo, Encoding encoding,
                     const std::string& name, bool named = false, int quality = 90) {
    auto pending =
        encodeInto(dir, photo, encoding, name.substr(name.rfind('.') + 1), named, quality);
    if (!pending) {
        return {};
    }
    QString why;
    const auto published = pending->publish(inFolder(dir, name), collisionCandidate, &why);
    EXPECT_TRUE(published) << why.toStdString();
    return published.value_or(std::string());
}

// The three encoders with the extension their outputs get.
constexpr std::pair<Encoding, const char*> kEncodings[] = {
    {Encoding::Jpeg, "jpg"}, {Encoding::Png, "png"}, {Encoding::Tiff, "tif"}};

VImage loadStrictly(const std::string& path) {
    return VImage::new_from_file(path.c_str(),
                                 VImage::option()->set("fail_on", VIPS_FAIL_ON_WARNING));
}

// 16-bit RGBA whose colour is (1000 x, 1000 y, 30000), transparent in the top-left 8 x 8
// block and opaque elsewhere.
VImage sixteenBitWithAlpha() {
    const VImage xy = VImage::xyz(16, 12);
    const VImage alpha =
        ((xy.extract_band(0) >= 8) | (xy.extract_band(1) >= 8)).cast(VIPS_FORMAT_USHORT) * 257;
    return (xy * 1000)
        .bandjoin_const({30000.0})
        .bandjoin(alpha)
        .cast(VIPS_FORMAT_USHORT)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16));
}

// Each test writes into `out`; its sources, when it makes any, go to `dir`.
class PhotoWriter : public ::testing::Test {
protected:
    VImage quadrants(int width, int height) {
        return loadPixels(writeQuadrantPhoto(dir, "q.png", width, height));
    }

    QTemporaryDir dir;
    QTemporaryDir out;
};

TEST_F(PhotoWriter, EachEncodingReadsBackAsWritten) {
    const VImage quadrantPhoto = quadrants(64, 48);
    const VImage coordinates = loadPixels(writeCoordinatePhoto(dir, "c.png", 300, 200));

    const VImage jpeg = loadStrictly(exportAs(out, quadrantPhoto, Encoding::Jpeg, "q.jpg"));
    EXPECT_STREQ(jpeg.get_string("vips-loader"), "jpegload");
    EXPECT_EQ(jpeg.width(), 64);
    EXPECT_EQ(jpeg.height(), 48);
    EXPECT_EQ(jpeg.bands(), 3);
    EXPECT_LT(relativeRmse(jpeg, quadrantPhoto), 0.03);

    for (auto [encoding, name, loader] : {std::tuple{Encoding::Png, "c.png", "pngload"},
                                          std::tuple{Encoding::Tiff, "c.tiff", "tiffload"}}) {
        SCOPED_TRACE(name);
        const std::string path = exportAs(out, coordinates, encoding, name);
        const VImage back = loadStrictly(path);
        EXPECT_STREQ(back.get_string("vips-loader"), loader);
        EXPECT_EQ(back.format(), VIPS_FORMAT_USHORT);
        EXPECT_EQ(back.bands(), 3);
        EXPECT_EQ(back.width(), 300);
        EXPECT_EQ(relativeRmse(back, coordinates), 0.0);
        EXPECT_EQ(pixelAt(back, 299, 199), (std::vector<double>{299, 199, 1000}));
        // Compressed: far below the 360 000 bytes of raw samples.
        EXPECT_LT(QFileInfo(QString::fromStdString(path)).size(), 180000);
    }
}

TEST_F(PhotoWriter, JpegIsEightBitSrgbOnWhiteWhilePngAndTiffKeepDepthAndAlpha) {
    const VImage photo = sixteenBitWithAlpha();

    const VImage jpeg = loadStrictly(exportAs(out, photo, Encoding::Jpeg, "a.jpg"));
    EXPECT_EQ(jpeg.format(), VIPS_FORMAT_UCHAR);
    EXPECT_EQ(jpeg.interpretation(), VIPS_INTERPRETATION_sRGB);
    ASSERT_EQ(jpeg.bands(), 3);
    for (double value : pixelAt(jpeg, 3, 3)) {
        EXPECT_GE(value, 245) << "the transparent pixel is white";
    }
    EXPECT_NEAR(pixelAt(jpeg, 12, 8)[2], 30000.0 / 257, 8) << "16 bits scaled, not clipped";

    for (auto [encoding, name] :
         {std::pair{Encoding::Png, "a.png"}, std::pair{Encoding::Tiff, "a.tif"}}) {
        SCOPED_TRACE(name);
        const VImage back = loadStrictly(exportAs(out, photo, encoding, name));
        EXPECT_EQ(back.format(), VIPS_FORMAT_USHORT);
        ASSERT_EQ(back.bands(), 4);
        EXPECT_EQ(pixelAt(back, 0, 0)[3], 0);
        EXPECT_EQ(pixelAt(back, 10, 7), (std::vector<double>{10000, 7000, 30000, 65535}));
    }
}

TEST_F(PhotoWriter, JpegQualityIsUsed) {
    const VImage photo = loadPixels(testdataPath("real/jpeg/cameras/exif-org/canon-ixus.jpg"));
    const auto sizeAt = [&](int quality) {
        const std::string name = "q" + std::to_string(quality) + ".jpg";
        return QFileInfo(QString::fromStdString(
                             exportAs(out, photo, Encoding::Jpeg, name, false, quality)))
            .size();
    };
    EXPECT_LT(sizeAt(10) * 3, sizeAt(95));
    // 0 is the lowest quality, not libvips' default of 75.
    EXPECT_LT(sizeAt(0), sizeAt(10));
}

TEST_F(PhotoWriter, SourceMetadataIsLeftOutButTheProfileKept) {
    // EXIF with a thumbnail, XMP, IPTC and a profile; EXIF with Orientation=6 and a profile.
    // Pixels are written as stored, so the tag would turn them a second time.
    for (const char* source :
         {"real/jpeg/quirks/BlueSquare-xmp.jpg", "real/jpeg/orientation/vips-rotation-6.jpg"}) {
        const VImage photo = loadPixels(testdataPath(source));
        const QByteArray profile = profileOf(photo);
        ASSERT_FALSE(profile.isEmpty());
        for (auto [encoding, extension] : kEncodings) {
            SCOPED_TRACE(std::string(source) + " as " + extension);
            const std::string path = exportAs(out, photo, encoding, std::string("m.") + extension);
            const VImage back = loadStrictly(path);
            for (const char* field : {VIPS_META_EXIF_NAME, VIPS_META_XMP_NAME, VIPS_META_IPTC_NAME,
                                      "jpeg-thumbnail-data"}) {
                EXPECT_EQ(back.get_typeof(field), 0u) << field;
            }
            EXPECT_EQ(vips_image_get_orientation(back.get_image()), 1);
            EXPECT_FALSE(fileBytes(path).contains(QByteArrayLiteral("Exif\0\0")));
            EXPECT_EQ(profileOf(back), profile);
        }
        EXPECT_NE(photo.get_typeof(VIPS_META_EXIF_NAME), 0u) << "the source is left alone";
    }
}

TEST_F(PhotoWriter, OtherColourSpacesBecomeSrgbWithoutTheirOldProfile) {
    const VImage cmyk = loadPixels(testdataPath("real/jpeg/quirks/pillow-cmyk.jpg"));
    ASSERT_EQ(cmyk.interpretation(), VIPS_INTERPRETATION_CMYK);
    const VImage rgb = loadPixels(testdataPath("real/jpeg/quirks/BlueSquare-xmp.jpg"));
    // Lab pixels that still carry the profile of the RGB photo they came from.
    const VImage lab = rgb.colourspace(VIPS_INTERPRETATION_LAB);
    ASSERT_FALSE(profileOf(lab).isEmpty());
    for (auto [encoding, extension] : kEncodings) {
        const std::string name = std::string("k.") + extension;
        SCOPED_TRACE(name);
        const VImage fromCmyk = loadStrictly(exportAs(out, cmyk, encoding, name));
        EXPECT_EQ(fromCmyk.bands(), 3);
        EXPECT_EQ(fromCmyk.interpretation(), VIPS_INTERPRETATION_sRGB);
        const QByteArray profile = profileOf(fromCmyk);
        EXPECT_TRUE(profile.isEmpty() || profile.mid(16, 4) == "RGB ");

        const VImage fromLab = loadStrictly(exportAs(out, lab, encoding, "lab-" + name));
        // Float Lab keeps 16 bits where the encoder can hold them.
        EXPECT_EQ(fromLab.format(),
                  encoding == Encoding::Jpeg ? VIPS_FORMAT_UCHAR : VIPS_FORMAT_USHORT);
        EXPECT_TRUE(profileOf(fromLab).isEmpty());
        EXPECT_LT(relativeRmse(fromLab.colourspace(VIPS_INTERPRETATION_sRGB), rgb), 0.02);
    }
}

VImage carrying(const VImage& photo, const QByteArray& profile) {
    VImage copy = photo.copy();
    vips_image_set_blob_copy(copy.get_image(), VIPS_META_ICC_NAME, profile.constData(),
                             static_cast<size_t>(profile.size()));
    return copy;
}

// The profile with its PCS illuminant rounded one step off D50, as a Minolta display
// profile in the wild has it; libpng refuses to write it.
QByteArray withIlluminantOffD50(QByteArray profile) {
    profile[71] = static_cast<char>(0xd5);
    profile[79] = static_cast<char>(0x2b);
    return profile;
}

VImage inSrgbThroughItsProfile(const VImage& photo) {
    const int depth = photo.format() == VIPS_FORMAT_USHORT ? 16 : 8;
    return photo.icc_transform("srgb",
                               VImage::option()->set("embedded", true)->set("depth", depth));
}

TEST_F(PhotoWriter, AProfilePngCannotCarryIsAppliedAndSrgbEmbeddedInstead) {
    const VImage photo = loadPixels(testdataPath("real/png/photos/exiv2-imagemagick-text.png"));
    const QByteArray profile = profileOf(photo);
    ASSERT_FALSE(profile.isEmpty());
    const VImage inSrgb = inSrgbThroughItsProfile(photo);

    const VImage png = loadStrictly(exportAs(out, photo, Encoding::Png, "m.png"));
    EXPECT_EQ(profileOf(png), profileOf(inSrgb));
    EXPECT_EQ(relativeRmse(png, inSrgb), 0.0);

    // JPEG and TIFF carry any profile: pixels and profile stay as they came.
    for (auto [encoding, name, tolerance] :
         {std::tuple{Encoding::Jpeg, "m.jpg", 0.03}, std::tuple{Encoding::Tiff, "m.tif", 0.0}}) {
        SCOPED_TRACE(name);
        const VImage back = loadStrictly(exportAs(out, photo, encoding, name));
        EXPECT_EQ(profileOf(back), profile);
        EXPECT_LE(relativeRmse(back, photo), tolerance);
    }
}

TEST_F(PhotoWriter, PixelsKeepTheirColoursWhenPngRefusesTheirProfile) {
    const VImage quadrantPhoto = quadrants(32, 24);
    const VImage grey = quadrantPhoto.colourspace(VIPS_INTERPRETATION_B_W);
    const QByteArray adobeRgb =
        profileOf(loadPixels(testdataPath("real/jpeg/cameras/exiv2/Reagan.jpg")));
    const QByteArray gray =
        profileOf(loadPixels(testdataPath("real/png/photos/exiv2-gray-metadata.png")));
    const struct {
        const char* what;
        VImage pixels;
        QByteArray profile;
        double shift; // how far the conversion moves these pixels at least
    } photos[] = {
        {"8-bit RGB", quadrantPhoto, adobeRgb, 0.05},
        {"16-bit RGB with alpha", sixteenBitWithAlpha(), adobeRgb, 0.01},
        // This grey profile's curve is sRGB's: the values stay, but in three bands.
        {"grey", grey, gray, 0.0},
        {"grey with alpha", grey.bandjoin_const({128.0}), gray, 0.0},
    };
    for (const auto& photo : photos) {
        SCOPED_TRACE(photo.what);
        // lcms goes by the profile's tags, so the rounded header changes nothing.
        const VImage meant = inSrgbThroughItsProfile(carrying(photo.pixels, photo.profile));
        const VImage source = carrying(photo.pixels, withIlluminantOffD50(photo.profile));

        const VImage back = loadStrictly(exportAs(out, source, Encoding::Png, "p.png"));
        EXPECT_EQ(profileOf(back), profileOf(meant));
        EXPECT_EQ(back.format(), photo.pixels.format());
        ASSERT_EQ(back.bands(), meant.bands());
        EXPECT_EQ(relativeRmse(back, meant), 0.0);
        const VImage firstBand = back.extract_band(0);
        EXPECT_GE(relativeRmse(firstBand, photo.pixels.extract_band(0)), photo.shift);
        if (photo.pixels.has_alpha()) {
            EXPECT_EQ(relativeRmse(back.extract_band(back.bands() - 1),
                                   photo.pixels.extract_band(photo.pixels.bands() - 1)),
                      0.0);
        }
    }
}

TEST_F(PhotoWriter, TakenNamesGetTheNextFreeNumber) {
    const VImage photo = quadrants(8, 8);
    QFile taken(QString::fromStdString(inFolder(out, "p.jpg")));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("not a photo");
    taken.close();
    for (bool named : {false, true}) {
        EXPECT_EQ(exportAs(out, photo, Encoding::Jpeg, "p.jpg", named),
                  inFolder(out, named ? "p-2.jpg" : "p-1.jpg"));
    }
    EXPECT_EQ(fileBytes(inFolder(out, "p.jpg")), "not a photo");
    EXPECT_EQ(folderEntries(out), (QStringList{"p-1.jpg", "p-2.jpg", "p.jpg"}));

    // The caller's rule makes the tries.
    auto pending = encodeInto(out, photo, Encoding::Png, "png");
    ASSERT_TRUE(pending);
    QString why;
    const auto name = pending->publish(
        inFolder(out, "p.jpg"),
        [](const std::string& requested, int n) { return requested + "." + std::to_string(n); },
        &why);
    EXPECT_EQ(name, inFolder(out, "p.jpg.1"));
    EXPECT_FALSE(pending->publish(inFolder(out, "x.png"), collisionCandidate, &why));
    EXPECT_EQ(why, "the photo has already been saved");
}

TEST_F(PhotoWriter, ParallelWritersNeverShareOrLoseAName) {
    const VImage photo = quadrants(32, 24);
    constexpr int kWriters = 8;
    std::vector<std::string> names(kWriters);
    std::vector<std::thread> writers;
    for (int i = 0; i < kWriters; ++i) {
        writers.emplace_back([&, i] {
            QString why;
            auto pending = PendingOutput::encode(photo, out.path().toStdString(), Encoding::Jpeg,
                                                 80, "jpg", i % 2 == 1, &why);
            if (pending) {
                names[i] = pending->publish(inFolder(out, "same.jpg"), collisionCandidate, &why)
                               .value_or(why.toStdString());
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    const std::set<std::string> distinct(names.begin(), names.end());
    EXPECT_EQ(distinct.size(), size_t{kWriters});
    EXPECT_EQ(folderEntries(out).size(), kWriters);
    for (const std::string& name : names) {
        EXPECT_EQ(loadStrictly(name).width(), 32) << name;
    }
}

TEST_F(PhotoWriter, FailedEncodeLeavesNoFile) {
    for (Encoding encoding : {Encoding::Jpeg, Encoding::Png, Encoding::Tiff}) {
        for (bool named : {false, true}) {
            // A load that failed once fails again without saying why, so each try loads anew.
            const VImage truncated =
                VImage::new_from_file(testdataPath("bad-seed/jpeg/vips-truncated.jpg").c_str(),
                                      VImage::option()->set("fail_on", VIPS_FAIL_ON_TRUNCATED));
            QString why;
            EXPECT_FALSE(PendingOutput::encode(truncated, out.path().toStdString(), encoding, 90,
                                               "jpg", named, &why));
            EXPECT_EQ(why, "the photo is damaged or cannot be decoded") << why.toStdString();
            EXPECT_TRUE(folderEntries(out).isEmpty());
        }
    }
}

TEST_F(PhotoWriter, UnwritableFolderGivesTheReason) {
    const std::string file = writeQuadrantPhoto(dir, "q.png", 8, 8);
    const VImage photo = loadPixels(file);
    for (bool named : {false, true}) {
        QString why;
        EXPECT_FALSE(
            PendingOutput::encode(photo, file + "/sub", Encoding::Png, 90, "png", named, &why));
        EXPECT_EQ(why, "cannot write to the export folder: Not a directory");
        EXPECT_FALSE(PendingOutput::encode(photo, inFolder(dir, "missing"), Encoding::Png, 90,
                                           "png", named, &why));
        EXPECT_EQ(why, "cannot write to the export folder: No such file or directory");
    }
    // Publishing into a folder that is not there keeps the output for another try.
    auto pending = encodeInto(dir, photo, Encoding::Png, "png");
    ASSERT_TRUE(pending);
    QString why;
    EXPECT_FALSE(pending->publish(inFolder(dir, "missing/p.png"), collisionCandidate, &why));
    EXPECT_EQ(why, "cannot write to the export folder: No such file or directory");
    EXPECT_TRUE(pending->publish(inFolder(dir, "p.png"), collisionCandidate, &why));
}

TEST_F(PhotoWriter, WriteFailingMidwayLeavesNoFile) {
    // A file size limit fails writes the way a full disk does, after part of the file.
    const VImage photo =
        (VImage::gaussnoise(400, 300, VImage::option()->set("sigma", 60.0))
             .bandjoin({VImage::gaussnoise(400, 300), VImage::gaussnoise(400, 300)}))
            .cast(VIPS_FORMAT_UCHAR)
            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 20000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    for (Encoding encoding : {Encoding::Jpeg, Encoding::Png, Encoding::Tiff}) {
        for (bool named : {false, true}) {
            QString why;
            const auto pending = PendingOutput::encode(photo, out.path().toStdString(), encoding,
                                                       100, "out", named, &why);
            EXPECT_FALSE(pending);
            EXPECT_EQ(why, "cannot write to the export folder: File too large");
            EXPECT_TRUE(folderEntries(out).isEmpty());
        }
    }
    setrlimit(RLIMIT_FSIZE, &previous);
}

TEST_F(PhotoWriter, UnpublishedOutputsLeaveNothingBehind) {
    const VImage photo = quadrants(8, 8);
    for (bool named : {false, true}) {
        auto pending = encodeInto(out, photo, Encoding::Tiff, "tif", named);
        ASSERT_TRUE(pending);
        EXPECT_EQ(folderEntries(out).size(), named ? 1 : 0);
        auto moved = std::move(*pending);
        pending.reset();
        EXPECT_EQ(folderEntries(out).size(), named ? 1 : 0) << "moving keeps the file";
    }
    EXPECT_TRUE(folderEntries(out).isEmpty());
}

TEST_F(PhotoWriter, NamedFileCanBeReplacedInPlaceUntilPublished) {
    const VImage photo = quadrants(8, 8);
    auto pending = encodeInto(out, photo, Encoding::Jpeg, "JPG", true);
    ASSERT_TRUE(pending);
    const QString path = QString::fromStdString(pending->path());
    const QFileInfo info(path);
    EXPECT_TRUE(info.isFile());
    EXPECT_EQ(info.absolutePath(), out.path());
    EXPECT_TRUE(info.fileName().startsWith('.'));
    EXPECT_TRUE(info.fileName().endsWith(".JPG"));
    EXPECT_EQ(loadStrictly(pending->path()).width(), 8);
    // exiftool writes a new file and renames it over the old one.
    const QString edited = path + "_exiftool_tmp";
    ASSERT_TRUE(QFile::copy(path, edited));
    ASSERT_TRUE(QFile(edited).open(QIODevice::Append));
    ASSERT_EQ(std::rename(edited.toLocal8Bit().constData(), path.toLocal8Bit().constData()), 0);
    const QByteArray bytes = fileBytes(pending->path());

    QString why;
    const auto published = pending->publish(inFolder(out, "n.jpg"), collisionCandidate, &why);
    ASSERT_TRUE(published) << why.toStdString();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(fileBytes(*published), bytes);
    EXPECT_EQ(folderEntries(out), QStringList{"n.jpg"});
    // Readable by others as the umask allows, like any saved photo (not mkstemp's 0600).
    EXPECT_TRUE(QFileInfo(QString::fromStdString(*published)).permissions() &
                QFileDevice::ReadOther);
}

} // namespace
