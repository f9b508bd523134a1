#include "core/export/PhotoExportTask.h"

#include "core/export/ExiftoolRunner.h"
#include "core/export/OutputFailures.h"
#include "core/export/PhotoEncoding.h"
#include "core/export/SizeCap.h"
#include "core/imaging/DecodeLimits.h"
#include "core/imaging/HeifCodecs.h"
#include "core/imaging/WorkingImage.h"

#include <algorithm>
#include <sys/stat.h>

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

// What the metadata copy adds to a file of this kind: measured on a tiny picture of the same
// encoding that gets the same tags (nothing when the copy fails there too).
std::uint64_t metadataBytes(const PhotoExportTask& task, ExiftoolRunner& runner,
                            const std::optional<UprightOutput>& upright) {
    const vips::VImage tiny = prepareForEncoding(
        vips::VImage::black(16, 16, vips::VImage::option()->set("bands", 3)), task.encoding);
    const std::string bytes = encodeToMemory(tiny, task.encoding, EncoderOptions(50));
    const std::optional<PendingOutput> probe = PendingOutput::store(
        bytes, task.exportFolder, task.encoding, task.extension, true, nullptr);
    if (!probe || runner.transferTagsFrom(task.sourcePath, probe->path(), upright,
                                          task.withoutPrivateMetadata)) {
        return 0;
    }
    struct stat info {};
    if (::stat(probe->path().c_str(), &info) != 0 || std::uint64_t(info.st_size) <= bytes.size()) {
        return 0;
    }
    return std::uint64_t(info.st_size) - bytes.size();
}

// Decodes the photo once into memory, then encodes it until the highest quality that fits
// beside the metadata that will be copied onto it.
std::optional<PendingOutput> encodeCapped(const vips::VImage& rendered, const PhotoExportTask& task,
                                          std::uint64_t metadata, PhotoExportResult& result,
                                          QString* why) {
    const vips::VImage prepared = prepareForEncoding(rendered, task.encoding).copy_memory();
    const std::uint64_t room = task.maxBytes > metadata ? task.maxBytes - metadata : 1;
    // libvips' own choice keeps JPEG colour whole from quality 90, which makes the file a
    // third larger in one step. The rungs of the search are therefore the qualities up to
    // the asked one with the colour halved, then the asked one as asked, so that the size
    // grows smoothly and the cap is met closely, and the file is written as asked whenever
    // that fits.
    const EncoderOptions& asked = task.encoderOptions;
    const int top = std::clamp(asked.quality, 1, 100);
    const bool wholeColourTop = task.encoding == Encoding::Jpeg && !asked.chroma444 && top >= 90;
    const CappedEncoding capped =
        highestRungWithinSize(wholeColourTop ? top + 1 : top, room, [&](int rung) {
            EncoderOptions probe = asked;
            probe.quality = std::min(rung, top);
            probe.chroma420 = wholeColourTop && rung <= top;
            return encodeToMemory(prepared, task.encoding, probe);
        });
    if (!capped.fits) {
        result.sizeCapFailure =
            QStringLiteral("even at the lowest quality it takes %1 KB, more than the %2 KB "
                           "asked for; that smallest file was written")
                .arg(kilobytes(capped.bytes.size() + metadata), kilobytes(task.maxBytes));
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
    std::optional<UprightOutput> upright;
    try {
        const vips::VImage rendered = task.image->render({});
        // Pixels turned upright must not keep tags that turn them again.
        if (task.image->followsCameraOrientation()) {
            upright = UprightOutput{rendered.width(), rendered.height()};
        }
        const bool copiesMetadata = task.transferMetadata && metadataRunner;
        result.output =
            capApplies(task)
                ? encodeCapped(rendered, task,
                               copiesMetadata ? metadataBytes(task, *metadataRunner, upright) : 0,
                               result, &why)
                : PendingOutput::encode(rendered, task.exportFolder, task.encoding,
                                        task.encoderOptions, task.extension, task.transferMetadata,
                                        &why);
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
        if (auto failure = metadataRunner->transferTagsFrom(task.sourcePath, result.output->path(),
                                                            upright, task.withoutPrivateMetadata)) {
            result.metadataFailure = *failure;
        }
    }
    return result;
}

} // namespace vantrel
