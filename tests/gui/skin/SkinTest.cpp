#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/skin/SkinTestSupport.h"

#include "gui/skin/M_Box.h"
#include "gui/skin/M_ColorGradientView.h"
#include "gui/skin/M_HorizontalSplitView.h"
#include "gui/skin/M_VerticalSplitView.h"
#include "gui/skin/M_ViewWithBackgroundImage.h"
#include "gui/skin/Skin.h"
#include "gui/skin/SkinGeometry.h"

#include <QLabel>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

using namespace vantrel;
using namespace vantrel::test;

namespace {

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

    void tiledViewPaintsCopiesTheRightWayUp() {
        M_ViewWithBackgroundImage row;
        row.resize(100, 40);
        row.setBackgroundImage(orientedPicture());
        QImage painted = renderWidget(row);
        QCOMPARE(at(painted, 0, 0), QColor(Qt::green));
        QCOMPARE(at(painted, 5, 5), QColor(Qt::red));
        QCOMPARE(at(painted, 20, 5), QColor(Qt::blue));
        QCOMPARE(at(painted, 35, 5), QColor(Qt::red));
        QCOMPARE(at(painted, 95, 5), QColor(Qt::red)); // the clipped fourth copy
        QCOMPARE(at(painted, 5, 10), kUnpainted);
        QCOMPARE(at(painted, 50, 39), kUnpainted);

        M_ViewWithBackgroundImage column;
        column.resize(40, 100);
        column.setIsVertical(true);
        column.setBackgroundImage(orientedPicture(10, 30));
        painted = renderWidget(column);
        QCOMPARE(at(painted, 2, 0), QColor(Qt::green));
        QCOMPARE(at(painted, 2, 30), QColor(Qt::green));
        QCOMPARE(at(painted, 2, 29), QColor(Qt::red));
        QCOMPARE(at(painted, 7, 29), QColor(Qt::blue));
        QCOMPARE(at(painted, 2, 90), QColor(Qt::green)); // the fourth copy, cut at the bottom
        QCOMPARE(at(painted, 2, 99), QColor(Qt::red));
        QCOMPARE(at(painted, 12, 50), kUnpainted);
    }

    void resizableViewFillsOnlyTheExposedArea() {
        M_ViewWithBackgroundImage view;
        view.resize(100, 40);
        view.setIsResizable(true);
        view.setBackgroundImage(orientedPicture());
        const QImage painted = renderWidget(view, QRegion(10, 10, 50, 20));
        QCOMPARE(at(painted, 12, 10), QColor(Qt::green)); // row 10 is the pattern's top row again
        QCOMPARE(at(painted, 12, 12), QColor(Qt::red));
        QCOMPARE(at(painted, 47, 12), QColor(Qt::blue));
        QCOMPARE(at(painted, 9, 12), kUnpainted);
        QCOMPARE(at(painted, 12, 30), kUnpainted);
        QCOMPARE(at(painted, 70, 20), kUnpainted);
    }

    void viewWithoutPictureLeavesItsAreaUntouched() {
        M_ViewWithBackgroundImage view;
        view.resize(30, 20);
        view.setIsResizable(true);
        view.setBackgroundImage(skinPicture(QStringLiteral("no-such-picture.png")));
        const QImage painted = renderWidget(view);
        QCOMPARE(at(painted, 0, 0), kUnpainted);
        QCOMPARE(at(painted, 29, 19), kUnpainted);
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

        DraggableSplit<M_HorizontalSplitView> stacked;
        QVERIFY(showWithPanes(stacked, 3, 300, 600));
        stacked.moveSplitter(20, 1);
        QCOMPARE(stacked.dividerPosition(1), 120);
        stacked.moveSplitter(595, 2);
        QCOMPARE(stacked.dividerPosition(2), 480);
    }

