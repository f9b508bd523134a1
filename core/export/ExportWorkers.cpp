#include "core/export/ExportWorkers.h"

#include "core/export/ExiftoolRunner.h"

#include <memory>

namespace vantrel {

ExportWorkers::ExportWorkers(int count, std::string exiftoolPath)
    : mExiftoolPath(std::move(exiftoolPath)) {
    for (int i = 0; i < std::max(count, 1); ++i) {
        mThreads.emplace_back([this] { work(); });
    }
}

ExportWorkers::~ExportWorkers() {
    {
        std::lock_guard lock(mMutex);
        mClosing = true;
    }
    mWake.notify_all();
    for (std::thread& thread : mThreads) {
        thread.join();
    }
}

std::future<PhotoExportResult> ExportWorkers::submit(PhotoExportTask task) {
    std::packaged_task<PhotoExportResult(ExiftoolRunner*)> job(
        [task = std::move(task)](ExiftoolRunner* runner) { return exportPhoto(task, runner); });
    auto result = job.get_future();
    {
        std::lock_guard lock(mMutex);
        mQueue.push_back(std::move(job));
    }
    mWake.notify_one();
    return result;
}

void ExportWorkers::work() {
    // Made on first use, in this thread, and ended with it.
    std::unique_ptr<ExiftoolRunner> runner;
    for (;;) {
        std::packaged_task<PhotoExportResult(ExiftoolRunner*)> job;
        {
            std::unique_lock lock(mMutex);
            mWake.wait(lock, [this] { return mClosing || !mQueue.empty(); });
            if (mQueue.empty()) {
                return;
            }
            job = std::move(mQueue.front());
            mQueue.pop_front();
        }
        if (!runner && !mExiftoolPath.empty()) {
            runner = std::make_unique<ExiftoolRunner>(mExiftoolPath);
        }
        job(runner.get());
    }
}

} // namespace vantrel
