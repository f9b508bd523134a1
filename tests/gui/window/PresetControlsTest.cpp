#include "tests/gui/GuiTestSupport.h"

#include "core/batch/AppData.h"
#include "core/batch/PresetFormat.h"
#include "core/batch/PresetStore.h"
#include "core/imaging/Effects.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/skin/ImageButton.h"
#include "gui/skin/SegmentedControl.h"
#include "gui/window/EffectSliders.h"
#include "gui/window/VantrelController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QThreadPool>
#include <QtTest>
#include <vips/vips8>

using namespace vantrel;

namespace {

using test::folderContents;
using test::writePhoto;

// Every effect value, for exact comparisons.
std::vector<float> values(const Effects& e) {
    return {e.rotationDegrees(),   e.contrastValue(),        e.brightnessValue(),
            e.saturationValue(),   e.cropLeftPercentage(),   e.cropRightPercentage(),
            e.cropTopPercentage(), e.cropBottomPercentage(), e.cropLeftPixels(),
            e.cropRightPixels(),   e.cropTopPixels(),        e.cropBottomPixels(),
            e.scaleXPercentage(),  e.scaleYPercentage(),     e.scaleXPixels(),
            e.scaleYPixels(),      e.scaleXMaximumPixels(),  e.scaleYMaximumPixels()};
}

} // namespace

// The preset pop-up as a user drives it: choosing a preset sets the controls exactly as
// typing its values would; a change marks it; saving, replacing, deleting; damaged files;
// the window and vantrel-batch writing the same files from one preset.
class PresetControlsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<VantrelController> mController;
    QTemporaryDir mWork;

    template <typename T> T* outlet(const char* name) {
        return test::outletNamed<T>(mController.get(), name);
    }
    QComboBox* popUp() { return outlet<QComboBox>("mPresetPopUp"); }
    QString text(const char* field) { return outlet<QLineEdit>(field)->text(); }

    void type(const char* name, const QString& typed) {
        test::typeInto(mController.get(), name, typed);
    }
    void choose(QComboBox* box, int item) { test::choose(box, item); }
    void choose(const char* name, int item) { choose(outlet<QComboBox>(name), item); }
    void choosePreset(const QString& name) {
        const int item = popUp()->findData(name, Qt::UserRole + 2);
        QVERIFY(item > 0);
        choose(popUp(), item);
    }
    QStringList popUpItems() {
        QStringList items;
        for (int i = 0; i < popUp()->count(); ++i)
            items << popUp()->itemText(i);
        return items;
    }
    void usePhotos(const QStringList& names) {
        std::vector<std::string> paths;
        for (const QString& name : names)
            paths.push_back(QFile::encodeName(mWork.filePath(name)).toStdString());
        test::showBatch(*mController, paths);
        mController->imageBrowser()->setSelectionIndexes({0}, false);
    }

