#include "tests/gui/GuiTestSupport.h"

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

using namespace vantrel;

namespace {

AppData& data() {
    return AppData::sharedData();
}

QString today() {
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

std::vector<std::string> currentPaths() {
    std::vector<std::string> paths;
    for (const auto& image : data().currentImages())
        paths.push_back(image->path());
    return paths;
}

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// A photo whose halves differ, so that a turned or mirrored export would not match.
void writePhoto(const QString& path, int width, int height) {
    const vips::VImage noise = vips::VImage::gaussnoise(width, height);
    noise.bandjoin({noise.flip(VIPS_DIRECTION_HORIZONTAL), noise * 0.5})
        .cast(VIPS_FORMAT_UCHAR)
        .write_to_file(QFile::encodeName(path).constData());
}

// name -> SHA-256 of every file in `folder`.
QMap<QString, QByteArray> folderContents(const QString& folder) {
    QMap<QString, QByteArray> contents;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            contents.insert(name,
                            QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
    }
    return contents;
}

} // namespace

// The main window as the user drives it: settings and layouts, imports by drop and by the
// desktop, the effect controls (slider positions, typed text ended by Return or by leaving
// the field, pop-up choices and clicks), the preview's requests, and whole export runs with
// their report and finishing actions, on real photos.
class VantrelControllerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<VantrelController> mController;
    QStringList mStartupLog;
    QTemporaryDir mWork;
    int mRound = 0;

    // What the finishing actions did, in order, and whether the report's messages had been
    // cleared (the report closed) when each ran.
    std::mutex mEventsMutex;
    QStringList mEvents;

    template <typename T> T* outlet(const char* name) {
        return test::outletNamed<T>(mController.get(), name);
    }

    // The batch as these paths (photos or mere names), shown in the browser.
    void setBatch(const QStringList& paths) {
        ImageList images;
        for (const QString& path : paths)
            images.push_back(std::make_unique<Image>(QFile::encodeName(path).toStdString()));
        data().setCurrentImages(std::move(images));
        data().pathsOfImportedImages().clear();
        mController->imageBrowser()->reloadData();
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

    // Types into a field and ends the editing with Return.
    void type(const char* name, const QString& typed) {
        QLineEdit* field = outlet<QLineEdit>(name);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key_Return);
    }
    // A user's move of the slider to a value (the nearest position).
    void move(const char* name, double value) {
        auto* slider = outlet<QSlider>(name);
        slider->setValue(static_cast<int>(std::lround(value * kSliderSteps)));
    }
    double slider(const char* name) { return sliderValue(outlet<QSlider>(name)); }
    void choose(const char* popUp, int item) {
        auto* box = outlet<QComboBox>(popUp);
        box->setCurrentIndex(item);
        Q_EMIT box->activated(item);
    }

