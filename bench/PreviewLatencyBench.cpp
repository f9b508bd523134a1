// The live preview's latency in the real window: from a control change to the picture handed
// to the preview, with job T's effects on 24 MP camera-like JPEGs and a 1280 x 800 preview.
//
//   vantrel_preview_latency PHOTO.jpg [PHOTO.jpg ...] [--moves N] [--photos N]
//
// Runs with any Qt platform (offscreen or Xvfb). Prints medians and 95th percentiles of the
// first picture at Fit Screen after stepping to the next photo (looked at for half a second,
// as a user does) and after jumping elsewhere (and of the exact picture, where a quicker first
// look came before it), after a colour slider move and after a crop
// or rotation change; the longest the GUI thread was kept from its events while a slider was
// dragged for 5 s; and the peak resident memory after stepping through the photos one by one
// (each under a name of its own, so nothing is answered from a cache by name).
#include "bench/JobT.h"
#include "core/batch/AppData.h"
#include "core/imaging/ImagingRuntime.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/preview/PreviewImageView.h"
#include "gui/skin/ImageButton.h"
#include "gui/skin/SegmentedControl.h"
#include "gui/window/EffectSliders.h"
#include "gui/window/VantrelController.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

using namespace vantrel;

namespace {

long residentKilobytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').first().toLong();
    return -1;
}

// Milliseconds from `change` until the preview holds a new picture.
double timeToPicture(PreviewImageView* view, const std::function<void()>& change) {
    const qint64 before = view->image().cacheKey();
    QElapsedTimer clock;
    clock.start();
    change();
    while (view->image().cacheKey() == before && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return clock.nsecsElapsed() / 1e6;
}

// Milliseconds from `change` until the preview holds its first picture, and until it holds
// its last (a first look followed by the exact picture): pictures are awaited until none has
// come for `quiet` milliseconds.
std::pair<double, double>
timeToFirstAndLastPicture(PreviewImageView* view, const std::function<void()>& change, int quiet) {
    qint64 shown = view->image().cacheKey();
    QElapsedTimer clock;
    clock.start();
    change();
    double first = -1, last = -1;
    while (clock.elapsed() < 20000 && (last < 0 || clock.elapsed() - last < quiet)) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (view->image().cacheKey() != shown) {
            shown = view->image().cacheKey();
            last = clock.nsecsElapsed() / 1e6;
            if (first < 0)
                first = last;
        }
    }
    return {first, last};
}

void report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    const auto at = [&](double q) {
        return times[std::min(times.size() - 1, size_t(q * times.size()))];
    };
    std::printf("| %-42s | %8.1f | %8.1f | %5zu |\n", what, at(0.5), at(0.95), times.size());
}

