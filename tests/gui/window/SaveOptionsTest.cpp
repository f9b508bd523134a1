#include "tests/gui/GuiTestSupport.h"

#include "gui/window/VantrelController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>

using namespace vantrel;
using namespace vantrel::test;

// The save tab's choices beside the file type: shown for the types that use them, stored as
// they change and loaded at the next start.
class SaveOptionsTest : public QObject {
    Q_OBJECT

    static void choose(QComboBox* popup, const QString& title) {
        const int index = popup->findText(title);
        QVERIFY2(index >= 0, qPrintable(title));
        popup->setCurrentIndex(index);
        Q_EMIT popup->activated(index);
    }

private Q_SLOTS:
    void controlsFollowTheTypeAndAreKept() {
        QSettings().clear();
        {
            VantrelController controller;
            controller.show();
            auto* type = outletNamed<QComboBox>(&controller, "mSaveOptionFileTypeButton");
            auto* quality = outletNamed<QSlider>(&controller, "mSaveOptionQualitySlider");
            auto* maxSize = outletNamed<QSpinBox>(&controller, "mSaveOptionMaxSizeField");
            auto* progressive = outletNamed<QCheckBox>(&controller, "mSaveOptionProgressive");
            auto* fullChroma = outletNamed<QCheckBox>(&controller, "mSaveOptionFullChroma");
            auto* lossless = outletNamed<QCheckBox>(&controller, "mSaveOptionLossless");
            auto* copy = outletNamed<QCheckBox>(&controller, "mSaveOptionTransferMetadata");
            auto* which = outletNamed<QComboBox>(&controller, "mSaveOptionMetadataChoice");
            // The save tab need not be the one on view: what counts is what it would show.
            const auto shown = [](const QWidget* widget) {
                for (; widget && widget->objectName() != "mSavePage";
                     widget = widget->parentWidget())
                    if (widget->isHidden())
                        return false;
                return true;
            };

            struct TypeCase {
                const char* title;
                bool quality, jpeg, webp;
            };
            for (const TypeCase& c :
                 {TypeCase{"JPG", true, true, false}, TypeCase{"WebP", true, false, true},
                  TypeCase{"AVIF", true, false, false}, TypeCase{"PNG", false, false, false},
                  TypeCase{"Original File Type", false, false, false}}) {
                choose(type, c.title);
                QCOMPARE(shown(quality), c.quality);
                QCOMPARE(shown(maxSize), c.quality);
                QCOMPARE(shown(progressive), c.jpeg);
                QCOMPARE(shown(fullChroma), c.jpeg);
                QCOMPARE(shown(lossless), c.webp);
            }

            choose(type, "WebP");
            lossless->setChecked(true);
            QVERIFY(!quality->isEnabled() && !maxSize->isEnabled());
            choose(type, "JPG");
            QVERIFY(quality->isEnabled() && maxSize->isEnabled());
            progressive->setChecked(true);
            fullChroma->setChecked(true);
            maxSize->setValue(300);
            QVERIFY(!which->isEnabled());
            copy->setChecked(true);
            QVERIFY(which->isEnabled());
            choose(which, "All but location and owner");
            choose(type, "AVIF");
        }
        QSettings settings;
        QCOMPARE(settings.value("fileTypeToSave").toString(), QStringLiteral("AVIF"));
        QCOMPARE(settings.value("maxFileSizeKB").toInt(), 300);
        QCOMPARE(settings.value("metadataWithoutPrivate").toBool(), true);
        QCOMPARE(settings.value("jpegProgressive").toBool(), true);

        {
            VantrelController again;
            QCOMPARE(outletNamed<QComboBox>(&again, "mSaveOptionFileTypeButton")->currentText(),
                     QStringLiteral("AVIF"));
            QCOMPARE(outletNamed<QSpinBox>(&again, "mSaveOptionMaxSizeField")->value(), 300);
            QVERIFY(outletNamed<QCheckBox>(&again, "mSaveOptionLossless")->isChecked());
            QVERIFY(outletNamed<QCheckBox>(&again, "mSaveOptionProgressive")->isChecked());
            QVERIFY(outletNamed<QCheckBox>(&again, "mSaveOptionFullChroma")->isChecked());
            QCOMPARE(outletNamed<QComboBox>(&again, "mSaveOptionMetadataChoice")->currentIndex(),
                     1);
        }
        // The titles stored before these types were there still load.
        QSettings().setValue("fileTypeToSave", "TIFF");
        VantrelController older;
        QCOMPARE(outletNamed<QComboBox>(&older, "mSaveOptionFileTypeButton")->currentText(),
                 QStringLiteral("TIFF"));
    }
};

VANTREL_GUI_TEST_MAIN(SaveOptionsTest)
#include "SaveOptionsTest.moc"
