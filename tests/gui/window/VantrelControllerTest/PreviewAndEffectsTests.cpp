#include "core/imaging/PreviewSource.h"
#include "gui/preview/ScreenImage.h"
#include "tests/gui/window/VantrelControllerTest/WindowFixture.h"

using namespace vantrel;
using namespace vantrel::windowtest;

// The preview's requests and the effect controls: slider positions, typed text ended by Return
// or by leaving the field, pop-up choices and clicks.
class PreviewAndEffectsTests : public WindowFixture {
    Q_OBJECT

private Q_SLOTS:
    // The log is captured from here on: QtTest puts a handler of its own in place for each class.
    void initTestCase() { test::takeLoggedLines(); }
    void cleanup() { resetWindow(); }

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

    // At small zooms a JPEG is shown first from a quicker, coarser decode; the exact picture
    // takes its place, also when the effects change while it is decoded. No thumbnail is
    // begun until the first picture is on view.
    void theExactPictureFollowsTheFirstLook() {
        outlet<ImageButton>("mFXOnButton")->click();
        const QString path = mWork.filePath("first-look.jpg");
        writePhoto(path, 2400, 1600);
        setBatch({path});
        mController->previewImage()->setZoomFactor(0.1f);
        mController->imageBrowser()->setSelectionIndexes({0}, false);
        const ThumbnailCache& thumbnails = mController->imageBrowser()->thumbnails();
        QVERIFY(thumbnails.isHeldBack());
        move("mBrightnessSlider", 0.2);
        QVERIFY(test::workersSettled());
        QVERIFY(!thumbnails.isHeldBack());
        Image photo(QFile::encodeName(path).toStdString());
        const auto source = PreviewSource::decode(photo.path(), 0.1);
        QVERIFY(source);
        const auto exact = photo.imageWithEffects(source->pixels()).render(0.1);
        QVERIFY(exact);
        QCOMPARE(mController->previewImage()->image(), screenImageFromBitmap(*exact));
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
};

int runPreviewAndEffectsTests(int argc, char** argv) {
    PreviewAndEffectsTests test;
    return QTest::qExec(&test, argc, argv);
}

#include "PreviewAndEffectsTests.moc"
