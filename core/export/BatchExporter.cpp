#include "core/export/BatchExporter.h"

#include "core/batch/ProcessingErrors.h"
#include "core/batch/SystemLog.h"
#include "core/export/ExportFolder.h"
#include "core/export/ExportWorkers.h"
#include "core/export/OutputFolders.h"
#include "core/export/OutputPlan.h"
#include "core/export/SizeCap.h"
#include "core/imaging/PhotoFile.h"
#include "core/imaging/WorkingImage.h"

#include <deque>
#include <future>
#include <sys/stat.h>
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

bool somethingAt(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The folder a run writes into when it makes none: it must be there already.
ExportFolderResult existingFolder(const std::string& folder) {
    std::string path = standardizePath(folder);
    path = absolutePath(path);
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        return {path, false, QStringLiteral("it does not exist")};
    }
    if (!S_ISDIR(info.st_mode)) {
        return {path, false, QStringLiteral("it is not a folder")};
    }
    return {path, true, {}};
}

std::future<PhotoExportResult> failedResult(const QString& why) {
    std::promise<PhotoExportResult> promise;
    PhotoExportResult result;
    result.failure = why;
    promise.set_value(std::move(result));
    return promise.get_future();
}

} // namespace

BatchExporter::BatchExporter(ExportSettings settings, const std::atomic<bool>& modalSheetShouldEnd,
                             ProgressCallback progress)
    : mSettings(std::move(settings)), mModalSheetShouldEnd(modalSheetShouldEnd),
      mProgress(std::move(progress)) {}

ExportOutcome BatchExporter::run(ImageList& images, const QDate& today) {
    systemLog(QStringLiteral("Export Started!"));
    ExportOutcome outcome;
    const bool into = !mSettings.intoFolder.empty();
    const ExportFolderResult folder =
        into ? existingFolder(mSettings.intoFolder)
             : createExportFolder(mSettings.destination, mSettings.targetFolderName, today);
    outcome.exportFolder = folder.path;
    outcome.folderCreated = folder.created;
    const long total = long(images.size());
    const int shards = std::max(1, mSettings.shards);
    const int shard = std::clamp(mSettings.shard, 1, shards);
    for (long index = 0; index < total; ++index) {
        outcome.photos += belongsToShard(index, shard, shards) ? 1 : 0;
    }

    ProcessingErrors& errors = ProcessingErrors::errors();
    if (!folder.created) {
        // Every write would fail the same way: say why once instead of decoding every photo
        // only to fail it.
        errors.addError((into ? QStringLiteral("The folder %1 cannot be written into: %2")
                              : QStringLiteral("The export folder %1 could not be created: %2"))
                            .arg(displayPath(folder.path), folder.failure));
        outcome.failed = outcome.photos;
        return outcome;
    }
    OutputPlan plan(mSettings, folder.path, total);
    if (mSettings.useNameTemplate && !plan.nameTemplate().isValid()) {
        errors.addError(QStringLiteral("The name template cannot be used: %1")
                            .arg(plan.nameTemplate().error()));
        outcome.failed = outcome.photos;
        return outcome;
    }
    // Names decided from the whole list, so that shards and retries give the same ones.
    const bool planned = into || shards > 1;
    OutputFolders folders(folder.path);
    const bool copyMetadata = mSettings.transferMetadata && mSettings.exiftoolPath.has_value();
    if (mSettings.transferMetadata && !copyMetadata) {
        errors.addError(QStringLiteral("exiftool was not found: the photos were exported without "
                                       "their metadata."));
    }
    const int jobs = workerCount(mSettings.jobs);
    ExportWorkers workers(jobs, copyMetadata ? *mSettings.exiftoolPath : std::string());

    // Names photo `index`; gives the photo to export, or nothing for a photo of another shard
    // or one whose output is there already.
    const auto start = [&](long index) -> std::optional<PhotoInFlight> {
        Image& image = *images[size_t(index)];
        const bool ours = belongsToShard(index, shard, shards);
        OutputSubject subject{image.path(), image.imageTitle(), image.foundInFolders()};
        PipelineNotes notes;
        std::shared_ptr<const WorkingImage> recipe;
        if (ours) {
            notes = image.applyEffectsForPreview(false);
            recipe = image.workingImage();
        } else if (plan.needsSize()) {
            // Another shard's photo: only its size matters, and nothing of it is kept.
            Image probe(subject.path);
            probe.applyEffectsForPreview(false);
            recipe = probe.workingImage();
        }
        if (recipe) {
            subject.width = recipe->pixelSize().width;
            subject.height = recipe->pixelSize().height;
        }
        std::string requested = plan.requestedPath(subject, index);
        if (planned) {
            requested = plan.claim(requested);
        }
        if (!ours) {
            return std::nullopt;
        }
        systemLog(notes.logLines);
        if (mSettings.skipExisting && somethingAt(requested)) {
            systemLog(
                QStringLiteral("%1 is exported already, skipped").arg(displayPath(requested)));
            ++outcome.skipped;
            return std::nullopt;
        }

        PhotoInFlight photo;
        photo.title = subject.title;
        photo.pipelineMessages = notes.errors;
        photo.requestedPath = requested;
        QString why;
        const std::optional<std::string> outputFolder = folders.make(
            mSettings.keepFolders ? subject.foundInFolders : std::vector<std::string>(), &why);
        if (!outputFolder) {
            photo.result = failedResult(why);
            return photo;
        }
        const std::string extension = fileExtentionAtIndex(mSettings.outputType, photo.title);
        PhotoExportTask task;
        task.image = recipe;
        task.sourcePath = subject.path;
        task.exportFolder = *outputFolder;
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
        while (next < total && long(inFlight.size()) <= jobs && !mModalSheetShouldEnd) {
            if (std::optional<PhotoInFlight> photo = start(next++)) {
                inFlight.push_back(std::move(*photo));
            } else if (belongsToShard(next - 1, shard, shards) && mProgress) {
                mProgress(++done, outcome.photos);
            }
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
    outcome.stopped = next < total;
    return outcome;
}

} // namespace vantrel
