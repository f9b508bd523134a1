// HEIC, AVIF and WebP photos in and out, the encoder options and the size cap, made from the
// real photos and checked by what the files hold, never by their names.

#include "core/export/ExiftoolRunner.h"
#include "core/export/OutputNaming.h"
#include "core/export/SizeCap.h"
#include "core/imaging/HeifCodecs.h"
#include "core/imaging/MetadataReader.h"
#include "core/imaging/PhotoFile.h"
#include "core/imaging/Picture.h"
#include "core/imaging/Thumbnail.h"
#include "tests/core/export/ExportTestFixture.h"

#include <QProcess>
#include <QRegularExpression>

using namespace vantrel;
using namespace vantrel::test;

namespace {

void writeBytes(const std::string& path, const QByteArray& bytes) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A real photo re-encoded with libvips, its EXIF and colour profile kept.
std::string convertedRealPhoto(const QTemporaryDir& dir, const std::string& real,
                               const std::string& name) {
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    vips::VImage::new_from_file(testdataPath(real).c_str()).write_to_file(path.c_str());
    return path;
}

// The sampling factors of a JPEG's first component (0x11: colour at full resolution beside
// it, 0x22: colour halved both ways) and whether its frame is progressive.
struct JpegFrame {
    int lumaSampling = 0;
    bool progressive = false;
};

JpegFrame jpegFrameOf(const QByteArray& jpeg) {
    for (qsizetype at = 2; at + 4 < jpeg.size();) {
        const auto marker = static_cast<unsigned char>(jpeg[at + 1]);
        const int length = (static_cast<unsigned char>(jpeg[at + 2]) << 8) |
                           static_cast<unsigned char>(jpeg[at + 3]);
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            return {static_cast<unsigned char>(jpeg[at + 11]), marker == 0xC2};
        }
        at += 2 + length;
    }
    return {};
}

using ModernFormatsTest = ExportTest;

TEST(ModernFormats, ContainersAreToldByTheirSignature) {
    const auto ftyp = [](char size, const char* brand) {
        return QByteArray("\0\0\0", 3) + size + "ftyp" + brand + QByteArray(4, '\0');
    };
    const struct {
        const char* name;
        QByteArray bytes;
        PhotoContainer container;
    } cases[] = {
        {"a.webp", QByteArray("RIFF\x10\0\0\0WEBPVP8 ", 16), PhotoContainer::Webp},
        {"b.heic", ftyp(0x18, "heic"), PhotoContainer::Heif},
        {"c.avif", ftyp(0x1c, "avif"), PhotoContainer::Heif},
        {"d.heic", ftyp(0x18, "mp42"), PhotoContainer::Unknown},
        {"e.webp", QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16), PhotoContainer::Unknown},
        {"f.heic", "\xff\xd8\xff\xe0", PhotoContainer::Jpeg},
    };
    QTemporaryDir dir;
    const auto path = [&](const char* name) {
        return dir.filePath(name).toStdString();
    };
    for (const auto& c : cases) {
        writeBytes(path(c.name), c.bytes);
        EXPECT_EQ(sniffPhotoContainer(path(c.name)), c.container) << c.name;
    }
    EXPECT_EQ(heifCodecOfFile(path("b.heic")), HeifCodec::Hevc);
    EXPECT_EQ(heifCodecOfFile(path("c.avif")), HeifCodec::Av1);
    EXPECT_EQ(heifCodecOfFile(path("f.heic")), std::nullopt);
    EXPECT_TRUE(heifDecoderAvailable(HeifCodec::Hevc) && heifDecoderAvailable(HeifCodec::Av1));
    EXPECT_TRUE(missingHeifDecoderText(HeifCodec::Hevc).contains("HEVC"));
}

