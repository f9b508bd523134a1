#include "tests/gui/GuiTestSupport.h"

#include "core/batch/AppData.h"
#include "core/imaging/Effects.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/preview/PreviewImageView.h"
#include "gui/skin/ImageButton.h"
#include "gui/skin/SegmentedControl.h"
#include "gui/window/EffectSliders.h"
#include "gui/window/VantrelController.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QThreadPool>
#include <QtTest>
#include <vips/vips8>

using namespace vantrel;

// The effect controls driven as the user drives them: slider positions, typed text ended by
// Return or by leaving the field, pop-up choices and clicks, on a window with real photos.
class EffectControlsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<VantrelController> mController;
    QTemporaryDir mPhotos;

    template <typename T> T* outlet(const char* name) {
        return test::outletNamed<T>(mController.get(), name);
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

    void usePhotos(std::initializer_list<int> widths) {
        ImageList images;
        for (int width : widths) {
            const QString path = mPhotos.filePath(QString("w%1.jpg").arg(width));
            if (!QFileInfo::exists(path))
                vips::VImage::black(width, width * 3 / 4, vips::VImage::option()->set("bands", 3))
                    .jpegsave(qPrintable(path));
            images.push_back(std::make_unique<Image>(QFile::encodeName(path).toStdString()));
        }
        AppData::sharedData().setCurrentImages(std::move(images));
        mController->imageBrowser()->reloadData();
        mController->imageBrowser()->setSelectionIndexes({0}, false);
    }

private Q_SLOTS:
    void initTestCase() {
        mController = std::make_unique<VantrelController>();
        mController->show();
        QApplication::setActiveWindow(mController.get());
        QVERIFY(QTest::qWaitForWindowActive(mController.get()));
    }

    void init() { usePhotos({2000, 1000}); }

    void cleanup() {
        mController->resetEffectsButtonIsPressed(nullptr);
        choose("mCropByPercentageOrPixels", 0);
        choose("mScaleByPercentageOrPixels", 0);
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents();
    }

    void theControlsStartAtTheDefaults() {
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

    void adjustmentSlidersAndFields() {
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
        type("mNameTargetDirectoryTextField", "");
        QCOMPARE(text("mNameTargetDirectoryTextField"),
                 "Export_" + QDate::currentDate().toString("yyyy-MM-dd"));
        type("mNewNameTextField", "");
        QCOMPARE(text("mNewNameTextField"), QStringLiteral("Image"));
        type("mNewNameTextField", "Holiday");
        QCOMPARE(text("mNewNameTextField"), QStringLiteral("Holiday"));
    }

    void withoutPhotosTheEffectFieldsChangeNothing() {
        AppData::sharedData().setCurrentImages({});
        mController->imageBrowser()->reloadData();
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
};

VANTREL_GUI_TEST_MAIN(EffectControlsTest)
#include "EffectControlsTest.moc"
