#include "tests/gui/GuiTestSupport.h"

#include "core/batch/AppData.h"
#include "core/batch/UpdateChecks.h"
#include "core/imaging/Effects.h"
#include "core/imaging/MetadataReader.h"
#include "core/imaging/MetadataText.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/skin/ImageButton.h"
#include "gui/window/VantrelController.h"
#include "gui/windows/FittedPictureView.h"
#include "gui/windows/ImageInfoController.h"
#include "gui/windows/PreferencesController.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest>
#include <filesystem>
#include <memory>
#include <unistd.h>

using namespace vantrel;

namespace {

QString testdata(const char* relative) {
    return QStringLiteral(VANTREL_TESTDATA "/") + QLatin1String(relative);
}

std::string bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QVariant stored(const char* key) {
    return QSettings().value(QLatin1String(key));
}

} // namespace

class AuxiliaryWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<VantrelController> mController;
    test::UrlCatcher mCatcher;
    QTemporaryDir mWork;
    std::vector<std::string> mInfoBatch;

    void useBatch(const std::vector<std::string>& paths) { test::showBatch(*mController, paths); }

    static PreferencesController& prefs() { return PreferencesController::controller(); }
    template <typename T> static T* prefsOutlet(const char* name) {
        return test::outletNamed<T>(&prefs(), name);
    }
    static ImageInfoController& info() { return ImageInfoController::controller(); }
    template <typename T> static T* infoOutlet(const char* name) {
        return test::outletNamed<T>(&info(), name);
    }

    QAction* action(const char* name) {
        return test::outletNamed<QAction>(mController.get(), name);
    }

    // Selects the photo at `index`, opens the information window from the menu and waits until
    // its picture and text have arrived.
    void getInfo(int index) {
        mController->imageBrowser()->setSelectionIndexes({index}, false);
        QCOMPARE(mController->indexOfSelectedImage(), index);
        action("mShowImageInfoAction")->trigger();
        QVERIFY(test::workersSettled());
        QVERIFY(!info().isReadingMetadata());
        QVERIFY(!infoOutlet<FittedPictureView>("mImageView")->isRendering());
    }

    // What the information window shows, in one line per outlet.
    static QStringList infoShown() {
        const QImage& picture = infoOutlet<FittedPictureView>("mImageView")->image();
        return {infoOutlet<QLabel>("mImageTitle")->text(), infoOutlet<QLabel>("mImagePath")->text(),
                picture.isNull()
                    ? infoOutlet<FittedPictureView>("mImageView")->message()
                    : QStringLiteral("%1:%2").arg(picture.width()).arg(picture.height()),
                infoOutlet<QPlainTextEdit>("mTextView")->toPlainText()};
    }