    void record(const QString& event) {
        const bool reportClosed = !ProcessingErrors::errors().errorsDidOccur();
        const std::lock_guard lock(mEventsMutex);
        mEvents << event + (reportClosed ? QString() : QStringLiteral(" (report open)"));
    }
    QStringList takeEvents() {
        const std::lock_guard lock(mEventsMutex);
        return std::exchange(mEvents, {});
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

private Q_SLOTS:
    void initTestCase() {
        if (qEnvironmentVariableIsSet("VANTREL_TEST_SECOND_CONTROLLER")) {
            VantrelController first;
            VantrelController second; // ends the process
            return;
        }
        test::takeLoggedLines();
        mController = std::make_unique<VantrelController>();
        mController->show();
        mStartupLog = test::takeLoggedLines();
        // The finishing actions of export runs are recorded instead of done.
        mController->setFinishingServices(
            {[this] { record("sound"); },
             [this](const std::string& folder) {
                 record("reveal " + QFileInfo(QFile::decodeName(folder.c_str())).fileName());
             },
             [this] {
                 record("quit");
             }});
        for (const char* name : {"a", "b", "c"})
            writePhoto(mWork.filePath(QString("%1.jpg").arg(name)), 64, 48);
    }

    void cleanup() {
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

    void aSecondControllerEndsTheProcessWithStatus2() {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VANTREL_TEST_SECOND_CONTROLLER"), QStringLiteral("1"));
        environment.insert(QStringLiteral("VANTREL_TEST_VERBOSE"), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitCode(), 2);
        QVERIFY(child.readAll().contains("photo controller instantied twice!"));
    }

    void firstLaunchLoadsDefaultsAndCreatesTheDestination() {
        QCOMPARE(VantrelController::controller(), mController.get());
        QVERIFY(mController->shouldPlaySoundAfterProcessing());
        QVERIFY(!mController->shouldQuitAfterProcessing());
        QVERIFY(mController->shouldOpenDestinationFolderAfterProcessing());
        QSettings settings;
        QCOMPARE(settings.value("PlaySoundWhenDone").toBool(), true);
        QCOMPARE(settings.value("QuitAppWhenDone").toBool(), false);
        QCOMPARE(settings.value("OpenDestinationFolderWhenDone").toBool(), true);
        // Steps other than the finishing flags write nothing.
        QVERIFY(!settings.contains("TargetDirectoryName"));
        QVERIFY(!settings.contains("keepOriginalName") ||
                settings.value("keepOriginalName").toInt() == 0);

        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(outlet<QLineEdit>("mNameTargetDirectoryTextField")->text(), "Export_" + today);
        const QString destination = QFile::decodeName(defaultDestinationPath().c_str());
        QVERIFY(destination.endsWith("/Vantrel"));
        QCOMPARE(outlet<QLabel>("mSaveDestinationPathLabel")->text(), destination);
        QVERIFY(QFileInfo(destination).isDir());
        QVERIFY(mStartupLog.contains("Default Destination Path crated!"));
        // The effect controls start at the defaults.
        QCOMPARE(slider("mBrightnessSlider"), 0.0);
        QCOMPARE(slider("mConstrastSlider"), 1.0);
        QCOMPARE(slider("mSaturationSlider"), 1.0);
        for (const char* field : {"mBrightnessTextField", "mConstrastTextField",
                                  "mSaturationTextField", "mScaleXTextField", "mScaleYTextField"})
            QCOMPARE(text(field), QStringLiteral("100"));
        for (const char* field : {"mCropLeftTextField", "mCropRightTextField", "mCropTopTextField",
                                  "mCropBottomTextField"})
            QCOMPARE(text(field), QStringLiteral("0"));
        QCOMPARE(slider("mCropLeftSlider"), 0.0);
        QCOMPARE(unit("mRotationDegreesLabel"), QStringLiteral("0°"));
        QCOMPARE(unit("mScaleXPercentageOrPixelsLabel"), QStringLiteral("%"));
        QCOMPARE(outlet<QSlider>("mBrightnessSlider")->accessibleName(),
                 QStringLiteral("Brightness"));
        QCOMPARE(outlet<QSlider>("mCropLeftSlider")->accessibleName(), QStringLiteral("Crop left"));
    }

    // The rule itself is the core's (SettingsRules); here: the window applies it on loading.
    void targetFolderNameFollowsTheDayItWasSavedOn() {
        const QDate today = QDate::currentDate();
        const QString yesterdays = "Export_" + today.addDays(-1).toString("yyyy-MM-dd");
        auto* field = outlet<QLineEdit>("mNameTargetDirectoryTextField");
        QSettings settings;
        for (const auto& [saved, shown] :
             {std::pair<QString, QString>{yesterdays, "Export_" + today.toString("yyyy-MM-dd")},
              {"Holiday", "typed by the user"}}) {
            settings.setValue("TargetDirectoryName", saved);
            settings.sync();
            field->setText("typed by the user");
            mController->loadUserDefaults();
            QCOMPARE(field->text(), shown);
        }
        settings.remove("TargetDirectoryName");
    }

    void controlsStoreTheirValuesBySender() {
        QSettings settings;
        settings.remove("qualitySliderLastUsedValue");
        mController->saveDefaults(nullptr);
        QVERIFY(!settings.contains("qualitySliderLastUsedValue"));

        auto* slider = outlet<QSlider>("mSaveOptionQualitySlider");
        slider->setValue(37);
        settings.sync();
        QCOMPARE(settings.value("qualitySliderLastUsedValue").toInt(), 37);
        QCOMPARE(outlet<QLabel>("mSaveOptionQualityValue")->text(), QStringLiteral("37"));

        // The destination is stored from the label whatever the chooser button holds.
        auto* label = outlet<QLabel>("mSaveDestinationPathLabel");
        const QString before = label->text();
        label->setText("/tmp/elsewhere");
        mController->saveDefaults(outlet<QPushButton>("mSaveChooseButton"));
        settings.sync();
        QCOMPARE(settings.value("SaveDestinationPath").toString(),
                 QStringLiteral("/tmp/elsewhere"));
        // A saved destination elsewhere still has the default one made again.
        const QString destination = QFile::decodeName(defaultDestinationPath().c_str());
        QDir(destination).removeRecursively();
        mController->loadUserDefaults();
        QVERIFY(QFileInfo(destination).isDir());
        QCOMPARE(label->text(), QStringLiteral("/tmp/elsewhere"));
        settings.remove("SaveDestinationPath");
        label->setText(before);

        auto* type = outlet<QComboBox>("mSaveOptionFileTypeButton");
        type->setCurrentText("PNG");
        mController->savePopupChanged(type);
        settings.sync();
        QCOMPARE(settings.value("fileTypeToSave").toString(), QStringLiteral("PNG"));
        QVERIFY(slider->isHidden());
        type->setCurrentText("JPG");
        mController->savePopupChanged(nullptr);
        QVERIFY(!slider->isHidden());
        settings.sync();
        QCOMPARE(settings.value("fileTypeToSave").toString(), QStringLiteral("PNG"));
    }

    void emptyAndBatchLayouts() {
        auto* run = outlet<ImageButton>("mOpenSaveButton");
        auto* bottom = outlet<QWidget>("mBottomView");
        setBatchOfSize(0);
        mController->previewImage()->setZoomFactor(2.5f);
        mController->imageBrowser()->reloadData();
        QVERIFY(bottom->isHidden());
        QCOMPARE(run->text(), QStringLiteral("Add Images..."));
        QVERIFY(run->isEnabled());
        QCOMPARE(mController->previewImage()->zoomFactor(), 1.0f);
        QVERIFY(outlet<QWidget>("mResetAllEffectsButton")->isHidden());
        QVERIFY(outlet<QWidget>("mBrowserZoomSlider")->isHidden());

        setBatchOfSize(1);
        QVERIFY(!bottom->isHidden());
        QCOMPARE(run->text(), QStringLiteral("Run Batch..."));
        QVERIFY(!outlet<QWidget>("mPreviewOptionsViewBackground")->isHidden());
        // The preview sits directly above the browser and the action panel.
        const QWidget* top = outlet<QWidget>("mTopView");
        QVERIFY(top->geometry().bottom() < bottom->geometry().top());

        setBatchOfSize(0);
        QVERIFY(bottom->isHidden());
        QCOMPARE(run->text(), QStringLiteral("Add Images..."));
    }

    // Where the second title hides; the titles themselves are the core's (SettingsRules).
    void serializeTitlesFollowTheBatchSize() {
        auto* popup = outlet<QComboBox>("mNameSerializePopUp");
        for (const auto& [count, padded, plain, secondHidden] :
             {std::tuple{9, "_1 to _9", "_1 to _9", true},
              {10, "_01 to _10", "_1 to _10", false}}) {
            setBatchOfSize(count);
            QCOMPARE(popup->itemText(0), QString(padded));
            QCOMPARE(popup->itemText(1), QString(plain));
            QCOMPARE(isComboItemHidden(popup, 1), secondHidden);
        }
    }

    void runBatchMenuItemNeedsPhotos() {
        QAction* item = mController->findChild<QAction*>("mOpenMenuItem");
        QVERIFY(item);
        setBatchOfSize(0);
        QVERIFY(!mController->validateMenuItem(item));
        setBatchOfSize(1);
        QVERIFY(mController->validateMenuItem(item));
        QVERIFY(mController->validateMenuItem(mController->findChild<QAction*>("mQuitAction")));
    }

    void tabButtonsShowTheirPage() {
        auto* tabs = outlet<QStackedWidget>("mTabViewEffects");
        const char* names[] = {"mAdjustButton", "mCropButton", "mRotateAndScaleButton",
                               "mNameButton", "mSaveButton"};
        auto checkOnly = [&](int page) {
            QCOMPARE(tabs->currentIndex(), page);
            for (int i = 0; i < 5; ++i)
                QCOMPARE(outlet<ImageButton>(names[i])->isChecked(), i == page);
        };
        mController->selectTabViewItemSave(nullptr);
        checkOnly(4);
        mController->selectTabViewItemCrop(nullptr);
        checkOnly(1);
        mController->selectTabViewItemCrop(nullptr);
        checkOnly(1);
        QTest::mouseClick(outlet<ImageButton>("mRotateAndScaleButton"), Qt::LeftButton);
        checkOnly(2);
    }

    void dropImportsAFolderTreeDepthFirst() {
        QTemporaryDir dir;
        const QString root = dir.path() + "/trip";
        // One entry per folder besides the subfolder keeps the expected order independent
        // of the order the file system lists names in.
        touch(root + "/a/Photo.JPG");
        touch(root + "/a/deeper/scan.TIFF");
        touch(root + "/readme.txt");
        touch(dir.path() + "/notes.jpeg/notes.txt");
        touch(dir.path() + "/single.png");

        importByDrop({root, dir.path() + "/notes.jpeg", dir.path() + "/single.png"});
        const std::vector<std::string> paths = currentPaths();
        const auto bytes = [](const QString& path) {
            return QFile::encodeName(path).toStdString();
        };
        QCOMPARE(paths.size(), size_t(4));
        const auto photo = std::find(paths.begin(), paths.end(), bytes(root + "/a/Photo.JPG"));
        const auto scan =
            std::find(paths.begin(), paths.end(), bytes(root + "/a/deeper/scan.TIFF"));
        QVERIFY(photo != paths.end() && scan != paths.end());
        QCOMPARE(paths[2], bytes(dir.path() + "/notes.jpeg/notes.txt"));
        QCOMPARE(paths[3], bytes(dir.path() + "/single.png"));
        QVERIFY(test::takeLoggedLines().contains("readme.txt is not supported!"));
        QVERIFY(!mController->draggingIsBlocked());
        QVERIFY(mController->modalSheetShouldEnd());
        QVERIFY(!outlet<QWidget>("mBottomView")->isHidden());

        // The same file again is skipped; once removed it can come back.
        importByDrop({dir.path() + "/single.png"});
        QCOMPARE(data().currentImages().size(), size_t(4));
        QVERIFY(test::takeLoggedLines().contains("single.png is already added!"));
        mController->imageBrowserRemoveItemsAtIndexes(mController->imageBrowser(), {3});
        QCOMPARE(data().currentImages().size(), size_t(3));
        importByDrop({dir.path() + "/single.png"});
        QCOMPARE(data().currentImages().size(), size_t(4));
        QVERIFY(!test::takeLoggedLines().contains("single.png is already added!"));
    }

    // While an operation runs drops are refused; a drop without file names starts nothing.
    void dropsThatStartNoImport() {
        QTemporaryDir dir;
        touch(dir.path() + "/x.jpg");
        mController->setDraggingIsBlocked(true);
        QVERIFY(!mController->performDragOperation({dir.path() + "/x.jpg"}));
        QVERIFY(!mController->isImporting());
        QVERIFY(data().currentImages().empty());
        mController->setDraggingIsBlocked(false);
        QVERIFY(mController->performDragOperation({}));
        QVERIFY(!mController->isImporting());
        QVERIFY(!mController->draggingIsBlocked());
    }

    void stopKeepsThePhotosAlreadyFound() {
        QTemporaryDir dir;
        std::vector<std::string> expected;
        for (int folder = 0; folder < 30; ++folder) {
            const QString sub = QString("%1/f%2").arg(dir.path()).arg(folder);
            QDir().mkpath(sub);
            for (int i = 0; i < 400; ++i) {
                QFile file(QString("%1/p%2.jpg").arg(sub).arg(i));
                QVERIFY(file.open(QIODevice::WriteOnly));
            }
        }
        QVERIFY(mController->performDragOperation({dir.path()}));
        // Stop at once, before the sheet has even come up: it then never does.
        auto* stop = mController->sheet()->findChild<QPushButton*>("mSheetStopButton");
        QVERIFY(stop);
        mController->stopModalWindow(stop);
        waitForImportToEnd();
        QVERIFY(!mController->sheet()->isVisible());
        const size_t kept = data().currentImages().size();
        QVERIFY(kept < 12000);
        // What was kept is in the batch and taken: every one of them is a real entry.
        for (const std::string& path : currentPaths())
            QVERIFY(QFileInfo::exists(QFile::decodeName(path.c_str())));
        QCOMPARE(data().pathsOfImportedImages().size(), kept);
        QVERIFY(!mController->shouldPlaySoundAfterProcessing());
        mController->loadUserDefaults();
        QVERIFY(mController->shouldPlaySoundAfterProcessing());
    }

    void aSheetRequestedAfterItsOperationEndedNeverShows() {
        mController->setModalSheetShouldEnd(true);
        mController->startModalWindow("Opening...");
        QVERIFY(!mController->sheetIsOnView());
        QVERIFY(!mController->sheet()->isVisible());
        // Ending a sheet that is not on view changes nothing but the flags.
        mController->stopModalWindow(nullptr);
        QVERIFY(mController->shouldPlaySoundAfterProcessing());
        QVERIFY(!mController->draggingIsBlocked());
    }

    void desktopRequestsWaitForTheRunningImport() {
        QTemporaryDir dir;
        for (int i = 0; i < 3000; ++i) {
            QFile file(QString("%1/big/p%2.jpg").arg(dir.path()).arg(i));
            QDir().mkpath(dir.path() + "/big");
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        touch(dir.path() + "/late.png");
        touch(dir.path() + "/later.png");
        mController->openFiles({QFile::encodeName(dir.path() + "/big").toStdString()});
        QVERIFY(mController->isImporting());
        // The desktop, the dialog's answer and the button during the walk start no second
        // walk: the requests wait, in order, and the dialog may still open.
        mController->openFiles({QFile::encodeName(dir.path() + "/late.png").toStdString()});
        mController->openPanelDidEnd(true, {dir.path() + "/later.png"});
        mController->addImageButtonClicked(nullptr);
        auto* panel = mController->findChild<QFileDialog*>();
        QVERIFY(panel);
        panel->reject();
        QVERIFY(test::waitUntil([] { return AppData::sharedData().currentImages().size() == 3002; },
                                60000));
        waitForImportToEnd();
        const std::vector<std::string> paths = currentPaths();
        QCOMPARE(
            std::vector<std::string>(paths.end() - 2, paths.end()),
            (std::vector<std::string>{QFile::encodeName(dir.path() + "/late.png").toStdString(),
                                      QFile::encodeName(dir.path() + "/later.png").toStdString()}));
    }

    void deleteInTheGridRemovesEverySelectedPhoto() {
        setBatchOfSize(4);
        ImageBrowserView* browser = mController->imageBrowser();
        mController->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(mController.get()));
        browser->setFocus();
        browser->setSelectionIndexes({0, 2}, false);
        // Through the window, as a real key press: shortcuts get their chance first.
        QTest::keyClick(mController->windowHandle(), Qt::Key_Delete);
        QCOMPARE(currentPaths(), (std::vector<std::string>{"/nonexistent/vantrel/photo1.jpg",
                                                           "/nonexistent/vantrel/photo3.jpg"}));
        // Elsewhere the menu's Delete removes the previewed photo only.
        mController->setIndexOfSelectedImage(1);
        mController->findChild<QAction*>("mRemoveSelectedAction")->trigger();
        QCOMPARE(currentPaths(), (std::vector<std::string>{"/nonexistent/vantrel/photo1.jpg"}));
    }

    void browserMovesAndRemovesThroughTheController() {
        setBatchOfSize(6); // photo0 … photo5 stand for a … f
        ImageBrowserView* browser = mController->imageBrowser();
        QVERIFY(mController->imageBrowserMoveItemsAtIndexes(browser, {0, 1}, 3));
        std::vector<std::string> names;
        for (const std::string& path : currentPaths())
            names.push_back(path.substr(path.rfind('/') + 1));
        QCOMPARE(names, (std::vector<std::string>{"photo2.jpg", "photo0.jpg", "photo1.jpg",
                                                  "photo3.jpg", "photo4.jpg", "photo5.jpg"}));
        browser->reloadData();
        // The highlighted photo is the one acted on; removing the last highlights the one before.
        browser->setSelectionIndexes({5}, false);
        QCOMPARE(mController->indexOfSelectedImage(), 5);
        mController->removeSelectedImage(nullptr);
        QCOMPARE(data().currentImages().size(), size_t(5));
        QCOMPARE(mController->indexOfSelectedImage(), 4);
        QCOMPARE(browser->selectionIndexes(), QList<int>{4});
        mController->setIndexOfSelectedImage(1);
        mController->removeSelectedImage(nullptr);
        QCOMPARE(data().currentImages().size(), size_t(4));
        QCOMPARE(currentPaths()[1], std::string("/nonexistent/vantrel/photo1.jpg"));
        // Nothing to remove in an empty batch.
        setBatchOfSize(0);
        mController->removeSelectedImage(nullptr);
        mController->revealInFinder(nullptr);
    }

    // Requests follow each other faster than the renders: the picture shown at the end must
    // answer the last one. The photos tell by their sizes which request a picture answers;
    // "large" takes a while to render in full, the others are quick. "unreadable" is no file.
    void theNewestPreviewRequestWins_data() {
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("a newer photo") << QStringList{"large", "small"} << QSize(120, 80);
        QTest::newRow("back and forth")
            << QStringList{"large", "tall", "large", "small"} << QSize(120, 80);
        QTest::newRow("an unreadable photo") << QStringList{"large", "unreadable"} << QSize(0, 0);
        // The maximum size makes the large photo quick with the effects, slow without them.
        QTest::newRow("effects off, then on")
            << QStringList{"at most 100", "large", "fx off", "fx on"} << QSize(100, 75);
        QTest::newRow("every photo removed")
            << QStringList{"large", "remove all"} << QSize(); // the placeholder
    }

    void theNewestPreviewRequestWins() {
        QFETCH(QStringList, requests);
        QFETCH(QSize, shown);
        outlet<ImageButton>("mFXOnButton")->click();
        const QStringList names{"small", "large", "tall", "unreadable"};
        const QSize sizes[] = {{120, 80}, {4000, 3000}, {90, 160}};
        ImageList images;
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString path = mWork.filePath(names[i] + ".jpg");
            if (i < 3 && !QFileInfo::exists(path))
                writePhoto(path, sizes[i].width(), sizes[i].height());
            // A name of its own for each round: libvips would answer a known one from its cache.
            const QString link = mWork.filePath(QString("%1-%2.jpg").arg(names[i]).arg(++mRound));
            QVERIFY(QFile::link(path, link));
            images.push_back(std::make_unique<Image>(QFile::encodeName(link).toStdString()));
        }
        data().setCurrentImages(std::move(images));
        mController->setIndexOfSelectedImage(0);
        mController->imageBrowser()->reloadData();
        mController->previewImage()->setZoomFactor(1.0f);
        QVERIFY(test::workersSettled());

        for (const QString& request : requests) {
            if (request == "at most 100") {
                Effects::sharedEffects().setScaleXMaximumPixels(100.0f);
                Effects::sharedEffects().setScaleYMaximumPixels(100.0f);
            } else if (request.startsWith("fx")) {
                outlet<ImageButton>(request == "fx on" ? "mFXOnButton" : "mFXOffButton")->click();
            } else if (request == "remove all") {
                mController->imageBrowserRemoveItemsAtIndexes(mController->imageBrowser(),
                                                              {0, 1, 2, 3});
            } else {
                mController->imageBrowser()->setSelectionIndexes({int(names.indexOf(request))},
                                                                 false);
            }
        }
        QVERIFY(test::workersSettled());
        const PreviewImageView* preview = mController->previewImage();
        QCOMPARE(preview->isShowingPlaceholder(), !shown.isValid());
        if (!preview->isShowingPlaceholder())
            QCOMPARE(preview->imageSize(), shown);
    }

    // The effect controls take the keyboard's focus: the window is active from here on.
    void adjustmentSlidersAndFields() {
        QApplication::setActiveWindow(mController.get());
        QVERIFY(QTest::qWaitForWindowActive(mController.get()));
        usePhotos({2000, 1000});
        const struct {
            const char* field;
            const char* typed;
            float (Effects::*value)() const;
            float expected;
            const char* shown;
        } cases[] = {
            {"mConstrastTextField", "250", &Effects::contrastValue, 0.25f, "25"},
            {"mConstrastTextField", "-50", &Effects::contrastValue, 0.5f, "50"},
            {"mBrightnessTextField", "abc", &Effects::brightnessValue, -1.0f, "0"},
            {"mBrightnessTextField", "150", &Effects::brightnessValue, 0.5f, "150"},
            {"mSaturationTextField", "1e60", &Effects::saturationValue, 0.0f, "0"},
            {"mSaturationTextField", "nan", &Effects::saturationValue, 0.0f, "0"},
        };
        for (const auto& c : cases) {
            type(c.field, QString::fromLatin1(c.typed));
            QCOMPARE((effects().*c.value)(), c.expected);
            QCOMPARE(text(c.field), QString::fromLatin1(c.shown));
        }
        QCOMPARE(slider("mConstrastSlider"), 0.5);
        QCOMPARE(slider("mBrightnessSlider"), 0.5);

        move("mBrightnessSlider", -0.25);
        QCOMPARE(effects().brightnessValue(), -0.25f);
        QCOMPARE(text("mBrightnessTextField"), QStringLiteral("75"));
        move("mSaturationSlider", 1.7);
        QCOMPARE(effects().saturationValue(), 1.7f);
        QCOMPARE(text("mSaturationTextField"), QStringLiteral("170"));
        // The keyboard reaches the sliders too: one step is 1 %.
        auto* contrast = outlet<QSlider>("mConstrastSlider");
        contrast->setFocus();
        QTest::keyClick(contrast, Qt::Key_Right);
        QCOMPARE(effects().contrastValue(), 0.51f);
        // Leaving a field ends its editing like Return does.
        QLineEdit* field = outlet<QLineEdit>("mConstrastTextField");
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, "120");
        contrast->setFocus();
        QCOMPARE(effects().contrastValue(), 1.2f);
    }