void settle(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::vector<std::string> photos;
    int moves = 40;
    int stepThrough = 300;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--moves") == 0 && i + 1 < argc)
            moves = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--photos") == 0 && i + 1 < argc)
            stepThrough = std::atoi(argv[++i]);
        else
            photos.push_back(
                QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath().toStdString());
    }
    if (photos.empty()) {
        std::fprintf(stderr, "usage: %s PHOTO.jpg [...] [--moves N] [--photos N]\n", argv[0]);
        return 2;
    }
    // The window's settings go to a home of their own, never the user's.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    qputenv("XDG_PICTURES_DIR", (home.path() + "/Pictures").toUtf8());
    initImaging(argv[0]);
    QApplication app(argc, argv);

    // Each photo under names of its own: one per selection.
    const int names = std::max(moves, stepThrough) + 1;
    std::vector<std::string> links;
    for (int i = 0; i < names; ++i) {
        const QString link = home.filePath(QString("photo-%1.jpg").arg(i));
        QFile::link(QString::fromStdString(photos[size_t(i) % photos.size()]), link);
        links.push_back(QFile::encodeName(link).toStdString());
    }

    VantrelController window;
    const auto slider = [&](const char* name) {
        return window.findChild<QSlider*>(QString::fromLatin1(name));
    };
    PreviewImageView* preview = window.previewImage();
    ImageList images;
    for (const std::string& link : links)
        images.push_back(std::make_unique<Image>(link));
    AppData::sharedData().setCurrentImages(std::move(images));
    window.show();
    window.imageBrowser()->reloadData();
    for (int round = 0; round < 3; ++round) {
        settle(100);
        window.resize(window.size() + QSize(1280, 800) - preview->size());
    }
    settle(300);
    std::printf("preview %d x %d, job T, %d moves\n\n", preview->width(), preview->height(), moves);
    bench::setJobT(0);
    {
        QSlider* fx = slider("mEffectsOnOrOffSwitch");
        const QSignalBlocker quiet(fx);
        fx->setValue(0);
    }
    ImageBrowserView* browser = window.imageBrowser();
    timeToPicture(preview, [&] { browser->setSelectionIndexes({0}, false); });
    timeToPicture(preview, [&] { window.findChild<ImageButton*>("mFitToScreenButton")->click(); });
    settle(500);

    std::printf("| %-42s | %8s | %8s | %5s |\n|---|---|---|---|\n", "picture after", "median ms",
                "p95 ms", "runs");
    // A user looks at each photo for a moment before stepping on: the next one is decoded
    // in that time. A jump elsewhere finds nothing decoded in advance.
    std::vector<double> times, exactTimes;
    const auto select = [&](int index) {
        const auto [first, last] = timeToFirstAndLastPicture(
            preview, [&] { browser->setSelectionIndexes({index}, false); }, 500);
        times.push_back(first);
        exactTimes.push_back(last);
    };
    for (int i = 1; i <= moves; ++i)
        select(i);
    report("selecting the next photo (Fit Screen)", times);
    report("  its exact picture", exactTimes);
    times.clear();
    exactTimes.clear();
    for (int i = 1; i <= moves; ++i)
        select((moves + 7 * i) % names);
    report("jumping to a photo elsewhere (Fit Screen)", times);
    report("  its exact picture", exactTimes);

    times.clear();
    for (int i = 0; i < moves; ++i)
        times.push_back(timeToPicture(preview, [&] {
            slider("mBrightnessSlider")->setValue(i % 2 ? kSliderSteps / 10 : kSliderSteps / 5);
        }));
    report("a colour slider move", times);

    times.clear();
    for (int i = 0; i < moves; ++i)
        times.push_back(timeToPicture(preview, [&] {
            slider("mCropLeftSlider")->setValue(kSliderSteps / 20 + (i % 5) * kSliderSteps / 50);
        }));
    report("a crop slider move", times);

    times.clear();
    auto* turn = window.findChild<SegmentedControl*>("mRotateSegmentedControls");
    for (int i = 0; i < moves; ++i)
        times.push_back(timeToPicture(preview, [&] {
            turn->setSelectedSegment(i % 2);
            window.rotationDidChange(turn);
        }));
    report("a quarter turn", times);

    // Dragging for 5 s: a move every 16 ms, and a 2 ms timer that tells how long the loop was
    // kept from its events.
    {
        QElapsedTimer clock, since;
        clock.start();
        since.start();
        double longest = 0;
        std::vector<double> gaps;
        int step = 0;
        QTimer drag, probe;
        QObject::connect(&drag, &QTimer::timeout, [&] {
            slider("mSaturationSlider")
                ->setValue(kSliderSteps / 2 + (step++ % 100) * kSliderSteps / 100);
        });
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const double gap = since.nsecsElapsed() / 1e6;
            since.restart();
            gaps.push_back(gap);
            longest = std::max(longest, gap);
        });
        drag.start(16);
        probe.setTimerType(Qt::PreciseTimer);
        probe.start(2);
        while (clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        drag.stop();
        probe.stop();
        std::sort(gaps.begin(), gaps.end());
        std::printf("\ndragging 5 s (%d moves): longest gap between GUI events %.1f ms, "
                    "p99 %.1f ms (2 ms probe)\n",
                    step, longest, gaps[size_t(0.99 * gaps.size())]);
    }

    // Stepping through the photos as a held arrow key does (30 a second). The peak is counted
    // from here on (writing 5 to clear_refs resets it).
    settle(1000);
    {
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
    }
    for (int i = 0; i < stepThrough; ++i) {
        browser->setSelectionIndexes({i}, false);
        settle(33);
    }
    settle(2000);
    std::printf("stepping through %d photos: peak resident %ld MB, now %ld MB\n", stepThrough,
                residentKilobytes("VmHWM:") / 1024, residentKilobytes("VmRSS:") / 1024);
    return 0;
}
