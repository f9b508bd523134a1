#pragma once

#include "core/batch/AppData.h"
#include "core/export/ExportSettings.h"

#include <QDate>
#include <atomic>
#include <functional>
#include <string>

namespace vantrel {

struct ExportOutcome {
    std::string exportFolder;
    bool folderCreated = false;
    long photos = 0; // the photos of this run's shard (all of them without shards)
    long written = 0;
    long failed = 0;
    long skipped = 0;     // their outputs were there already
    bool stopped = false; // the stop flag ended the run before every photo was started
};

// One export run: a fresh export folder (or the existing one it was told to fill), then
// every photo in list order, several at once.
//
// Names, the error report's order and the files written are those of a run one photo at a
// time, whatever the number of workers: the pipelines are built and the outputs published
// in list order on the calling thread; only rendering, encoding and the metadata copy run
// on the workers.
class BatchExporter {
public:
    using ProgressCallback = std::function<void(long photosDone, long photos)>;

    BatchExporter(ExportSettings settings, const std::atomic<bool>& modalSheetShouldEnd,
                  ProgressCallback progress = {});

    // Runs the effect pipeline of each photo with the shared effect settings; failures and
    // crops that do not fit go into the shared ProcessingErrors.
    //
    // A run into an existing folder, or one shard of a run, decides every photo's name from
    // the whole list before writing (OutputPlan), so shards and retries agree on names; a
    // photo that fails then keeps its name. Otherwise a name is claimed as it is written.
    ExportOutcome run(ImageList& images, const QDate& today = QDate::currentDate());

private:
    ExportSettings mSettings;
    const std::atomic<bool>& mModalSheetShouldEnd;
    ProgressCallback mProgress;
};

} // namespace vantrel
