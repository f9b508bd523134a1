#include "gui/browser/ImageBrowserView.h"

#include "core/batch/BrowserEdits.h"
#include "core/imaging/Image.h"
#include "gui/browser/BrowserCellDelegate.h"
#include "gui/browser/DroppedFiles.h"
#include "gui/browser/ImageBrowserDelegate.h"
#include "gui/browser/ImageBrowserModel.h"
#include "gui/browser/ThumbnailCache.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace vantrel {

namespace {

// The indexes that name an item, ascending, each once.
QList<int> validRows(const QList<int>& indexes, int count) {
    QList<int> rows;
    for (const int row : indexes) {
        if (row >= 0 && row < count)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

constexpr int kSmallestSide = 64;
constexpr int kLargestSide = 320;
constexpr int kCellSpacing = 4;
// Drags between two places of the same grid carry only this marker; the items are the
// selection of the view the drag started in.
const QString kInternalDragType = QStringLiteral("application/x-vantrel-browser-items");

} // namespace

ImageBrowserView::ImageBrowserView(QWidget* parent) : QListView(parent) {
    mThumbnails = new ThumbnailCache(this);
    mModel = new ImageBrowserModel(this, mThumbnails);
    setModel(mModel);
    setItemDelegate(new BrowserCellDelegate(this));

    setViewMode(QListView::IconMode);
    // The grid lays cells out in order; reordering goes through the delegate, never by
    // placing cells freely.
    setMovement(QListView::Static);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(2000);
    setSpacing(kCellSpacing);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionRectVisible(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragDropMode(QAbstractItemView::DragDrop);
    // A static grid turns dropping on its viewport off; reordering and file drops need it.
    setDragEnabled(true);
    viewport()->setAcceptDrops(true);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setFrameShape(QFrame::NoFrame);
    setBackgroundColor(Qt::transparent);
    setIconSize(QSize(kSmallestSide, kSmallestSide));

    mThumbnailRequestTimer.setSingleShot(true);
    mThumbnailRequestTimer.setInterval(16);
    connect(&mThumbnailRequestTimer, &QTimer::timeout, this, &ImageBrowserView::requestThumbnails);
    connect(mThumbnails, &ThumbnailCache::thumbnailReady, this,
            &ImageBrowserView::thumbnailArrived);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ImageBrowserView::notifySelectionChanged);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this,
            &ImageBrowserView::scheduleThumbnailRequests);
    updateThumbnailSide();
}

ImageBrowserView::~ImageBrowserView() {
    disconnect(mThumbnails, nullptr, this, nullptr);
    disconnect(selectionModel(), nullptr, this, nullptr);
    mModel->setDelegate(nullptr);
}

void ImageBrowserView::setDelegate(ImageBrowserDelegate* delegate) {
    mDelegate = delegate;
    mModel->setDelegate(delegate);
    mNeedsFirstLoad = delegate != nullptr;
    if (mNeedsFirstLoad && isVisible()) {
        reloadData();
    }
}

void ImageBrowserView::reloadData() {
    mNeedsFirstLoad = false;
    const bool hadSelection = selectionModel()->hasSelection();
    mSelectionAfterReload.reset();
    mReloading = true;
    // The reset clears the selection without a signal; the delegate may choose a new one
    // while it answers the count.
    mModel->reload();
    mReloading = false;
    mThumbnails->forgetUnreadable();
    mRequestedRows.clear();
    if (mSelectionAfterReload) {
        const QList<int> selection = *mSelectionAfterReload;
        mSelectionAfterReload.reset();
        applySelection(selection, false);
    }
    if (hadSelection && !selectionModel()->hasSelection()) {
        notifySelectionChanged();
    }
    scheduleThumbnailRequests();
}

int ImageBrowserView::numberOfItems() const {
    return mModel->rowCount();
}

QList<int> ImageBrowserView::selectionIndexes() const {
    QList<int> indexes;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) {
        indexes.append(index.row());
    }
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    return indexes;
}

void ImageBrowserView::setSelectionIndexes(const QList<int>& indexes, bool byExtendingSelection) {
    if (mReloading) {
        // The rows of the reload are not in place yet; the last wish counts.
        if (byExtendingSelection && mSelectionAfterReload) {
            mSelectionAfterReload->append(indexes);
        } else {
            mSelectionAfterReload = indexes;
        }
        return;
    }
    applySelection(indexes, byExtendingSelection);
}