    void cropSlidersFieldsAndModes() {
        usePhotos({2000, 1000});
        type("mCropLeftTextField", "150"); // kept to 100: 15 %
        QCOMPARE(effects().cropLeftPercentage(), 0.15f);
        QCOMPARE(text("mCropLeftTextField"), QStringLiteral("15"));

        move("mCropRightSlider", 0.4);
        move("mCropLeftSlider", 0.7);
        QCOMPARE(float(slider("mCropLeftSlider")), (1.0f - 0.4f) - 0.01f);
        QCOMPARE(text("mCropLeftTextField"), QStringLiteral("59"));
        QCOMPARE(float(slider("mCropRightSlider")), 0.4f); // the opposite never moves
        move("mCropRightSlider", 0.0);
        move("mCropTopSlider", 1.0);
        QCOMPARE(float(slider("mCropTopSlider")), 0.99f);
        QCOMPARE(effects().cropTopPercentage(), 0.99f);
        type("mCropLeftTextField", "100");
        QCOMPARE(float(slider("mCropLeftSlider")), 0.99f);

        // 25 % of a 2000 x 1500 photo, in pixels.
        type("mCropTopTextField", "0");
        type("mCropLeftTextField", "25");
        choose("mCropByPercentageOrPixels", 1);
        QCOMPARE(effects().cropLeftPixels(), 500.0f);
        QCOMPARE(effects().cropLeftPercentage(), 0.0f);
        QCOMPARE(text("mCropLeftTextField"), QStringLiteral("500"));
        for (const char* label :
             {"mCropLeftPercentageOrPixelsLabel", "mCropRightPercentageOrPixelsLabel",
              "mCropTopPercentageOrPixelsLabel", "mCropBottomPercentageOrPixelsLabel"})
            QCOMPARE(unit(label), QStringLiteral("px"));

        type("mCropLeftTextField", "500");
        QCOMPARE(slider("mCropLeftSlider"), 0.25);
        QCOMPARE(effects().cropLeftPixels(), 500.0f);
        type("mCropTopTextField", "4500"); // kept to 450 of 1500 rows
        QCOMPARE(effects().cropTopPixels(), 450.0f);
        QCOMPARE(slider("mCropTopSlider"), 0.3);
        // Another photo: the pixels stay as they were set.
        mController->imageBrowser()->setSelectionIndexes({1}, false);
        QCOMPARE(effects().cropLeftPixels(), 500.0f);
        // Back to percentage: the sliders are the master copy.
        choose("mCropByPercentageOrPixels", 0);
        QCOMPARE(effects().cropLeftPercentage(), 0.25f);
        QCOMPARE(effects().cropLeftPixels(), 0.0f);
        QCOMPARE(text("mCropTopTextField"), QStringLiteral("30"));
    }

