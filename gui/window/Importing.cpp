#include "core/batch/AppData.h"
#include "core/batch/ImportWalker.h"
#include "core/batch/SystemLog.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/browser/PhotoOpenDialog.h"
#include "gui/skin/ImageButton.h"
#include "gui/window/VantrelController.h"
#include "ui_MainWindow.h"

#include <QFile>
#include <QThread>
#include <QTimer>

namespace vantrel {
namespace {

std::vector<std::string> encodedPaths(const QStringList& paths) {
    std::vector<std::string> encoded;
    encoded.reserve(static_cast<size_t>(paths.size()));
    for (const QString& path : paths)
        encoded.push_back(QFile::encodeName(path).toStdString());
    return encoded;
}

} // namespace

void VantrelController::addImageButtonClicked(QObject*) {
    if (mOpenPanelIsOnView)
        return;
    // The dialog may open while an import runs; what it answers waits for that import.
    auto* panel = new PhotoOpenDialog(this);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    mOpenPanelIsOnView = true;
    connect(panel, &QDialog::finished, this, [this, panel](int result) {
        mOpenPanelIsOnView = false;
        openPanelDidEnd(result == QDialog::Accepted, panel->chosenPaths());
    });
    panel->open();
}

void VantrelController::openPanelDidEnd(bool accepted, const QStringList& chosenPaths) {
    if (!accepted || chosenPaths.isEmpty()) {
        if (accepted)
            systemLog(QStringLiteral("No files selected, return..."));
        runPendingOpenRequests();
        return;
    }
    addImagesFromFileNames(encodedPaths(chosenPaths));
}

void VantrelController::addImagesFromFileNames(const std::vector<std::string>& paths) {
    // Every door to an import comes through here: only one walk fills the staging list at
    // a time, so a request during a walk waits for it, in order; so does one during an
    // export, which reads the batch list.
    if (mOpeningThread || mExportThread) {
        mPendingOpenRequests.push_back(paths);
        return;
    }
    mModalSheetShouldEnd.store(false);
    mDraggingIsBlocked.store(true);
    mAddingImagesCounter.store(0);
    mNumberOfFilesToAdd.store(static_cast<long>(paths.size()));
    QTimer::singleShot(0, this, [this] { startModalWindow(QStringLiteral("Opening...")); });
    startOpeningThread(paths);
}

void VantrelController::startOpeningThread(std::vector<std::string> paths) {
    mWalker = std::make_unique<ImportWalker>(AppData::sharedData(), mModalSheetShouldEnd,
                                             [this](long counter, long toAdd) {
                                                 // Only counted here; the sheet's timer draws the
                                                 // bar on the GUI thread.
                                                 mAddingImagesCounter.store(counter);
                                                 mNumberOfFilesToAdd.store(toAdd);
                                             });
    ImportWalker* walker = mWalker.get();
    mOpeningThread.reset(QThread::create([this, walker, paths = std::move(paths)] {
        walker->addImagesWithPaths(paths);
        if (mModalSheetShouldEnd.load()) {
            QMetaObject::invokeMethod(
                this, [this] { stopModalWindow(nullptr); }, Qt::BlockingQueuedConnection);
        }
        // The hand-over happens on the GUI thread while this thread waits, so that the
        // batch list is only ever changed there.
        QMetaObject::invokeMethod(
            this, [this] { updateDatasource(); }, Qt::BlockingQueuedConnection);
        QMetaObject::invokeMethod(
            this, [this] { stopModalWindow(nullptr); }, Qt::BlockingQueuedConnection);
        mAddingImagesCounter.store(mNumberOfFilesToAdd.load());
    }));
    mOpeningThread->setObjectName(QStringLiteral("Opening"));
    connect(
        mOpeningThread.get(), &QThread::finished, this, [this] { openingThreadFinished(); },
        Qt::QueuedConnection);
    mOpeningThread->start();
}

void VantrelController::openingThreadFinished() {
    if (mOpeningThread)
        mOpeningThread->wait();
    mOpeningThread.reset();
    mWalker.reset();
    runPendingOpenRequests();
}

bool VantrelController::isImporting() const {
    return mOpeningThread != nullptr;
}

void VantrelController::updateDatasource() {
    vantrel::updateDatasource(AppData::sharedData());
    mUi->mImageBrowser->reloadData();
    mModalSheetShouldEnd.store(true);
    mDraggingIsBlocked.store(false);
}

bool VantrelController::performDragOperation(const QStringList& localFilePaths) {
    // A walk started by the desktop does not block drops by itself, yet a second walk must
    // never run beside it.
    if (mDraggingIsBlocked.load() || operationIsRunning())
        return false;
    mModalSheetShouldEnd.store(false);
    mAddingImagesCounter.store(0);
    mDraggingIsBlocked.store(true);
    if (localFilePaths.isEmpty()) {
        // Nothing to open: nothing would unblock later drops.
        mDraggingIsBlocked.store(false);
        return true;
    }
    addImagesFromFileNames(encodedPaths(localFilePaths));
    return true;
}

void VantrelController::concludeDragOperation() {
    mUi->mImageBrowser->setSelectionIndexes({mIndexOfSelectedImage}, false);
}

void VantrelController::draggingEnded() {
    if (mDraggingIsBlocked.load())
        return;
    stopModalWindow(nullptr);
}

} // namespace vantrel