void ImageBrowserView::applySelection(const QList<int>& indexes, bool byExtendingSelection) {
    const QList<int> rows = validRows(indexes, numberOfItems());
    QItemSelection selection;
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) {
            ++j;
        }
        selection.select(mModel->index(rows[i]), mModel->index(rows[j]));
        i = j + 1;
    }
    if (!rows.isEmpty()) {
        // Keyboard moves continue from the last chosen cell.
        selectionModel()->setCurrentIndex(mModel->index(rows.last()),
                                          QItemSelectionModel::NoUpdate);
    }
    selectionModel()->select(selection, byExtendingSelection ? QItemSelectionModel::Select
                                                             : QItemSelectionModel::ClearAndSelect);
}

void ImageBrowserView::notifySelectionChanged() {
    if (mDelegate && !mReloading) {
        mDelegate->imageBrowserSelectionDidChange(this);
    }
}

void ImageBrowserView::setZoomValue(double zoomValue) {
    mZoomValue = std::isfinite(zoomValue) ? std::clamp(zoomValue, 0.0, 1.0) : 0.0;
    const int side = thumbnailSide();
    if (iconSize() == QSize(side, side)) {
        return;
    }
    // Keep the cells the user was looking at on screen while they grow or shrink.
    const auto visible = visibleIndexes();
    setIconSize(QSize(side, side));
    updateThumbnailSide();
    if (visible) {
        scrollTo(mModel->index(visible->first), QAbstractItemView::PositionAtTop);
    }
    scheduleThumbnailRequests();
}

void ImageBrowserView::setAllowsReordering(bool allows) {
    mAllowsReordering = allows;
}

void ImageBrowserView::setCellTitleColor(const QColor& color) {
    mCellTitleColor = color;
    viewport()->update();
}

void ImageBrowserView::setBackgroundColor(const QColor& color) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, color);
    setPalette(colours);
    viewport()->setAutoFillBackground(color.alpha() > 0);
    viewport()->update();
}

ThumbnailCache& ImageBrowserView::thumbnails() {
    return *mThumbnails;
}

int ImageBrowserView::thumbnailSide() const {
    return static_cast<int>(
        std::lround(kSmallestSide + mZoomValue * (kLargestSide - kSmallestSide)));
}

QSize ImageBrowserView::cellSize() const {
    const int side = thumbnailSide();
    // Room for a file name in two lines.
    const int title = 2 * fontMetrics().height() + 4;
    return {side + 2 * BrowserCell::padding,
            BrowserCell::padding + side + BrowserCell::titleGap + title + BrowserCell::padding / 2};
}

void ImageBrowserView::updateThumbnailSide() {
    mModel->setThumbnailSide(static_cast<int>(std::ceil(thumbnailSide() * devicePixelRatioF())));
}

std::optional<ImageBrowserView::Grid> ImageBrowserView::grid() const {
    const int count = numberOfItems();
    if (count == 0) {
        return std::nullopt;
    }
    const QRect first = visualRect(mModel->index(0));
    if (!first.isValid()) {
        return std::nullopt;
    }
    Grid g;
    g.origin = first.topLeft();
    g.columnWidth = first.width() + 2 * spacing();
    g.lineHeight = first.height() + 2 * spacing();
    int columns = 1;
    while (columns < count) {
        const QRect next = visualRect(mModel->index(columns));
        if (!next.isValid() || next.top() != first.top()) {
            if (next.isValid() && next.top() > first.top()) {
                g.lineHeight = next.top() - first.top();
            }
            break;
        }
        if (columns == 1) {
            g.columnWidth = std::max(1, next.left() - first.left());
        }
        ++columns;
    }
    g.columns = columns;
    return g;
}

std::optional<std::pair<int, int>> ImageBrowserView::visibleIndexes() const {
    const auto g = grid();
    if (!g) {
        return std::nullopt;
    }
    const int count = numberOfItems();
    const int height = viewport()->height();
    const auto lineAt = [&](int y) {
        return static_cast<int>(std::floor(double(y - g->origin.y()) / g->lineHeight));
    };
    const int firstLine = std::max(0, lineAt(0));
    const int lastLine = lineAt(height - 1);
    const long first = static_cast<long>(firstLine) * g->columns;
    const long last = std::min<long>(count - 1, (static_cast<long>(lastLine) + 1) * g->columns - 1);
    if (lastLine < 0 || first > last) {
        return std::nullopt;
    }
    return std::make_pair(static_cast<int>(first), static_cast<int>(last));
}

