#include "core/imaging/PreviewSource.h"

#include "core/imaging/DecodeLimits.h"
#include "core/imaging/OrientationChoice.h"
#include "core/imaging/PixelResampling.h"
#include "core/imaging/WorkingImage.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace vantrel {
namespace {

// The largest copy kept of the previewed photo; beyond it the file is read at each change.
constexpr double kMaximumCopyBytes = 128.0 * 1024 * 1024;

QFileInfo fileStatus(const std::string& path) {
    QFileInfo info(QFile::decodeName(path.c_str()));
    info.setCaching(false);
    return info;
}

} // namespace

std::shared_ptr<const PreviewSource> PreviewSource::decode(const std::string& path, double zoom,
                                                           QString* error, Detail detail) {
    const QFileInfo before = fileStatus(path);
    auto header = WorkingImage::fromFile(path);
    if (!header) {
        if (error)
            *error = QStringLiteral("The photo cannot be read.");
        return nullptr;
    }
    // A photo beyond the sample limit is refused by its header, as its export would be:
    // one panorama or bomb must not take the window's memory.
    const PixelSize stored = header->sourcePixelSize();
    if (exceedsSampleLimit(stored.width, stored.height, header->sourceBands())) {
        if (error)
            *error = QStringLiteral("The photo is too large to preview (%1 x %2 pixels).")
                         .arg(stored.width)
                         .arg(stored.height);
        return nullptr;
    }
    const double exactFraction = std::min(1.0, 2.0 * zoom);
    if (detail == Detail::FirstLook &&
        header->loaderShrink(zoom) <= header->loaderShrink(exactFraction))
        return nullptr;
    try {
        vips::VImage decoded =
            header->decodeShrunk(detail == Detail::FirstLook ? zoom : exactFraction);
        // A copy that its loader could not shrink enough is resampled to twice the zoom:
        // every effect change would otherwise resample far more pixels than are shown.
        if (decoded.width() > 4.0 * zoom * stored.width) {
            decoded = resampleTo(decoded, pixelCount(stored.width * exactFraction),
                                 pixelCount(stored.height * exactFraction));
        }
        auto source = std::shared_ptr<PreviewSource>(new PreviewSource());
        source->mPath = path;
        source->mFileSize = before.size();
        source->mModified = before.lastModified();
        const double bytes = double(decoded.width()) * decoded.height() * decoded.bands() *
                             double(vips_format_sizeof(decoded.format()));
        if (bytes > kMaximumCopyBytes) {
            // A photo shown this large is rendered from its file, only the part on view,
            // at every change: slower, but it never holds the whole photo.
            source->mScale = 1.0;
            source->mPixels = header;
        } else {
            // Made in memory now: every later effect change reads these pixels, never the
            // file.
            decoded = decoded.copy_memory();
            // The copy can be read in any order, whatever its decoder could.
            decoded.remove(VIPS_META_SEQUENTIAL);
            source->mScale = std::min(double(decoded.width()) / stored.width,
                                      double(decoded.height()) / stored.height);
            source->mPixels = header->withDecodedPixels(decoded);
            source->mBytes = bytes;
        }
        source->mHeader = std::move(header);
        return source;
    } catch (const vips::VError& failure) {
        if (error)
            *error = QString::fromUtf8(failure.what()).trimmed();
        vips_error_clear();
        return nullptr;
    }
}

bool PreviewSource::serves(const std::string& path, double zoom) const {
    if (path != mPath || zoom > mScale || mScale > 4.0 * zoom ||
        mHeader->followsCameraOrientation() != cameraOrientationApplied())
        return false;
    const QFileInfo now = fileStatus(path);
    return now.exists() && now.size() == mFileSize && now.lastModified() == mModified;
}

} // namespace vantrel
