#include "gui/preview/PreviewImageView.h"

#include "gui/browser/DroppedFiles.h"
#include "gui/browser/FileDropTarget.h"
#include "gui/skin/Skin.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <cmath>

namespace vantrel {

PreviewImageView::PreviewImageView(QWidget* parent) : QWidget(parent) {
    setAcceptDrops(true);
    showPlaceholder();
}

void PreviewImageView::setImage(const QImage& image) {
    const QSizeF size = QSizeF(image.size()) / image.devicePixelRatio();
    setImagePart(image, size, QRectF(QPointF(0, 0), size));
}

void PreviewImageView::setImagePart(const QImage& part, const QSizeF& photoSize,
                                    const QRectF& where) {
    mImage = part;
    mPhotoSize = photoSize;
    mPart = where;
    mShowsPlaceholder = false;
    update();
}

void PreviewImageView::showPlaceholder() {
    setImage(skinPicture(QStringLiteral("launch.png")).toImage());
    mShowsPlaceholder = true;
}

QSize PreviewImageView::imageSize() const {
    return mPhotoSize.toSize();
}

bool PreviewImageView::coversVisibleArea() const {
    const double z = mZoomFactor;
    const QSizeF shown(width() / z, height() / z);
    const QRectF visible(QPointF((mPhotoSize.width() - shown.width()) / 2,
                                 (mPhotoSize.height() - shown.height()) / 2),
                         shown);
    return mPart.contains(visible.intersected(QRectF(QPointF(0, 0), mPhotoSize)));
}

void PreviewImageView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!mShowsPlaceholder && !mImage.isNull() && !coversVisibleArea())
        Q_EMIT visibleAreaUncovered();
}

void PreviewImageView::paintEvent(QPaintEvent*) {
    if (mImage.isNull())
        return;
    QPainter painter(this);
    if (mShowsPlaceholder) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        // The placeholder keeps its own size, centred, and shrinks only to fit.
        QSizeF shown = mPhotoSize;
        if (shown.width() > width() || shown.height() > height())
            shown.scale(size(), Qt::KeepAspectRatio);
        const QRectF target(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                            shown);
        painter.drawImage(target, mImage);
        return;
    }
    const double z = mZoomFactor;
    const QPointF origin(width() * 0.5 - z * mPhotoSize.width() * 0.5,
                         height() * 0.5 - z * mPhotoSize.height() * 0.5);
    QRectF target(origin + mPart.topLeft() * z, mPart.size() * z);
    // A picture rendered at the zoom shown is copied pixel for pixel, on whole pixels: no
    // filtering, and the cheapest drawing while a slider moves.
    const double ratio = devicePixelRatioF();
    if (std::abs(target.width() * ratio - mImage.width()) < 1.0 &&
        std::abs(target.height() * ratio - mImage.height()) < 1.0) {
        target.moveTopLeft(QPointF(std::round(target.left() * ratio) / ratio,
                                   std::round(target.top() * ratio) / ratio));
        target.setSize(QSizeF(mImage.size()) / ratio);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    painter.drawImage(target, mImage);
}

// Only local files and folders can be added; a web address is refused at once, as the
// grid does.
void PreviewImageView::dragEnterEvent(QDragEnterEvent* event) {
    if (!localFilePaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void PreviewImageView::dragMoveEvent(QDragMoveEvent* event) {
    if (!localFilePaths(event->mimeData()).isEmpty()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void PreviewImageView::dragLeaveEvent(QDragLeaveEvent*) {
    if (mDropTarget)
        mDropTarget->draggingEnded();
}

void PreviewImageView::dropEvent(QDropEvent* event) {
    if (!mDropTarget) {
        event->ignore();
        return;
    }
    // The target refuses drops while an import runs.
    if (mDropTarget->performDragOperation(localFilePaths(event->mimeData()))) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        mDropTarget->concludeDragOperation();
    } else {
        event->ignore();
    }
    mDropTarget->draggingEnded();
    update();
}

} // namespace vantrel
