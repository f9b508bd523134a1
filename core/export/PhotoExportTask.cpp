#include "core/export/PhotoExportTask.h"

#include "core/export/ExiftoolRunner.h"
#include "core/export/OutputFailures.h"
#include "core/imaging/DecodeLimits.h"
#include "core/imaging/WorkingImage.h"

namespace vantrel {

namespace {

bool tooLarge(PixelSize size, int bands) {
    return exceedsSampleLimit(size.width, size.height, bands);
}

} // namespace

PhotoExportResult exportPhoto(const PhotoExportTask& task, ExiftoolRunner* metadataRunner) {
    PhotoExportResult result;
    if (!task.image) {
        result.failure = QStringLiteral("the photo cannot be read (damaged, not a photo, or an "
                                        "unsupported kind)");
        return result;
    }
    const PixelSize stored = task.image->sourcePixelSize();
    const PixelSize produced = task.image->pixelSize();
    const int bands = task.image->sourceBands();
    if (tooLarge(stored, bands) || tooLarge(produced, bands)) {
        const PixelSize big = tooLarge(stored, bands) ? stored : produced;
        result.failure = QStringLiteral("the photo is too large to process (%1 x %2 pixels)")
                             .arg(big.width)
                             .arg(big.height);
        return result;
    }
    QString why;
    PixelSize written;
    try {
        const vips::VImage rendered = task.image->render({});
        written = {rendered.width(), rendered.height()};
        result.output =
            PendingOutput::encode(rendered, task.exportFolder, task.encoding, task.quality,
                                  task.extension, task.transferMetadata, &why);
    } catch (const vips::VError&) {
        why = decodeFailure();
        vips_error_clear();
    }
    if (!result.output) {
        result.failure = why;
        return result;
    }
    if (task.transferMetadata && metadataRunner) {
        // Pixels turned upright must not keep tags that turn them again.
        std::optional<UprightOutput> upright;
        if (task.image->followsCameraOrientation()) {
            upright = UprightOutput{written.width, written.height};
        }
        if (auto failure =
                metadataRunner->transferTagsFrom(task.sourcePath, result.output->path(), upright)) {
            result.metadataFailure = *failure;
        }
    }
    return result;
}

} // namespace vantrel
