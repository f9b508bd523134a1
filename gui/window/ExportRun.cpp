#include "core/batch/AppData.h"
#include "core/batch/ProcessingErrors.h"
#include "core/batch/SystemLog.h"
#include "core/export/BatchExporter.h"
#include "core/export/ExiftoolRunner.h"
#include "core/export/OutputNaming.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/browser/ThumbnailCache.h"
#include "gui/window/DesktopServices.h"
#include "gui/window/SaveOptions.h"
#include "gui/window/VantrelController.h"
#include "ui_MainWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <thread>

namespace vantrel {
namespace {

std::string bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

// What the run needs of the name and save tabs, read on the GUI thread when it starts; the
// progress sheet keeps the controls still while the run reads this copy. The same values
// given to vantrel-batch make the same files: both hand them to the same exporter.
ExportSettings exportSettingsFromControls(const Ui::MainWindow& ui) {
    ExportSettings settings;
    settings.destination = bytes(ui.mSaveDestinationPathLabel->text());
    settings.targetFolderName = bytes(ui.mNameTargetDirectoryTextField->text());
    settings.keepOriginalName = ui.mNameNewOrOriginalPopUp->currentIndex() == 1;
    settings.newName = bytes(ui.mNewNameTextField->text());
    settings.outputType =
        outputTypeFromTitle(ui.mSaveOptionFileTypeButton->currentText().toStdString())
            .value_or(OutputType::OriginalFileType);
    settings.quality = ui.mSaveOptionQualitySlider->value();
    settings.transferMetadata = ui.mSaveOptionTransferMetadata->isChecked();
    settings.keepFolders = ui.mSaveOptionKeepFolders->isChecked();
    settings.useNameTemplate = ui.mNameNewOrOriginalPopUp->currentIndex() == 2;
    settings.nameTemplate = ui.mNameTemplateTextField->text().toStdString();
    readSaveOptions(ui, settings);
    return settings;
}

namespace {

QString outcomeSummary(const ExportOutcome& outcome) {
    QString summary = outcome.photos == 1
                          ? VantrelController::tr("%1 of 1 photo was written").arg(outcome.written)
                          : VantrelController::tr("%1 of %2 photos were written")
                                .arg(outcome.written)
                                .arg(outcome.photos);
    if (outcome.failed > 0)
        summary += VantrelController::tr(", %1 could not be exported").arg(outcome.failed);
    if (outcome.stopped)
        summary += VantrelController::tr("; the run was stopped");
    return summary + QStringLiteral(".");
}

} // namespace

void VantrelController::openSaveButtonClicked(QObject* sender) {
    if (mUi->mOpenSaveButton->text() == QLatin1String("Add Images...")) {
        addImageButtonClicked(sender);
        return;
    }
    if (operationIsRunning() || mErrorSheetLoop || AppData::sharedData().currentImages().empty())
        return;
    if (!nameTemplateIsUsable()) {
        // The error under the field says what is wrong; the run waits until it is mended.
        selectTabViewItemName(nullptr);
        mUi->mNameTemplateTextField->setFocus();
        return;
    }
    startExportRun();
}

void VantrelController::startExportRun() {
    loadUserDefaults();
    mModalSheetShouldEnd.store(false);
    mDraggingIsBlocked.store(true);
    mAddingImagesCounter.store(0);
    mNumberOfFilesToAdd.store(static_cast<long>(AppData::sharedData().currentImages().size()));
    newNameOrOriginalPopUpDidChange(mUi->mNameNewOrOriginalPopUp);
    ExportSettings settings = exportSettingsFromControls(*mUi);
    if (settings.transferMetadata)
        settings.exiftoolPath = locateExiftool(bytes(QCoreApplication::applicationDirPath()));
    // A report shows the messages of one run only.
    ProcessingErrors::errors().clearErrors();

    // The export has the processors to itself: thumbnails wait until its photos are done.
    mUi->mImageBrowser->thumbnails().setPaused(true);
    QTimer::singleShot(0, this, [this] { startModalWindow(QStringLiteral("Saving...")); });
    mExportPipelinesRunning.store(true);
    mExportThread.reset(QThread::create([this, settings] { saveResult(settings); }));
    mExportThread->setObjectName(QStringLiteral("Export"));
    connect(
        mExportThread.get(), &QThread::finished, this, [this] { exportThreadFinished(); },
        Qt::QueuedConnection);
    mExportThread->start();
}

void VantrelController::saveResult(const ExportSettings& settings) {
    BatchExporter exporter(settings, mModalSheetShouldEnd, [this](long done, long) {
        // Counted only; the sheet's timer draws the bar on the GUI thread.
        mAddingImagesCounter.store(done);
    });
    const ExportOutcome outcome = exporter.run(AppData::sharedData().currentImages());
    mExportPipelinesRunning.store(false);

    // Sheet down, then the report, then the finishing actions, each waiting for the one
    // before. After a stop the sheet is already down and this only redraws the preview.
    QMetaObject::invokeMethod(
        this,
        [this] {
            stopModalWindow(nullptr);
            mUi->mImageBrowser->thumbnails().setPaused(false);
        },
        Qt::BlockingQueuedConnection);
    if (ProcessingErrors::errors().errorsDidOccur()) {
        const QString summary = outcomeSummary(outcome);
        QMetaObject::invokeMethod(
            this,
            [this, summary] {
                mExportSummary = summary;
                showErrorsReport();
            },
            Qt::BlockingQueuedConnection);
    }

    // The flags were read back from the settings when the run started; a stop has switched
    // them off since, on the GUI thread, before the blocking calls above returned.
    const std::string exportFolder = outcome.folderCreated ? outcome.exportFolder : std::string();
    if (mShouldPlaySoundAfterProcessing) {
        if (mFinishingServices.playSound)
            mFinishingServices.playSound();
        else
            playSystemSound();
    }
    if (mShouldOpenDestinationFolderAfterProcessing && !exportFolder.empty()) {
        if (mFinishingServices.revealFolder)
            mFinishingServices.revealFolder(exportFolder);
        else
            revealInFileViewer(exportFolder);
    }
    if (mShouldQuitAfterProcessing) {
        systemLog(QStringLiteral("Vantrel quit at the end of export!"));
        std::this_thread::sleep_for(std::chrono::seconds(1));
        if (mFinishingServices.quit) {
            mFinishingServices.quit();
        } else {
            // The window refuses to close while the export thread runs: the quit comes
            // when it has ended.
            QMetaObject::invokeMethod(this, [this] { mQuitWhenExportEnds = true; });
        }
    } else {
        systemLog(QStringLiteral("Export Ended Successfully!"));
    }
    mDraggingIsBlocked.store(false);
}

void VantrelController::exportThreadFinished() {
    if (mExportThread)
        mExportThread->wait();
    mExportThread.reset();
    if (mQuitWhenExportEnds) {
        mQuitWhenExportEnds = false;
        saveWindowGeometry();
        saveLastEffects();
        QCoreApplication::quit();
        return;
    }
    runPendingOpenRequests();
}

bool VantrelController::isExporting() const {
    return mExportThread != nullptr;
}

void VantrelController::setFinishingServices(FinishingServices services) {
    mFinishingServices = std::move(services);
}

void VantrelController::selectNewDestination(QObject* sender) {
    auto* chooser = new QFileDialog(this, tr("Choose the Destination Folder"),
                                    mUi->mSaveDestinationPathLabel->text());
    chooser->setObjectName(QStringLiteral("mDestinationChooser"));
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    chooser->setWindowModality(Qt::WindowModal);
    chooser->setFileMode(QFileDialog::Directory);
    chooser->setOption(QFileDialog::ShowDirsOnly, true);
    chooser->setLabelText(QFileDialog::Accept, tr("Choose"));
    const bool fromControl = sender != nullptr;
    QPointer<QObject> control = sender;
    connect(chooser, &QDialog::finished, this, [this, chooser, fromControl, control](int result) {
        const QStringList chosen = chooser->selectedFiles();
        if (result != QDialog::Accepted || chosen.isEmpty())
            return;
        mUi->mSaveDestinationPathLabel->setText(chosen.first());
        mUi->mSaveDestinationPathFolderIcon->setIcon(iconForPath(bytes(chosen.first())));
        if (fromControl && control)
            saveDefaults(control);
    });
    chooser->open();
}

void VantrelController::revealDestinationFolderInFinder(QObject*) {
    // The label may hold a path typed with "~" or ".." into the settings.
    revealInFileViewer(standardizePath(bytes(mUi->mSaveDestinationPathLabel->text())));
}

void VantrelController::connectExportActions() {
    connect(mUi->mSaveChooseButton, &QPushButton::clicked, this,
            [this] { selectNewDestination(mUi->mSaveChooseButton); });
    connect(mUi->mSaveDestinationPathFolderIcon, &QToolButton::clicked, this,
            [this] { revealDestinationFolderInFinder(mUi->mSaveDestinationPathFolderIcon); });
}

} // namespace vantrel