    void scaleFieldsAndModes() {
        usePhotos({2000, 1000});
        type("mScaleXTextField", "50");
        type("mScaleYTextField", "50");
        QCOMPARE(effects().scaleXPercentage(), 0.5f);
        choose("mScaleByPercentageOrPixels", 1);
        QCOMPARE(text("mScaleXTextField"), QStringLiteral("0"));
        QCOMPARE(text("mScaleYTextField"), QStringLiteral("0"));
        QCOMPARE(unit("mScaleXPercentageOrPixelsLabel"), QStringLiteral("px"));
        QCOMPARE(effects().scaleXPercentage(), 0.5f); // until a field is edited
        type("mScaleXTextField", "4500");
        QCOMPARE(effects().scaleXPixels(), 450.0f);
        QCOMPARE(text("mScaleXTextField"), QStringLiteral("450"));
        QCOMPARE(effects().scaleXPercentage(), 1.0f);
        choose("mScaleByPercentageOrPixels", 2);
        QCOMPARE(unit("mScaleYPercentageOrPixelsLabel"), QStringLiteral("Max. px"));
        type("mScaleYTextField", "-300");
        QCOMPARE(effects().scaleYMaximumPixels(), 300.0f);
        QCOMPARE(effects().scaleXPixels(), 0.0f);
        // The X field still read "0" in this mode: both fields are re-read.
        QCOMPARE(effects().scaleXMaximumPixels(), 0.0f);
    }

