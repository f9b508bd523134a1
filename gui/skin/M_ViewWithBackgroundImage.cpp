#include "gui/skin/M_ViewWithBackgroundImage.h"

#include "gui/skin/SkinGeometry.h"

#include <QPaintEvent>
#include <QPainter>

namespace vantrel {

M_ViewWithBackgroundImage::M_ViewWithBackgroundImage(QWidget* parent) : QWidget(parent) {}

// The setters repaint: the picture is swapped as the batch empties or fills, and a stale
// background until the next unrelated repaint would look broken.
void M_ViewWithBackgroundImage::setBackgroundImage(const QPixmap& image) {
    mBackgroundImage = image;
    update();
}

void M_ViewWithBackgroundImage::setIsVertical(bool vertical) {
    mVertical = vertical;
    update();
}

void M_ViewWithBackgroundImage::setIsResizable(bool resizable) {
    mResizable = resizable;
    update();
}

void M_ViewWithBackgroundImage::paintEvent(QPaintEvent* event) {
    if (mBackgroundImage.isNull()) {
        return;
    }
    QPainter painter(this);
    if (mResizable) {
        painter.fillRect(event->rect(), QBrush(mBackgroundImage));
        return;
    }
    // Tiles replace what is below them, alpha included, exactly as the artwork was made.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QSizeF imageSize = mBackgroundImage.deviceIndependentSize();
    for (const QRectF& tile : skin::tileRectsFlipped(QSizeF(size()), imageSize, mVertical)) {
        painter.drawPixmap(tile, mBackgroundImage, QRectF(mBackgroundImage.rect()));
    }
}

} // namespace vantrel
