#pragma once

#include "core/batch/AppData.h"
#include "core/batch/DefaultDestination.h"
#include "core/batch/ProcessingErrors.h"
#include "core/imaging/Effects.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/browser/ThumbnailCache.h"
#include "gui/preview/PreviewImageView.h"
#include "gui/skin/ComboItems.h"
#include "gui/skin/ImageButton.h"
#include "gui/skin/SegmentedControl.h"
#include "gui/window/EffectSliders.h"
#include "gui/window/VantrelController.h"
#include "tests/gui/GuiTestSupport.h"
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QStackedWidget>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>
#include <mutex>
#include <vips/vips8>

namespace vantrel::windowtest {

inline AppData& data() {
    return AppData::sharedData();
}

inline QString today() {
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

inline std::vector<std::string> currentPaths() {
    std::vector<std::string> paths;
    for (const auto& image : data().currentImages())
        paths.push_back(image->path());
    return paths;
}

inline void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

using test::folderContents;
using test::writePhoto;

// The one window that every test class of the program drives, made when the program starts
// (its first launch) and kept to the end: the window may exist only once in a process.
struct SharedWindow {
    std::unique_ptr<VantrelController> controller;
    QStringList startupLog;
    QTemporaryDir work;
    int round = 0;
    // What the finishing actions did, in order, and whether the report's messages had been
    // cleared (the report closed) when each ran.
    std::mutex eventsMutex;
    QStringList events;
};

SharedWindow& sharedWindow();

// The main window as the user drives it: settings and layouts, imports by drop and by the
// desktop, the effect controls (slider positions, typed text ended by Return or by leaving
// the field, pop-up choices and clicks), the preview's requests, and whole export runs with
// their report and finishing actions, on real photos.
// What the test classes share: the window and the steps a user takes in it.
class WindowFixture : public QObject {
protected:
    SharedWindow& mShared = sharedWindow();
    std::unique_ptr<VantrelController>& mController = mShared.controller;
    const QStringList& mStartupLog = mShared.startupLog;
    QTemporaryDir& mWork = mShared.work;
    int& mRound = mShared.round;

    template <typename T> T* outlet(const char* name) {
        return test::outletNamed<T>(mController.get(), name);
    }

    // The batch as these paths (photos or mere names), shown in the browser.
    void setBatch(const QStringList& paths) {
        std::vector<std::string> bytes;
        for (const QString& path : paths)
            bytes.push_back(QFile::encodeName(path).toStdString());
        data().pathsOfImportedImages().clear();
        test::showBatch(*mController, bytes);
    }

    // A batch of `count` photos that are only names: enough for layouts and menus.
    void setBatchOfSize(int count) {
        QStringList paths;
        for (int i = 0; i < count; ++i)
            paths << QStringLiteral("/nonexistent/vantrel/photo%1.jpg").arg(i);
        setBatch(paths);
    }

    // Photos `width` wide and 3/4 as high, the first one selected.
    void usePhotos(std::initializer_list<int> widths) {
        QStringList paths;
        for (int width : widths) {
            paths << mWork.filePath(QString("w%1.jpg").arg(width));
            if (!QFileInfo::exists(paths.last()))
                writePhoto(paths.last(), width, width * 3 / 4);
        }
        setBatch(paths);
        mController->imageBrowser()->setSelectionIndexes({0}, false);
    }

    void waitForImportToEnd() {
        QVERIFY(test::waitUntil([this] { return !mController->isImporting(); }, 60000));
        QVERIFY(test::waitUntil([this] { return !mController->sheetIsOnView(); }));
    }

    void importByDrop(const QStringList& paths) {
        QVERIFY(mController->performDragOperation(paths));
        mController->concludeDragOperation();
        mController->draggingEnded();
        waitForImportToEnd();
    }

    Effects& effects() { return Effects::sharedEffects(); }
    QString text(const char* field) { return outlet<QLineEdit>(field)->text(); }
    QString unit(const char* label) { return outlet<QLabel>(label)->text(); }

    void type(const char* name, const QString& typed) {
        test::typeInto(mController.get(), name, typed);
    }
    // A user's move of the slider to a value (the nearest position).
    void move(const char* name, double value) {
        auto* slider = outlet<QSlider>(name);
        slider->setValue(static_cast<int>(std::lround(value * kSliderSteps)));
    }
    double slider(const char* name) { return sliderValue(outlet<QSlider>(name)); }
    void choose(const char* popUp, int item) { test::choose(outlet<QComboBox>(popUp), item); }

    QStringList takeEvents() {
        const std::lock_guard lock(mShared.eventsMutex);
        return std::exchange(mShared.events, {});
    }

    // Back to a neutral window between tests.
    void resetWindow() {
        mController->resetEffectsButtonIsPressed(nullptr);
        choose("mCropByPercentageOrPixels", 0);
        choose("mScaleByPercentageOrPixels", 0);
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents();
        Effects::sharedEffects().resetEffects();
        setBatch({});
        ProcessingErrors::errors().clearErrors();
        takeEvents();
        test::takeLoggedLines();
    }

    // The save and name tab as the user left them; the run reads them back from the settings.
    void saveChoices(const QString& destination, const QString& folderName, int keepOriginal,
                     const QString& newName, const QString& type, int quality, bool metadata) {
        outlet<QLabel>("mSaveDestinationPathLabel")->setText(destination);
        mController->saveDefaults(outlet<QPushButton>("mSaveChooseButton"));
        outlet<QLineEdit>("mNameTargetDirectoryTextField")->setText(folderName);
        mController->saveDefaults(outlet<QLineEdit>("mNameTargetDirectoryTextField"));
        auto* names = outlet<QComboBox>("mNameNewOrOriginalPopUp");
        names->setCurrentIndex(keepOriginal);
        mController->newNameOrOriginalPopUpDidChange(names);
        outlet<QLineEdit>("mNewNameTextField")->setText(newName);
        mController->saveDefaults(outlet<QLineEdit>("mNewNameTextField"));
        auto* types = outlet<QComboBox>("mSaveOptionFileTypeButton");
        types->setCurrentIndex(types->findText(type));
        mController->savePopupChanged(types);
        outlet<QSlider>("mSaveOptionQualitySlider")->setValue(quality);
        outlet<QCheckBox>("mSaveOptionTransferMetadata")->setChecked(metadata);
    }

    static void setFinishingFlags(bool sound, bool reveal, bool quit) {
        QSettings settings;
        settings.setValue("PlaySoundWhenDone", sound);
        settings.setValue("OpenDestinationFolderWhenDone", reveal);
        settings.setValue("QuitAppWhenDone", quit);
        settings.sync();
    }

    // Presses Run Batch... and serves the window until the export thread has ended. While
    // the report is up `onReport` runs once with its text, then the report is closed.
    QString runBatch(const std::function<void(const QString&)>& onReport = {},
                     const std::function<bool()>& stopWhen = {}) {
        bool reportSeen = false;
        QTimer watcher;
        watcher.setInterval(2);
        connect(&watcher, &QTimer::timeout, this, [&] {
            QDialog* report = mController->errorSheet();
            if (report && report->isVisible() && !reportSeen) {
                reportSeen = true;
                if (onReport)
                    onReport(report->findChild<QPlainTextEdit*>("mErrorTextView")->toPlainText());
                report->findChild<QPushButton*>("mErrorSheetCloseButton")->click();
            }
            if (stopWhen && mController->sheetIsOnView() && stopWhen()) {
                mController->sheet()->findChild<QPushButton*>("mSheetStopButton")->click();
            }
        });
        watcher.start();
        outlet<ImageButton>("mOpenSaveButton")->click();
        const bool ended = test::waitUntil([this] { return !mController->isExporting(); }, 120000);
        watcher.stop();
        if (!ended)
            qWarning("the export did not end");
        if (!onReport && reportSeen)
            qWarning("an error report was shown");
        return reportSeen ? QStringLiteral("report") : QString();
    }

    // The folders the runs made in `destination`, by name.
    static QStringList foldersIn(const QString& destination) {
        return QDir(destination).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }
};

} // namespace vantrel::windowtest
