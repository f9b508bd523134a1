#include "core/imaging/Orientation.h"

#include "core/imaging/HexDigit.h"

#include <atomic>
#include <cstring>
#include <exiv2/exiv2.hpp>
#include <string_view>
#include <vector>

using vips::VImage;

namespace vantrel {
namespace {

std::atomic<bool> orientationApplied{true};

bool isOrientation(long value) {
    return value >= 1 && value <= 8;
}

// ImageMagick's text form of a profile: "\nexif\n<length>\n<hex digits in lines>".
std::vector<unsigned char> rawProfileBytes(std::string_view text) {
    std::vector<unsigned char> bytes;
    size_t at = text.find_first_not_of(" \t\r\n");
    for (int skipped = 0; skipped < 2 && at != std::string_view::npos; ++skipped) {
        at = text.find_first_not_of(" \t\r\n", text.find_first_of(" \t\r\n", at));
    }
    int high = -1;
    for (; at < text.size(); ++at) {
        const int digit = hexDigit(text[at]);
        if (digit < 0) {
            continue; // line breaks
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<unsigned char>(high * 16 + digit));
            high = -1;
        }
    }
    return bytes;
}

// The Orientation of an EXIF block (with or without its "Exif\0\0" start), or 0.
long exifBlockOrientation(std::vector<unsigned char> bytes) {
    static constexpr char kExifStart[] = {'E', 'x', 'i', 'f', '\0', '\0'};
    size_t start = 0;
    if (bytes.size() >= sizeof kExifStart &&
        std::memcmp(bytes.data(), kExifStart, sizeof kExifStart) == 0) {
        start = sizeof kExifStart;
    }
    if (bytes.size() <= start) {
        return 0;
    }
    try {
        Exiv2::ExifData exif;
        Exiv2::ExifParser::decode(exif, bytes.data() + start,
                                  static_cast<uint32_t>(bytes.size() - start));
        const auto tag = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
        if (tag != exif.end() && tag->count() == 1) {
            return tag->toLong();
        }
    } catch (...) {
        // A damaged profile tells us nothing.
    }
    return 0;
}

long rawProfileOrientation(const VImage& header) {
    long orientation = 0;
    gchar** fields = vips_image_get_fields(header.get_image());
    for (gchar** field = fields; *field && orientation == 0; ++field) {
        const std::string_view name(*field);
        const char* text = nullptr;
        if (name.starts_with("png-comment-") && name.ends_with("-Raw profile type exif") &&
            vips_image_get_string(header.get_image(), *field, &text) == 0 && text) {
            orientation = exifBlockOrientation(rawProfileBytes(text));
        }
    }
    g_strfreev(fields);
    return orientation;
}

} // namespace

bool cameraOrientationApplied() {
    return orientationApplied.load();
}

void setCameraOrientationApplied(bool applied) {
    orientationApplied.store(applied);
}

QuarterTransform QuarterTransform::forOrientation(int orientation) {
    switch (orientation) {
    case 2:
        return {0, true};
    case 3:
        return {2, false};
    case 4:
        return {2, true};
    case 5:
        return {1, true};
    case 6:
        return {1, false};
    case 7:
        return {3, true};
    case 8:
        return {3, false};
    default:
        return {};
    }
}

QuarterTransform QuarterTransform::thenCounterClockwise(int turns) const {
    // A flip reverses the sense of the turns made before it: flip·cw(n) = cw(-n)·flip.
    const int sense = mirrored ? 1 : -1;
    return {((clockwiseTurns + sense * turns) % 4 + 4) % 4, mirrored};
}

VImage QuarterTransform::apply(const VImage& image) const {
    static constexpr VipsAngle kClockwise[] = {VIPS_ANGLE_D0, VIPS_ANGLE_D90, VIPS_ANGLE_D180,
                                               VIPS_ANGLE_D270};
    VImage turned = clockwiseTurns == 0 ? image : image.rot(kClockwise[clockwiseTurns]);
    return mirrored ? turned.flip(VIPS_DIRECTION_HORIZONTAL) : turned;
}

PixelSize QuarterTransform::size(PixelSize before) const {
    return swapsSides() ? PixelSize{before.height, before.width} : before;
}

ExactSize QuarterTransform::size(ExactSize before) const {
    return swapsSides() ? ExactSize{before.height, before.width} : before;
}

PixelRect QuarterTransform::rectBefore(const PixelRect& after, PixelSize afterSize) const {
    // Undo the flip, then the clockwise turns one counter-clockwise turn at a time.
    PixelRect r = after;
    PixelSize grid = afterSize;
    if (mirrored) {
        r.left = grid.width - r.left - r.width;
    }
    for (int turn = 0; turn < clockwiseTurns; ++turn) {
        // Counter-clockwise, the right edge becomes the top and the top the left.
        r = PixelRect{r.top, grid.width - r.left - r.width, r.height, r.width};
        grid = PixelSize{grid.height, grid.width};
    }
    return r;
}

int orientationOf(const VImage& header) {
    int tagged = 0;
    if (vips_image_get_typeof(header.get_image(), VIPS_META_ORIENTATION) != 0 &&
        vips_image_get_int(header.get_image(), VIPS_META_ORIENTATION, &tagged) == 0 &&
        isOrientation(tagged)) {
        return tagged;
    }
    const long raw = rawProfileOrientation(header);
    return isOrientation(raw) ? static_cast<int>(raw) : 1;
}

QuarterTransform uprightTransformOf(const VImage& header) {
    return cameraOrientationApplied() ? QuarterTransform::forOrientation(orientationOf(header))
                                      : QuarterTransform{};
}

} // namespace vantrel
