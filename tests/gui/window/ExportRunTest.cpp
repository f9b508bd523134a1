#include "tests/gui/GuiTestSupport.h"

#include "core/batch/AppData.h"
#include "core/batch/ProcessingErrors.h"
#include "core/imaging/Effects.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/browser/ThumbnailCache.h"
#include "gui/skin/ImageButton.h"
#include "gui/window/VantrelController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>
#include <mutex>
#include <vips/vips8>

using namespace vantrel;

namespace {

QString today() {
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
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

// A photo whose halves differ, so that a turned or mirrored export would not match.
void writePhoto(const QString& path, int width, int height) {
    const vips::VImage noise = vips::VImage::gaussnoise(width, height);
    noise.bandjoin({noise.flip(VIPS_DIRECTION_HORIZONTAL), noise * 0.5})
        .cast(VIPS_FORMAT_UCHAR)
        .write_to_file(QFile::encodeName(path).constData());
}

void setBatch(const QStringList& paths) {
    ImageList images;
    for (const QString& path : paths)
        images.push_back(std::make_unique<Image>(QFile::encodeName(path).toStdString()));
    AppData::sharedData().setCurrentImages(std::move(images));
}

} // namespace

class ExportRunTest : public QObject {
    Q_OBJECT

    std::unique_ptr<VantrelController> mController;
    QTemporaryDir mWork;

    // What the finishing actions did, in order, and whether the report's messages had been
    // cleared (the report closed) when each ran.
    std::mutex mEventsMutex;
    QStringList mEvents;

    template <typename T> T* outlet(const char* name) {
        return test::outletNamed<T>(mController.get(), name);
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
        test::takeLoggedLines();
        mController = std::make_unique<VantrelController>();
        mController->show();
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
        Effects::sharedEffects().resetEffects();
        setBatch({});
        mController->imageBrowser()->reloadData();
        ProcessingErrors::errors().clearErrors();
        takeEvents();
        test::takeLoggedLines();
    }

    // The report lists the photos in batch order, the finishing actions wait for it to be
    // closed, and the next clean run shows none.
    void cropsThatDoNotFitAreReportedThenTheFinishingActionsFollow() {
        const QString destination = mWork.filePath("report");
        saveChoices(destination, "Crops", 1, "Image", "PNG", 90, false);
        setFinishingFlags(true, true, true);
        setBatch({mWork.filePath("a.jpg"), mWork.filePath("b.jpg"), mWork.filePath("c.jpg")});
        mController->imageBrowser()->reloadData();
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

    void exportFoldersAreCountedAndDestinationsNormalised_data() {
        QTest::addColumn<QString>("destination"); // as typed; "HOME" is the test's home
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<QStringList>("inTheWay"); // made before the run; "file:" a plain file
        QTest::addColumn<QString>("expected");     // the export folder, relative to home
        const QString dated = "Export_" + today();
        QTest::newRow("free") << "HOME/counter" << dated << QStringList{} << "counter/" + dated;
        QTest::newRow("taken") << "HOME/counter" << dated << QStringList{}
                               << "counter/" + dated + "-1";
        QTest::newRow("file counts")
            << "HOME/counter" << dated << QStringList{"file:" + dated + "-2"}
            << "counter/" + dated + "-3";
        QTest::newRow("tilde") << "~/tilde/./x/.."
                               << "Out" << QStringList{} << "tilde/Out";
        QTest::newRow("dot dot") << "HOME/a/../dots//"
                                 << "Out" << QStringList{} << "dots/Out";
        QTest::newRow("empty name") << "HOME/empty"
                                    << "" << QStringList{} << "empty/" + dated;
    }

    void exportFoldersAreCountedAndDestinationsNormalised() {
        QFETCH(QString, destination);
        QFETCH(QString, folderName);
        QFETCH(QStringList, inTheWay);
        QFETCH(QString, expected);
        const QString home = test::testHome();
        destination.replace("HOME", home);
        const QString plain = QDir::cleanPath(QString(destination).replace("~", home));
        for (const QString& thing : inTheWay) {
            QDir().mkpath(plain);
            QFile file(plain + "/" + thing.mid(5));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        saveChoices(destination, folderName, 1, "Image", "Original File Type", 90, false);
        setFinishingFlags(false, true, false);
        setBatch({mWork.filePath("a.jpg")});
        mController->imageBrowser()->reloadData();
        runBatch();
        QCOMPARE(takeEvents(), QStringList{"reveal " + expected.section('/', -1)});
        QVERIFY2(QFileInfo::exists(home + "/" + expected + "/a.jpg"), qPrintable(expected));
    }

    void aFolderThatCannotBeMadeIsReported() {
        QFile blocker(mWork.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        saveChoices(mWork.filePath("blocker/sub"), "Out", 1, "Image", "JPG", 90, false);
        setFinishingFlags(false, true, false);
        setBatch({mWork.filePath("a.jpg"), mWork.filePath("b.jpg")});
        mController->imageBrowser()->reloadData();
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
        mController->imageBrowser()->reloadData();
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
        const QString data = QStringLiteral(VANTREL_TESTDATA);
        const QStringList photos{data + "/real/jpeg/cameras/Canon_40D.jpg",
                                 data + "/real/png/photos/exiv2-reagan.png",
                                 data + "/bad-seed/jpeg/pillow-truncated.jpg",
                                 data + "/real/tiff/exiv2-test-lzw.tiff",
                                 mWork.filePath("a.jpg"),
                                 data + "/bad-seed/png/pillow-broken.png"};
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
        mController->imageBrowser()->reloadData();
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

VANTREL_GUI_TEST_MAIN(ExportRunTest)
#include "ExportRunTest.moc"
