#include "tests/gui/GuiTestSupport.h"

#include "core/batch/AppData.h"
#include "core/batch/BrowserEdits.h"
#include "core/batch/ImportWalker.h"
#include "gui/browser/CellTitle.h"
#include "gui/browser/ImageBrowserDelegate.h"
#include "gui/browser/ImageBrowserModel.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/browser/ThumbnailCache.h"
#include "gui/preview/PreviewImageView.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <optional>
#include <unistd.h>
#include <vips/vips8>

using namespace vantrel;

namespace {

// The browser's owner as the main controller plays it, over a batch of its own.
class FakeOwner : public ImageBrowserDelegate {
public:
    AppData data;
    // Selected again whenever the browser reloads, as the controller keeps its
    // selection.
    std::optional<int> reselect;
    bool acceptsDrops = true;

    int countsAsked = 0;
    int selectionChanges = 0;
    QList<int> selectionSeen;
    QList<QList<int>> removals;
    QList<int> doubleClicks;
    QList<std::pair<int, QPoint>> cellMenus;
    QList<QPoint> backgroundMenus;
    QStringList dragCalls; // in order: "perform:" and the paths, "conclude", "ended"

    void add(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) {
            data.currentImages().push_back(std::make_unique<Image>(path));
            data.pathsOfImportedImages()[path] = path;
        }
    }
    QStringList titles() {
        QStringList names;
        for (const auto& image : data.currentImages())
            names.append(QString::fromStdString(image->imageTitle()));
        return names;
    }

    int numberOfItemsInImageBrowser(ImageBrowserView* browser) override {
        ++countsAsked;
        if (reselect)
            browser->setSelectionIndexes({*reselect}, false);
        return static_cast<int>(data.currentImages().size());
    }
    const Image* imageBrowserItemAtIndex(ImageBrowserView*, int index) override {
        return imageAtIndex(data.currentImages(), index);
    }
    bool imageBrowserMoveItemsAtIndexes(ImageBrowserView*, const QList<int>& indexes,
                                        int destinationIndex) override {
        return moveItemsAtIndexes(data.currentImages(),
                                  std::vector<int>(indexes.begin(), indexes.end()),
                                  destinationIndex);
    }
    void imageBrowserRemoveItemsAtIndexes(ImageBrowserView* browser,
                                          const QList<int>& indexes) override {
        removals.append(indexes);
        removeItemsAtIndexes(data, std::vector<int>(indexes.begin(), indexes.end()));
        updateDatasource(data);
        browser->reloadData();
    }
    void imageBrowserCellWasDoubleClickedAtIndex(ImageBrowserView*, int index) override {
        doubleClicks.append(index);
    }
    void imageBrowserCellWasRightClickedAtIndex(ImageBrowserView*, int index,
                                                QPoint globalPosition) override {
        cellMenus.append({index, globalPosition});
    }
    void imageBrowserBackgroundWasRightClicked(ImageBrowserView*, QPoint globalPosition) override {
        backgroundMenus.append(globalPosition);
    }
    void imageBrowserSelectionDidChange(ImageBrowserView* browser) override {
        ++selectionChanges;
        selectionSeen = browser->selectionIndexes();
    }
    bool performDragOperation(const QStringList& localFilePaths) override {
        dragCalls << QStringLiteral("perform:") + localFilePaths.join('|');
        return acceptsDrops;
    }
    void concludeDragOperation() override { dragCalls << QStringLiteral("conclude"); }
    void draggingEnded() override { dragCalls << QStringLiteral("ended"); }
};

std::vector<std::string> namedPaths(const QString& names) {
    std::vector<std::string> paths;
    for (const QChar name : names)
        paths.push_back("/nowhere/" + QString(name).toStdString() + ".jpg");
    return paths;
}