private Q_SLOTS:
    void initTestCase() {
        test::takeLoggedLines();
        writePhoto(mWork.filePath("a.jpg"), 200, 150);
        writePhoto(mWork.filePath("b.png"), 90, 120);
        mController = std::make_unique<VantrelController>();
        mController->show();
        mController->setFinishingServices({[] {}, [](const std::string&) {},
                                           [] {
                                           }});
        for (const char* key :
             {"PlaySoundWhenDone", "OpenDestinationFolderWhenDone", "QuitAppWhenDone"})
            QSettings().setValue(key, false);
    }

    void cleanup() {
        mController->resetEffectsButtonIsPressed(nullptr);
        choose("mCropByPercentageOrPixels", 0);
        choose("mScaleByPercentageOrPixels", 0);
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents();
        choose(popUp(), 0);
        test::takeLoggedLines();
    }

    // What a user types, as a preset and back: the same effects, fields and units.
    void choosingAPresetIsTypingItsValues_data() {
        QTest::addColumn<QString>("steps"); // control=value;... (popup index or typed text)
        QTest::newRow("fractions, factors")
            << "mBrightnessTextField=113;mConstrastTextField=87;mSaturationTextField=250;"
               "mCropLeftTextField=10;mCropTopTextField=33;mCropBottomTextField=7;"
               "mScaleXTextField=51;mScaleYTextField=70";
        QTest::newRow("pixels, size, turned")
            << "mCropByPercentageOrPixels#1;mCropLeftTextField=37;mCropRightTextField=5;"
               "mCropBottomTextField=149;turn;mScaleByPercentageOrPixels#1;mScaleXTextField=640;"
               "mScaleYTextField=4500";
        QTest::newRow("maximum shown as factors, three turns")
            << "mScaleByPercentageOrPixels#2;mScaleXTextField=2048;mScaleYTextField=1536;"
               "mScaleByPercentageOrPixels#0;turn;turn;turn;mSaturationTextField=0";
    }

    void choosingAPresetIsTypingItsValues() {
        QFETCH(QString, steps);
        usePhotos({"a.jpg", "b.png"});
        for (const QString& step : steps.split(';')) {
            if (step == "turn") {
                outlet<SegmentedControl>("mRotateSegmentedControls")->clickSegment(0);
            } else if (step.contains('#')) {
                choose(step.section('#', 0, 0).toLatin1().constData(),
                       step.section('#', 1).toInt());
            } else {
                type(step.section('=', 0, 0).toLatin1().constData(), step.section('=', 1));
            }
        }
        const std::vector<float> typed = values(Effects::sharedEffects());
        const char* const fields[] = {
            "mBrightnessTextField", "mConstrastTextField", "mSaturationTextField",
            "mCropLeftTextField",   "mCropRightTextField", "mCropTopTextField",
            "mCropBottomTextField", "mScaleXTextField",    "mScaleYTextField"};
        const auto controlsShown = [&] {
            QStringList shown;
            for (const char* field : fields)
                shown << text(field);
            for (const char* label : {"mCropLeftPercentageOrPixelsLabel",
                                      "mScaleXPercentageOrPixelsLabel", "mRotationDegreesLabel"})
                shown << outlet<QLabel>(label)->text();
            return shown;
        };
        const QStringList shown = controlsShown();
        QCOMPARE(mController->savePresetNamed("Typed", false, true), std::nullopt);
        QCOMPARE(popUp()->currentText(), QStringLiteral("Typed"));

        // Elsewhere, with another photo selected: the preset brings back every value.
        mController->resetEffectsButtonIsPressed(nullptr);
        choose("mCropByPercentageOrPixels", 0);
        choose("mScaleByPercentageOrPixels", 1);
        type("mBrightnessTextField", "40");
        QCOMPARE(popUp()->currentText(), QStringLiteral("Typed *"));
        choosePreset("Typed");
        QCOMPARE(values(Effects::sharedEffects()), typed);
        QCOMPARE(controlsShown(), shown);
        QCOMPARE(popUp()->currentText(), QStringLiteral("Typed"));
        // Saved again unchanged, the file keeps every byte.
        const PresetFile before = findPreset(presetsFolder(), "Typed");
        QVERIFY(before.preset);
        QCOMPARE(mController->savePresetNamed("Typed", false, true), std::nullopt);
        QFile file(QFile::decodeName(before.path.c_str()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toStdString(), writePreset(*before.preset));
    }

    void aChangedControlMarksThePresetAndSavingAsksBeforeReplacing() {
        usePhotos({"a.jpg"});
        type("mBrightnessTextField", "120");
        QCOMPARE(mController->savePresetNamed("Web 2048", false, false), std::nullopt);
        QCOMPARE(popUp()->currentText(), QStringLiteral("Web 2048"));
        auto* quality = outlet<QSlider>("mSaveOptionQualitySlider");
        quality->setValue(quality->value() == 50 ? 51 : 50);
        QCOMPARE(popUp()->currentText(), QStringLiteral("Web 2048 *"));
        QVERIFY(popUpItems().contains("Web 2048 *"));
        // Taking the change back takes the mark away.
        choosePreset("Web 2048");
        QCOMPARE(popUp()->currentText(), QStringLiteral("Web 2048"));
        type("mNewNameTextField", "Other");
        QCOMPARE(popUp()->currentText(), QStringLiteral("Web 2048 *"));
        QCOMPARE(mController->savePresetNamed("Web 2048", false, false),
                 std::optional<QString>("A preset named \"Web 2048\" already exists."));
        QCOMPARE(mController->savePresetNamed("", false, false),
                 std::optional<QString>("A preset needs a name."));
        // A hostile name is a preset like any other, in its own file in the folder.
        const QString hostile = QStringLiteral("../../.. \"x\"\n");
        QCOMPARE(mController->savePresetNamed(hostile, true, false), std::nullopt);
        const PresetFile saved = findPreset(presetsFolder(), hostile);
        QVERIFY(saved.preset && saved.preset->destinationIncluded);
        QCOMPARE(QFileInfo(QFile::decodeName(saved.path.c_str())).absolutePath(),
                 QFile::decodeName(presetsFolder().c_str()));
        // Deleting asks first; the answer here is Yes.
        QTimer::singleShot(0, this, [] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
                    box->button(QMessageBox::Yes)->click();
        });
        choose(popUp(), popUp()->findData(4, Qt::UserRole));
        QVERIFY(!findPreset(presetsFolder(), hostile).preset);
        QCOMPARE(popUp()->currentText(), QStringLiteral("No Preset"));
        QVERIFY(!popUpItems().contains(hostile));
    }

    void damagedPresetsAreListedByNameAndStopNothing() {
        const QString folder = QFile::decodeName(presetsFolder().c_str());
        QDir().mkpath(folder);
        for (const auto& [file, bytes] :
             {std::pair<QString, QByteArray>{"Cut.vpreset", "format = 1\nname = \"Hol"},
              {"Next.vpreset", "format = 3\n"},
              {"Extra.vpreset", "format = 1\nquality = 12\nsharpen = 1\n"}}) {
            QFile out(folder + "/" + file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(bytes);
        }
        usePhotos({"a.jpg"});
        mController->reloadPresetPopUp();
        const QStringList items = popUpItems();
        for (const char* item : {"Cut (damaged)", "Next (damaged)", "Extra"})
            QVERIFY2(items.contains(item), item);
        const QStringList log = test::takeLoggedLines();
        QVERIFY(log.filter("preset \"Cut\" (").size() == 1);
        QVERIFY(log.contains("preset \"Extra\": line 3: unknown key \"sharpen\" ignored"));
        choosePreset("Extra");
        QCOMPARE(outlet<QSlider>("mSaveOptionQualitySlider")->value(), 12);
        for (const char* file : {"Cut.vpreset", "Next.vpreset", "Extra.vpreset"})
            QFile::remove(folder + "/" + file);
        mController->reloadPresetPopUp();
    }

    // One preset, written by the window and by vantrel-batch: the same files, byte for byte.
    void theWindowAndTheCommandLineWriteTheSameFilesFromOnePreset() {
        usePhotos({"a.jpg", "b.png"});
        const QString destination = mWork.filePath("out");
        outlet<QLabel>("mSaveDestinationPathLabel")->setText(destination);
        mController->saveDefaults(outlet<QPushButton>("mSaveChooseButton"));
        outlet<QLineEdit>("mNameTargetDirectoryTextField")->setText("Window");
        mController->saveDefaults(outlet<QLineEdit>("mNameTargetDirectoryTextField"));
        choose("mNameNewOrOriginalPopUp", 0);
        type("mNewNameTextField", "Web");
        auto* types = outlet<QComboBox>("mSaveOptionFileTypeButton");
        choose(types, types->findText("JPG"));
        outlet<QSlider>("mSaveOptionQualitySlider")->setValue(85);
        type("mBrightnessTextField", "110");
        type("mSaturationTextField", "120");
        choose("mCropByPercentageOrPixels", 1);
        type("mCropLeftTextField", "21");
        choose("mScaleByPercentageOrPixels", 2);
        type("mScaleXTextField", "120");
        type("mScaleYTextField", "100");
        QCOMPARE(mController->savePresetNamed("Same", true, true), std::nullopt);

        outlet<ImageButton>("mOpenSaveButton")->click();
        QVERIFY(test::waitUntil([this] { return !mController->isExporting(); }, 120000));
        QProcess batch;
        batch.start(QStringLiteral(VANTREL_BATCH_BINARY),
                    {"--preset", "Same", "--folder", "Batch", mWork.filePath("a.jpg"),
                     mWork.filePath("b.png")});
        QVERIFY(batch.waitForFinished(120000));
        QCOMPARE(batch.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(batch.readAllStandardOutput()).trimmed(),
                 destination + "/Batch");
        const auto fromWindow = folderContents(destination + "/Window");
        QCOMPARE(fromWindow.keys(), (QStringList{"Web_1.jpg", "Web_2.jpg"}));
        QCOMPARE(folderContents(destination + "/Batch"), fromWindow);
    }

    void theLastEffectsComeBackAtLaunchOnlyWhenAskedFor() {
        usePhotos({"a.jpg"});
        type("mConstrastTextField", "150");
        choose("mCropByPercentageOrPixels", 1);
        type("mCropTopTextField", "30");
        const std::vector<float> before = values(Effects::sharedEffects());
        mController->close();
        // Each launch keeps its own effects at the end; the first one has those typed above.
        for (const bool restore : {true, false}) {
            QSettings().setValue("RestoreLastEffectsAtLaunch", restore);
            mController.reset();
            Effects::sharedEffects().resetEffects();
            AppData::sharedData().setCurrentImages({});
            mController = std::make_unique<VantrelController>();
            mController->show();
            // The effects wait for a photo to measure the pixel crop against.
            usePhotos({"a.jpg"});
            QCoreApplication::processEvents();
            QCOMPARE(values(Effects::sharedEffects()) == before, restore);
            QCOMPARE(text("mCropTopTextField"),
                     restore ? QStringLiteral("30") : QStringLiteral("0"));
            mController->close();
        }
        QSettings().setValue("RestoreLastEffectsAtLaunch", false);
    }
};

VANTREL_GUI_TEST_MAIN(PresetControlsTest)
#include "PresetControlsTest.moc"