// A phone-like HEIC and an AVIF made from real photos, and a HEIC cut short, go through
// everything a photo goes through: thumbnail, preview, metadata, export.
TEST_F(ModernFormatsTest, HeicAndAvifPhotosAreReadLikeAnyOther) {
    const std::string heic =
        convertedRealPhoto(sources, "real/jpeg/cameras/Canon_40D.jpg", "c.heic");
    const std::string avif = convertedRealPhoto(sources, "real/jpeg/gps/DSCN0010.jpg", "g.avif");
    const std::string cut = sources.filePath("cut.heic").toStdString();
    const QByteArray whole = fileBytes(heic);
    writeBytes(cut, whole.left(whole.size() * 2 / 3));

    for (const auto& [path, width, height, model] : {std::tuple{heic, 100, 68, "Canon EOS 40D"},
                                                     std::tuple{avif, 640, 480, "COOLPIX P6000"}}) {
        SCOPED_TRACE(path);
        QString why;
        const auto thumbnail = makeThumbnail(path, 64, &why);
        ASSERT_TRUE(thumbnail) << why.toStdString();
        EXPECT_EQ(std::max(thumbnail->width, thumbnail->height), std::min(64, width));
        const auto preview = Image(path).imageWithEffects().render(0.5, &why);
        ASSERT_TRUE(preview) << why.toStdString();
        EXPECT_EQ(preview->width, (width + 1) / 2);
        const auto properties = readImageProperties(path, &why);
        ASSERT_TRUE(properties) << why.toStdString();
        EXPECT_EQ(properties->value("PixelWidth").toInt(), width);
        EXPECT_EQ(properties->value("PixelHeight").toInt(), height);
        EXPECT_EQ(properties->value("{TIFF}").toMap().value("Model").toString(), model);
    }
    QString why;
    EXPECT_FALSE(makeThumbnail(cut, 64, &why));
    EXPECT_FALSE(why.isEmpty());
    readImageProperties(cut, &why); // whatever it finds, it must come back

    const ExportOutcome outcome = exportPaths(settings(OutputType::Jpg, "Jpeg"), {heic, cut, avif});
    EXPECT_EQ(outcome.written, 2);
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_EQ(sniffPhotoContainer(outcome.exportFolder + "/c.jpg"), PhotoContainer::Jpeg);
    EXPECT_EQ(loadPixels(outcome.exportFolder + "/g.jpg").width(), 640);
    EXPECT_TRUE(
        ProcessingErrors::errors().errorMessage().startsWith("cut.heic could not be exported: "));
}