int ImageBrowserView::dropIndexAt(const QPoint& position) const {
    const auto g = grid();
    if (!g) {
        return 0;
    }
    const int count = numberOfItems();
    const double line = std::floor(double(position.y() - g->origin.y()) / g->lineHeight);
    if (line < 0) {
        return 0;
    }
    // Columns are counted from cell centres: the left half of a cell means in front of it.
    const double column = std::floor(double(position.x() - g->origin.x()) / g->columnWidth + 0.5);
    const double index = line * g->columns + std::clamp(column, 0.0, double(g->columns));
    return static_cast<int>(std::min<double>(index, count));
}

bool ImageBrowserView::moveItemsAtIndexes(const QList<int>& indexes, int destinationIndex) {
    const int count = numberOfItems();
    const QList<int> rows = validRows(indexes, count);
    if (!mDelegate || rows.isEmpty()) {
        return false;
    }
    const int destination = std::clamp(destinationIndex, 0, count);
    if (!mDelegate->imageBrowserMoveItemsAtIndexes(this, rows, destination)) {
        return false;
    }
    const int first =
        movedItemsFirstIndex(count, std::vector<int>(rows.begin(), rows.end()), destination);
    mModel->rowsChanged(std::min(rows.first(), destination), std::max(rows.last(), destination));
    QList<int> moved;
    for (int i = 0; i < rows.size(); ++i) {
        moved.append(first + i);
    }
    applySelection(moved, false);
    mRequestedRows.clear();
    scheduleThumbnailRequests();
    return true;
}

void ImageBrowserView::reloadThumbnails() {
    mThumbnails->forgetAll();
    viewport()->update();
    scheduleThumbnailRequests();
}

void ImageBrowserView::scheduleThumbnailRequests() {
    if (!mThumbnailRequestTimer.isActive()) {
        mThumbnailRequestTimer.start();
    }
}

void ImageBrowserView::requestThumbnails() {
    mRequestedRows.clear();
    const auto visible = isVisible() ? visibleIndexes() : std::nullopt;
    if (!visible) {
        mThumbnails->requestThumbnails({}, mModel->thumbnailSide());
        return;
    }
    const int count = numberOfItems();
    const int perScreen = visible->second - visible->first + 1;
    // On screen first, then the screen below (where a reader usually scrolls), then the
    // one above, nearest first.
    std::vector<int> rows;
    for (int row = visible->first; row <= visible->second; ++row) {
        rows.push_back(row);
    }
    for (int row = visible->second + 1; row < std::min(count, visible->second + 1 + perScreen);
         ++row) {
        rows.push_back(row);
    }
    for (int row = visible->first - 1; row >= std::max(0, visible->first - perScreen); --row) {
        rows.push_back(row);
    }
    std::vector<std::string> paths;
    paths.reserve(rows.size());
    for (const int row : rows) {
        if (const Image* image = mModel->imageAt(row)) {
            std::string path = image->imageRepresentation();
            mRequestedRows.insert(QByteArray::fromStdString(path), row);
            paths.push_back(std::move(path));
        }
    }
    mThumbnails->requestThumbnails(paths, mModel->thumbnailSide());
}

void ImageBrowserView::thumbnailArrived(const QByteArray& path) {
    const auto found = mRequestedRows.constFind(path);
    if (found != mRequestedRows.cend()) {
        update(mModel->index(*found));
    }
}

namespace {

bool isRemoveKey(const QKeyEvent* event) {
    return (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) &&
           event->modifiers() == Qt::NoModifier;
}

} // namespace