QVariant cellData(const ImageBrowserView& view, int row, int role) {
    return view.model()->index(row, 0).data(role);
}
QString display(const ImageBrowserView& view, int row) {
    return cellData(view, row, Qt::DisplayRole).toString();
}
QImage thumbnailOf(const ImageBrowserView& view, int row) {
    return cellData(view, row, Qt::DecorationRole).value<QImage>();
}
ThumbnailCache::Status statusOf(const ImageBrowserView& view, int row) {
    return ThumbnailCache::Status(
        cellData(view, row, ImageBrowserModel::ThumbnailStatusRole).toInt());
}
// Waits until no thumbnail job runs and the one of `row` is made.
bool thumbnailReady(ImageBrowserView& view, int row) {
    return test::waitUntil([&] {
        return view.thumbnails().isIdle() && statusOf(view, row) == ThumbnailCache::Status::Ready;
    });
}

std::string writePhoto(const QTemporaryDir& dir, const QString& name, int width, int height) {
    const std::string path = dir.filePath(name).toStdString();
    // Left half light, right half dark: a thumbnail that lost its aspect or side
    // would show.
    const vips::VImage x = vips::VImage::xyz(width, height).extract_band(0);
    (x < width / 2)
        .ifthenelse(std::vector<double>{220.0, 200.0, 120.0}, std::vector<double>{30.0, 60.0, 90.0})
        .cast(VIPS_FORMAT_UCHAR)
        .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
        .write_to_file(path.c_str());
    return path;
}

// Drags `urls` onto `receiver` and drops them there (or leaves again); answers
// whether the drop was taken.
bool sendDrop(QWidget* receiver, const QList<QUrl>& urls, bool leaveInstead = false) {
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = receiver->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(receiver, &enter);
    if (!enter.isAccepted() || enter.dropAction() != Qt::CopyAction)
        return false;
    if (leaveInstead) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(receiver, &leave);
        return false;
    }
    // Qt delivers a drop only to the widget that took the drag's entry.
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(receiver, &drop);
    return drop.isAccepted();
}

// A grid over an owner of its own that holds the photos named by the letters of `names`.
struct Grid {
    FakeOwner owner;
    ImageBrowserView view;
    explicit Grid(const QString& names = QString()) {
        owner.add(namedPaths(names));
        view.setDelegate(&owner);
    }
};

} // namespace

