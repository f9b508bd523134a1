#include "core/export/BatchExporter.h"

#include "core/batch/ProcessingErrors.h"
#include "core/batch/SystemLog.h"
#include "core/export/ExportFolder.h"
#include "core/export/ExportWorkers.h"
#include "core/export/SizeCap.h"
#include "core/imaging/PhotoFile.h"

#include <deque>
#include <future>
#include <thread>

namespace vantrel {

namespace {

struct PhotoInFlight {
    std::string title;
    std::string requestedPath;
    QStringList pipelineMessages; // what the pipeline reported, held back to keep list order
    std::future<PhotoExportResult> result;
};

int workerCount(int jobs) {
    return jobs > 0 ? jobs : std::max(1, int(std::thread::hardware_concurrency()));
}

} // namespace

BatchExporter::BatchExporter(ExportSettings settings, const std::atomic<bool>& modalSheetShouldEnd,
                             ProgressCallback progress)
    : mSettings(std::move(settings)), mModalSheetShouldEnd(modalSheetShouldEnd),
      mProgress(std::move(progress)) {}

ExportOutcome BatchExporter::run(ImageList& images, const QDate& today) {
    systemLog(QStringLiteral("Export Started!"));
    ExportOutcome outcome;
    const ExportFolderResult folder =
        createExportFolder(mSettings.destination, mSettings.targetFolderName, today);
    outcome.exportFolder = folder.path;
    outcome.folderCreated = folder.created;
    outcome.photos = long(images.size());

    ProcessingErrors& errors = ProcessingErrors::errors();
    if (!folder.created) {
        // Every write would fail the same way: say why once instead of decoding every photo
        // only to fail it.
        errors.addError(QStringLiteral("The export folder %1 could not be created: %2")
                            .arg(displayPath(folder.path), folder.failure));
        outcome.failed = outcome.photos;
        return outcome;
    }
    const bool copyMetadata = mSettings.transferMetadata && mSettings.exiftoolPath.has_value();
    if (mSettings.transferMetadata && !copyMetadata) {
        errors.addError(QStringLiteral("exiftool was not found: the photos were exported without "
                                       "their metadata."));
    }
    const int jobs = workerCount(mSettings.jobs);
    ExportWorkers workers(jobs, copyMetadata ? *mSettings.exiftoolPath : std::string());

    const auto start = [&](long index) {
        Image& image = *images[size_t(index)];
        const PipelineNotes notes = image.applyEffectsForPreview(false);
        systemLog(notes.logLines);

        PhotoInFlight photo;
        photo.title = image.imageTitle();
        photo.pipelineMessages = notes.errors;
        const std::string extension = fileExtentionAtIndex(mSettings.outputType, photo.title);
        photo.requestedPath = mSettings.keepOriginalName
                                  ? sourceNameOutputPath(folder.path, photo.title, extension)
                                  : newNameOutputPath(folder.path, mSettings.newName, index,
                                                      outcome.photos, extension);
        PhotoExportTask task;
        task.image = image.workingImage();
        task.sourcePath = image.path();
        task.exportFolder = folder.path;
        task.encoding = encodingFor(mSettings.outputType, photo.requestedPath);
        task.extension = extension;
        task.encoderOptions.quality = mSettings.quality;
        task.encoderOptions.lossless = mSettings.lossless;
        task.encoderOptions.progressive = mSettings.progressive;
        task.encoderOptions.chroma444 = mSettings.chroma444;
        task.maxBytes = std::uint64_t(std::max(mSettings.maxKilobytes, 0)) * kBytesPerKilobyte;
        task.transferMetadata = copyMetadata;
        task.withoutPrivateMetadata = mSettings.withoutPrivateMetadata;
        photo.result = workers.submit(std::move(task));
        return photo;
    };

    const auto finish = [&](PhotoInFlight& photo) {
        for (const QString& message : photo.pipelineMessages) {
            errors.addError(message);
        }
        PhotoExportResult result = photo.result.get();
        QString why = result.failure;
        std::optional<std::string> written;
        if (result.output) {
            written = result.output->publish(photo.requestedPath, &collisionCandidate, &why);
        }
        const QString title = displayPath(photo.title);
        if (!written) {
            systemLog(QStringLiteral("failed writing reconstructed image at path %1")
                          .arg(displayPath(photo.requestedPath)));
            errors.addError(QStringLiteral("%1 could not be exported: %2").arg(title, why));
            ++outcome.failed;
        } else {
            ++outcome.written;
            if (!result.sizeCapFailure.isEmpty()) {
                errors.addError(QStringLiteral("%1 does not fit the size cap: %2")
                                    .arg(title, result.sizeCapFailure));
            }
            if (!result.metadataFailure.isEmpty()) {
                errors.addError(QStringLiteral("%1: the metadata could not be copied: %2")
                                    .arg(title, result.metadataFailure));
            }
        }
    };

    std::deque<PhotoInFlight> inFlight;
    long next = 0;
    long done = 0;
    for (;;) {
        // The stop flag is read before each photo; photos already started still finish.
        // One photo more than there are workers keeps them busy while a result is published.
        while (next < outcome.photos && long(inFlight.size()) <= jobs && !mModalSheetShouldEnd) {
            inFlight.push_back(start(next++));
        }
        if (inFlight.empty()) {
            break;
        }
        finish(inFlight.front());
        inFlight.pop_front();
        if (mProgress) {
            mProgress(++done, outcome.photos);
        }
    }
    outcome.stopped = next < outcome.photos;
    return outcome;
}

} // namespace vantrel
