#pragma once

#include "core/export/PhotoExportTask.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel {

// A fixed set of threads that export photos. Each thread keeps its own metadata runner
// (a long-lived exiftool process is used by one thread only).
class ExportWorkers {
public:
    // exiftoolPath empty: no metadata is copied.
    ExportWorkers(int count, std::string exiftoolPath);
    ~ExportWorkers();
    ExportWorkers(const ExportWorkers&) = delete;
    ExportWorkers& operator=(const ExportWorkers&) = delete;

    std::future<PhotoExportResult> submit(PhotoExportTask task);

private:
    void work();

    std::string mExiftoolPath;
    std::mutex mMutex;
    std::condition_variable mWake;
    std::deque<std::packaged_task<PhotoExportResult(ExiftoolRunner*)>> mQueue;
    bool mClosing = false;
    std::vector<std::thread> mThreads;
};

} // namespace vantrel