    void rotationTurnsByQuarters() {
        usePhotos({2000, 1000});
        auto* turn = outlet<SegmentedControl>("mRotateSegmentedControls");
        const struct {
            int segment;
            float degrees;
            const char* label;
        } clicks[] = {
            {1, 270, "90°"}, {1, 180, "180°"}, {0, 270, "90°"}, {0, 0, "0°"}, {0, 90, "90°"}};
        for (const auto& c : clicks) {
            QTest::mouseClick(turn, Qt::LeftButton, {}, turn->segmentRect(c.segment).center());
            QCOMPARE(effects().rotationDegrees(), c.degrees);
            QCOMPARE(unit("mRotationDegreesLabel"), QString::fromUtf8(c.label));
        }
        // A screen reader turns the photo through the segments' named actions.
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(turn);
        QVERIFY(access && access->actionInterface());
        QCOMPARE(access->text(QAccessible::Name), QStringLiteral("Rotate"));
        QVERIFY(access->actionInterface()->actionNames().contains("Turn right"));
        access->actionInterface()->doAction(QStringLiteral("Turn right"));
        QCOMPARE(effects().rotationDegrees(), 0.0f);
        QCOMPARE(access->text(QAccessible::Value), QStringLiteral("Turn right"));
        QAccessibleInterface* preview =
            QAccessible::queryAccessibleInterface(mController->previewImage());
        QCOMPARE(preview->role(), QAccessible::Graphic);
        QCOMPARE(preview->text(QAccessible::Name), QStringLiteral("Preview"));
    }

