#include "gui/browser/BrowserCellDelegate.h"

#include "gui/browser/ImageBrowserModel.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/browser/ThumbnailCache.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace vantrel {

BrowserCellDelegate::BrowserCellDelegate(ImageBrowserView* view)
    : QStyledItemDelegate(view), mView(view) {}

QSize BrowserCellDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return mView->cellSize();
}

void BrowserCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const QRect cell = option.rect;
    const int side = mView->thumbnailSide();
    const QRect area(cell.left() + (cell.width() - side) / 2, cell.top() + BrowserCell::padding,
                     side, side);
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
    const QRect titleArea(cell.left() + 4, area.bottom() + 1 + BrowserCell::titleGap,
                          cell.width() - 8, metrics.height() + 4);
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

// Eliding lays the text out, which costs more than the rest of a cell together; names
// repeat from frame to frame while scrolling, so the result is kept per width and font.
QString BrowserCellDelegate::elided(const QFont& font, const QString& title, int width) const {
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

} // namespace vantrel
