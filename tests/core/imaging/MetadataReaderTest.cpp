#include "core/imaging/MetadataReader.h"
#include "core/imaging/Image.h"
#include "core/imaging/MetadataText.h"
#include "tests/core/TestImages.h"

#include <QRegularExpression>
#include <QVariantList>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vantrel {
namespace {

using test::testdataPath;

QVariantMap read(const std::string& relative) {
    const auto properties = readImageProperties(testdataPath(relative));
    EXPECT_TRUE(properties.has_value()) << relative;
    return properties.value_or(QVariantMap());
}

QVariantMap group(const QVariantMap& properties, const char* name) {
    return properties.value(name).toMap();
}

// Each key holds the value that follows it; numbers compare by value whatever their type.
void expectValues(const QVariantMap&) {}
template <typename Value, typename... More>
void expectValues(const QVariantMap& properties, const char* key, const Value& value,
                  const More&... more) {
    EXPECT_EQ(properties.value(key), QVariant(value)) << key;
    expectValues(properties, more...);
}

TEST(MetadataReader, CameraJpegGivesPixelFactsAndExifWithoutMakerNote) {
    const QVariantMap p = read("real/jpeg/cameras/Canon_40D.jpg");
    expectValues(p, "PixelWidth", 100, "PixelHeight", 68, "Depth", 8, "ColorModel", "RGB",
                 "HasAlpha", false, "Orientation", 1, "DPIWidth", 72.0, "ProfileName",
                 "sRGB IEC61966-2.1");
    expectValues(group(p, "{TIFF}"), "Make", "Canon", "Model", "Canon EOS 40D", "Software",
                 "GIMP 2.4.5", "XResolution", 72.0, "DateTime", "2008:07:31 10:38:11");
    const QVariantMap exif = group(p, "{Exif}");
    expectValues(exif, "ExposureTime", 1.0 / 160, "FNumber", 7.1, "ISOSpeedRatings",
                 QVariantList{100}, "DateTimeOriginal", "2008:05:30 15:56:01", "ExposureProgram", 1,
                 "Flash", 9, "FocalLength", 135.0, "PixelXDimension", 100, "ExifVersion",
                 QVariantList{2, 2, 1});
    EXPECT_FALSE(exif.contains("UserComment")) << "264 blank bytes are no comment";
    EXPECT_EQ(group(p, "{GPS}").value("Version").toList(), (QVariantList{2, 2, 0, 0}));
    EXPECT_EQ(group(p, "{JFIF}").value("JFIFVersion").toList(), (QVariantList{1, 0, 1}));
    for (const QString& name : p.keys()) {
        for (const QString& key : group(p, name.toUtf8().constData()).keys()) {
            EXPECT_FALSE(key.contains("MakerNote")) << key.toStdString();
        }
    }
    // A phone names its lens.
    expectValues(group(read("real/jpeg/makernotes/Apple.jpg"), "{Exif}"), "LensModel",
                 "iPhone 7 back camera 3.99mm f/1.8", "LensMake", "Apple", "LensSpecification",
                 QVariantList{3.99, 3.99, 1.8, 1.8});
}

TEST(MetadataReader, GpsGivesPositiveDegreesWithReferences) {
    const QVariantMap west = group(read("real/jpeg/gps/FurnaceCreekInn.jpg"), "{GPS}");
    EXPECT_NEAR(west.value("Latitude").toDouble(), 36.4483333333, 1e-9);
    EXPECT_NEAR(west.value("Longitude").toDouble(), 116.855, 1e-9);
    expectValues(west, "LatitudeRef", "N", "LongitudeRef", "W", "Altitude", 14.28, "AltitudeRef", 1,
                 "TimeStamp", "09:54:28", "DateStamp", "2008:05:08 09:54:28", "ProcessingMethod",
                 "HYBRID-FIX");

    const QVariantMap east = group(read("real/jpeg/gps/DSCN0010.jpg"), "{GPS}");
    EXPECT_NEAR(east.value("Latitude").toDouble(), 43.4674483333, 1e-9);
    EXPECT_NEAR(east.value("Longitude").toDouble(), 11.8851266667, 1e-9);
    // Trailing spaces are trimmed.
    expectValues(east, "LongitudeRef", "E", "TimeStamp", "14:27:07.24", "MapDatum", "WGS-84");
    EXPECT_FALSE(east.contains("ImgDirectionRef")) << "empty strings are left out";

    // A latitude of 4294967295 degrees locates nothing.
    const QVariantMap odd = group(read("real/jpeg/quirks/pillow-exif-gps-odd.jpg"), "{GPS}");
    EXPECT_FALSE(odd.contains("Latitude"));
    EXPECT_EQ(odd.value("AltitudeRef").toInt(), 1);
}

TEST(MetadataReader, IptcRepeatableDatasetsBecomeLists) {
    expectValues(group(read("real/jpeg/makernotes/IPTC.jpg"), "{IPTC}"), "Keywords",
                 QVariantList{"ExifTool", "Test", "IPTC"}, "SupplementalCategory",
                 QVariantList{"amazing", "image", "utilities"}, "By-line",
                 QVariantList{"Phil Harvey"}, "Caption/Abstract", "A witty caption", "ObjectName",
                 "Test IPTC picture", "City", "Kingston", "Province/State", "Ont", "DateCreated",
                 "20040226");
}

TEST(MetadataReader, ColourModelDepthAndAlphaAcrossContainers) {
    struct Case {
        const char* file;
        const char* model;
        int depth;
        bool alpha;
    };
    const Case cases[] = {
        {"real/tiff/pillow-cmyk-jpeg-strip.tif", "CMYK", 8, false},
        {"real/tiff/pillow-cmyk-16bit-raw.tif", "CMYK", 16, false},
        {"real/jpeg/quirks/pillow-cmyk.jpg", "CMYK", 8, false},
        {"real/tiff/vips-sample-16bit.tif", "RGB", 16, false},
        {"real/tiff/pillow-cielab.tif", "Lab", 8, false},
        {"real/tiff/libtiff-miniswhite-1bit.tiff", "Gray", 1, false},
        {"real/tiff/libtiff-gray-alpha.tiff", "Gray", 8, true},
        {"real/jpeg/quirks/vips-gray-1band.jpg", "Gray", 8, false},
        {"real/png/photos/vips-rgba.png", "RGB", 8, true},
        {"real/png/photos/vips-sample-16bit.png", "RGB", 16, false},
        {"real/png/pngsuite/basn0g02.png", "Gray", 2, false},
        {"real/png/pngsuite/basn3p04.png", "RGB", 8, false},
        {"real/png/pngsuite/basn4a08.png", "Gray", 8, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QVariantMap p = read(c.file);
        EXPECT_EQ(p.value("ColorModel").toString(), c.model);
        EXPECT_EQ(p.value("Depth").toInt(), c.depth);
        EXPECT_EQ(p.value("HasAlpha").toBool(), c.alpha);
    }
    // No resolution in the file: no made-up DPI.
    EXPECT_FALSE(read("real/tiff/libtiff-miniswhite-1bit.tiff").contains("DPIWidth"));
    EXPECT_FALSE(read("real/png/pngsuite/basn0g02.png").contains("DPIWidth"));
}

TEST(MetadataReader, PngChunksAndTextAndProfiles) {
    EXPECT_DOUBLE_EQ(
        group(read("real/png/pngsuite/g03n2c08.png"), "{PNG}").value("Gamma").toDouble(), 0.35);
    const QVariantMap physical = read("real/png/pngsuite/cdun2c08.png");
    EXPECT_DOUBLE_EQ(physical.value("DPIWidth").toDouble(), 25.4);
    EXPECT_EQ(group(physical, "{PNG}").value("XPixelsPerMeter").toInt(), 1000);
    EXPECT_EQ(group(read("real/png/photos/pillow-interlaced-rgba.png"), "{PNG}")
                  .value("InterlaceType")
                  .toInt(),
              1);

    const QVariantMap text = group(read("real/png/pngsuite/ctzn0g04.png"), "{PNG}");
    EXPECT_EQ(text.value("Title").toString(), "PngSuite");
    EXPECT_EQ(text.value("Disclaimer").toString(), "Freeware.");

    // EXIF and IPTC carried in ImageMagick raw-profile text chunks reach their own groups.
    const QVariantMap magick = read("real/png/photos/exiv2-imagemagick-text.png");
    EXPECT_EQ(group(magick, "{TIFF}").value("Model").toString(), "NIKON D70");
    EXPECT_EQ(group(magick, "{IPTC}").value("City").toString(), "Paris");
    EXPECT_FALSE(group(magick, "{PNG}").contains("Raw profile type exif"));
    EXPECT_EQ(magick.value("ProfileName").toString(), "sRGB Monitor (for DiMAGE Master)");

    EXPECT_EQ(read("real/jpeg/quirks/vips-xyb-icc.jpg").value("ProfileName").toString(),
              "XYB_Per"); // ICC v4 description
}

TEST(MetadataReader, OrientationIsReportedNotApplied) {
    expectValues(read("real/jpeg/orientation/Landscape_6.jpg"), "Orientation", 6, "PixelWidth",
                 1200, "PixelHeight", 1800);
    for (const auto& [file, orientation] :
         {std::pair{"real/tiff/pillow-g4-orientation-6.tif", 6},
          {"real/png/photos/pillow-xmp-orientation.png", 3},
          {"real/png/photos/pillow-exif-orientation-raw-profile.png", 3}}) {
        EXPECT_EQ(read(file).value("Orientation").toInt(), orientation) << file;
    }
    // 0 is no orientation: the photo is taken as upright.
    const QVariantMap invalid = read("real/jpeg/orientation/Landscape_0.jpg");
    EXPECT_EQ(invalid.value("Orientation").toInt(), 1);
    EXPECT_FALSE(group(invalid, "{TIFF}").contains("Orientation"));
}

TEST(MetadataReader, BigTiffKeepsPixelFactsWhenExiv2Throws) {
    const QVariantMap p = read("real/tiff/pillow-bigtiff.tif");
    EXPECT_EQ(p.value("PixelWidth").toInt(), 128);
    EXPECT_EQ(p.value("ColorModel").toString(), "RGB");
    EXPECT_FALSE(p.contains("{TIFF}"));
    EXPECT_FALSE(p.contains("{Exif}"));
}

// "-" is no standard input and brackets are no load options: each name is a file on disk,
// for the photo information and the photo alike.
TEST(MetadataReader, NamesThatLookLikeOptionsAreReadAsFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const test::ScopedWorkingFolder working(dir.path().toStdString());
    for (const std::string name :
         {"-", "x.jpg[shrink=2]", "holiday[1]", "holiday [1], shrink=2.png"}) {
        SCOPED_TRACE(name);
        std::filesystem::copy_file(testdataPath("real/jpeg/cameras/Canon_40D.jpg"), name);
        const auto properties = readImageProperties(name);
        ASSERT_TRUE(properties.has_value());
        EXPECT_EQ(properties->value("PixelWidth").toInt(), 100);
        EXPECT_EQ(properties->value("PixelHeight").toInt(), 68);
        EXPECT_EQ(group(*properties, "{TIFF}").value("Make").toString(), "Canon");
        const auto bitmap = Image(dir.filePath(QString::fromStdString(name)).toStdString())
                                .originalImage()
                                .render(1.0);
        ASSERT_TRUE(bitmap);
        EXPECT_EQ(bitmap->width, 100);
    }
}

TEST(MetadataText, ValuesInPropertyListForm) {
    const struct {
        const char* name;
        QVariant value;
        QString text;
    } cases[] = {
        {"plain word", QStringLiteral("Canon"), "Canon"},
        {"space quoted", QStringLiteral("Canon EOS 40D"), "\"Canon EOS 40D\""},
        {"punctuation quoted", QStringLiteral("2008:07:31"), "\"2008:07:31\""},
        {"empty quoted", QString(), "\"\""},
        {"escapes keep one line", QStringLiteral("say \"hi\"\\\nbye\t"),
         "\"say \\\"hi\\\"\\\\\\nbye\\t\""},
        {"accents kept", QStringLiteral("Zoë"), "\"Zoë\""},
        {"integer", 3000, "3000"},
        {"large integer", qlonglong(1) << 40, "1099511627776"},
        {"negative", -2, "\"-2\""},
        {"double", 0.1, "\"0.1\""},
        {"double rounded in binary", 25.400000000000002, "\"25.4\""},
        {"double in full", 4438.356164383562, "\"4438.356164383562\""},
        {"whole double", 72.0, "72"},
        {"boolean", true, "1"},
        {"list", QVariantList{2, 2, 0, 0}, "(\n    2,\n    2,\n    0,\n    0\n)"},
        {"empty list", QVariantList{}, "(\n)"},
        {"map sorted and nested",
         QVariantMap{{"{TIFF}", QVariantMap{{"Make", "Canon"}, {"XResolution", 72}}},
                     {"Depth", 8},
                     {"Keywords", QVariantList{"a b", "c"}}},
         "{\n"
         "    Depth = 8;\n"
         "    Keywords = (\n"
         "        \"a b\",\n"
         "        c\n"
         "    );\n"
         "    \"{TIFF}\" = {\n"
         "        Make = Canon;\n"
         "        XResolution = 72;\n"
         "    };\n"
         "}"},
        {"empty map", QVariantMap{}, "{\n}"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(propertyListText(c.value), c.text) << c.name;
}

TEST(MetadataText, DisplayTextDropsThePunctuationOfTheForm) {
    // A comment holding the characters the form itself uses.
    const QVariantMap properties{
        {"PixelWidth", 3000},
        {"{Exif}", QVariantMap{{"UserComment", "f = (1; 2) \"x\""}, {"FNumber", 2.8}}}};
    EXPECT_EQ(metadataDisplayText(properties), "\n"
                                               "    PixelWidth : 3000\n"
                                               "    Exif : \n"
                                               "        FNumber : 2.8\n"
                                               "        UserComment : f : 1 2 \\x\\\n"
                                               "    \n");
    EXPECT_EQ(metadataDisplayText(std::nullopt), "null");
}

TEST(MetadataText, CameraJpegReadsAsIndentedKeyColonValueLines) {
    const QString text = metadataDisplayText(read("real/jpeg/cameras/Canon_40D.jpg"));
    for (const char* gone : {"\"", "{", "}", "(", ")", ";", "="})
        EXPECT_FALSE(text.contains(QLatin1String(gone))) << gone;

    const QStringList lines = text.split('\n');
    for (const char* line :
         {"    PixelWidth : 100", "    ColorModel : RGB", "    TIFF : ", "        Make : Canon",
          "        Model : Canon EOS 40D", "    Exif : ", "        FNumber : 7.1", "    GPS : "})
        EXPECT_TRUE(lines.contains(QLatin1String(line))) << line;
    // Nesting shows by indentation alone: a line that opens a group or list is followed by
    // lines one level deeper, and the line left where its closing brace was is back at its
    // level.
    int level = 1;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.trimmed().isEmpty()) {
            --level;
            EXPECT_EQ(line.size(), 4 * level) << i;
            continue;
        }
        const qsizetype indent = line.indexOf(QRegularExpression(QStringLiteral("\\S")));
        EXPECT_EQ(indent, 4 * level) << line.toStdString();
        if (line.endsWith(QLatin1String(" : ")))
            ++level;
    }
    EXPECT_EQ(level, 0);
}

} // namespace
} // namespace vantrel
