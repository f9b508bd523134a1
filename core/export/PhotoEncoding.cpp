#include "core/export/PhotoEncoding.h"

#include "core/export/JpegExifFilter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>

using vips::VImage;

namespace vantrel {

namespace {

bool isSixteenBit(const VImage& image) {
    return image.format() == VIPS_FORMAT_USHORT;
}

// libvips keys images by interpretation: 16-bit data must say RGB16 or GREY16, or a later
// conversion takes it for 8-bit data and clips it.
VImage labelledByContent(const VImage& image) {
    const bool deep = isSixteenBit(image);
    const VipsInterpretation space =
        image.bands() >= 3 ? (deep ? VIPS_INTERPRETATION_RGB16 : VIPS_INTERPRETATION_sRGB)
                           : (deep ? VIPS_INTERPRETATION_GREY16 : VIPS_INTERPRETATION_B_W);
    if (image.interpretation() == space) {
        return image;
    }
    return image.copy(VImage::option()->set("interpretation", space));
}

bool isColourManagedSpace(VipsInterpretation space) {
    switch (space) {
    case VIPS_INTERPRETATION_LAB:
    case VIPS_INTERPRETATION_LABS:
    case VIPS_INTERPRETATION_LCH:
    case VIPS_INTERPRETATION_CMC:
    case VIPS_INTERPRETATION_XYZ:
    case VIPS_INTERPRETATION_YXY:
    case VIPS_INTERPRETATION_scRGB:
    case VIPS_INTERPRETATION_HSV:
        return true;
    default:
        return false;
    }
}

VImage decoded(const VImage& image) {
    switch (image.coding()) {
    case VIPS_CODING_LABQ:
        return image.LabQ2Lab();
    case VIPS_CODING_RAD:
        return image.rad2float();
    default:
        return image;
    }
}

// 8- or 16-bit sRGB or grey, alpha kept. Sets `profileLost` when the colours no longer
// match the ICC profile the image carries.
VImage toRgbOrGrey(const VImage& photo, bool& profileLost) {
    VImage image = decoded(photo);
    const VipsInterpretation space = image.interpretation();
    const bool deep = image.format() != VIPS_FORMAT_UCHAR && image.format() != VIPS_FORMAT_CHAR;
    const VipsInterpretation srgb = deep ? VIPS_INTERPRETATION_RGB16 : VIPS_INTERPRETATION_sRGB;
    if (space == VIPS_INTERPRETATION_CMYK && image.bands() >= 4) {
        // The photo's own profile when it has one, a generic CMYK profile otherwise; the
        // result carries the sRGB profile in place of the CMYK one.
        image = image.icc_transform("srgb", VImage::option()
                                                ->set("embedded", true)
                                                ->set("input_profile", "cmyk")
                                                ->set("depth", deep ? 16 : 8));
    } else if (isColourManagedSpace(space)) {
        image = image.colourspace(srgb);
        profileLost = true;
    } else if (space == VIPS_INTERPRETATION_RGB16 || space == VIPS_INTERPRETATION_GREY16) {
        if (image.format() != VIPS_FORMAT_USHORT) {
            image = image.rint().cast(VIPS_FORMAT_USHORT);
        }
    } else if (image.bands() > 4) {
        image = image.extract_band(0, VImage::option()->set("n", 3));
    }
    if (image.format() != VIPS_FORMAT_UCHAR && image.format() != VIPS_FORMAT_USHORT) {
        // Values on the 0..255 scale of an 8-bit space that came as another format.
        image = image.rint().cast(VIPS_FORMAT_UCHAR);
    }
    return labelledByContent(image);
}

VImage flattenedOnWhite(const VImage& image) {
    if (!image.has_alpha()) {
        return image;
    }
    const double white = isSixteenBit(image) ? 65535.0 : 255.0;
    return labelledByContent(image.flatten(
        VImage::option()
            ->set("background", std::vector<double>(static_cast<size_t>(image.bands() - 1), white))
            ->set("max_alpha", white)));
}

VImage toEightBit(const VImage& image) {
    if (!isSixteenBit(image)) {
        return image;
    }
    return image.colourspace(image.bands() >= 3 ? VIPS_INTERPRETATION_sRGB
                                                : VIPS_INTERPRETATION_B_W);
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Metadata the savers would write into the file from the source photo.
bool isSourceMetadata(std::string_view field) {
    return field == VIPS_META_EXIF_NAME || field == VIPS_META_XMP_NAME ||
           field == VIPS_META_IPTC_NAME || field == VIPS_META_PHOTOSHOP_NAME ||
           field == VIPS_META_IMAGEDESCRIPTION || field == VIPS_META_ORIENTATION ||
           field == "jpeg-thumbnail-data" || startsWith(field, "exif-ifd") ||
           startsWith(field, "png-comment-");
}

// An ICC profile describes one kind of pixel; a profile for other pixels makes readers
// show wrong colours or refuse the file.
bool profileFits(const VImage& image) {
    size_t length = 0;
    const auto* profile = static_cast<const char*>(image.get_blob(VIPS_META_ICC_NAME, &length));
    constexpr size_t kColourSpaceAt = 16;
    if (length < 128) {
        return false;
    }
    const std::string_view colourSpace(profile + kColourSpaceAt, 4);
    return colourSpace == (image.bands() >= 3 ? "RGB " : "GRAY");
}

std::uint32_t bigEndian32(const unsigned char* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) |
           (std::uint32_t{at[2]} << 8) | std::uint32_t{at[3]};
}

bool isOneOf(const unsigned char* field, std::initializer_list<std::string_view> signatures) {
    const std::string_view value(reinterpret_cast<const char*>(field), 4);
    return std::find(signatures.begin(), signatures.end(), value) != signatures.end();
}

// Pixels that PNG would store without the profile that gives them their meaning are
// converted through it, so that they mean the same in sRGB. A profile that the colour
// engine cannot read is taken for sRGB by icc_transform, which is also what a reader
// assumes of pixels without one.
VImage throughProfileToSrgb(const VImage& image, bool& profileLost) {
    try {
        return labelledByContent(image.icc_transform(
            "srgb",
            VImage::option()->set("embedded", true)->set("depth", isSixteenBit(image) ? 16 : 8)));
    } catch (const vips::VError&) {
        profileLost = true;
        return image;
    }
}

VImage withoutSourceMetadata(const VImage& image, bool profileLost) {
    // Operation results may be shared; metadata is only ever changed on a copy of our own.
    VImage copy = image.copy();
    gchar** fields = vips_image_get_fields(copy.get_image());
    for (gchar** field = fields; *field; ++field) {
        if (isSourceMetadata(*field)) {
            copy.remove(*field);
        }
    }
    g_strfreev(fields);
    if (copy.get_typeof(VIPS_META_ICC_NAME) != 0 && (profileLost || !profileFits(copy))) {
        copy.remove(VIPS_META_ICC_NAME);
    }
    return copy;
}

} // namespace

bool pngKeepsProfile(const unsigned char* profile, std::size_t length, bool colour) {
    // libpng 1.6's png_icc_check_length, _header and _tag_table. On writing, what they
    // report as warnings drops the chunk as surely as their errors.
    if (length < 132 || bigEndian32(profile) != length) {
        return false;
    }
    const unsigned majorVersion = profile[8];
    if (majorVersion > 3 && length % 4 != 0) {
        return false;
    }
    const std::uint32_t tagCount = bigEndian32(profile + 128);
    if (tagCount > (length - 132) / 12) {
        return false;
    }
    constexpr std::uint32_t kDefinedIntents = 4;
    if (bigEndian32(profile + 64) >= kDefinedIntents) {
        return false;
    }
    // XYZ (0.9642, 1.0, 0.8249) in s15Fixed16, byte for byte: no rounding is forgiven.
    static constexpr unsigned char kD50[12] = {0x00, 0x00, 0xf6, 0xd6, 0x00, 0x01,
                                               0x00, 0x00, 0x00, 0x00, 0xd3, 0x2d};
    if (!isOneOf(profile + 36, {"acsp"}) || std::memcmp(profile + 68, kD50, sizeof kD50) != 0 ||
        !isOneOf(profile + 16, {colour ? "RGB " : "GRAY"}) ||
        !isOneOf(profile + 12, {"scnr", "mntr", "prtr", "spac"}) ||
        !isOneOf(profile + 20, {"XYZ ", "Lab "})) {
        return false;
    }
    for (std::uint32_t tag = 0; tag < tagCount; ++tag) {
        const unsigned char* entry = profile + 132 + 12 * static_cast<std::size_t>(tag);
        const std::uint32_t start = bigEndian32(entry + 4);
        const std::uint32_t size = bigEndian32(entry + 8);
        if (start > length || size > length - start || start % 4 != 0) {
            return false;
        }
    }
    return true;
}

VImage prepareForEncoding(const VImage& photo, Encoding encoding) {
    bool profileLost = false;
    VImage image = toRgbOrGrey(photo, profileLost);
    if (encoding == Encoding::Jpeg) {
        image = toEightBit(flattenedOnWhite(image));
    } else if (encoding == Encoding::WebP || encoding == Encoding::Heic ||
               encoding == Encoding::Avif) {
        // Both encoders take 8-bit RGB(A) only; grey is widened here rather than by the
        // savers, so that a grey profile is dropped instead of written beside RGB pixels.
        image = toEightBit(image);
        if (image.bands() < 3) {
            image = image.colourspace(VIPS_INTERPRETATION_sRGB);
        }
    }
    if (encoding == Encoding::Png && !profileLost && image.get_typeof(VIPS_META_ICC_NAME) != 0 &&
        profileFits(image)) {
        size_t length = 0;
        const auto* profile =
            static_cast<const unsigned char*>(image.get_blob(VIPS_META_ICC_NAME, &length));
        if (!pngKeepsProfile(profile, length, image.bands() >= 3)) {
            image = throughProfileToSrgb(image, profileLost);
        }
    }
    return withoutSourceMetadata(image, profileLost);
}

int jpegQualityFactor(int quality) {
    return std::clamp(quality, 1, 100);
}

namespace {

vips::VOption* jpegOptions(const EncoderOptions& options) {
    return VImage::option()
        ->set("Q", jpegQualityFactor(options.quality))
        ->set("interlace", options.progressive)
        ->set("subsample_mode", options.chroma444   ? VIPS_FOREIGN_SUBSAMPLE_OFF
                                : options.chroma420 ? VIPS_FOREIGN_SUBSAMPLE_ON
                                                    : VIPS_FOREIGN_SUBSAMPLE_AUTO);
}

vips::VOption* webpOptions(const EncoderOptions& options) {
    return VImage::option()
        ->set("Q", std::clamp(options.quality, 0, 100))
        ->set("lossless", options.lossless);
}

vips::VOption* heifOptions(Encoding encoding, const EncoderOptions& options) {
    // libheif takes 0 like any other quality.
    auto* heif = VImage::option()->set("Q", std::clamp(options.quality, 0, 100));
    if (encoding == Encoding::Avif) {
        heif->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_AV1)->set("effort", kAvifEffort);
    } else {
        heif->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_HEVC);
    }
    return heif;
}