    void resetKeepsTheModes() {
        usePhotos({2000, 1000});
        choose("mCropByPercentageOrPixels", 1);
        choose("mScaleByPercentageOrPixels", 2);
        type("mCropLeftTextField", "300");
        type("mConstrastTextField", "20");
        type("mScaleXTextField", "800");
        outlet<SegmentedControl>("mRotateSegmentedControls")->setSelectedSegment(0);
        mController->rotationDidChange(nullptr);
        outlet<ImageButton>("mResetAllEffectsButton")->click();
        for (const char* field :
             {"mBrightnessTextField", "mConstrastTextField", "mSaturationTextField"})
            QCOMPARE(text(field), QStringLiteral("100"));
        QCOMPARE(text("mCropLeftTextField"), QStringLiteral("0"));
        QCOMPARE(text("mScaleXTextField"), QStringLiteral("0"));
        QCOMPARE(unit("mRotationDegreesLabel"), QStringLiteral("0°"));
        QCOMPARE(effects().rotationDegrees(), 0.0f);
        QCOMPARE(effects().cropLeftPixels(), 0.0f);
        QCOMPARE(slider("mConstrastSlider"), 1.0);
        QCOMPARE(outlet<QComboBox>("mCropByPercentageOrPixels")->currentIndex(), 1);
        QCOMPARE(outlet<QComboBox>("mScaleByPercentageOrPixels")->currentIndex(), 2);
        QCOMPARE(unit("mCropLeftPercentageOrPixelsLabel"), QStringLiteral("px"));
    }

    void namingFieldsRefillWhenLeftEmpty() {
        usePhotos({2000, 1000});
        type("mNameTargetDirectoryTextField", "");
        QCOMPARE(text("mNameTargetDirectoryTextField"),
                 "Export_" + QDate::currentDate().toString("yyyy-MM-dd"));
        type("mNewNameTextField", "");
        QCOMPARE(text("mNewNameTextField"), QStringLiteral("Image"));
        type("mNewNameTextField", "Holiday");
        QCOMPARE(text("mNewNameTextField"), QStringLiteral("Holiday"));
    }

    void withoutPhotosTheEffectFieldsChangeNothing() {
        setBatch({});
        mController->setIndexOfSelectedImage(3); // stale: must never be used
        type("mCropLeftTextField", "40");
        type("mConstrastTextField", "40");
        move("mCropLeftSlider", 0.3);
        mController->cropByPercentageOrPixelsPopUpDidChange(nullptr);
        QCOMPARE(effects().cropLeftPercentage(), 0.0f);
        QCOMPARE(effects().contrastValue(), 1.0f);
        // The naming fields need no photo (they are hidden, so the handler is called).
        outlet<QLineEdit>("mNewNameTextField")->clear();
        mController->controlTextDidEndEditing(outlet<QLineEdit>("mNewNameTextField"));
        QCOMPARE(text("mNewNameTextField"), QStringLiteral("Image"));
    }

