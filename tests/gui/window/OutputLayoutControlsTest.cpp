#include "tests/gui/GuiTestSupport.h"

#include "core/batch/AppData.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/skin/ImageButton.h"
#include "gui/window/VantrelController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QStackedWidget>
#include <QtTest>

using namespace vantrel;

// The name template with its fault and live example, and the folder choice of the save tab.
class OutputLayoutControlsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void templateFaultExampleAndStoredChoices() {
        VantrelController controller;
        controller.show();
        const auto line = [&](const char* name) {
            return test::outletNamed<QLineEdit>(&controller, name);
        };
        const auto label = [&](const char* name) {
            return test::outletNamed<QLabel>(&controller, name);
        };
        auto* popUp = test::outletNamed<QComboBox>(&controller, "mNameNewOrOriginalPopUp");
        auto* keepFolders = test::outletNamed<QCheckBox>(&controller, "mSaveOptionKeepFolders");
        QLineEdit* field = line("mNameTemplateTextField");
        QLabel* example = label("mNameTemplateExampleLabel");
        QLabel* fault = label("mNameTemplateErrorLabel");
        test::showBatch(controller, {VANTREL_TESTDATA "/real/jpeg/cameras/Canon_40D.jpg",
                                     VANTREL_TESTDATA "/real/jpeg/cameras/Nikon_D70.jpg"});
        AppData::sharedData().currentImages().front()->setFoundInFolders({"trip", "day 1"});
        controller.imageBrowserSelectionDidChange(controller.imageBrowser());
        controller.selectTabViewItemName(nullptr);

        popUp->setCurrentIndex(2);
        controller.newNameOrOriginalPopUpDidChange(popUp);
        QVERIFY(field->isVisible());
        QVERIFY(!line("mNewNameTextField")->isVisible());
        QCOMPARE(QSettings().value("keepOriginalName").toInt(), 2);

        field->clear();
        QTest::keyClicks(field, "{date:yyyy/MM/dd}_{camera}_{n:3}");
        QCOMPARE(example->text(), QString("Example: 2008_05_30_Canon EOS 40D_001.jpg"));
        keepFolders->click();
        QCOMPARE(example->text(), QString("Example: trip/day 1/2008_05_30_Canon EOS 40D_001.jpg"));
        QCOMPARE(QSettings().value("KeepFolderStructure").toBool(), true);
        QCOMPARE(QSettings().value("NameTemplate").toString(),
                 QString("{date:yyyy/MM/dd}_{camera}_{n:3}"));

        // A fault is named under the field, and the run waits until it is mended.
        QTest::keyClicks(field, "_{foo}");
        QVERIFY(fault->isVisible());
        QVERIFY(fault->text().startsWith("unknown token {foo}"));
        QVERIFY(example->text().isEmpty());
        controller.selectTabViewItemSave(nullptr);
        test::outletNamed<ImageButton>(&controller, "mOpenSaveButton")->click();
        QVERIFY(!controller.isExporting());
        QCOMPARE(test::outletNamed<QStackedWidget>(&controller, "mTabViewEffects")->currentIndex(),
                 3);

        // What is stored comes back; the two other choices hide the template.
        field->setText("x");
        {
            const QSignalBlocker quiet(keepFolders); // shown changed, not stored
            keepFolders->setChecked(false);
        }
        controller.loadUserDefaults();
        QCOMPARE(field->text(), QString("{date:yyyy/MM/dd}_{camera}_{n:3}_{foo}"));
        QVERIFY(keepFolders->isChecked());
        popUp->setCurrentIndex(1);
        controller.newNameOrOriginalPopUpDidChange(popUp);
        QVERIFY(!field->isVisible());
        QVERIFY(!line("mNewNameTextField")->isVisible());
        AppData::sharedData().setCurrentImages({});
    }
};

VANTREL_GUI_TEST_MAIN(OutputLayoutControlsTest)
#include "OutputLayoutControlsTest.moc"
