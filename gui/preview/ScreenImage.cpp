#include "gui/preview/ScreenImage.h"

#include <cstring>

namespace vantrel {

QImage screenImageFromBitmap(const Bitmap& bitmap) {
    if (bitmap.width < 1 || bitmap.height < 1 || (bitmap.bands != 3 && bitmap.bands != 4)) {
        return {};
    }
    const bool alpha = bitmap.bands == 4;
    QImage image(bitmap.width, bitmap.height,
                 alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    if (image.isNull()) {
        return {};
    }
    const size_t rowBytes = static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.bands);
    for (int y = 0; y < bitmap.height; ++y) {
        std::memcpy(image.scanLine(y), bitmap.pixels.data() + rowBytes * static_cast<size_t>(y),
                    rowBytes);
    }
    image.convertTo(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return image;
}

} // namespace vantrel
