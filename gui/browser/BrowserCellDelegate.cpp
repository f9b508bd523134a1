#include "gui/browser/BrowserCellDelegate.h"

#include "gui/browser/CellTitle.h"
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
    const QStringList lines =
        titleLines(option.font, index.data(Qt::DisplayRole).toString(), cell.width() - 18);
    const QRect titleArea(cell.left() + 4, area.bottom() + 1 + BrowserCell::titleGap,
                          cell.width() - 8, metrics.height() * int(lines.size()) + 4);
    if (selected) {
        int widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        const int width = widest + 12;
        const QRectF pill(titleArea.center().x() - width / 2.0 + 0.5, titleArea.top(), width,
                          titleArea.height());
        const double radius = std::min(pill.height(), double(metrics.height() + 4)) / 2.0;
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(52, 112, 214));
        painter->drawRoundedRect(pill, radius, radius);
    }
    painter->setFont(option.font);
    painter->setPen(mView->cellTitleColor());
    painter->drawText(titleArea, Qt::AlignHCenter | Qt::AlignVCenter,
                      lines.join(QLatin1Char('\n')));
    painter->restore();
}

// Laying text out costs more than the rest of a cell together; names repeat from frame to
// frame while scrolling, so the lines are kept per width and font.
QStringList BrowserCellDelegate::titleLines(const QFont& font, const QString& title,
                                            int width) const {
    if (width != mTitleWidth || font != mTitleFont || mTitles.size() > 20000) {
        mTitles.clear();
        mTitleWidth = width;
        mTitleFont = font;
    }
    const auto found = mTitles.constFind(title);
    if (found != mTitles.cend()) {
        return *found;
    }
    const QStringList lines = cellTitleLines(QFontMetrics(font), title, width);
    mTitles.insert(title, lines);
    return lines;
}

} // namespace vantrel
