#pragma once

#include "core/export/OutputNaming.h"
#include "core/export/PhotoWriter.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vantrel {

class ExiftoolRunner;
class WorkingImage;

// One photo's work that can run beside others: render the processed photo, encode it into
// a temporary file in the export folder, copy the source's metadata onto it.
struct PhotoExportTask {
    std::shared_ptr<const WorkingImage> image; // null when the photo cannot be read
    std::string sourcePath;
    std::string exportFolder;
    Encoding encoding = Encoding::Jpeg;
    std::string extension;
    EncoderOptions encoderOptions;
    std::uint64_t maxBytes = 0; // 0: no size cap
    bool transferMetadata = false;
    bool withoutPrivateMetadata = false;
};

struct PhotoExportResult {
    std::optional<PendingOutput> output; // nothing when the photo could not be written
    QString failure;                     // why not, in plain words
    QString metadataFailure;             // the output is fine but lacks its metadata
    QString sizeCapFailure;              // written, but larger than the size cap
};

// Runs on a worker thread; the runner (may be null) belongs to that thread.
PhotoExportResult exportPhoto(const PhotoExportTask& task, ExiftoolRunner* metadataRunner);

} // namespace vantrel
