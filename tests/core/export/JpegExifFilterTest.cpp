#include "core/export/JpegExifFilter.h"
#include "tests/core/TestImages.h"

#include <QByteArray>
#include <gtest/gtest.h>

using namespace vantrel;
using vips::VImage;

namespace {

QByteArray filtered(const QByteArray& stream, qsizetype chunk) {
    JpegExifFilter filter;
    QByteArray out;
    const auto sink = [&out](const char* data, std::size_t size) {
        out.append(data, static_cast<qsizetype>(size));
        return true;
    };
    for (qsizetype at = 0; at < stream.size(); at += chunk) {
        EXPECT_TRUE(
            filter.write(stream.constData() + at, std::min(chunk, stream.size() - at), sink));
    }
    EXPECT_TRUE(filter.finish(sink));
    return out;
}

TEST(JpegExifFilter, DropsOnlyTheExifSegmentHoweverTheStreamIsCut) {
    // libvips writes an EXIF block (with the source's thumbnail) before the ICC profile.
    const VImage photo =
        test::loadPixels(test::testdataPath("real/jpeg/quirks/BlueSquare-xmp.jpg"));
    void* encoded = nullptr;
    size_t length = 0;
    photo.write_to_buffer(".jpg", &encoded, &length);
    const QByteArray stream(static_cast<const char*>(encoded), static_cast<qsizetype>(length));
    g_free(encoded);
    ASSERT_TRUE(stream.contains(QByteArrayLiteral("Exif\0\0")));

    const QByteArray whole = filtered(stream, stream.size());
    EXPECT_FALSE(whole.contains(QByteArrayLiteral("Exif\0\0")));
    EXPECT_LT(whole.size(), stream.size() - 1000) << "the thumbnail went with it";
    for (qsizetype chunk : {1, 3, 4096}) {
        EXPECT_EQ(filtered(stream, chunk), whole) << chunk;
    }
    const VImage back =
        VImage::new_from_buffer(whole.constData(), whole.size(), "",
                                VImage::option()->set("fail_on", VIPS_FAIL_ON_WARNING));
    EXPECT_EQ(back.get_typeof(VIPS_META_EXIF_NAME), 0u);
    EXPECT_NE(back.get_typeof(VIPS_META_ICC_NAME), 0u);
    EXPECT_EQ(
        test::relativeRmse(back, VImage::new_from_buffer(stream.constData(), stream.size(), "")),
        0.0);
}

TEST(JpegExifFilter, PassesAnythingElseUnchanged) {
    for (const QByteArray& stream : {QByteArray("not a jpeg at all"), QByteArray("\xFF\xD8\xFF"),
                                     QByteArray("\xFF\xD8\xFF\xE1\x00\x01junk", 10)}) {
        EXPECT_EQ(filtered(stream, 1), stream);
    }
}

} // namespace