// The photo grid and its owner, and file drops on the grid and the preview.
class ImageBrowserTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void asksForTheCountOncePerReloadAndFirstShow() {
        FakeOwner owner;
        owner.add(namedPaths("abc"));
        {
            ImageBrowserView view;
            view.setDelegate(&owner);
            QCOMPARE(owner.countsAsked, 0);
            view.show();
            QCOMPARE(owner.countsAsked, 1);
            QCOMPARE(view.numberOfItems(), 3);
            // The count holds until the next reload, whatever the owner's list does
            // meanwhile.
            owner.add(namedPaths("d"));
            QCOMPARE(view.numberOfItems(), 3);
            view.reloadData();
            QCOMPARE(owner.countsAsked, 2);
            QCOMPARE(view.numberOfItems(), 4);
        }
        ImageBrowserView early;
        early.setDelegate(&owner);
        early.reloadData();
        early.show();
        QCOMPARE(owner.countsAsked, 3);
    }

    void selectionChosenDuringAReloadIsAppliedToTheNewItems() {
        Grid grid;
        auto& [owner, view] = grid;
        view.reloadData();
        QVERIFY(view.selectionIndexes().isEmpty());

        // The owner selects an item that exists only once the reload is done.
        owner.add(namedPaths("abcde"));
        owner.reselect = 3;
        view.reloadData();
        QCOMPARE(view.selectionIndexes(), QList<int>{3});
        QCOMPARE(owner.selectionSeen, QList<int>{3});
        QCOMPARE(view.currentIndex().row(), 3);

        // An index past the end is ignored; the old selection did not survive the
        // reload.
        owner.reselect = 9;
        view.reloadData();
        QVERIFY(view.selectionIndexes().isEmpty());
        QVERIFY(owner.selectionSeen.isEmpty());

        owner.reselect.reset();
        view.setSelectionIndexes({4, 1, -1, 1}, false);
        QCOMPARE(view.selectionIndexes(), (QList<int>{1, 4}));
        view.setSelectionIndexes({2}, true);
        QCOMPARE(view.selectionIndexes(), (QList<int>{1, 2, 4}));
        QCOMPARE(owner.selectionSeen, (QList<int>{1, 2, 4}));
        view.setSelectionIndexes({0}, false);
        QCOMPARE(view.selectionIndexes(), QList<int>{0});
    }

    void itemsAreReadLiveFromTheOwner() {
        FakeOwner owner;
        const std::string odd = std::string("/photos/caf\xe9-") + "\xff.jpg";
        owner.add({"/photos/summer/beach.jpg", odd});
        ImageBrowserView view;
        view.setDelegate(&owner);
        view.reloadData();
        const QModelIndex first = view.model()->index(0, 0);
        QCOMPARE(first.data(Qt::DisplayRole).toString(), QString("beach.jpg"));
        QCOMPARE(first.data(Qt::ToolTipRole).toString(),
                 QString("beach.jpg\n/photos/summer/beach.jpg"));
        QCOMPARE(first.data(ImageBrowserModel::PathRole).toByteArray(),
                 QByteArray("/photos/summer/beach.jpg"));
        // A name that is not UTF-8 keeps its bytes as identity and is shown as the
        // system does.
        const QModelIndex second = view.model()->index(1, 0);
        QCOMPARE(second.data(ImageBrowserModel::PathRole).toByteArray(),
                 QByteArray::fromStdString(odd));
        QCOMPARE(second.data(Qt::DisplayRole).toString(),
                 QFile::decodeName(QByteArray("caf\xe9-\xff.jpg")));

        // A photo replaced in the list shows at once, without a reload.
        owner.data.currentImages()[0] = std::make_unique<Image>("/photos/winter/snow.jpg");
        QCOMPARE(display(view, 0), QString("snow.jpg"));
        // Rows the owner no longer has answer nothing instead of failing.
        owner.data.currentImages().clear();
        QVERIFY(!view.model()->index(1, 0).data(Qt::DisplayRole).isValid());
    }

    void movesGoThroughTheOwnerAndKeepTheMovedSelected() {
        Grid grid("abcde");
        auto& [owner, view] = grid;
        view.reloadData();

        view.setSelectionIndexes({0, 1}, false);
        QVERIFY(view.moveItemsAtIndexes(view.selectionIndexes(), 3));
        QCOMPARE(owner.titles(), (QStringList{"c.jpg", "a.jpg", "b.jpg", "d.jpg", "e.jpg"}));
        QCOMPARE(display(view, 0), QString("c.jpg"));
        QCOMPARE(display(view, 1), QString("a.jpg"));
        QCOMPARE(view.selectionIndexes(), (QList<int>{1, 2}));
        QCOMPARE(owner.countsAsked, 1);

        // Scattered cells to the end gather there, still selected.
        QVERIFY(view.moveItemsAtIndexes({0, 2}, 5));
        QCOMPARE(owner.titles(), (QStringList{"a.jpg", "d.jpg", "e.jpg", "c.jpg", "b.jpg"}));
        QCOMPARE(view.selectionIndexes(), (QList<int>{3, 4}));
        // Nothing valid to move is no move at all.
        QVERIFY(!view.moveItemsAtIndexes({7}, 0));
        QCOMPARE(view.selectionIndexes(), (QList<int>{3, 4}));
    }

    void dropPointsMapToIndexesInFrontOfCells() {
        Grid grid("abcdefghijklmnopqrstuvwxyz");
        auto& [owner, view] = grid;
        view.resize(5 * view.cellSize().width() + 40, 7 * view.cellSize().height() + 60);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        const QRect third = view.visualRect(view.model()->index(2, 0));
        QVERIFY(third.isValid());
        QCOMPARE(view.dropIndexAt(third.center() - QPoint(third.width() / 4, 0)), 2);
        QCOMPARE(view.dropIndexAt(third.center() + QPoint(third.width() / 4, 0)), 3);
        // The second line starts where the first one's cells per line end.
        const QRect below = view.visualRect(view.model()->index(0, 0))
                                .translated(0, third.height() + 2 * view.spacing());
        const QModelIndex underneath = view.indexAt(below.center());
        QVERIFY(underneath.isValid());
        QCOMPARE(view.dropIndexAt(below.center() - QPoint(below.width() / 4, 0)), underneath.row());
        // Far below the last cell means the end; above the first, the front.
        QCOMPARE(view.dropIndexAt(QPoint(5, view.viewport()->height() - 2)), 26);
        QCOMPARE(view.dropIndexAt(QPoint(2, -50)), 0);
        const auto visible = view.visibleIndexes();
        QVERIFY(visible);
        QCOMPARE(visible->first, 0);
        QCOMPARE(visible->second, 25);
    }

    void deleteAndBackspaceRemoveTheSelection() {
        Grid grid("abcde");
        auto& [owner, view] = grid;
        view.show();
        view.setSelectionIndexes({1, 3}, false);
        QTest::keyClick(&view, Qt::Key_Delete);
        QCOMPARE(owner.removals, (QList<QList<int>>{{1, 3}}));
        QCOMPARE(view.numberOfItems(), 3);
        QCOMPARE(owner.titles(), (QStringList{"a.jpg", "c.jpg", "e.jpg"}));
        QVERIFY(!owner.data.pathsOfImportedImages().contains("/nowhere/b.jpg"));

        view.setSelectionIndexes({0}, false);
        QTest::keyClick(&view, Qt::Key_Backspace);
        QCOMPARE(owner.removals.size(), 2);
        QCOMPARE(owner.removals.last(), QList<int>{0});
        // With nothing selected the keys do nothing.
        QTest::keyClick(&view, Qt::Key_Delete);
        QCOMPARE(owner.removals.size(), 2);
        QCOMPARE(view.numberOfItems(), 2);
    }

    void doubleClicksContextMenusAndArrowKeysReachTheOwner() {
        Grid grid("abcd");
        auto& [owner, view] = grid;
        view.resize(700, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        const QPoint third = view.visualRect(view.model()->index(2, 0)).center();
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, third);
        QCOMPARE(owner.doubleClicks, QList<int>{2});
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(690, 390));
        QCOMPARE(owner.doubleClicks, QList<int>{2});

        QContextMenuEvent onCell(QContextMenuEvent::Mouse, third,
                                 view.viewport()->mapToGlobal(third));
        QApplication::sendEvent(view.viewport(), &onCell);
        QCOMPARE(owner.cellMenus.size(), 1);
        QCOMPARE(owner.cellMenus[0].first, 2);
        QCOMPARE(owner.cellMenus[0].second, view.viewport()->mapToGlobal(third));
        const QPoint empty(690, 390);
        QContextMenuEvent onBackground(QContextMenuEvent::Mouse, empty,
                                       view.viewport()->mapToGlobal(empty));
        QApplication::sendEvent(view.viewport(), &onBackground);
        QCOMPARE(owner.backgroundMenus, QList<QPoint>{view.viewport()->mapToGlobal(empty)});
        QCOMPARE(owner.cellMenus.size(), 1);

        // Clicks and arrow keys move the selection and tell the owner.
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                          view.visualRect(view.model()->index(0, 0)).center());
        QCOMPARE(owner.selectionSeen, QList<int>{0});
        QTest::keyClick(&view, Qt::Key_Right);
        QCOMPARE(view.selectionIndexes(), QList<int>{1});
        QCOMPARE(owner.selectionSeen, QList<int>{1});
        QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(view.selectionIndexes(), (QList<int>{1, 2}));
    }

    // The grid and the preview hand file drops to the batch's owner alike.
    void fileDropsReachTheOwnerFromTheGridAndThePreview() {
        Grid grid;
        auto& [owner, view] = grid;
        view.show();
        PreviewImageView preview;
        preview.resize(200, 100);
        preview.setDropTarget(&owner);
        const auto local = [](const char* path) {
            return QUrl::fromLocalFile(path);
        };
        for (QWidget* receiver : {view.viewport(), static_cast<QWidget*>(&preview)}) {
            owner.acceptsDrops = true;
            owner.dragCalls.clear();
            QVERIFY(sendDrop(receiver, {local("/photos/a.jpg"), QUrl("https://example.org/b.jpg"),
                                        local("/photos/trip")}));
            QCOMPARE(owner.dragCalls,
                     (QStringList{"perform:/photos/a.jpg|/photos/trip", "conclude", "ended"}));

            // A refused drop is not concluded, but the drag still ends.
            owner.acceptsDrops = false;
            owner.dragCalls.clear();
            QVERIFY(!sendDrop(receiver, {local("/photos/c.jpg")}));
            QCOMPARE(owner.dragCalls, (QStringList{"perform:/photos/c.jpg", "ended"}));

            // A drag that leaves again ends without a drop.
            owner.dragCalls.clear();
            sendDrop(receiver, {local("/photos/d.jpg")}, true);
            QCOMPARE(owner.dragCalls, QStringList{"ended"});

            // Drags without local files are not taken at all.
            owner.dragCalls.clear();
            QVERIFY(!sendDrop(receiver, {QUrl("https://example.com/e.jpg")}));
            QMimeData text;
            text.setText("hello");
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton,
                                  Qt::NoModifier);
            enter.setAccepted(false);
            QApplication::sendEvent(receiver, &enter);
            QVERIFY(!enter.isAccepted());
            QCOMPARE(owner.dragCalls, QStringList());
        }
        preview.setDropTarget(nullptr);
        QVERIFY(!sendDrop(&preview, {local("/photos/c.png")}));
    }

    void zoomSetsTheCellSize() {
        Grid grid("abc");
        auto& [owner, view] = grid;
        view.show();
        view.setZoomValue(0.0);
        QCOMPARE(view.thumbnailSide(), 64);
        view.setZoomValue(0.01);
        QVERIFY(view.thumbnailSide() >= 64 && view.thumbnailSide() <= 67);
        view.setZoomValue(1.0);
        QCOMPARE(view.thumbnailSide(), 320);
        QCOMPARE(view.visualRect(view.model()->index(0, 0)).size(), view.cellSize());
        QVERIFY(view.cellSize().width() > 320);
        view.setZoomValue(0.5);
        QCOMPARE(view.thumbnailSide(), 192);
        QCOMPARE(view.visualRect(view.model()->index(1, 0)).size(), view.cellSize());
        view.setZoomValue(7.0);
        QCOMPARE(view.zoomValue(), 1.0);
        view.setZoomValue(std::nan(""));
        QCOMPARE(view.zoomValue(), 0.0);
    }

    // Names that differ only at the end stay apart however narrow the cell; no
    // line is wider than the cell.
    void titlesKeepTheEndOfTheName() {
        const QFontMetrics metrics(QApplication::font());
        const int narrow = metrics.horizontalAdvance("Landscap"); // about the smallest cell
        const struct {
            QString name;
            int width;
            int lines;
            QString lastLineEnd;
        } cases[] = {
            {"a.jpg", 200, 1, "a.jpg"},
            {"Landscape_4.jpg", narrow, 2, "4.jpg"},
            {"IMG_0002.jpg", metrics.horizontalAdvance("IMG_00") + 2, 2, "2.jpg"},
            {"A_very_long_name_from_a_scanner_batch_0017.tiff", narrow * 2, 2, "17.tiff"},
            {"Unbroken-name-without-separators-99.png", narrow, 2, "99.png"},
        };
        for (const auto& c : cases) {
            const QStringList lines = cellTitleLines(metrics, c.name, c.width);
            QCOMPARE(lines.size(), c.lines);
            QVERIFY2(lines.last().endsWith(c.lastLineEnd), qPrintable(lines.join('|')));
            for (const QString& line : lines)
                QVERIFY2(metrics.horizontalAdvance(line) <= c.width, qPrintable(line));
            if (c.lines == 2)
                QVERIFY(c.name.startsWith(lines.first()));
        }
    }

    void thumbnailsAreMadeOnlyNearTheScreen() {
        QTemporaryDir dir;
        const std::string seed = writePhoto(dir, "seed.jpg", 400, 300);
        FakeOwner owner;
        std::vector<std::string> paths;
        for (int i = 0; i < 2000; ++i) {
            const std::string path = dir.filePath(QString("p%1.jpg").arg(i)).toStdString();
            QCOMPARE(::link(seed.c_str(), path.c_str()), 0);
            paths.push_back(path);
        }
        owner.add(paths);
        ImageBrowserView view;
        view.resize(640, 480);
        view.setDelegate(&owner);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(thumbnailReady(view, 0));

        const auto visible = view.visibleIndexes();
        QVERIFY(visible);
        const int onScreen = visible->second - visible->first + 1;
        QVERIFY(onScreen > 10);
        QVERIFY(view.thumbnails().jobsStarted() >= onScreen);
        QVERIFY2(view.thumbnails().jobsStarted() <= 3 * onScreen,
                 qPrintable(QString::number(view.thumbnails().jobsStarted())));
        for (int row = visible->first; row <= visible->second; ++row)
            QCOMPARE(statusOf(view, row), ThumbnailCache::Status::Ready);
        QCOMPARE(statusOf(view, 1999), ThumbnailCache::Status::Loading);
        // The thumbnail keeps the photo's shape and sides: light left half, dark
        // right half.
        const QImage thumbnail = thumbnailOf(view, 0);
        QCOMPARE(thumbnail.size(), QSize(64, 48));
        QVERIFY(qGray(thumbnail.pixel(10, 24)) > 150);
        QVERIFY(qGray(thumbnail.pixel(54, 24)) < 80);

        // Jumping to the end makes the last cells, not the thousands in between.
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        QVERIFY(thumbnailReady(view, 1999));
        QVERIFY2(view.thumbnails().jobsStarted() <= 6 * onScreen,
                 qPrintable(QString::number(view.thumbnails().jobsStarted())));
        QCOMPARE(statusOf(view, 1000), ThumbnailCache::Status::Loading);
        QVERIFY(view.thumbnails().cachedBytes() <= view.thumbnails().maximumBytes());
    }

    void unreadableFilesGetTheirOwnPicture() {
        QTemporaryDir dir;
        FakeOwner owner;
        owner.add({writePhoto(dir, "fine.png", 120, 80),
                   VANTREL_TESTDATA "/bad-seed/jpeg/vips-truncated.jpg",
                   dir.filePath("gone.jpg").toStdString()});
        ImageBrowserView view;
        view.setDelegate(&owner);
        view.show();
        QVERIFY(thumbnailReady(view, 0));
        QCOMPARE(statusOf(view, 1), ThumbnailCache::Status::Unreadable);
        QCOMPARE(statusOf(view, 2), ThumbnailCache::Status::Unreadable);
        const int side = view.thumbnailSide();
        QCOMPARE(thumbnailOf(view, 1), ThumbnailCache::unreadablePicture(side));
        QVERIFY(thumbnailOf(view, 1) != ThumbnailCache::loadingPicture(side));
        QCOMPARE(thumbnailOf(view, 0).size(), QSize(64, 43));
        // The tooltip tells the whole name, the size as stored, or why there is no
        // picture.
        QCOMPARE(cellData(view, 0, Qt::ToolTipRole).toString(),
                 "fine.png\n120 × 80 pixels\n" + dir.filePath("fine.png"));
        QVERIFY(cellData(view, 1, Qt::ToolTipRole)
                    .toString()
                    .contains("Cannot be shown: the photo is damaged or cannot be decoded"));

        // Once the file is there, a reload tries again.
        writePhoto(dir, "gone.jpg", 50, 50);
        view.reloadData();
        QVERIFY(thumbnailReady(view, 2));
    }

    void destroyingTheViewWhileThumbnailsAreMadeIsSafe() {
        FakeOwner owner;
        // Large photos under distinct names, so that jobs are still running at the
        // end.
        QTemporaryDir dir;
        std::vector<std::string> paths;
        for (int i = 0; i < 40; ++i) {
            paths.push_back(dir.filePath(QString("big%1.jpg").arg(i)).toStdString());
            QVERIFY(QFile::link(QString(VANTREL_TESTDATA "/real/jpeg/phones/jolla.jpg"),
                                QString::fromStdString(paths.back())));
        }
        owner.add(paths);
        for (int round = 0; round < 3; ++round) {
            auto view = std::make_unique<ImageBrowserView>();
            view->setDelegate(&owner);
            view->show();
            QVERIFY(test::waitUntil([&] { return view->thumbnails().jobsStarted() > 0; }));
            view.reset();
            QCoreApplication::processEvents();
        }
    }
};

VANTREL_GUI_TEST_MAIN(ImageBrowserTest)
#include "ImageBrowserTest.moc"