    void splitViewClampsADividerPushedByAResize() {
        DraggableSplit<M_VerticalSplitView> split;
        QVERIFY(showWithPanes(split, 2, 1000, 600));
        split.moveSplitter(520, 1);
        QCOMPARE(split.dividerPosition(1), 520);

        split.resize(1000, 400); // the largest position becomes 360
        QVERIFY(vantrel::test::waitUntil([&] { return split.height() == 400; }, 2000));
        QVERIFY(split.dividerPosition(1) <= 360);
        QVERIFY(split.dividerPosition(1) >= 250);
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
        auto line = skin::gradientLineFlipped(bounds, 270);
        QCOMPARE(line.start, QPointF(50, 0)); // top to bottom
        QCOMPARE(line.end, QPointF(50, 50));
        line = skin::gradientLineFlipped(bounds, 90);
        QCOMPARE(line.start, QPointF(50, 50)); // bottom to top
        QCOMPARE(line.end, QPointF(50, 0));
        line = skin::gradientLineFlipped(bounds, 0);
        QCOMPARE(line.start, QPointF(0, 25));
        QCOMPARE(line.end, QPointF(100, 25));

        // At 45 degrees the lower-left corner gets the start and the upper-right the end exactly.
        line = skin::gradientLineFlipped(bounds, 45);
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
        view.resize(60, 40);
        view.setMStartingColor(QColor(200, 0, 0));
        view.setMEndingColor(QColor(0, 0, 200));
        view.setMAngle(0);
        const QImage whole = renderWidget(view);
        QVERIFY(near(at(whole, 0, 20), QColor(200, 0, 0), 6));
        QVERIFY(near(at(whole, 59, 20), QColor(0, 0, 200), 6));

        const QRect part(30, 10, 30, 20);
        const QImage partial = renderWidget(view, QRegion(part));
        for (int x = part.left(); x <= part.right(); x += 7) {
            QCOMPARE(at(partial, x, 15), at(whole, x, 15));
        }
        QCOMPARE(at(partial, 5, 15), kUnpainted);

        view.setMAngle(90); // bottom to top: the starting colour at the bottom
        const QImage upwards = renderWidget(view);
        QVERIFY(near(at(upwards, 30, 39), QColor(200, 0, 0), 12));
        QVERIFY(near(at(upwards, 30, 0), QColor(0, 0, 200), 12));
    }

    void equalColoursFillOnlyTheExposedArea() {
        M_ColorGradientView view;
        view.resize(40, 30);
        const QColor defaultGrey = view.mStartingColor();
        QCOMPARE(defaultGrey, view.mEndingColor());
        QCOMPARE(view.mAngle(), 270);
        QVERIFY(qAbs(defaultGrey.alphaF() - 0.96f) < 0.01);

        view.setMStartingColor(QColor(10, 200, 30));
        view.setMEndingColor(QColor());
        const QImage painted = renderWidget(view, QRegion(0, 0, 20, 30));
        QCOMPARE(at(painted, 10, 10), QColor(10, 200, 30));
        QCOMPARE(at(painted, 30, 10), kUnpainted);
    }

    void backgroundPictureCoversTheWholeView() {
        M_ColorGradientView view;
        view.resize(60, 20);
        view.setMStartingColor(Qt::black);
        view.setMEndingColor(Qt::white);
        view.setMMainBackground(orientedPicture(6, 2)); // stretched ten times
        const QImage whole = renderWidget(view);
        QVERIFY(near(at(whole, 10, 15), QColor(Qt::red), 40));
        QVERIFY(near(at(whole, 50, 15), QColor(Qt::blue), 40));
        const QImage partial = renderWidget(view, QRegion(40, 0, 20, 20));
        QCOMPARE(at(partial, 50, 15), at(whole, 50, 15));
        QCOMPARE(at(partial, 10, 15), kUnpainted);
    }
};

VANTREL_GUI_TEST_MAIN(SkinTest)
#include "SkinTest.moc"
