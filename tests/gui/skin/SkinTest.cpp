#include "tests/gui/GuiTestSupport.h"

#include "gui/skin/ImageButton.h"
#include "gui/skin/M_Box.h"
#include "gui/skin/M_Checkbox.h"
#include "gui/skin/M_ColorGradientView.h"
#include "gui/skin/M_HorizontalSplitView.h"
#include "gui/skin/M_TextFieldCell.h"
#include "gui/skin/M_VerticalSplitView.h"
#include "gui/skin/M_ViewWithBackgroundImage.h"
#include "gui/skin/SegmentedControl.h"
#include "gui/skin/Skin.h"
#include "gui/skin/SkinGeometry.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QVBoxLayout>
#include <QtTest>
#include <cstdlib>

using namespace vantrel;

// The skin's views and controls, the compiled-in pictures and the style sheet, painted on
// pictures that tell a flipped axis or a wrong colour apart.
namespace {

const QColor kUnpainted(1, 2, 3);

// A picture that tells its own orientation: a green top row, red on the left half and blue
// on the right half below it.
QPixmap orientedPicture(int width = 30, int height = 10) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QPainter painter(&image);
    painter.fillRect(QRect(width / 2, 0, width - width / 2, height), Qt::blue);
    painter.fillRect(QRect(0, 0, width, 1), Qt::green);
    painter.end();
    return QPixmap::fromImage(image);
}

// The widget's own painting over a known colour, optionally limited to a region, without its
// window background.
QImage renderWidget(QWidget& widget, const QRegion& region = QRegion()) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(kUnpainted);
    widget.render(&image, region.boundingRect().topLeft(), region, QWidget::DrawChildren);
    return image;
}

