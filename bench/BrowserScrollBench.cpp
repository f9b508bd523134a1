// Scrolling the thumbnail browser over a large batch: imports a folder the way the window
// does, shows the browser and scrolls through the whole grid one step at a time, repainting
// each step, while thumbnails are made in the background as they would be for a user.
//
//   vantrel_browser_scroll FOLDER [--step PIXELS] [--zoom VALUE] [--unpaced]
//
// Paced (the default), each step takes at least one 60 Hz frame, so the thumbnail threads
// get the time they would get on screen. Prints one table row per figure.
#include "core/batch/AppData.h"
#include "core/batch/BrowserEdits.h"
#include "core/batch/ImportWalker.h"
#include "core/imaging/ImagingRuntime.h"
#include "gui/browser/ImageBrowserDelegate.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/browser/ThumbnailCache.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace vantrel;

namespace {

class BatchOwner : public ImageBrowserDelegate {
public:
    explicit BatchOwner(AppData& data) : mData(data) {}
    int numberOfItemsInImageBrowser(ImageBrowserView*) override {
        return static_cast<int>(mData.currentImages().size());
    }
    const Image* imageBrowserItemAtIndex(ImageBrowserView*, int index) override {
        return imageAtIndex(mData.currentImages(), index);
    }
    bool imageBrowserMoveItemsAtIndexes(ImageBrowserView*, const QList<int>& indexes,
                                        int destination) override {
        return moveItemsAtIndexes(mData.currentImages(),
                                  std::vector<int>(indexes.begin(), indexes.end()), destination);
    }
    void imageBrowserRemoveItemsAtIndexes(ImageBrowserView*, const QList<int>&) override {}
    void imageBrowserCellWasDoubleClickedAtIndex(ImageBrowserView*, int) override {}
    void imageBrowserCellWasRightClickedAtIndex(ImageBrowserView*, int, QPoint) override {}
    void imageBrowserBackgroundWasRightClicked(ImageBrowserView*, QPoint) override {}
    void imageBrowserSelectionDidChange(ImageBrowserView*) override {}
    bool performDragOperation(const QStringList&) override { return false; }
    void concludeDragOperation() override {}
    void draggingEnded() override {}

private:
    AppData& mData;
};

long peakResidentKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const auto at = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [--step PIXELS] [--zoom VALUE] [--unpaced]\n",
                     argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    int step = 48;
    double zoom = 0.01;
    bool paced = true;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--step") == 0 && i + 1 < argc) {
            step = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--zoom") == 0 && i + 1 < argc) {
            zoom = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--unpaced") == 0) {
            paced = false;
        }
    }
    initImaging(argv[0]);
    QApplication app(argc, argv);

    AppData data;
    std::atomic<bool> stop{false};
    QElapsedTimer clock;
    clock.start();
    ImportWalker(data, stop).addImagesWithPaths({folder});
    updateDatasource(data);
    const double importSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;

    BatchOwner owner(data);
    ImageBrowserView view;
    view.resize(1280, 800);
    view.setZoomValue(zoom);
    view.setDelegate(&owner);
    clock.restart();
    view.show();
    view.reloadData();
    app.processEvents();
    const double showMilliseconds = static_cast<double>(clock.nsecsElapsed()) / 1e6;

    QScrollBar* bar = view.verticalScrollBar();
    std::vector<double> frames;
    // The scroll and repaint alone, without the events (arriving thumbnails) after it.
    std::vector<double> paints;
    clock.restart();
    for (int position = 0;; position += step) {
        QElapsedTimer frame;
        frame.start();
        bar->setValue(position);
        view.viewport()->repaint();
        paints.push_back(static_cast<double>(frame.nsecsElapsed()) / 1e6);
        app.processEvents();
        frames.push_back(static_cast<double>(frame.nsecsElapsed()) / 1e6);
        if (paced) {
            while (frame.nsecsElapsed() < 16'666'667) {
                app.processEvents(QEventLoop::AllEvents, 2);
                QThread::usleep(500);
            }
        }
        if (position >= bar->maximum()) {
            break;
        }
    }
    const double scrollSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    // Let the last screen's thumbnails finish, as a user who stopped scrolling would see.
    while (!view.thumbnails().isIdle()) {
        app.processEvents(QEventLoop::AllEvents, 10);
    }

    const auto over =
        std::count_if(frames.begin(), frames.end(), [](double ms) { return ms > 16.7; });
    std::printf("%-34s %12s\n", "figure", "value");
    std::printf("%-34s %12zu\n", "photos", data.currentImages().size());
    std::printf("%-34s %12.2f\n", "import (walk + hand-over) s", importSeconds);
    std::printf("%-34s %12.1f\n", "first show + reload ms", showMilliseconds);
    std::printf("%-34s %12d\n", "cell side px", view.thumbnailSide());
    std::printf("%-34s %12zu\n", "frames", frames.size());
    std::printf("%-34s %12d\n", "scroll step px", step);
    std::printf("%-34s %12.2f\n", "scroll wall s", scrollSeconds);
    std::printf("%-34s %12.2f\n", "frame median ms", percentile(frames, 0.5));
    std::printf("%-34s %12.2f\n", "frame p95 ms", percentile(frames, 0.95));
    std::printf("%-34s %12.2f\n", "frame worst ms", percentile(frames, 1.0));
    std::printf("%-34s %12lld\n", "frames over 16.7 ms", static_cast<long long>(over));
    std::printf("%-34s %12.2f\n", "scroll + repaint median ms", percentile(paints, 0.5));
    std::printf("%-34s %12.2f\n", "scroll + repaint p95 ms", percentile(paints, 0.95));
    std::printf("%-34s %12d\n", "thumbnail jobs started", view.thumbnails().jobsStarted());
    std::printf("%-34s %12d\n", "thumbnails cached", view.thumbnails().cachedCount());
    std::printf("%-34s %12.1f\n", "thumbnail cache MB",
                static_cast<double>(view.thumbnails().cachedBytes()) / (1024.0 * 1024.0));
    std::printf("%-34s %12.1f\n", "peak RSS MB",
                static_cast<double>(peakResidentKilobytes()) / 1024.0);
    return 0;
}
