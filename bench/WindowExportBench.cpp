// An export run started from the window, timed from the press of Run Batch... to the end
// of the export thread, with the photos of a folder and job T's values (see JobT.h).
//
//   vantrel_window_export DESTINATION FOLDER_NAME PHOTO...
//
// Uses the settings store of the environment it runs in: bench/window-export.sh gives it a
// temporary home. The clock starts once the grid's thumbnails and the preview are made.
// Prints the wall time, the processor time and the longest pause of the GUI thread during
// the run (a 5 ms timer that arrives late shows the window not answering).
#include "bench/JobT.h"
#include "core/batch/AppData.h"
#include "core/imaging/ImagingRuntime.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/browser/ThumbnailCache.h"
#include "gui/skin/ImageButton.h"
#include "gui/skin/Skin.h"
#include "gui/window/VantrelController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

using namespace vantrel;

namespace {

// Processor seconds this process has used so far, all threads, user and system.
double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return t.tv_sec + t.tv_usec / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: vantrel_window_export DESTINATION FOLDER_NAME PHOTO...\n");
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    registerSkinResources();
    initImaging(argv[0]);

    {
        // What the user chose on the name and save tabs: job T's output, no finishing actions.
        QSettings settings;
        settings.setValue("SaveDestinationPath", QFile::decodeName(argv[1]));
        settings.setValue("TargetDirectoryName", QFile::decodeName(argv[2]));
        settings.setValue("keepOriginalName", 1);
        settings.setValue("fileTypeToSave", "JPG");
        settings.setValue("qualitySliderLastUsedValue", 85);
        settings.setValue("transferMetadataFromSource", 0);
        settings.setValue("PlaySoundWhenDone", false);
        settings.setValue("OpenDestinationFolderWhenDone", false);
        settings.setValue("QuitAppWhenDone", false);
    }
    VantrelController window;
    window.show();
    // A folder name of one's own is what the field holds, as typed.
    window.findChild<QLineEdit*>(QStringLiteral("mNameTargetDirectoryTextField"))
        ->setText(QFile::decodeName(argv[2]));
    ImageList images;
    for (int i = 3; i < argc; ++i)
        images.push_back(std::make_unique<Image>(argv[i]));
    AppData::sharedData().setCurrentImages(std::move(images));
    window.imageBrowser()->reloadData();
    bench::setJobT(2048.0f);
    // As a user would: the grid's thumbnails and the preview are there before Run Batch...
    QElapsedTimer settling;
    settling.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    } while (settling.elapsed() < 120000 &&
             !(window.imageBrowser()->thumbnails().isIdle() &&
               QThreadPool::globalInstance()->activeThreadCount() == 0));

    QElapsedTimer wall;
    QElapsedTimer sinceTick;
    qint64 longestPause = 0;
    qint64 pauseEnded = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 pause = sinceTick.restart();
        if (pause > longestPause) {
            longestPause = pause;
            pauseEnded = wall.elapsed();
        }
    });

    const double processorAtStart = processorSeconds();
    wall.start();
    sinceTick.start();
    ticker.start();
    window.findChild<ImageButton*>(QStringLiteral("mOpenSaveButton"))->click();
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!window.isExporting())
            QApplication::quit();
    });
    poll.start();
    QApplication::exec();
    std::printf("%.2f s, %.2f processor s, longest GUI pause %lld ms (ended %.2f s into the "
                "run)\n",
                wall.elapsed() / 1000.0, processorSeconds() - processorAtStart,
                static_cast<long long>(longestPause), pauseEnded / 1000.0);
    return 0;
}
