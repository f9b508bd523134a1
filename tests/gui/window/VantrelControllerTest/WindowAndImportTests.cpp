#include "tests/gui/window/VantrelControllerTest/WindowFixture.h"

using namespace vantrel;
using namespace vantrel::windowtest;

// The window's settings and layouts, imports by drop and by the desktop, and the grid's edits.
class WindowAndImportTests : public WindowFixture {
    Q_OBJECT

private Q_SLOTS:
    // The log is captured from here on: QtTest puts a handler of its own in place for each class.
    void initTestCase() { test::takeLoggedLines(); }
    void cleanup() { resetWindow(); }

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
};

int runWindowAndImportTests(int argc, char** argv) {
    WindowAndImportTests test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowAndImportTests.moc"
