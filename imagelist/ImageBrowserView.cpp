#include "imagelist/ImageBrowserView.h"

#include "imagelist/BrowserEdits.h"
#include "imagelist/ImageBrowserDelegate.h"
#include "imagelist/ImageBrowserModel.h"
#include "imagelist/ThumbnailCache.h"
#include "imaging/Image.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
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
// Room around the picture for the selection halo, and between picture and title.
constexpr int kCellPadding = 10;
constexpr int kTitleGap = 6;
constexpr int kCellSpacing = 4;
// Drags between two places of the same grid carry only this marker; the items are the
// selection of the view the drag started in.
const QString kInternalDragType = QStringLiteral("application/x-vantrel-browser-items");

QStringList localFilePaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) {
            paths.append(url.toLocalFile());
        }
    }
    return paths;
}

// One cell: the thumbnail fitted into a square, the file name centred under it. The
// selection is a soft light halo with the title on an accent pill, which reads well on the
// dark skin behind the transparent browser.
class BrowserCellDelegate : public QStyledItemDelegate {
public:
    explicit BrowserCellDelegate(ImageBrowserView* view) : QStyledItemDelegate(view), mView(view) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return mView->cellSize();
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect cell = option.rect;
        const int side = mView->thumbnailSide();
        const QRect area(cell.left() + (cell.width() - side) / 2, cell.top() + kCellPadding, side,
                         side);
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (selected) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(255, 255, 255, 38));
            painter->drawRoundedRect(QRectF(area).adjusted(-6, -6, 6, 6), 7, 7);
        }

        const QImage image = index.data(Qt::DecorationRole).value<QImage>();
        if (!image.isNull()) {
            const double scale = std::min(static_cast<double>(side) / image.width(),
                                          static_cast<double>(side) / image.height());
            const QSizeF size(image.width() * scale, image.height() * scale);
            // Standing on the square's bottom edge keeps every title close to its picture.
            const QRectF target(area.left() + (side - size.width()) / 2.0,
                                area.top() + side - size.height(), size.width(), size.height());
            painter->setRenderHint(QPainter::SmoothPixmapTransform,
                                   std::abs(scale * mView->devicePixelRatioF() - 1.0) > 0.01);
            painter->drawImage(target, image);
            const bool isPhoto = index.data(ImageBrowserModel::ThumbnailStatusRole).toInt() ==
                                 static_cast<int>(ThumbnailCache::Status::Ready);
            if (isPhoto) {
                painter->setRenderHint(QPainter::Antialiasing, false);
                painter->setPen(QColor(0, 0, 0, 90));
                painter->setBrush(Qt::NoBrush);
                painter->drawRect(target.adjusted(-0.5, -0.5, -0.5, -0.5));
                painter->setRenderHint(QPainter::Antialiasing);
            }
        }
        if (option.state.testFlag(QStyle::State_HasFocus) && mView->hasFocus()) {
            painter->setPen(QPen(QColor(255, 255, 255, 110), 1));
            painter->setBrush(Qt::NoBrush);
            painter->drawRoundedRect(QRectF(area).adjusted(-6.5, -6.5, 6.5, 6.5), 7, 7);
        }

        const QFontMetrics metrics(option.font);
        const QRect titleArea(cell.left() + 4, area.bottom() + 1 + kTitleGap, cell.width() - 8,
                              metrics.height() + 4);
        const QString title =
            elided(option.font, index.data(Qt::DisplayRole).toString(), titleArea.width() - 10);
        if (selected) {
            const int width = metrics.horizontalAdvance(title) + 12;
            const QRectF pill(titleArea.center().x() - width / 2.0 + 0.5, titleArea.top(), width,
                              titleArea.height());
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(52, 112, 214));
            painter->drawRoundedRect(pill, pill.height() / 2.0, pill.height() / 2.0);
        }
        painter->setFont(option.font);
        painter->setPen(mView->cellTitleColor());
        painter->drawText(titleArea, Qt::AlignHCenter | Qt::AlignVCenter, title);
        painter->restore();
    }

private:
    // Eliding lays the text out, which costs more than the rest of a cell together; names
    // repeat from frame to frame while scrolling, so the result is kept per width and font.
    QString elided(const QFont& font, const QString& title, int width) const {
        if (width != mElidedWidth || font != mElidedFont || mElided.size() > 20000) {
            mElided.clear();
            mElidedWidth = width;
            mElidedFont = font;
        }
        const auto found = mElided.constFind(title);
        if (found != mElided.cend()) {
            return *found;
        }
        const QString text = QFontMetrics(font).elidedText(title, Qt::ElideMiddle, width);
        mElided.insert(title, text);
        return text;
    }

    ImageBrowserView* mView;
    mutable QHash<QString, QString> mElided;
    mutable int mElidedWidth = -1;
    mutable QFont mElidedFont;
};

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
    const int title = fontMetrics().height() + 4;
    return {side + 2 * kCellPadding, kCellPadding + side + kTitleGap + title + kCellPadding / 2};
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