// Takes over a blob libvips made and hands back its bytes.
std::string bytesOf(VipsBlob* blob) {
    size_t length = 0;
    const void* data = vips_blob_get(blob, &length);
    std::string bytes(static_cast<const char*>(data), length);
    vips_area_unref(VIPS_AREA(blob));
    return bytes;
}

} // namespace

std::string encodeToMemory(const VImage& prepared, Encoding encoding,
                           const EncoderOptions& options) {
    switch (encoding) {
    case Encoding::Jpeg: {
        // Less libvips' own EXIF block, as the file will be: the size is the file's.
        const std::string encoded = bytesOf(prepared.jpegsave_buffer(jpegOptions(options)));
        std::string bytes;
        const JpegExifFilter::Sink append = [&bytes](const char* data, std::size_t size) {
            bytes.append(data, size);
            return true;
        };
        JpegExifFilter filter;
        filter.write(encoded.data(), encoded.size(), append);
        filter.finish(append);
        return bytes;
    }
    case Encoding::WebP:
        return bytesOf(prepared.webpsave_buffer(webpOptions(options)));
    case Encoding::Heic:
    case Encoding::Avif:
        return bytesOf(prepared.heifsave_buffer(heifOptions(encoding, options)));
    case Encoding::Png:
        return bytesOf(prepared.pngsave_buffer());
    case Encoding::Tiff:
        break;
    }
    throw vips::VError("this encoding is only written to files");
}

void encodePhoto(const VImage& prepared, Encoding encoding, const EncoderOptions& options,
                 const vips::VTarget& target) {
    switch (encoding) {
    case Encoding::Jpeg:
        prepared.jpegsave_target(target, jpegOptions(options));
        return;
    case Encoding::WebP:
        prepared.webpsave_target(target, webpOptions(options));
        return;
    case Encoding::Heic:
    case Encoding::Avif:
        prepared.heifsave_target(target, heifOptions(encoding, options));
        return;
    case Encoding::Png:
        prepared.pngsave_target(target);
        return;
    case Encoding::Tiff:
        prepared.tiffsave_target(target,
                                 VImage::option()
                                     ->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE)
                                     ->set("predictor", VIPS_FOREIGN_TIFF_PREDICTOR_HORIZONTAL));
        return;
    }
}

} // namespace vantrel
