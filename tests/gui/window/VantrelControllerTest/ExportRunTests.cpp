#include "tests/gui/window/VantrelControllerTest/WindowFixture.h"

using namespace vantrel;
using namespace vantrel::windowtest;

// Whole export runs with their report and finishing actions, on real photos. They leave their
// choices in the settings: they run last.
class ExportRunTests : public WindowFixture {
    Q_OBJECT

private Q_SLOTS:
    // The log is captured from here on: QtTest puts a handler of its own in place for each class.
    void initTestCase() { test::takeLoggedLines(); }
    void cleanup() { resetWindow(); }

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

        QStringList arguments =
            QStringLiteral("--brightness 0.1 --saturation 1.3 --crop 0.1,0,0.05,0 --rotate 90 "
                           "--max-size 300,200 --quality 77 --folder Batch")
                .split(' ');
        arguments << "--dest" << destination << "--type" << (newName ? "jpg" : "original");
        if (newName)
            arguments << QStringList{"--name", "Holiday"};
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

int runExportRunTests(int argc, char** argv) {
    ExportRunTests test;
    return QTest::qExec(&test, argc, argv);
}

#include "ExportRunTests.moc"
