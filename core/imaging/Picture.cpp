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

namespace {

// libvips asks this now and then while it computes an image; a render nobody wants any more
// is told to stop there.
void stopWhenUnwanted(VipsImage* image, VipsProgress*, void* wanted) {
    if (!(*static_cast<const std::function<bool()>*>(wanted))())
        vips_image_set_kill(image, TRUE);
}

} // namespace

std::optional<Bitmap> Picture::render(double zoom, QString* error) const {
    return renderPart(zoom, std::nullopt, {}, error);
}

std::optional<Bitmap> Picture::renderPart(double zoom, const std::optional<PixelRect>& part,
                                          const std::function<bool()>& wanted,
                                          QString* error) const {
    if (!mImage) {
        if (error) {
            *error = QStringLiteral("The photo cannot be read.");
        }
        return std::nullopt;
    }
    try {
        RenderOptions options;
        options.zoom = zoom;
        options.part = part;
        vips::VImage image = toDisplayBands(mImage->render(options));
        if (wanted) {
            vips_image_set_progress(image.get_image(), TRUE);
            g_signal_connect(image.get_image(), "eval", G_CALLBACK(stopWhenUnwanted),
                             const_cast<std::function<bool()>*>(&wanted));
        }
        return bitmapFromDisplayImage(image);
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
