#include "core/imaging/FittedRender.h"

#include "core/imaging/DecodeLimits.h"
#include "core/imaging/WorkingImage.h"

#include <algorithm>

namespace vantrel {

double zoomToFit(int width, int height, int boxWidth, int boxHeight) {
    if (width < 1 || height < 1 || boxWidth < 1 || boxHeight < 1)
        return 0.0;
    return std::min(
        {1.0, static_cast<double>(boxWidth) / width, static_cast<double>(boxHeight) / height});
}

std::optional<Bitmap> renderToFit(const Picture& picture, int boxWidth, int boxHeight,
                                  const std::function<bool()>& wanted, QString* error) {
    if (picture.isNull()) {
        if (error)
            *error = QStringLiteral("The photo cannot be read.");
        return std::nullopt;
    }
    const PixelSize stored = picture.workingImage()->sourcePixelSize();
    if (exceedsSampleLimit(stored.width, stored.height, picture.workingImage()->sourceBands())) {
        if (error)
            *error = QStringLiteral("The photo is too large to show (%1 x %2 pixels).")
                         .arg(stored.width)
                         .arg(stored.height);
        return std::nullopt;
    }
    const double zoom = zoomToFit(picture.pixelWidth(), picture.pixelHeight(), boxWidth, boxHeight);
    if (zoom <= 0.0) {
        if (error)
            error->clear();
        return std::nullopt;
    }
    QString why;
    std::optional<Bitmap> bitmap = picture.renderPart(zoom, std::nullopt, wanted, &why);
    if (!bitmap && error)
        *error = QStringLiteral("The photo cannot be read.");
    return bitmap;
}

} // namespace vantrel
