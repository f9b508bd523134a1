#include "core/imaging/PreviewSource.h"

#include "core/imaging/DecodeLimits.h"
#include "core/imaging/WorkingImage.h"

#include <QFile>
#include <QFileInfo>

namespace vantrel {
namespace {

QFileInfo fileStatus(const std::string& path) {
    QFileInfo info(QFile::decodeName(path.c_str()));
    info.setCaching(false);
    return info;
}

} // namespace

std::shared_ptr<const PreviewSource> PreviewSource::decode(const std::string& path, double scale,
                                                           QString* error) {
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
    try {
        // Made in memory now: every later effect change reads these pixels, never the file.
        const vips::VImage decoded = header->render({scale}).copy_memory();
        auto source = std::shared_ptr<PreviewSource>(new PreviewSource());
        source->mPath = path;
        source->mFileSize = before.size();
        source->mModified = before.lastModified();
        source->mScale = scale;
        source->mPixels = WorkingImage::fromPixels(decoded, header->extent());
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
    if (path != mPath || zoom > mScale || mScale > 4.0 * zoom)
        return false;
    const QFileInfo now = fileStatus(path);
    return now.exists() && now.size() == mFileSize && now.lastModified() == mModified;
}

} // namespace vantrel
