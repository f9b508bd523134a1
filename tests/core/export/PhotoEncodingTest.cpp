// Which ICC profiles a PNG can carry, told from the profile's bytes and checked against
// what the PNG encoder really writes.

#include "core/export/PhotoEncoding.h"
#include "tests/core/TestImages.h"

#include <QByteArray>
#include <functional>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::test;
using vips::VImage;

namespace {

QByteArray builtInSrgb() {
    VipsBlob* blob = VImage::profile_load("srgb");
    size_t length = 0;
    const auto* data = static_cast<const char*>(vips_blob_get(blob, &length));
    QByteArray bytes(data, static_cast<qsizetype>(length));
    vips_area_unref(reinterpret_cast<VipsArea*>(blob));
    return bytes;
}

void putBigEndian32(QByteArray& bytes, qsizetype at, quint32 value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
    }
}

quint32 bigEndian32(const QByteArray& bytes, qsizetype at) {
    quint32 value = 0;
    for (int i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// What the encoder does: a one-pixel PNG saved with the profile, its chunks walked.
bool encoderWritesIccp(const QByteArray& profile, bool colour) {
    VImage pixel =
        VImage::black(1, 1, VImage::option()->set("bands", colour ? 3 : 1))
            .cast(VIPS_FORMAT_UCHAR)
            .copy(VImage::option()->set("interpretation", colour ? VIPS_INTERPRETATION_sRGB
                                                                 : VIPS_INTERPRETATION_B_W));
    pixel.set(VIPS_META_ICC_NAME, nullptr, const_cast<char*>(profile.constData()),
              static_cast<size_t>(profile.size()));
    void* buffer = nullptr;
    size_t size = 0;
    pixel.write_to_buffer(".png", &buffer, &size);
    const QByteArray png(static_cast<const char*>(buffer), static_cast<qsizetype>(size));
    g_free(buffer);
    for (qsizetype at = 8; at + 8 <= png.size(); at += 12 + bigEndian32(png, at)) {
        if (png.mid(at + 4, 4) == "iCCP") {
            return true;
        }
    }
    return false;
}

TEST(PngProfiles, TheBytesTellWhatTheEncoderKeeps) {
    const QByteArray srgb = builtInSrgb();
    ASSERT_TRUE(pngKeepsProfile(reinterpret_cast<const unsigned char*>(srgb.constData()),
                                static_cast<size_t>(srgb.size()), true));
    const quint32 firstTagStart = bigEndian32(srgb, 132 + 4);
    using Edit = std::function<void(QByteArray&)>;
    const auto field = [](qsizetype at, const char* value) -> Edit {
        return [at, value](QByteArray& p) {
            p.replace(at, 4, value);
        };
    };
    const auto number = [](qsizetype at, quint32 value) -> Edit {
        return [at, value](QByteArray& p) {
            putBigEndian32(p, at, value);
        };
    };
    const auto lengthNotOfFours = [](char version) -> Edit {
        return [version](QByteArray& p) {
            if (p.size() % 4 == 0) {
                p.append('\0');
                putBigEndian32(p, 0, static_cast<quint32>(p.size()));
            }
            p[8] = version;
        };
    };
    const struct {
        const char* what;
        Edit edit;
        bool kept;
    } cases[] = {
        {"as made", [](QByteArray&) {}, true},
        // The case met in the wild: D50 rounded one step off (a Minolta display profile).
        {"illuminant X one step off", number(68, 0x0000f6d5), false},
        {"illuminant Z one step off", number(76, 0x0000d32b), false},
        {"illuminant D65",
         [](QByteArray& p) {
             putBigEndian32(p, 68, 0x0000f351);
             putBigEndian32(p, 76, 0x000116cc);
         },
         false},
        {"intent absolute colorimetric", number(64, 3), true},
        {"intent past the defined four", number(64, 4), false},
        {"input class", field(12, "scnr"), true},
        {"output class", field(12, "prtr"), true},
        {"colour space class", field(12, "spac"), true},
        {"abstract class", field(12, "abst"), false},
        {"device link class", field(12, "link"), false},
        {"named colour class", field(12, "nmcl"), false},
        {"Lab connection space", field(20, "Lab "), true},
        {"RGB connection space", field(20, "RGB "), false},
        {"CMYK data", field(16, "CMYK"), false},
        {"no acsp signature", field(36, "ACSP"), false},
        {"length field too long", number(0, static_cast<quint32>(srgb.size()) + 4), false},
        {"cut short", [](QByteArray& p) { p.chop(4); }, false},
        {"too short for a header",
         [](QByteArray& p) {
             p.truncate(128);
             putBigEndian32(p, 0, 128);
         },
         false},
        {"more tags than the table holds", number(128, 0x7fffffff), false},
        {"tag past the end", number(132 + 4, static_cast<quint32>(srgb.size())), false},
        {"tag start not on four bytes", number(132 + 4, firstTagStart + 2), false},
        {"version 2, length not a multiple of 4", lengthNotOfFours(2), true},
        {"version 4, length not a multiple of 4", lengthNotOfFours(4), false},
    };
    for (const auto& c : cases) {
        QByteArray profile = srgb;
        c.edit(profile);
        const auto* bytes = reinterpret_cast<const unsigned char*>(profile.constData());
        EXPECT_EQ(pngKeepsProfile(bytes, static_cast<size_t>(profile.size()), true), c.kept)
            << c.what;
        EXPECT_EQ(encoderWritesIccp(profile, true), c.kept) << c.what;
    }
    // Grey pixels take only a grey profile.
    const auto* bytes = reinterpret_cast<const unsigned char*>(srgb.constData());
    EXPECT_FALSE(pngKeepsProfile(bytes, static_cast<size_t>(srgb.size()), false));
    EXPECT_FALSE(encoderWritesIccp(srgb, false));
}

TEST(PngProfiles, RealProfilesAreJudgedAsTheEncoderJudgesThem) {
    const struct {
        const char* source;
        bool kept;
    } photos[] = {
        {"real/png/photos/exiv2-imagemagick-text.png", false},
        {"real/png/photos/exiv2-gray-metadata.png", true},
        {"real/png/photos/pillow-iccp.png", true},
        {"real/jpeg/cameras/Canon_40D.jpg", true},
        {"real/jpeg/cameras/exiv2/Reagan.jpg", true},
        {"real/jpeg/quirks/pillow-icc-big-progressive.jpg", true},
        {"real/jpeg/quirks/vips-xyb-icc.jpg", true},
        {"real/tiff/exiv2-test-lzw.tiff", true},
    };
    for (const auto& photo : photos) {
        const QByteArray profile = profileOf(loadPixels(testdataPath(photo.source)));
        const bool colour = profile.mid(16, 4) == "RGB ";
        EXPECT_EQ(pngKeepsProfile(reinterpret_cast<const unsigned char*>(profile.constData()),
                                  static_cast<size_t>(profile.size()), colour),
                  photo.kept)
            << photo.source;
        EXPECT_EQ(encoderWritesIccp(profile, colour), photo.kept) << photo.source;
    }
}

} // namespace
