#include "imaging/Picture.h"

#include "imaging/WorkingImage.h"

#include <cstring>

using vips::VImage;

namespace vantrel {

namespace {

VImage toDisplaySpace(VImage image) {
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB || image.format() != VIPS_FORMAT_UCHAR) {
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    }
    if (image.format() != VIPS_FORMAT_UCHAR) {
        image = image.cast(VIPS_FORMAT_UCHAR);
    }
    if (image.bands() > 4) {
        image = image.extract_band(0, VImage::option()->set("n", 4));
    }
    return image;
}

} // namespace

Picture::Picture(std::shared_ptr<const WorkingImage> image) : mImage(std::move(image)) {}

int Picture::pixelWidth() const {
    return mImage ? mImage->pixelSize().width : 0;
}

int Picture::pixelHeight() const {
    return mImage ? mImage->pixelSize().height : 0;
}

std::optional<Bitmap> Picture::render(double zoom, QString* error) const {
    if (!mImage) {
        if (error) {
            *error = QStringLiteral("The photo cannot be read.");
        }
        return std::nullopt;
    }
    try {
        const VImage image = toDisplaySpace(mImage->render({zoom}));
        size_t size = 0;
        auto* data = static_cast<unsigned char*>(image.write_to_memory(&size));
        Bitmap bitmap{image.width(), image.height(), image.bands(), {}};
        bitmap.pixels.assign(data, data + size);
        g_free(data);
        return bitmap;
    } catch (const vips::VError& failure) {
        if (error) {
            *error = QString::fromUtf8(failure.what()).trimmed();
        }
        // libvips keeps one error text for the process; left alone it would grow into
        // every later message.
        vips_error_clear();
        return std::nullopt;
    }
}

} // namespace vantrel