private Q_SLOTS:
    void initTestCase() {
        test::takeLoggedLines();
        for (const char* scheme : {"file", "mailto"})
            QDesktopServices::setUrlHandler(scheme, &mCatcher, "open");
        mController = std::make_unique<VantrelController>();
        mController->show();
        // Two real camera JPEGs, a copy of one under a name that is not UTF-8, and a QuickTime
        // file named .jpg.
        const QString camera = testdata("real/jpeg/cameras/Canon_40D.jpg");
        const QByteArray oddName = QFile::encodeName(mWork.path()) + "/caf\xe9 (1).jpg";
        std::filesystem::copy_file(bytes(camera), oddName.toStdString());
        mInfoBatch = {bytes(camera), bytes(testdata("real/jpeg/phones/jolla.jpg")),
                      oddName.toStdString(),
                      bytes(testdata("bad-seed/jpeg/exiv2-quicktime-segv-2376-as.jpg"))};
    }

    void cleanupTestCase() {
        for (const char* scheme : {"file", "mailto"})
            QDesktopServices::unsetUrlHandler(scheme);
        info().close();
        prefs().close();
        QVERIFY(test::workersSettled());
        mController.reset();
        AppData::sharedData().setCurrentImages({});
        // QTemporaryDir cannot remove a name that is not UTF-8.
        ::unlink(mInfoBatch.at(2).c_str());
    }

    void cleanup() {
        Effects::sharedEffects().resetEffects();
        mCatcher.urls.clear();
        test::takeLoggedLines();
    }

    // --- preferences

    void preferencesOpenOnGeneralWithOnePanelAtATime() {
        action("mPreferencesAction")->trigger();
        QVERIFY(prefs().isVisible());
        QCOMPARE(&prefs(), &PreferencesController::controller());
        QCOMPARE(prefs().parentWidget(), mController.get());
        auto panelsShown = [] {
            QString shown;
            for (QWidget* panel :
                 {prefsOutlet<QWidget>("mPanelGeneral"), prefsOutlet<QWidget>("mPanelUpdates"),
                  prefsOutlet<QWidget>("mPanelHelp")})
                shown += panel->isVisibleTo(&prefs()) ? QLatin1Char('1') : QLatin1Char('0');
            return shown;
        };
        QCOMPARE(panelsShown(), "100");
        prefsOutlet<QAction>("mToolBarItemHelp")->trigger();
        QCOMPARE(panelsShown(), "001");
        prefsOutlet<QAction>("mToolBarItemUpdates")->trigger();
        QCOMPARE(panelsShown(), "010");
        QVERIFY(prefsOutlet<QAction>("mToolBarItemUpdates")->isChecked());
        // Shown again, it opens on General, and the toolbar says so.
        prefs().closeWindow(nullptr);
        QVERIFY(!prefs().isVisible());
        mController->showPreferences(mController.get());
        QCOMPARE(panelsShown(), "100");
        QVERIFY(prefsOutlet<QAction>("mToolBarItemGeneral")->isChecked());

        // The help buttons do what the Help menu does.
        for (QPushButton* button : {prefsOutlet<QPushButton>("mShowHelpButton"),
                                    prefsOutlet<QPushButton>("mShowFaqButton"),
                                    prefsOutlet<QPushButton>("mContactSupportButton")})
            button->click();
        for (const char* name : {"mHelpAction", "mFaqAction", "mContactSupportAction"})
            action(name)->trigger();
        QCOMPARE(mCatcher.urls.size(), 6);
        QCOMPARE(mCatcher.urls.mid(0, 3), mCatcher.urls.mid(3, 3));
        QCOMPARE(mCatcher.urls.at(2).scheme(), "mailto");
        prefs().close();
    }

    void checkBoxesLoadWhatIsStoredAndStoreByIdentity_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("initially"); // as the window description has it
        QTest::newRow("sound") << "PlaySoundWhenDone"
                               << "mPlaySoundWhenDoneCheckbox" << true;
        QTest::newRow("folder") << "OpenDestinationFolderWhenDone"
                                << "mOpenDestinationFolderWhenDoneCheckbox" << true;
        QTest::newRow("updates") << "SUEnableAutomaticChecks"
                                 << "mAutomaticUpdatesCheckbox" << true;
        QTest::newRow("orientation") << "ApplyCameraOrientation"
                                     << "mApplyCameraOrientationCheckbox" << true;
        QTest::newRow("quit") << "QuitAppWhenDone"
                              << "mQuitAppWhenDoneCheckbox" << false;
    }

    void checkBoxesLoadWhatIsStoredAndStoreByIdentity() {
        QFETCH(QString, key);
        QFETCH(QString, box);
        QFETCH(bool, initially);
        auto* checkbox = test::outletNamed<QCheckBox>(&prefs(), qPrintable(box));
        QSettings settings;
        // Absent: the check box keeps its state.
        settings.remove(key);
        checkbox->blockSignals(true);
        checkbox->setChecked(initially);
        checkbox->blockSignals(false);
        prefs().loadUserDefaults();
        QCOMPARE(checkbox->isChecked(), initially);
        QVERIFY(!settings.contains(key));
        // Stored: loaded as a number or a boolean, without being stored again.
        for (const QVariant& value : {QVariant(0), QVariant(1), QVariant(false), QVariant(true)}) {
            settings.setValue(key, value);
            settings.sync();
            prefs().loadUserDefaults();
            QCOMPARE(checkbox->isChecked(), value.toBool());
            QCOMPARE(settings.value(key).toString(), value.toString());
        }
        // Another sender stores nothing; the check box itself stores its state.
        settings.setValue(key, 7);
        settings.sync();
        for (QObject* other : {static_cast<QObject*>(prefsOutlet<QPushButton>("mCheckNowButton")),
                               static_cast<QObject*>(nullptr), static_cast<QObject*>(&prefs())})
            prefs().saveDefaluts(other);
        QCOMPARE(stored(qPrintable(key)).toInt(), 7);
        if (key == QLatin1String("QuitAppWhenDone"))
            return; // turning it on asks first: see the next test
        for (int click = 0; click < 2; ++click) {
            const bool before = checkbox->isChecked();
            checkbox->click();
            QCOMPARE(checkbox->isChecked(), !before);
            QCOMPARE(stored(qPrintable(key)).toString(), QVariant(!before).toString());
        }
    }

    void quitWhenDoneIsConfirmedOverTheMainWindow() {
        QCheckBox* quit = prefsOutlet<QCheckBox>("mQuitAppWhenDoneCheckbox");
        quit->setChecked(false);
        mController->showPreferences(mController.get());
        prefs().activateWindow();

        // No: asked, stored on while asking, then off. Yes: stays on. Off: no question.
        // Escape answers No.
        struct Step {
            bool turnOn;
            const char* answer;
            bool checkedAfter;
        };
        for (const Step& step : {Step{true, "No", false}, Step{true, "Yes", true},
                                 Step{false, nullptr, false}, Step{true, "Escape", false}}) {
            quit->click();
            QCOMPARE(quit->isChecked(), step.turnOn);
            QCOMPARE(stored("QuitAppWhenDone").toBool(), step.turnOn);
            QMessageBox* alert = prefs().quitAlert();
            if (!step.answer) {
                QVERIFY(!alert);
                QVERIFY(!mController->findChild<QMessageBox*>("mQuitAlert"));
                continue;
            }
            QVERIFY(alert);
            QVERIFY(alert->isVisible());
            QCOMPARE(alert->parentWidget(), mController.get());
            QCOMPARE(alert->windowModality(), Qt::WindowModal);
            QCOMPARE(alert->text(), "Quit Vantrel when done processing?");
            QCOMPARE(alert->informativeText(), "All your settings and changes will be lost.");
            QCOMPARE(alert->buttons().size(), 2);
            QCOMPARE(alert->defaultButton()->text(), "No");
            if (QLatin1String(step.answer) == QLatin1String("Escape"))
                QTest::keyClick(alert, Qt::Key_Escape);
            for (QAbstractButton* button : alert->buttons())
                if (button->text() == QLatin1String(step.answer))
                    button->click();
            QTRY_VERIFY(!prefs().quitAlert());
            QCOMPARE(quit->isChecked(), step.checkedAfter);
            QCOMPARE(stored("QuitAppWhenDone").toBool(), step.checkedAfter);
        }
        prefs().close();
    }

    void lastCheckLabelAndCheckNow() {
        QSettings settings;
        settings.setValue("SULastCheckTime", QDateTime(QDate(2025, 12, 29), QTime(8, 2)));
        settings.sync();
        prefs().loadUserDefaults();
        QCOMPARE(prefsOutlet<QLabel>("mLastCheckDateLabel")->text(),
                 lastCheckDateText(QDateTime(QDate(2025, 12, 29), QTime(8, 2))));

        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        mController->showPreferences(mController.get());
        prefsOutlet<QAction>("mToolBarItemUpdates")->trigger();
        prefsOutlet<QPushButton>("mCheckNowButton")->click();
        const QDateTime checked = stored("SULastCheckTime").toDateTime();
        QVERIFY(checked >= before && checked <= QDateTime::currentDateTime());
        QCOMPARE(prefsOutlet<QLabel>("mLastCheckDateLabel")->text(), lastCheckDateText(checked));
        auto* note = prefs().findChild<QMessageBox*>("mUpdatesNoteAlert");
        QVERIFY(note && note->isVisible());
        QVERIFY(note->informativeText().contains("package updates"));
        note->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(!prefs().findChild<QMessageBox*>("mUpdatesNoteAlert"));

        // Never checked: the time the settings were loaded.
        settings.remove("SULastCheckTime");
        settings.sync();
        const QString now = lastCheckDateText(QDateTime::currentDateTime());
        prefs().loadUserDefaults();
        const QString later = lastCheckDateText(QDateTime::currentDateTime());
        QVERIFY(prefsOutlet<QLabel>("mLastCheckDateLabel")->text() == now ||
                prefsOutlet<QLabel>("mLastCheckDateLabel")->text() == later);
        prefs().close();
    }

    // The run reads the finishing actions when it starts: a change made while it runs
    // counts from the next one.
    void aChangedFinishingActionCountsFromTheNextRun() {
        QStringList events;
        QMutex eventsMutex;
        auto record = [&](const char* event) {
            return [&events, &eventsMutex, event](auto&&...) {
                const QMutexLocker lock(&eventsMutex);
                events << event;
            };
        };
        mController->setFinishingServices({record("sound"), record("reveal"), record("quit")});
        test::outletNamed<QLabel>(mController.get(), "mSaveDestinationPathLabel")
            ->setText(mWork.filePath("runs"));
        mController->saveDefaults(
            test::outletNamed<QPushButton>(mController.get(), "mSaveChooseButton"));
        test::outletNamed<QCheckBox>(mController.get(), "mSaveOptionTransferMetadata")
            ->setChecked(false);
        useBatch({bytes(testdata("real/jpeg/cameras/Canon_40D.jpg"))});
        for (QCheckBox* box : {prefsOutlet<QCheckBox>("mPlaySoundWhenDoneCheckbox"),
                               prefsOutlet<QCheckBox>("mOpenDestinationFolderWhenDoneCheckbox"),
                               prefsOutlet<QCheckBox>("mQuitAppWhenDoneCheckbox")})
            box->setChecked(false);

        auto run = [&](const std::function<void()>& whileRunning) {
            test::outletNamed<ImageButton>(mController.get(), "mOpenSaveButton")->click();
            QVERIFY(mController->isExporting());
            if (whileRunning)
                whileRunning();
            QVERIFY(test::waitUntil([this] { return !mController->isExporting(); }, 60000));
        };
        run([] { prefsOutlet<QCheckBox>("mPlaySoundWhenDoneCheckbox")->click(); });
        QCOMPARE(events, QStringList());
        run({});
        QCOMPARE(events, QStringList{"sound"});
        mController->setFinishingServices({});
        prefsOutlet<QCheckBox>("mPlaySoundWhenDoneCheckbox")->setChecked(false);
    }

    // --- the information window

    void infoShowsThePhotoUntouchedWithItsPropertiesAsText() {
        // Effects that would change the picture's shape if they were applied.
        Effects::sharedEffects().setCropLeftPercentage(0.5f);
        Effects::sharedEffects().setRotationDegrees(90.0f);
        useBatch(mInfoBatch);
        getInfo(0);
        QVERIFY(info().isVisible());
        QCOMPARE(info().parentWidget(), mController.get());
        const std::string path = bytes(testdata("real/jpeg/cameras/Canon_40D.jpg"));
        const QStringList shown = infoShown();
        QCOMPARE(shown.at(0), "Canon_40D.jpg");
        QCOMPARE(shown.at(1), QFile::decodeName(QByteArray::fromStdString(path)));
        QCOMPARE(shown.at(2), "100:68"); // the whole photo, upright as stored
        QCOMPARE(shown.at(3), metadataDisplayText(readImageProperties(path)));
        QVERIFY(shown.at(3).contains("\n        Model : Canon EOS 40D\n"));

        // Selectable and copyable, not editable.
        QPlainTextEdit* text = infoOutlet<QPlainTextEdit>("mTextView");
        QVERIFY(text->isReadOnly());
        QVERIFY(text->textInteractionFlags() & Qt::TextSelectableByMouse);
        text->selectAll();
        text->copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), shown.at(3));
    }

    void infoIsFilledAgainForAnotherPhotoButDoesNotFollowTheSelection() {
        useBatch(mInfoBatch);
        getInfo(0);
        const QStringList first = infoShown();
        getInfo(2); // the copy under a name that is not UTF-8
        const QStringList odd = infoShown();
        QCOMPARE(odd.at(0), QStringLiteral("caf\uFFFD (1).jpg"));
        QVERIFY(odd.at(1).startsWith(mWork.path()));
        QVERIFY(odd.at(1).endsWith(QStringLiteral("/caf\uFFFD (1).jpg")));
        QCOMPARE(odd.at(2), first.at(2));
        QCOMPARE(odd.at(3), first.at(3));

        getInfo(1);
        const QStringList phone = infoShown();
        QCOMPARE(phone.at(0), "jolla.jpg");
        QVERIFY(phone.at(2) != first.at(2));
        QVERIFY(phone.at(3) != first.at(3));
        // The picture is made for the size shown, not at the photo's own.
        const QImage& picture = infoOutlet<FittedPictureView>("mImageView")->image();
        const QSize box = infoOutlet<FittedPictureView>("mImageView")->size() *
                          infoOutlet<FittedPictureView>("mImageView")->devicePixelRatioF();
        QVERIFY(picture.width() <= box.width() && picture.height() <= box.height());
        QVERIFY(picture.width() == box.width() || picture.height() == box.height());

        // Selecting another photo in the browser leaves the window as it is.
        mController->imageBrowser()->setSelectionIndexes({0}, false);
        QVERIFY(test::workersSettled());
        QCOMPARE(mController->indexOfSelectedImage(), 0);
        QCOMPARE(infoShown(), phone);
    }

    void infoOfAFileThatIsNoPhotoOrOutsideTheBatch() {
        useBatch(mInfoBatch);
        getInfo(3);
        const QString quicktime = testdata("bad-seed/jpeg/exiv2-quicktime-segv-2376-as.jpg");
        QCOMPARE(infoShown(), (QStringList{"exiv2-quicktime-segv-2376-as.jpg", quicktime,
                                           "The photo cannot be read.", "null"}));
        QCOMPARE(test::takeLoggedLines(),
                 QStringList{"Error: file name : " + quicktime + " - Status: 2"});

        for (const int index : {4, 100, -1}) {
            info().setIndexOfSelectedImage(index);
            info().showWindow(nullptr);
            QVERIFY(test::workersSettled());
            QCOMPARE(infoShown(), (QStringList{"", "", "", ""}));
        }
    }

    // Damaged and hostile files, BigTIFF among them, one after another in the same window.
    void infoSurvivesEveryDamagedFile() {
        std::vector<std::string> paths{bytes(testdata("real/tiff/pillow-bigtiff.tif"))};
        QDirIterator files(testdata("bad-seed"), {"*.jpg", "*.png", "*.tif", "*.tiff"}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext())
            paths.push_back(bytes(files.next()));
        useBatch(paths);
        getInfo(0);
        for (int i = 0; i < int(paths.size()); ++i) {
            info().setIndexOfSelectedImage(i);
            info().showInfo();
            QVERIFY(test::workersSettled());
            QVERIFY2(!infoShown().at(3).isEmpty(), paths[size_t(i)].c_str());
        }
        getInfo(0);
        QVERIFY(infoShown().at(3).contains("    PixelWidth : 128\n"));
        QCOMPARE(infoShown().at(2), "128:128");
    }
};

VANTREL_GUI_TEST_MAIN(AuxiliaryWindowsTest)
#include "AuxiliaryWindowsTest.moc"
