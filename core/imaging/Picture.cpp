#include "core/imaging/Picture.h"

#include "core/imaging/DisplayBitmap.h"
#include "core/imaging/WorkingImage.h"

namespace vantrel {

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
        return bitmapFromDisplayImage(toDisplayBands(mImage->render({zoom})));
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