    // The export runs come last: they leave their choices in the settings.
    // The report lists the photos in batch order, the finishing actions wait for it to be
    // closed, and the next clean run shows none.
    void cropsThatDoNotFitAreReportedThenTheFinishingActionsFollow() {
        const QString destination = mWork.filePath("report");
        saveChoices(destination, "Crops", 1, "Image", "PNG", 90, false);
        setFinishingFlags(true, true, true);
        setBatch({mWork.filePath("a.jpg"), mWork.filePath("b.jpg"), mWork.filePath("c.jpg")});
        Effects::sharedEffects().setCropLeftPixels(500);

        QString reported;
        QStringList eventsWhileReportUp{"none"};
        QString summary;
        runBatch([&](const QString& text) {
            reported = text;
            eventsWhileReportUp = takeEvents();
            summary = mController->errorSheet()->findChild<QLabel*>("mErrorSheetSummary")->text();
        });
        QCOMPARE(reported, QStringLiteral("a.jpg couldn't not be cropped!\n"
                                          "b.jpg couldn't not be cropped!\n"
                                          "c.jpg couldn't not be cropped!\n"));
        QCOMPARE(eventsWhileReportUp, QStringList());
        QCOMPARE(summary, QStringLiteral("3 of 3 photos were written."));
        QCOMPARE(takeEvents(), (QStringList{"sound", "reveal Crops", "quit"}));
        QVERIFY(!ProcessingErrors::errors().errorsDidOccur());
        // The photos are written without the crop that did not fit.
        QCOMPARE(QDir(destination + "/Crops").entryList(QDir::Files),
                 (QStringList{"a.png", "b.png", "c.png"}));
        QStringList log = test::takeLoggedLines();
        QVERIFY(log.contains("Export Started!"));
        QVERIFY(log.contains("Vantrel quit at the end of export!"));
        QVERIFY(!log.contains("Export Ended Successfully!"));

        Effects::sharedEffects().setCropLeftPixels(0);
        setFinishingFlags(false, false, false);
        QCOMPARE(runBatch(), QString());
        QCOMPARE(takeEvents(), QStringList());
        QCOMPARE(foldersIn(destination), (QStringList{"Crops", "Crops-1"}));
        log = test::takeLoggedLines();
        QVERIFY(log.contains("Export Ended Successfully!"));
        QVERIFY(!mController->sheetIsOnView());
        QTest::qWait(100);
        QVERIFY(!mController->sheetIsOnView()); // a short run leaves no sheet behind
    }

    // The window hands the destination as typed and the folder name to the core, whose rules
    // (ExportFolder) count taken names and normalise paths.
    void exportFoldersAreCountedAndDestinationsNormalised() {
        const QString home = test::testHome();
        const QString dated = "Export_" + today();
        const struct {
            QString destination; // as typed
            QString folderName;
            QString expected; // the export folder, relative to home
        } runs[] = {
            {home + "/counter", dated, "counter/" + dated},
            {home + "/counter", dated, "counter/" + dated + "-1"},
            {"~/tilde/./x/..", "Out", "tilde/Out"},
            {home + "/empty", "", "empty/" + dated},
        };
        setFinishingFlags(false, true, false);
        setBatch({mWork.filePath("a.jpg")});
        for (const auto& run : runs) {
            saveChoices(run.destination, run.folderName, 1, "Image", "Original File Type", 90,
                        false);
            runBatch();
            QCOMPARE(takeEvents(), QStringList{"reveal " + run.expected.section('/', -1)});
            QVERIFY2(QFileInfo::exists(home + "/" + run.expected + "/a.jpg"),
                     qPrintable(run.expected));
        }
    }

