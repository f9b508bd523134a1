#include "core/imaging/DisplayBitmap.h"

using vips::VImage;

namespace vantrel {

VImage toDisplayBands(VImage image) {
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB || image.format() != VIPS_FORMAT_UCHAR) {
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    }
    if (image.format() != VIPS_FORMAT_UCHAR) {
        image = image.cast(VIPS_FORMAT_UCHAR);
    }
    if (image.bands() == 1) {
        image = image.bandjoin({image, image});
    } else if (image.bands() == 2) {
        // Grey with alpha that the colour conversion left as it was.
        const VImage grey = image.extract_band(0);
        image = grey.bandjoin({grey, grey, image.extract_band(1)});
    } else if (image.bands() > 4) {
        image = image.extract_band(0, VImage::option()->set("n", 4));
    }
    return image.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

Bitmap bitmapFromDisplayImage(const VImage& display) {
    size_t size = 0;
    auto* data = static_cast<unsigned char*>(display.write_to_memory(&size));
    Bitmap bitmap{display.width(), display.height(), display.bands(), {}};
    bitmap.pixels.assign(data, data + size);
    g_free(data);
    return bitmap;
}

} // namespace vantrel
