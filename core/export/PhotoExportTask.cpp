#include "core/export/PhotoExportTask.h"

#include "core/export/ExiftoolRunner.h"
#include "core/export/OutputFailures.h"
#include "core/export/PhotoEncoding.h"
#include "core/export/SizeCap.h"
#include "core/imaging/DecodeLimits.h"
#include "core/imaging/HeifCodecs.h"
#include "core/imaging/WorkingImage.h"

namespace vantrel {

namespace {

bool tooLarge(PixelSize size, int bands) {
    return exceedsSampleLimit(size.width, size.height, bands);
}

std::optional<HeifCodec> heifCodecOf(Encoding encoding) {
    switch (encoding) {
    case Encoding::Heic:
        return HeifCodec::Hevc;
    case Encoding::Avif:
        return HeifCodec::Av1;
    default:
        return std::nullopt;
    }
}

bool capApplies(const PhotoExportTask& task) {
    return task.maxBytes > 0 && encodingHasQuality(task.encoding) &&
           !(task.encoding == Encoding::WebP && task.encoderOptions.lossless);
}

QString kilobytes(std::uint64_t bytes) {
    return QString::number((bytes + kBytesPerKilobyte - 1) / kBytesPerKilobyte);
}

// Decodes the photo once into memory, then encodes it until the highest quality that fits.
std::optional<PendingOutput> encodeCapped(const vips::VImage& rendered, const PhotoExportTask& task,
                                          PhotoExportResult& result, QString* why) {
    const vips::VImage prepared = prepareForEncoding(rendered, task.encoding).copy_memory();
    const CappedEncoding capped =
        encodeWithinSize(prepared, task.encoding, task.encoderOptions, task.maxBytes);
    if (!capped.fits) {
        result.sizeCapFailure =
            QStringLiteral("even at the lowest quality it takes %1 KB, more than the %2 KB "
                           "asked for; that smallest file was written")
                .arg(kilobytes(capped.bytes.size()), kilobytes(task.maxBytes));
    }
    return PendingOutput::store(capped.bytes, task.exportFolder, task.encoding, task.extension,
                                task.transferMetadata, why);
}

// A HEIF photo whose codec is not installed fails in words that say so.
QString failureFor(const PhotoExportTask& task, const QString& otherwise) {
    return missingHeifDecoderOf(task.sourcePath).value_or(otherwise);
}

} // namespace

PhotoExportResult exportPhoto(const PhotoExportTask& task, ExiftoolRunner* metadataRunner) {
    PhotoExportResult result;
    if (!task.image) {
        result.failure =
            failureFor(task, QStringLiteral("the photo cannot be read (damaged, not a photo, or "
                                            "an unsupported kind)"));
        return result;
    }
    if (const auto codec = heifCodecOf(task.encoding); codec && !heifEncoderAvailable(*codec)) {
        result.failure = missingHeifEncoderText(*codec);
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
        result.output = capApplies(task)
                            ? encodeCapped(rendered, task, result, &why)
                            : PendingOutput::encode(rendered, task.exportFolder, task.encoding,
                                                    task.encoderOptions, task.extension,
                                                    task.transferMetadata, &why);
    } catch (const vips::VError&) {
        why = decodeFailure();
        vips_error_clear();
    } catch (const std::bad_alloc&) {
        why = QStringLiteral("not enough memory");
    }
    if (!result.output) {
        result.failure = why == decodeFailure() ? failureFor(task, why) : why;
        return result;
    }
    if (task.transferMetadata && metadataRunner) {
        // Pixels turned upright must not keep tags that turn them again.
        std::optional<UprightOutput> upright;
        if (task.image->followsCameraOrientation()) {
            upright = UprightOutput{written.width, written.height};
        }
        if (auto failure = metadataRunner->transferTagsFrom(task.sourcePath, result.output->path(),
                                                            upright, task.withoutPrivateMetadata)) {
            result.metadataFailure = *failure;
        }
    }
    return result;
}

} // namespace vantrel
