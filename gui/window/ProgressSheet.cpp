#include "gui/window/VantrelController.h"
#include "ui_ProgressSheet.h"

#include <QAbstractButton>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace vantrel {

// Runs the sheet over the window until stopModalWindow() ends it. The nested loop keeps
// serving the window, the timer that copies the workers' counters into the bar, and the
// calls that workers hand to this thread while they wait.
void VantrelController::startModalWindow(const QString& text) {
    // The operation may have ended before this delayed request came: then no sheet.
    if (mModalSheetShouldEnd.load() || mSheetLoop)
        return;
    mSheetUi->mSheetText->setText(text);
    mSheetUi->mSheetProgress->setRange(0, 0);
    mSheet->setWindowTitle(text);
    mProgressTimer->start();
    mSheet->open();

    QEventLoop loop;
    mSheetLoop = &loop;
    loop.exec();
    mSheetLoop = nullptr;
}

void VantrelController::stopModalWindow(QObject* sender) {
    if (qobject_cast<QAbstractButton*>(sender)) {
        // The user's stop: a stopped export ends without its finishing actions.
        mShouldPlaySoundAfterProcessing = false;
        mShouldQuitAfterProcessing = false;
        mShouldOpenDestinationFolderAfterProcessing = false;
    }
    if (mSheetLoop)
        mSheetLoop->quit();
    mSheet->hide();
    mProgressTimer->stop();
    sheetDidEnd(mSheet, 1);
    // A stopped export may still be building the pipeline of the photo under way; the
    // preview runs one on the same photo only once the export has left it.
    if (!mExportPipelinesRunning.load())
        reloadImageAfterApplyingEffects();
}

void VantrelController::sheetDidEnd(QDialog*, int returnCode) {
    if (returnCode != 1)
        return;
    mModalSheetShouldEnd.store(true);
    mDraggingIsBlocked.store(false);
    // Requests from the desktop that waited for this operation go next.
    QTimer::singleShot(0, this, [this] { runPendingOpenRequests(); });
}

// Called from the GUI thread's timer: the workers only count, the bar is drawn here.
void VantrelController::updateProgressBar() {
    const long maximum = mNumberOfFilesToAdd.load();
    const long value = std::min(mAddingImagesCounter.load(), maximum);
    if (maximum <= 0) {
        mSheetUi->mSheetProgress->setRange(0, 0);
        return;
    }
    // QProgressBar counts in int; very long walks are scaled down to fit.
    const long scale = maximum > 1000000 ? maximum / 1000000 + 1 : 1;
    mSheetUi->mSheetProgress->setRange(0, static_cast<int>(maximum / scale));
    mSheetUi->mSheetProgress->setValue(static_cast<int>(value / scale));
}

bool VantrelController::sheetIsOnView() const {
    return mSheetLoop != nullptr;
}

} // namespace vantrel
