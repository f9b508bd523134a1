#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/skin/SkinTestSupport.h"

#include "gui/skin/ImageButton.h"
#include "gui/skin/M_Checkbox.h"
#include "gui/skin/M_TextFieldCell.h"
#include "gui/skin/SegmentedControl.h"
#include "gui/skin/Skin.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QVBoxLayout>
#include <QtTest>

using namespace vantrel;
using namespace vantrel::test;

// Image buttons, the segmented control and the compiled-in pictures and style sheet.
class SkinControlsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void imageButtonShowsAlternateImageWhilePressed() {
        QPixmap normal(40, 20);
        normal.fill(Qt::red);
        QPixmap pressed(40, 20);
        pressed.fill(Qt::blue);
        ImageButton button;
        button.setImage(normal);
        button.setAlternateImage(pressed);
        QCOMPARE(button.sizeHint(), QSize(40, 20));
        button.resize(80, 30); // larger than the picture: stretched, not tiled or left empty
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));

        QVERIFY(isRedPicture(at(renderWidget(button), 70, 25)));
        QSignalSpy clicked(&button, &QPushButton::clicked);
        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(40, 15));
        QVERIFY(button.isDown());
        QVERIFY(isBluePicture(at(renderWidget(button), 70, 25)));
        QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(40, 15));
        QVERIFY(isRedPicture(at(renderWidget(button), 70, 25)));
        QCOMPARE(clicked.count(), 1);

        // A button that toggles keeps its own checked state.
        button.setCheckable(true);
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(40, 15));
        QVERIFY(button.isChecked());
    }

    void imageButtonTitleIsCentredInItsColour() {
        ImageButton button;
        QFont small = button.font();
        small.setPointSize(11);
        button.setAttributedTitle(QStringLiteral("Fit Screen"), Qt::black, &small);
        button.setAttributedTitle(QStringLiteral("Reset All"), Qt::white, nullptr);
        QCOMPARE(button.titleFont(), button.font()); // no font given: the button's own again

        // White ink on black, balanced around the middle of the button.
        QPixmap plain(120, 30);
        plain.fill(Qt::black);
        button.setImage(plain);
        button.setBackgroundStyle(ImageButton::Dark);
        button.setAttributedTitle(QStringLiteral("IIIIII"), Qt::white, nullptr);
        button.resize(120, 30);
        const QImage painted = renderWidget(button);
        int left = 120;
        int right = -1;
        for (int x = 0; x < 120; ++x) {
            for (int y = 0; y < 30; ++y) {
                if (at(painted, x, y).lightness() > 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        QVERIFY(right > left);
        QVERIFY2(std::abs((left + right) / 2 - 60) <= 2,
                 qPrintable(QStringLiteral("ink from %1 to %2").arg(left).arg(right)));
    }

    void imageButtonLooksDisabled() {
        QPixmap picture(30, 20);
        picture.fill(QColor(240, 240, 240));
        ImageButton button;
        button.setImage(picture);
        button.resize(30, 20);
        const QColor enabled = at(renderWidget(button), 15, 2);
        button.setEnabled(false);
        const QColor disabled = at(renderWidget(button), 15, 2);
        QVERIFY(disabled.lightness() < enabled.lightness() - 40);
    }

    void imageButtonShowsFocusOnlyForTheKeyboard() {
        QWidget window;
        auto* first = new QPushButton(QStringLiteral("first"), &window);
        auto* button = new ImageButton(QStringLiteral("second"), &window);
        QPixmap picture(100, 30);
        picture.fill(Qt::black);
        button->setImage(picture);
        first->setGeometry(0, 0, 100, 30);
        button->setGeometry(0, 40, 100, 30);
        window.resize(100, 80);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        first->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(first, Qt::Key_Tab);
        QVERIFY(button->hasFocus());
        const QColor ringByKeyboard = at(renderWidget(*button), 50, 1);
        QVERIFY(ringByKeyboard != QColor(Qt::black));

        // Space presses a focused button, as with any push button.
        QSignalSpy clicked(button, &QPushButton::clicked);
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(clicked.count(), 1);

        first->setFocus(Qt::OtherFocusReason);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(50, 15));
        QVERIFY(button->hasFocus());
        QTest::mouseMove(first, QPoint(50, 15)); // no hover highlight either
        QCOMPARE(at(renderWidget(*button), 50, 1), QColor(Qt::black));
    }

    void segmentSelectionIsExclusiveAndClicksReport() {
        SegmentedControl control;
        control.setSegmentCount(4);
        control.resize(200, 24);
        QSignalSpy clicked(&control, &SegmentedControl::segmentClicked);
        QCOMPARE(control.selectedSegment(), -1);

        control.setSelectedSegment(2);
        QCOMPARE(control.selectedSegment(), 2);
        QVERIFY(clicked.isEmpty()); // selecting by code reports nothing

        QTest::mouseClick(&control, Qt::LeftButton, {}, control.segmentRect(1).center());
        QCOMPARE(control.selectedSegment(), 1);
        QTest::mouseClick(&control, Qt::LeftButton, {}, control.segmentRect(3).center());
        QCOMPARE(control.selectedSegment(), 3);
        QTest::mouseClick(&control, Qt::LeftButton, {}, control.segmentRect(3).center());
        QCOMPARE(clicked.count(), 3);
        QCOMPARE(clicked.at(0).at(0).toInt(), 1);
        QCOMPARE(clicked.at(2).at(0).toInt(), 3);

        // A press abandoned over another segment chooses nothing.
        QTest::mousePress(&control, Qt::LeftButton, {}, control.segmentRect(0).center());
        QTest::mouseRelease(&control, Qt::LeftButton, {}, control.segmentRect(2).center());
        QCOMPARE(control.selectedSegment(), 3);
        QCOMPARE(clicked.count(), 3);

        control.setSelectedSegment(9); // ignored
        QCOMPARE(control.selectedSegment(), 3);
        control.setSelectedSegment(-1);
        QCOMPARE(control.selectedSegment(), -1);

        // The segments tile the width without gaps or overlaps.
        control.resize(203, 24);
        int expectedLeft = 0;
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(control.segmentRect(i).left(), expectedLeft);
            expectedLeft = control.segmentRect(i).right() + 1;
        }
        QCOMPARE(expectedLeft, 203);
        QCOMPARE(control.segmentAt(QPoint(202, 5)), 3);
        QCOMPARE(control.segmentAt(QPoint(250, 5)), -1);
    }

    void segmentsFollowTheKeyboard() {
        SegmentedControl control;
        control.setSegmentCount(4);
        control.resize(200, 24);
        QCOMPARE(control.focusPolicy(), Qt::StrongFocus);
        QSignalSpy clicked(&control, &SegmentedControl::segmentClicked);

        QTest::keyClick(&control, Qt::Key_Right); // nothing selected yet: the first
        QCOMPARE(control.selectedSegment(), 0);
        QTest::keyClick(&control, Qt::Key_Right);
        QCOMPARE(control.selectedSegment(), 1);
        QTest::keyClick(&control, Qt::Key_End);
        QCOMPARE(control.selectedSegment(), 3);
        QTest::keyClick(&control, Qt::Key_Right); // stays on the last
        QCOMPARE(control.selectedSegment(), 3);
        QTest::keyClick(&control, Qt::Key_Left);
        QCOMPARE(control.selectedSegment(), 2);
        QTest::keyClick(&control, Qt::Key_Home);
        QCOMPARE(control.selectedSegment(), 0);
        QCOMPARE(clicked.count(), 6);
        QCOMPARE(clicked.last().at(0).toInt(), 0);
    }

    void segmentCountAndLabels() {
        SegmentedControl control;
        control.setSegmentCount(4);
        const QStringList labels{"0°", "90°", "180°", "270°"};
        for (int i = 0; i < labels.size(); ++i) {
            control.setLabel(i, labels.at(i));
        }
        control.setLabel(7, QStringLiteral("ignored"));
        QCOMPARE(control.label(2), QStringLiteral("180°"));
        QCOMPARE(control.label(7), QString());

        control.setSelectedSegment(3);
        control.setSegmentCount(2);
        QCOMPARE(control.segmentCount(), 2);
        QCOMPARE(control.selectedSegment(), -1);
        QCOMPARE(control.label(1), QStringLiteral("90°"));
        control.setSegmentCount(3);
        QCOMPARE(control.label(2), QString());
        control.setSegmentCount(-5);
        QCOMPARE(control.segmentCount(), 0);
        QVERIFY(control.segmentRect(0).isNull());
        QTest::keyClick(&control, Qt::Key_Right); // no segments: nothing happens
        QCOMPARE(control.selectedSegment(), -1);
    }

    void everySkinPictureIsCompiledIn() {
        const QStringList names =
            QStringLiteral("launch.png,launch-background.png,bg-preview.png,toolbar-preview.png,"
                           "toolbar-file-area.png,bg-file-area.png,toolbar-actions.png,"
                           "bg-actions.png,button-go-normal.png,button-go-highlighted.png,"
                           "button-open-normal.png,button-open-highlighted.png,action-item.png,"
                           "action-item-activated.png,Vantrel Folder.png")
                .split(',');
        for (const QString& name : names) {
            QVERIFY2(!skinPicture(name).isNull(), qPrintable(name));
        }
        // Pictures that tile along a bar or fill a pattern must match their neighbours' sizes.
        QCOMPARE(skinPicture("toolbar-preview.png").height(), 36);
        QCOMPARE(skinPicture("bg-preview.png").size(), QSize(64, 64));
        QCOMPARE(skinPicture("Vantrel Folder.png").size(), QSize(256, 256));
        QVERIFY(!QPixmap(QStringLiteral(":/icons/vantrel.png")).isNull());
    }

    void missingPictureIsNullAndSilent() {
        vantrel::test::takeLoggedLines();
        QTest::failOnWarning(QRegularExpression(".*"));
        QVERIFY(skinPicture(QStringLiteral("launch.PNG")).isNull());
        QVERIFY(skinPicture(QString()).isNull());
        QVERIFY(vantrel::test::takeLoggedLines().isEmpty());
    }

    void styleSheetParsesAndWhitensSkinText() {
        const QString sheet = skinStyleSheet();
        QVERIFY(sheet.contains(QStringLiteral("QSlider")));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*[Ss]tyle ?[Ss]heet.*")));
        qApp->setStyleSheet(sheet);

        M_Checkbox checkbox(QStringLiteral("Copy metadata"));
        M_TextFieldCell label(QStringLiteral("Quality"));
        checkbox.ensurePolished();
        label.ensurePolished();
        QCOMPARE(checkbox.palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(label.palette().color(QPalette::WindowText), QColor(Qt::white));

        // Polishing standard widgets parses the whole sheet; a syntax error would warn here.
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QSlider(Qt::Horizontal));
        layout->addWidget(new QLineEdit);
        layout->addWidget(new QComboBox);
        layout->addWidget(new QProgressBar);
        layout->addWidget(new QScrollBar(Qt::Vertical));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        qApp->setStyleSheet(QString());
    }
};

VANTREL_GUI_TEST_MAIN(SkinControlsTest)
#include "SkinControlsTest.moc"