    void aFolderThatCannotBeMadeIsReported() {
        QFile blocker(mWork.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        saveChoices(mWork.filePath("blocker/sub"), "Out", 1, "Image", "JPG", 90, false);
        setFinishingFlags(false, true, false);
        setBatch({mWork.filePath("a.jpg"), mWork.filePath("b.jpg")});
        QString reported;
        runBatch([&](const QString& text) { reported = text; });
        QCOMPARE(reported, "The export folder " + mWork.filePath("blocker/sub/Out") +
                               " could not be created: Not a directory\n");
        QCOMPARE(takeEvents(), QStringList()); // nothing to reveal
    }

    void stopEndsTheRunWithoutItsFinishingActions() {
        QStringList photos;
        for (int i = 0; i < 24; ++i) {
            photos << mWork.filePath(QString("big%1.jpg").arg(i));
            writePhoto(photos.last(), 1600, 1200);
        }
        const QString destination = mWork.filePath("stopped");
        saveChoices(destination, "Run", 0, "Stop", "PNG", 90, false);
        setFinishingFlags(true, true, true);
        setBatch(photos);
        bool thumbnailsWaited = false;
        runBatch({}, [&] {
            thumbnailsWaited = mController->imageBrowser()->thumbnails().isPaused();
            return mController->addingImagesCounter() >= 1;
        });
        QVERIFY(thumbnailsWaited);
        QVERIFY(!mController->imageBrowser()->thumbnails().isPaused());
        const qsizetype written = QDir(destination + "/Run").entryList(QDir::Files).size();
        QVERIFY2(written >= 1 && written < 24, qPrintable(QString::number(written)));
        QCOMPARE(takeEvents(), QStringList());
        QVERIFY(test::takeLoggedLines().contains("Export Ended Successfully!"));
        QVERIFY(!mController->sheetIsOnView());
        // The next run has its finishing actions again.
        setBatch({mWork.filePath("a.jpg")});
        runBatch();
        QCOMPARE(takeEvents(), (QStringList{"sound", "reveal Run-1", "quit"}));
    }

    void theChooserChangesTheDestinationOnlyWhenAccepted() {
        auto* label = outlet<QLabel>("mSaveDestinationPathLabel");
        auto* icon = outlet<QToolButton>("mSaveDestinationPathFolderIcon");
        const QString chosen = mWork.filePath("chosen");
        QVERIFY(QDir().mkpath(chosen));
        saveChoices(mWork.filePath("report"), "Out", 1, "Image", "JPG", 90, false);
        for (const bool accept : {false, true}) {
            const QString labelBefore = label->text();
            const qint64 iconBefore = icon->icon().cacheKey();
            outlet<QPushButton>("mSaveChooseButton")->click();
            QFileDialog* chooser = nullptr;
            QVERIFY(test::waitUntil([&] {
                chooser = mController->findChild<QFileDialog*>("mDestinationChooser");
                return chooser && chooser->isVisible();
            }));
            QCOMPARE(chooser->windowModality(), Qt::WindowModal);
            if (accept) {
                chooser->setDirectory(chosen);
                chooser->selectFile(chosen);
                static_cast<QDialog*>(chooser)->accept(); // as the Choose button does
            } else {
                chooser->reject();
            }
            QVERIFY(test::waitUntil(
                [this] { return !mController->findChild<QFileDialog*>("mDestinationChooser"); }));
            QSettings settings;
            QCOMPARE(label->text(), accept ? chosen : labelBefore);
            QCOMPARE(settings.value("SaveDestinationPath").toString(), label->text());
            QCOMPARE(icon->icon().cacheKey() != iconBefore, accept);
        }
    }

    void thePopupsShowTheirControlsAndAreSaved() {
        auto* names = outlet<QComboBox>("mNameNewOrOriginalPopUp");
        auto* types = outlet<QComboBox>("mSaveOptionFileTypeButton");
        QSettings settings;
        for (const int index : {1, 0}) {
            names->setCurrentIndex(index);
            mController->newNameOrOriginalPopUpDidChange(names);
            for (const char* name :
                 {"mNewNameTextField", "mNewNameLabel", "mNameSerializePopUp", "mNameAppendSuffix"})
                QCOMPARE(outlet<QWidget>(name)->isHidden(), index == 1);
            QCOMPARE(settings.value("keepOriginalName").toInt(), index);
        }
        for (const QString type : {"JPG", "PNG", "Original File Type", "TIFF", "JPG"}) {
            types->setCurrentIndex(types->findText(type));
            mController->savePopupChanged(types);
            for (const char* name :
                 {"mSaveOptionQualitySlider", "mSaveOptionQualityLabel", "mSaveOptionQualityValue"})
                QCOMPARE(outlet<QWidget>(name)->isHidden(), type != "JPG");
            QCOMPARE(settings.value("fileTypeToSave").toString(), type);
        }
        // Loading puts back what was saved.
        types->setCurrentIndex(types->findText("PNG"));
        names->setCurrentIndex(1);
        mController->loadUserDefaults();
        QCOMPARE(types->currentText(), QStringLiteral("JPG"));
        QCOMPARE(names->currentIndex(), 0);
    }

    // The window and vantrel-batch given the same values write the same files, damaged
    // photos among them included.
    void theWindowWritesWhatTheCommandLineWrites_data() {
        QTest::addColumn<bool>("newName");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("metadata");
        QTest::newRow("new name, JPG, metadata") << true << "JPG" << true;
        QTest::newRow("source names, original type") << false << "Original File Type" << false;
    }

    void theWindowWritesWhatTheCommandLineWrites() {
        QFETCH(bool, newName);
        QFETCH(QString, type);
        QFETCH(bool, metadata);
        const QString testdata = QStringLiteral(VANTREL_TESTDATA);
        const QStringList photos{testdata + "/real/jpeg/cameras/Canon_40D.jpg",
                                 testdata + "/real/png/photos/exiv2-reagan.png",
                                 testdata + "/bad-seed/jpeg/pillow-truncated.jpg",
                                 testdata + "/real/tiff/exiv2-test-lzw.tiff",
                                 mWork.filePath("a.jpg"),
                                 testdata + "/bad-seed/png/pillow-broken.png"};
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).section(',', 0, 0);
        const QString destination = mWork.filePath("same/" + tag);
        saveChoices(destination, "Window", newName ? 0 : 1, "Holiday", type, 77, metadata);
        setFinishingFlags(false, false, false);
        Effects& effects = Effects::sharedEffects();
        effects.setBrightnessValue(0.1f);
        effects.setSaturationValue(1.3f);
        effects.setCropLeftPercentage(0.1f);
        effects.setCropTopPercentage(0.05f);
        effects.setRotationDegrees(90);
        effects.setScaleXMaximumPixels(300);
        effects.setScaleYMaximumPixels(200);
        setBatch(photos);
        runBatch([](const QString&) {});

        QStringList arguments{"--brightness", "0.1",       "--saturation",
                              "1.3",          "--crop",    "0.1,0,0.05,0",
                              "--rotate",     "90",        "--max-size",
                              "300,200",      "--quality", "77",
                              "--dest",       destination, "--folder",
                              "Batch",        "--type",    newName ? "jpg" : "original"};
        if (newName)
            arguments << "--name"
                      << "Holiday";
        if (metadata)
            arguments << "--metadata";
        QProcess batch;
        batch.start(QStringLiteral(VANTREL_BATCH_BINARY), arguments + QStringList{"--"} + photos);
        QVERIFY(batch.waitForFinished(120000));
        QCOMPARE(batch.exitCode(), 1); // the damaged photos are in its report too

        const auto fromWindow = folderContents(destination + "/Window");
        QCOMPARE(fromWindow.size(), 4);
        QCOMPARE(folderContents(destination + "/Batch"), fromWindow);
    }
};

VANTREL_GUI_TEST_MAIN(VantrelControllerTest)
#include "VantrelControllerTest.moc"