QColor at(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

// Checks pixels given as "x,y:c" separated by spaces, c being r(ed), g(reen), b(lue) or
// - (unpainted).
void expectPixels(const QImage& image, const QString& spec) {
    const QHash<QChar, QColor> colours{
        {'r', Qt::red}, {'g', Qt::green}, {'b', Qt::blue}, {'-', kUnpainted}};
    for (const QString& item : spec.split(' ', Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(QRegularExpression("[,:]"));
        const QColor seen = at(image, parts[0].toInt(), parts[1].toInt());
        QVERIFY2(seen == colours.value(parts[2].front()), qPrintable(item + " is " + seen.name()));
    }
}

// Pressed, hovered or not, the picture underneath decides the hue.
bool isRedPicture(const QColor& c) {
    return c.red() > 200 && c.blue() < 60;
}
bool isBluePicture(const QColor& c) {
    return c.blue() > 200 && c.red() < 60;
}

bool near(const QColor& a, const QColor& b, int tolerance = 3) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// The protected move that a dragged divider handle performs.
template <typename Split> class DraggableSplit : public Split {
public:
    using Split::moveSplitter;
};

// Gives the split `count` panes that may shrink to nothing and shows it at the size.
template <typename Split> bool showWithPanes(Split& split, int count, int width, int height) {
    for (int i = 0; i < count; ++i) {
        auto* pane = new QWidget(&split);
        pane->setMinimumSize(0, 0);
        split.addWidget(pane);
    }
    split.resize(width, height);
    split.show();
    return QTest::qWaitForWindowExposed(&split);
}

void paintsGradient(M_ColorGradientView& view, QSize size, QColor from, QColor to) {
    view.resize(size);
    view.setMStartingColor(from);
    view.setMEndingColor(to);
}

} // namespace

class SkinTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tilesHugTheTopEdgeAndCoverTheView() {
        const QList<QPointF> origins = skin::rowTileOrigins(QSizeF(100, 40), QSizeF(30, 10));
        QCOMPARE(origins, (QList<QPointF>{{0, 30}, {30, 30}, {60, 30}, {90, 30}}));
        const QList<QRectF> painted =
            skin::tileRectsFlipped(QSizeF(100, 40), QSizeF(30, 10), false);
        QCOMPARE(painted, (QList<QRectF>{
                              {0, 0, 30, 10}, {30, 0, 30, 10}, {60, 0, 30, 10}, {90, 0, 30, 10}}));

        // A picture taller than the view: one copy, its top flush with the view's top.
        QCOMPARE(skin::rowTileOrigins(QSizeF(20, 20), QSizeF(30, 30)), (QList<QPointF>{{0, -10}}));
        QCOMPARE(skin::tileRectsFlipped(QSizeF(20, 20), QSizeF(30, 30), false),
                 (QList<QRectF>{{0, 0, 30, 30}}));

        // A column starts at the top edge and runs down, its last copy cut at the bottom.
        QCOMPARE(skin::columnTileOrigins(QSizeF(40, 100), QSizeF(10, 30)),
                 (QList<QPointF>{{0, 70}, {0, 40}, {0, 10}, {0, -20}}));
        QCOMPARE(
            skin::tileRectsFlipped(QSizeF(40, 100), QSizeF(10, 30), true),
            (QList<QRectF>{{0, 0, 10, 30}, {0, 30, 10, 30}, {0, 60, 10, 30}, {0, 90, 10, 30}}));
        // Exactly divisible: the last copy ends on the bottom edge and no extra one follows.
        QCOMPARE(skin::columnTileOrigins(QSizeF(40, 100), QSizeF(10, 25)),
                 (QList<QPointF>{{0, 75}, {0, 50}, {0, 25}, {0, 0}}));
        QCOMPARE(skin::columnTileOrigins(QSizeF(20, 20), QSizeF(10, 30)),
                 (QList<QPointF>{{0, -10}}));
        // A picture or a view without area has no copies.
        QVERIFY(skin::rowTileOrigins(QSizeF(100, 40), QSizeF(0, 10)).isEmpty());
        QVERIFY(skin::columnTileOrigins(QSizeF(100, 40), QSizeF(10, 0)).isEmpty());
        QVERIFY(skin::rowTileOrigins(QSizeF(0, 40), QSizeF(10, 10)).isEmpty());
    }

    // Tiled along a row or a column, or filling only what is exposed; without a picture
    // nothing is painted.
    void backgroundViewsPaintTheirPictureTheRightWayUp() {
        const struct {
            QSize size;
            bool vertical;
            bool resizable;
            QPixmap picture;
            QRegion exposed;
            const char* pixels;
        } cases[] = {
            // The fourth copy of the row is clipped at the right edge.
            {QSize(100, 40), false, false, orientedPicture(), QRegion(),
             "0,0:g 5,5:r 20,5:b 35,5:r 95,5:r 5,10:- 50,39:-"},
            // The fourth copy of the column is cut at the bottom.
            {QSize(40, 100), true, false, orientedPicture(10, 30), QRegion(),
             "2,0:g 2,30:g 2,29:r 7,29:b 2,90:g 2,99:r 12,50:-"},
            // Row 10 is the pattern's top row again.
            {QSize(100, 40), false, true, orientedPicture(), QRegion(10, 10, 50, 20),
             "12,10:g 12,12:r 47,12:b 9,12:- 12,30:- 70,20:-"},
            {QSize(30, 20), false, true, skinPicture("no-such-picture.png"), QRegion(),
             "0,0:- 29,19:-"},
        };
        for (const auto& c : cases) {
            M_ViewWithBackgroundImage view;
            view.resize(c.size);
            view.setIsVertical(c.vertical);
            view.setIsResizable(c.resizable);
            view.setBackgroundImage(c.picture);
            expectPixels(renderWidget(view, c.exposed), QString::fromLatin1(c.pixels));
        }
    }

    void splitLimitsFollowTheHeightAndClamp() {
        const skin::SplitLimits sideBySide = skin::sideBySideSplitLimits(QSizeF(1000, 600));
        QCOMPARE(sideBySide.minimum, 250.0);
        QCOMPARE(sideBySide.maximum, 540.0);
        const skin::SplitLimits stacked = skin::stackedSplitLimits(QSizeF(1000, 600));
        QCOMPARE(stacked.minimum, 120.0);
        QCOMPARE(stacked.maximum, 480.0);

        M_VerticalSplitView vertical;
        vertical.resize(1000, 600);
        QCOMPARE(vertical.constrainMinCoordinate(0), 250.0);
        QCOMPARE(vertical.constrainMaxCoordinate(3), 540.0);
        M_HorizontalSplitView horizontal;
        horizontal.resize(300, 600);
        QCOMPARE(horizontal.constrainMinCoordinate(1), 120.0);
        QCOMPARE(horizontal.constrainMaxCoordinate(0), 480.0);
        QVERIFY(horizontal.canCollapseSubview(0));
        QVERIFY(horizontal.shouldAdjustSizeOfSubview(1));

        // 90 % of a 200-high view is below the fixed 250: a divider still gets one position.
        const skin::SplitLimits limits = skin::sideBySideSplitLimits(QSizeF(1000, 200));
        QCOMPARE(limits.clamp(100.0), 250.0);
        QCOMPARE(limits.clamp(600.0), 250.0);
        const skin::SplitLimits normal = skin::stackedSplitLimits(QSizeF(10, 600));
        QCOMPARE(normal.clamp(300.0), 300.0);
        QCOMPARE(normal.clamp(10.0), 120.0);
        QCOMPARE(normal.clamp(590.0), 480.0);
    }

    void splitViewsClampADraggedDivider() {
        DraggableSplit<M_VerticalSplitView> sideBySide;
        QVERIFY(showWithPanes(sideBySide, 2, 1000, 600));
        QSignalSpy moved(&sideBySide, &QSplitter::splitterMoved);

        sideBySide.moveSplitter(100, 1);
        QCOMPARE(sideBySide.dividerPosition(1), 250);
        sideBySide.moveSplitter(900, 1);
        QCOMPARE(sideBySide.dividerPosition(1), 540);
        sideBySide.moveSplitter(400, 1);
        QCOMPARE(sideBySide.dividerPosition(1), 400);
        QVERIFY(!moved.isEmpty());
        // A divider pushed by a resize is clamped too: the largest position becomes 360.
        sideBySide.moveSplitter(520, 1);
        QCOMPARE(sideBySide.dividerPosition(1), 520);
        sideBySide.resize(1000, 400);
        QVERIFY(vantrel::test::waitUntil([&] { return sideBySide.height() == 400; }, 2000));
        QVERIFY(sideBySide.dividerPosition(1) <= 360);
        QVERIFY(sideBySide.dividerPosition(1) >= 250);

        DraggableSplit<M_HorizontalSplitView> stacked;
        QVERIFY(showWithPanes(stacked, 3, 300, 600));
        stacked.moveSplitter(20, 1);
        QCOMPARE(stacked.dividerPosition(1), 120);
        stacked.moveSplitter(595, 2);
        QCOMPARE(stacked.dividerPosition(2), 480);
    }

    void splitViewsKeepTheirOwnOrientation() {
        M_VerticalSplitView sideBySide;
        sideBySide.setOrientation(Qt::Vertical); // as a window description might say
        sideBySide.ensurePolished();
        QCOMPARE(sideBySide.orientation(), Qt::Horizontal);
        QVERIFY(sideBySide.isVertical());
        QCOMPARE(sideBySide.handleWidth(), 1);

        M_HorizontalSplitView stacked;
        stacked.setOrientation(Qt::Horizontal);
        stacked.ensurePolished();
        QCOMPARE(stacked.orientation(), Qt::Vertical);
        QVERIFY(!stacked.isVertical());
    }

    void boxTitleAndPanelGeometry() {
        const QRectF bounds(0, 0, 300, 100);
        QCOMPARE(skin::boxTitleFrame(bounds), QRectF(10, 83, 200, 20));
        QCOMPARE(skin::boxPanelRect(bounds), QRectF(2, 2, 296, 84));
        // In painting coordinates the title band straddles the top edge and the panel starts 14
        // below it.
        QCOMPARE(skin::flippedRect(skin::boxTitleFrame(bounds), 100), QRectF(10, -3, 200, 20));
        QCOMPARE(skin::flippedRect(skin::boxPanelRect(bounds), 100), QRectF(2, 14, 296, 84));

        // The panel follows the bounds' origin; the title frame does not.
        const QRectF shifted(5, 7, 300, 100);
        QCOMPARE(skin::boxTitleFrame(shifted), QRectF(10, 83, 200, 20));
        QCOMPARE(skin::boxPanelRect(shifted), QRectF(7, 9, 296, 84));
    }

    void boxKeepsItsContentInsideThePanel() {
        M_Box box(QStringLiteral("Output"));
        auto* layout = new QVBoxLayout(&box);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* content = new QLabel(QStringLiteral("content"), &box);
        layout->addWidget(content);
        box.resize(300, 100);
        box.setTitle(QStringLiteral("A much longer title"));
        QFont bigger = box.font();
        bigger.setPointSize(bigger.pointSize() + 6);
        box.setFont(bigger);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));

        const QRectF panel =
            skin::flippedRect(skin::boxPanelRect(QRectF(box.rect())), box.height());
        QVERIFY2(panel.contains(QRectF(content->geometry())),
                 qPrintable(QStringLiteral("content at %1,%2 %3x%4")
                                .arg(content->x())
                                .arg(content->y())
                                .arg(content->width())
                                .arg(content->height())));
        QCOMPARE(box.palette().color(QPalette::WindowText), QColor(Qt::white));
    }

    void gradientLineRunsAlongTheAngle() {
        const QRectF bounds(0, 0, 100, 50);
        // 270 runs top to bottom, 90 bottom to top.
        const std::tuple<int, QPointF, QPointF> lines[] = {
            {270, {50, 0}, {50, 50}}, {90, {50, 50}, {50, 0}}, {0, {0, 25}, {100, 25}}};
        for (const auto& [angle, start, end] : lines) {
            QCOMPARE(skin::gradientLineFlipped(bounds, angle).start, start);
            QCOMPARE(skin::gradientLineFlipped(bounds, angle).end, end);
        }
        // At 45 degrees the lower-left corner gets the start and the upper-right the end exactly.
        const auto line = skin::gradientLineFlipped(bounds, 45);
        const QPointF direction = line.end - line.start;
        const double length2 = QPointF::dotProduct(direction, direction);
        const auto fraction = [&](QPointF p) {
            return QPointF::dotProduct(p - line.start, direction) / length2;
        };
        QVERIFY(qAbs(fraction(QPointF(0, 50))) < 1e-9);
        QVERIFY(qAbs(fraction(QPointF(100, 0)) - 1.0) < 1e-9);
    }

    void gradientIsLaidOutOverTheWholeView() {
        M_ColorGradientView view;
        paintsGradient(view, {60, 40}, QColor(200, 0, 0), QColor(0, 0, 200));
        view.setMAngle(0);
        const QImage whole = renderWidget(view);
        QVERIFY(near(at(whole, 0, 20), QColor(200, 0, 0), 6));
        QVERIFY(near(at(whole, 59, 20), QColor(0, 0, 200), 6));

        const QRect part(30, 10, 30, 20);
        const QImage partial = renderWidget(view, QRegion(part));
        for (int x = part.left(); x <= part.right(); x += 7)
            QCOMPARE(at(partial, x, 15), at(whole, x, 15));
        QCOMPARE(at(partial, 5, 15), kUnpainted);

        view.setMAngle(90); // bottom to top: the starting colour at the bottom
        const QImage upwards = renderWidget(view);
        QVERIFY(near(at(upwards, 30, 39), QColor(200, 0, 0), 12));
        QVERIFY(near(at(upwards, 30, 0), QColor(0, 0, 200), 12));
    }

    void equalColoursFillOnlyTheExposedArea() {
        M_ColorGradientView view;
        const QColor defaultGrey = view.mStartingColor();
        QCOMPARE(defaultGrey, view.mEndingColor());
        QCOMPARE(view.mAngle(), 270);
        QVERIFY(qAbs(defaultGrey.alphaF() - 0.96f) < 0.01);

        paintsGradient(view, {40, 30}, QColor(10, 200, 30), QColor());
        const QImage painted = renderWidget(view, QRegion(0, 0, 20, 30));
        QCOMPARE(at(painted, 10, 10), QColor(10, 200, 30));
        QCOMPARE(at(painted, 30, 10), kUnpainted);
    }

    void backgroundPictureCoversTheWholeView() {
        M_ColorGradientView view;
        paintsGradient(view, {60, 20}, Qt::black, Qt::white);
        view.setMMainBackground(orientedPicture(6, 2)); // stretched ten times
        const QImage whole = renderWidget(view);
        QVERIFY(near(at(whole, 10, 15), QColor(Qt::red), 40));
        QVERIFY(near(at(whole, 50, 15), QColor(Qt::blue), 40));
        const QImage partial = renderWidget(view, QRegion(40, 0, 20, 20));
        QCOMPARE(at(partial, 50, 15), at(whole, 50, 15));
        QCOMPARE(at(partial, 10, 15), kUnpainted);
    }

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

        // Right with nothing selected yet selects the first; Right on the last stays there.
        const std::pair<Qt::Key, int> keys[] = {{Qt::Key_Right, 0}, {Qt::Key_Right, 1},
                                                {Qt::Key_End, 3},   {Qt::Key_Right, 3},
                                                {Qt::Key_Left, 2},  {Qt::Key_Home, 0}};
        for (const auto& [key, selected] : keys) {
            QTest::keyClick(&control, key);
            QCOMPARE(control.selectedSegment(), selected);
        }
        QCOMPARE(clicked.count(), 6);
        QCOMPARE(clicked.last().at(0).toInt(), 0);
    }

    void segmentCountAndLabels() {
        SegmentedControl control;
        control.setSegmentCount(4);
        const QStringList labels{"0°", "90°", "180°", "270°"};
        for (int i = 0; i < labels.size(); ++i)
            control.setLabel(i, labels.at(i));
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
        for (const QString& name : names)
            QVERIFY2(!skinPicture(name).isNull(), qPrintable(name));
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

VANTREL_GUI_TEST_MAIN(SkinTest)
#include "SkinTest.moc"
