#include "gui/preview/PreviewImageView.h"

#include "gui/browser/DroppedFiles.h"
#include "gui/browser/FileDropTarget.h"
#include "gui/skin/Skin.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

namespace vantrel {

PreviewImageView::PreviewImageView(QWidget* parent) : QWidget(parent) {
    setAcceptDrops(true);
    showPlaceholder();
}

void PreviewImageView::setImage(const QImage& image) {
    mImage = image;
    mShowsPlaceholder = false;
    update();
}

void PreviewImageView::showPlaceholder() {
    mImage = skinPicture(QStringLiteral("launch.png")).toImage();
    mShowsPlaceholder = true;
    update();
}

QSize PreviewImageView::imageSize() const {
    return (QSizeF(mImage.size()) / mImage.devicePixelRatio()).toSize();
}

void PreviewImageView::paintEvent(QPaintEvent*) {
    if (mImage.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF image = QSizeF(mImage.size()) / mImage.devicePixelRatio();
    if (mShowsPlaceholder) {
        // The placeholder keeps its own size, centred, and shrinks only to fit.
        QSizeF shown = image;
        if (shown.width() > width() || shown.height() > height())
            shown.scale(size(), Qt::KeepAspectRatio);
        const QRectF target(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                            shown);
        painter.drawImage(target, mImage);
        return;
    }
    const double z = mZoomFactor;
    painter.translate(width() * 0.5 - z * image.width() * 0.5,
                      height() * 0.5 - z * image.height() * 0.5);
    painter.scale(z, z);
    painter.drawImage(QRectF(QPointF(0, 0), image), mImage);
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
