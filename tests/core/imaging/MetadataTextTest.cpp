#include "core/imaging/MetadataText.h"
#include "core/imaging/MetadataReader.h"
#include "tests/core/TestImages.h"

#include <QRegularExpression>
#include <QStringList>
#include <QVariantList>
#include <gtest/gtest.h>
#include <ostream>

namespace vantrel {
namespace {

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
    const auto properties =
        readImageProperties(test::testdataPath("real/jpeg/cameras/Canon_40D.jpg"));
    ASSERT_TRUE(properties.has_value());
    const QString text = metadataDisplayText(properties);
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