bool ImageBrowserView::event(QEvent* event) {
    // With the grid focused, Delete removes every selected photo here, before a menu
    // shortcut on the same key (which removes only the previewed one) can take it.
    if (event->type() == QEvent::ShortcutOverride && isRemoveKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QListView::event(event);
}

void ImageBrowserView::keyPressEvent(QKeyEvent* event) {
    if (isRemoveKey(event)) {
        const QList<int> selected = selectionIndexes();
        if (mDelegate && !selected.isEmpty()) {
            mDelegate->imageBrowserRemoveItemsAtIndexes(this, selected);
        }
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void ImageBrowserView::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (mDelegate && index.isValid() && event->button() == Qt::LeftButton) {
        mDelegate->imageBrowserCellWasDoubleClickedAtIndex(this, index.row());
    }
}

void ImageBrowserView::contextMenuEvent(QContextMenuEvent* event) {
    if (!mDelegate) {
        return;
    }
    QModelIndex index = indexAt(event->pos());
    QPoint where = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard && currentIndex().isValid()) {
        // The menu key opens the menu at the current cell.
        index = currentIndex();
        where = viewport()->mapToGlobal(visualRect(index).center());
    }
    if (index.isValid()) {
        mDelegate->imageBrowserCellWasRightClickedAtIndex(this, index.row(), where);
    } else {
        mDelegate->imageBrowserBackgroundWasRightClicked(this, where);
    }
    event->accept();
}

void ImageBrowserView::startDrag(Qt::DropActions) {
    const QList<int> selected = selectionIndexes();
    if (!mAllowsReordering || selected.isEmpty()) {
        return;
    }
    auto* mime = new QMimeData;
    mime->setData(kInternalDragType, QByteArray::number(selected.size()));
    // Qt deletes the drag once it ends.
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const QModelIndex lead =
        currentIndex().isValid() ? currentIndex() : mModel->index(selected.first());
    const QImage picture = lead.data(Qt::DecorationRole).value<QImage>();
    if (!picture.isNull()) {
        const int side = std::min(thumbnailSide(), 96);
        drag->setPixmap(QPixmap::fromImage(
            picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    drag->exec(Qt::MoveAction, Qt::MoveAction);
    setDropIndicator(-1);
}

bool ImageBrowserView::isInternalDrag(const QDropEvent* event) const {
    return event->source() == this && event->mimeData()->hasFormat(kInternalDragType);
}

void ImageBrowserView::setDropIndicator(int index) {
    if (index != mDropIndicator) {
        mDropIndicator = index;
        viewport()->update();
    }
}

void ImageBrowserView::dragEnterEvent(QDragEnterEvent* event) {
    if (isInternalDrag(event) && mAllowsReordering) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
        setDropIndicator(dropIndexAt(event->position().toPoint()));
    } else if (!localFilePaths(event->mimeData()).isEmpty()) {
        // Whether the owner takes the files is only known at the drop.
        mExternalDragActive = true;
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ImageBrowserView::dragMoveEvent(QDragMoveEvent* event) {
    const bool internal = isInternalDrag(event) && mAllowsReordering;
    if (!internal && !mExternalDragActive) {
        event->ignore();
        return;
    }
    // The base class scrolls when the pointer nears an edge; what to accept is ours.
    QListView::dragMoveEvent(event);
    if (internal) {
        event->setDropAction(Qt::MoveAction);
        setDropIndicator(dropIndexAt(event->position().toPoint()));
    } else {
        event->setDropAction(Qt::CopyAction);
    }
    event->accept();
}

void ImageBrowserView::dragLeaveEvent(QDragLeaveEvent* event) {
    QListView::dragLeaveEvent(event);
    setDropIndicator(-1);
    endExternalDrag();
}

void ImageBrowserView::endExternalDrag() {
    if (mExternalDragActive) {
        mExternalDragActive = false;
        if (mDelegate) {
            mDelegate->draggingEnded();
        }
    }
}

void ImageBrowserView::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    setDropIndicator(-1);
    if (isInternalDrag(event)) {
        if (mAllowsReordering) {
            moveItemsAtIndexes(selectionIndexes(), dropIndexAt(event->position().toPoint()));
        }
        event->setDropAction(Qt::MoveAction);
        event->accept();
        return;
    }
    const QStringList paths = localFilePaths(event->mimeData());
    if (mDelegate && !paths.isEmpty() && mDelegate->performDragOperation(paths)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        mDelegate->concludeDragOperation();
    } else {
        event->ignore();
    }
    mExternalDragActive = true;
    endExternalDrag();
}

void ImageBrowserView::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    const int count = numberOfItems();
    if (mDropIndicator < 0 || count == 0) {
        return;
    }
    // A bar in the gap where the dragged cells will land.
    const bool atEnd = mDropIndicator >= count;
    const QRect cell = visualRect(mModel->index(atEnd ? count - 1 : mDropIndicator));
    const int x = atEnd ? cell.right() + spacing() + 1 : cell.left() - spacing();
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(90, 150, 245));
    painter.drawRoundedRect(QRectF(x - 1.5, cell.top() + 4, 3, cell.height() - 8), 1.5, 1.5);
}

void ImageBrowserView::showEvent(QShowEvent* event) {
    QListView::showEvent(event);
    updateThumbnailSide();
    if (mNeedsFirstLoad) {
        reloadData();
    }
    scheduleThumbnailRequests();
}

void ImageBrowserView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    scheduleThumbnailRequests();
}

void ImageBrowserView::scrollContentsBy(int dx, int dy) {
    QListView::scrollContentsBy(dx, dy);
    scheduleThumbnailRequests();
}

} // namespace vantrel