// Each output type decodes to the photo's size, is what its signature says, and keeps the
// colour profile; "Original File Type" writes HEIC, AVIF and WebP in kind.
TEST_F(ModernFormatsTest, EveryTypeKeepsSizeAndProfile) {
    std::vector<std::string> all;
    for (const char* name : {"c.heic", "w.webp", "a.avif"}) {
        all.push_back(convertedRealPhoto(sources, "real/jpeg/cameras/Canon_40D.jpg", name));
    }
    const struct {
        OutputType type;
        const char* folder;
        std::map<std::string, PhotoContainer> written;
    } cases[] = {
        {OutputType::WebP, "WebP", {{"c.webp", PhotoContainer::Webp}}},
        {OutputType::Avif, "Avif", {{"c.avif", PhotoContainer::Heif}}},
        {OutputType::Png, "Png", {{"c.png", PhotoContainer::Png}}},
        {OutputType::Tiff, "Tiff", {{"c.tiff", PhotoContainer::Tiff}}},
        {OutputType::OriginalFileType,
         "Original",
         {{"c.heic", PhotoContainer::Heif},
          {"w.webp", PhotoContainer::Webp},
          {"a.avif", PhotoContainer::Heif}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        const bool original = c.type == OutputType::OriginalFileType;
        const ExportOutcome outcome =
            exportPaths(settings(c.type, c.folder), original ? all : std::vector{all[0]});
        EXPECT_EQ(outcome.failed, 0) << report();
        for (const auto& [name, container] : c.written) {
            SCOPED_TRACE(name);
            const std::string path = outcome.exportFolder + "/" + name;
            EXPECT_EQ(sniffPhotoContainer(path), container);
            const vips::VImage written = loadPixels(path);
            EXPECT_EQ(written.width(), 100);
            EXPECT_EQ(written.height(), 68);
            const auto properties = readImageProperties(path);
            ASSERT_TRUE(properties);
            EXPECT_TRUE(properties->value("ProfileName").toString().startsWith("sRGB"));
        }
    }
}

// WebP lossless gives back every pixel; JPEG progressive and 4:4:4 are what the frame says.
TEST_F(ModernFormatsTest, EncoderOptionsShowInTheFiles) {
    const std::string quadrants = writeQuadrantPhoto(sources, "q.png", 64, 48);
    ExportSettings webp = settings(OutputType::WebP, "Lossless");
    webp.lossless = true;
    webp.quality = 10;
    const vips::VImage decoded =
        loadPixels(exportPaths(webp, {quadrants}).exportFolder + "/q.webp");
    ASSERT_EQ(decoded.width(), 64);
    EXPECT_EQ((decoded.extract_band(0, vips::VImage::option()->set("n", 3)) - loadPixels(quadrants))
                  .abs()
                  .max(),
              0.0);

    const struct {
        bool progressive;
        bool chroma444;
        int quality;
        JpegFrame expected;
    } cases[] = {{false, false, 50, {0x22, false}},
                 {true, false, 50, {0x22, true}},
                 {false, true, 50, {0x11, false}},
                 {true, true, 95, {0x11, true}},
                 {false, false, 95, {0x11, false}}};
    int run = 0;
    for (const auto& c : cases) {
        ExportSettings jpeg = settings(OutputType::Jpg, "Jpeg" + std::to_string(run++));
        jpeg.progressive = c.progressive;
        jpeg.chroma444 = c.chroma444;
        jpeg.quality = c.quality;
        const JpegFrame frame =
            jpegFrameOf(fileBytes(exportPaths(jpeg, {quadrants}).exportFolder + "/q.jpg"));
        EXPECT_EQ(frame.lumaSampling, c.expected.lumaSampling) << run;
        EXPECT_EQ(frame.progressive, c.expected.progressive) << run;
    }
}

// The bisection: the highest quality that fits, in at most 7 encodings, and the smallest
// encoding when none fits. Sizes here grow by 1000 bytes a quality step.
TEST(SizeCap, FindsTheHighestQualityThatFitsInSevenEncodings) {
    const struct {
        int quality;
        std::uint64_t cap;
        int expectedQuality;
        bool fits;
    } cases[] = {{100, 200000, 100, true}, {90, 55500, 55, true}, {100, 1000, 1, true},
                 {100, 999, 1, false},     {37, 20000, 20, true}, {0, 5000, 1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cap);
        int encodes = 0;
        const CappedEncoding found =
            highestRungWithinSize(c.quality, c.cap, [&encodes](int quality) {
                ++encodes;
                return std::string(std::size_t(quality) * 1000, 'x');
            });
        EXPECT_EQ(found.quality, c.expectedQuality);
        EXPECT_EQ(found.fits, c.fits);
        EXPECT_EQ(found.bytes.size(), std::size_t(found.quality) * 1000);
        EXPECT_LE(encodes, 7);
        EXPECT_EQ(found.encodes, encodes);
    }
}

// Real photos under a cap in KB of 1000 bytes: each fits and comes within 15 % of it; a cap
// nothing meets still writes the smallest file and says so.
TEST_F(ModernFormatsTest, SizeCapOnRealPhotos) {
    const std::vector<std::string> photos{testdataPath("real/jpeg/gps/DSCN0010.jpg"),
                                          testdataPath("real/jpeg/gps/DSCN0042.jpg")};
    int run = 0;
    // The metadata copied afterwards counts too.
    const std::optional<std::string> exiftool = locateExiftool({});
    for (const auto& [type, metadata] :
         {std::pair{OutputType::Jpg, false}, std::pair{OutputType::WebP, false},
          std::pair{OutputType::Avif, false}, std::pair{OutputType::Jpg, true},
          std::pair{OutputType::Avif, true}}) {
        if (metadata && !exiftool) {
            continue;
        }
        ExportSettings s = settings(type, "Cap" + std::to_string(run++));
        s.maxKilobytes = 30;
        s.progressive = true;
        s.transferMetadata = metadata;
        s.exiftoolPath = exiftool;
        const ExportOutcome outcome = exportPaths(s, photos);
        ASSERT_EQ(outcome.written, 2) << report();
        for (const auto& [name, bytes] : treeOf(QString::fromStdString(outcome.exportFolder))) {
            EXPECT_LE(bytes.size(), 30000) << name.toStdString();
            EXPECT_GE(bytes.size(), 25500) << name.toStdString();
        }
    }
    EXPECT_TRUE(ProcessingErrors::errors().errorMessage().isEmpty());

    ExportSettings tiny = settings(OutputType::Jpg, "Tiny");
    tiny.maxKilobytes = 1;
    const ExportOutcome outcome = exportPaths(tiny, {photos[0]});
    EXPECT_EQ(outcome.written, 1);
    const qint64 written = fileBytes(outcome.exportFolder + "/DSCN0010.jpg").size();
    EXPECT_EQ(QString::fromStdString(report()).trimmed(),
              QStringLiteral("DSCN0010.jpg does not fit the size cap: even at the lowest quality "
                             "it takes %1 KB, more than the 1 KB asked for; that smallest file "
                             "was written")
                  .arg((written + 999) / 1000));
}

// Without place and owner: GPS, serial numbers and names gone, model and date kept, checked
// with exiftool itself, onto JPEG and AVIF.
TEST_F(ModernFormatsTest, MetadataWithoutPlaceAndOwner) {
    const std::optional<std::string> exiftool = locateExiftool({});
    if (!exiftool) {
        GTEST_SKIP() << "exiftool is not installed";
    }
    const std::vector<std::string> photos{testdataPath("real/jpeg/quirks/nikon-D70s-OSError.jpg"),
                                          testdataPath("real/jpeg/gps/DSCN0010.jpg"),
                                          testdataPath("real/jpeg/makernotes/ExifTool.jpg")};
    // Everything onto JPEG against without place and owner onto JPEG and AVIF.
    for (const auto& [type, withoutPrivate] :
         {std::pair{OutputType::Jpg, false}, std::pair{OutputType::Jpg, true},
          std::pair{OutputType::Avif, true}}) {
        ExportSettings s = settings(type, std::string(outputTypeTitle(type)) +
                                              (withoutPrivate ? "-private" : "-all"));
        s.transferMetadata = true;
        s.withoutPrivateMetadata = withoutPrivate;
        s.exiftoolPath = exiftool;
        const ExportOutcome outcome = exportPaths(s, photos);
        ASSERT_EQ(outcome.written, 3) << report();
        QStringList arguments{"-s", "-a", "-G1"};
        for (const QString& name : namesIn(outcome.exportFolder)) {
            arguments << QString::fromStdString(outcome.exportFolder) + "/" + name;
        }
        QProcess tool;
        tool.start(QString::fromStdString(*exiftool), arguments);
        ASSERT_TRUE(tool.waitForFinished(60000));
        const QString tags = QString::fromUtf8(tool.readAllStandardOutput());
        SCOPED_TRACE(tags.toStdString());
        EXPECT_EQ(tags.count(QRegularExpression(" Model +: ")), 3);
        EXPECT_EQ(tags.count(QRegularExpression(" DateTimeOriginal +: ")), 3);
        for (const char* gone :
             {" GPSLatitude +: ", " SerialNumber +: ", " Artist +: ", " Creator +: "}) {
            EXPECT_EQ(tags.contains(QRegularExpression(gone)), !withoutPrivate) << gone;
        }
        if (withoutPrivate) {
            EXPECT_FALSE(tags.contains(QRegularExpression(" (City|By-line|OwnerName) +: ")));
        }
    }
}

} // namespace
