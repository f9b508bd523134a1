#pragma once

#include <QColor>
#include <QHash>
#include <QListView>
#include <QTimer>
#include <memory>
#include <optional>

namespace vantrel {

class ImageBrowserDelegate;
class ImageBrowserModel;
class ThumbnailCache;

// The grid of thumbnails over the batch: the counterpart of the platform's image browser.
// Items are the delegate's photos, titled by file name and identified by path; the view
// reorders by dragging, removes with Delete, reports clicks and accepts file drops, always
// through its delegate. Thumbnails are made off the GUI thread, only for cells on screen
// or near them.
class ImageBrowserView : public QListView {
    Q_OBJECT
public:
    explicit ImageBrowserView(QWidget* parent = nullptr);
    ~ImageBrowserView() override;

    // The first time the view is shown it asks the delegate for its items, unless
    // reloadData() was called before.
    void setDelegate(ImageBrowserDelegate* delegate);
    ImageBrowserDelegate* delegate() const { return mDelegate; }

    // Asks the delegate for the number of items again and redraws every cell. The
    // delegate may call setSelectionIndexes() while it answers; that selection is applied
    // once the new items are in place.
    void reloadData();
    int numberOfItems() const;
    // Makes every thumbnail again, starting with the cells on screen: the photos are to be
    // seen another way.
    void reloadThumbnails();

    // Selected indexes, ascending.
    QList<int> selectionIndexes() const;
    // Indexes that name no item are ignored. Reports the change to the delegate like a
    // selection the user makes.
    void setSelectionIndexes(const QList<int>& indexes, bool byExtendingSelection);

    // Thumbnail size: 0 smallest … 1 largest cell.
    double zoomValue() const { return mZoomValue; }
    void setZoomValue(double zoomValue);

    void setAllowsReordering(bool allows);
    bool allowsReordering() const { return mAllowsReordering; }
    // Kept for the owner's settings; cells move without animation in this grid.
    void setAnimates(bool animates) { mAnimates = animates; }
    bool animates() const { return mAnimates; }
    void setCellTitleColor(const QColor& color);
    QColor cellTitleColor() const { return mCellTitleColor; }
    // Transparent by default, so that whatever is behind the browser shows.
    void setBackgroundColor(const QColor& color);

    ThumbnailCache& thumbnails();

    // The square a cell's picture is drawn in, in pixels (64 at zoom 0, 320 at zoom 1),
    // and the whole cell with its title.
    int thumbnailSide() const;
    QSize cellSize() const;

    // The first and last index drawn now; nothing when no cell is on screen.
    std::optional<std::pair<int, int>> visibleIndexes() const;
    // Where items dropped at `position` (viewport coordinates) go: in front of the item
    // under it, or behind it when the point is in the item's right half; the end below
    // the last item.
    int dropIndexAt(const QPoint& position) const;
    // What a drag inside the browser does: asks the delegate to move the items and
    // selects them at their new places. Answers the delegate's answer.
    bool moveItemsAtIndexes(const QList<int>& indexes, int destinationIndex);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // How the cells lie: `columns` per line, the first cell's top-left in viewport
    // coordinates, and the distance from one cell to the next across and down.
    struct Grid {
        int columns = 1;
        QPoint origin;
        int columnWidth = 1;
        int lineHeight = 1;
    };
    std::optional<Grid> grid() const;

    void applySelection(const QList<int>& indexes, bool byExtendingSelection);
    void notifySelectionChanged();
    void scheduleThumbnailRequests();
    void requestThumbnails();
    void thumbnailArrived(const QByteArray& path);
    void updateThumbnailSide();
    bool isInternalDrag(const QDropEvent* event) const;
    void setDropIndicator(int index);
    void endExternalDrag();

    ImageBrowserDelegate* mDelegate = nullptr;
    double mZoomValue = 0.0;
    bool mAllowsReordering = true;
    bool mAnimates = false;
    QColor mCellTitleColor = Qt::white;

    ThumbnailCache* mThumbnails = nullptr;
    ImageBrowserModel* mModel = nullptr;
    QTimer mThumbnailRequestTimer;
    // Rows of the photos last asked for, to redraw a cell when its thumbnail arrives.
    QHash<QByteArray, int> mRequestedRows;
    bool mNeedsFirstLoad = false;
    bool mReloading = false;
    std::optional<QList<int>> mSelectionAfterReload;
    bool mExternalDragActive = false;
    int mDropIndicator = -1;
};

} // namespace vantrel
