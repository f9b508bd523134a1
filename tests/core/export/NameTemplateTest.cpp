#include "core/export/NameTemplate.h"
#include "core/imaging/CaptureInfo.h"
#include "tests/core/TestImages.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

using namespace vantrel;
using namespace vantrel::test;

namespace {

NameFields rome() {
    NameFields fields;
    fields.name = "IMG_0001";
    fields.serial = 7;
    fields.photoCount = 120;
    fields.taken = QDateTime(QDate(2026, 6, 14), QTime(9, 5, 3));
    fields.camera = "Canon EOS 40D";
    fields.width = 4000;
    fields.height = 3000;
    return fields;
}

TEST(NameTemplate, EveryTokenAndItsEdgeCases) {
    NameFields noDate = rome();
    noDate.taken = QDateTime();
    NameFields noCamera = rome();
    noCamera.camera.clear();
    NameFields slashName = rome();
    slashName.name = "a/b";
    const struct {
        const char* pattern;
        NameFields fields;
        const char* expected;
    } cases[] = {
        {"{date}_Rome_{n}", rome(), "2026-06-14_Rome_007"},
        {"{name}", rome(), "IMG_0001"},
        {"{n:4}-{n:1}", rome(), "0007-7"},
        {"{date:yyyyMMdd_HHmmss}", rome(), "20260614_090503"},
        {"{date:MMMM d, yyyy}", rome(), "June 14, 2026"}, // the C locale whatever the user's
        {"{date:yyyy/MM/dd}", rome(), "2026_06_14"},      // no folders from a format
        {"{camera}_{w}x{h}", rome(), "Canon EOS 40D_4000x3000"},
        {"{{n}}_{n}", rome(), "{n}_007"},
        {"shot}", rome(), "shot}"},
        {"{date}_{name}", noDate, "_IMG_0001"},
        {"{camera}", noCamera, "007"}, // an empty name falls back to the serial
        {"{date}", noDate, "007"},
        {"{name}", slashName, "a_b"},
    };
    for (const auto& c : cases) {
        const NameTemplate parsed = NameTemplate::parse(c.pattern);
        ASSERT_TRUE(parsed.isValid()) << c.pattern << ": " << parsed.error().toStdString();
        EXPECT_EQ(parsed.render(c.fields, "jpg"), c.expected) << c.pattern;
    }
    EXPECT_TRUE(NameTemplate::parse("{date}").needsCaptureInfo());
    EXPECT_FALSE(NameTemplate::parse("{name}_{n}").needsCaptureInfo());
    EXPECT_TRUE(NameTemplate::parse("{h}").needsSize());

    // A camera model of any length still gives a name the file system takes, with room left
    // for the extension and a collision counter.
    NameFields longCamera = rome();
    longCamera.camera = std::string(201, 'x');
    for (int i = 0; i < 50; ++i) {
        longCamera.camera += "\xc3\xa9"; // é
    }
    const std::string name = NameTemplate::parse("{camera}").render(longCamera, "jpeg");
    EXPECT_LE(name.size() + 5 + 7, 255U);
    EXPECT_EQ(QString::fromUtf8(name).toUtf8().toStdString(), name); // no broken character
}

TEST(NameTemplate, FaultsAreNamed) {
    const struct {
        const char* pattern;
        const char* error;
    } cases[] = {
        {"{foo}_{n}", "unknown token {foo}"},
        {"{Name}", "unknown token {Name}"},
        {"{name:3}", "unknown token {name:3}"},
        {"{n:x}", "{n:x}: the width is a whole number from 1 to 9"},
        {"{n:0}", "{n:0}: the width"},
        {"{n:12}", "{n:12}: the width"},
        {"{date", "\"{\" without its \"}\""},
        {"", "the template is empty"},
    };
    for (const auto& c : cases) {
        const NameTemplate parsed = NameTemplate::parse(c.pattern);
        EXPECT_FALSE(parsed.isValid()) << c.pattern;
        EXPECT_TRUE(parsed.error().startsWith(QString::fromUtf8(c.error)))
            << c.pattern << ": " << parsed.error().toStdString();
    }
}

TEST(CaptureInfo, ExifDateAndModelElseTheFileTime) {
    const CaptureInfo canon = readCaptureInfo(testdataPath("real/jpeg/cameras/Canon_40D.jpg"));
    EXPECT_EQ(canon.taken, QDateTime(QDate(2008, 5, 30), QTime(15, 56, 1)));
    EXPECT_EQ(canon.camera, "Canon EOS 40D");

    QTemporaryDir dir;
    const std::string plain = writeQuadrantPhoto(dir, "plain.png", 8, 8);
    const QDateTime touched(QDate(2024, 2, 29), QTime(23, 59, 58));
    const utimbuf times{touched.toSecsSinceEpoch(), touched.toSecsSinceEpoch()};
    ASSERT_EQ(::utime(plain.c_str(), &times), 0);
    const CaptureInfo noExif = readCaptureInfo(plain);
    EXPECT_EQ(noExif.taken, touched);
    EXPECT_EQ(noExif.camera, "");

    // Damaged or missing files give what can be had, and never throw.
    EXPECT_FALSE(readCaptureInfo(dir.filePath("missing.jpg").toStdString()).taken.isValid());
    for (const char* hostile :
         {"bad-seed/jpeg/pillow-bad-exif.jpg", "bad-seed/jpeg/exiv2-poc-1918.jpg",
          "bad-seed/jpeg/exifsamples-corrupted-olympus.jpg", "bad-seed/jpeg/vips-truncated.jpg"}) {
        EXPECT_TRUE(readCaptureInfo(testdataPath(hostile)).taken.isValid()) << hostile;
    }
}

} // namespace
