#include "gui/skin/M_ColorGradientView.h"

#include "gui/skin/SkinGeometry.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>

namespace vantrel {

M_ColorGradientView::M_ColorGradientView(QWidget* parent)
    : QWidget(parent), mStart(QColor::fromRgbF(0.3f, 0.3f, 0.3f, 0.96f)), mEnd(mStart) {}

void M_ColorGradientView::setMStartingColor(const QColor& color) {
    mStart = color;
    update();
}

void M_ColorGradientView::setMEndingColor(const QColor& color) {
    mEnd = color;
    update();
}

void M_ColorGradientView::setMMainBackground(const QPixmap& picture) {
    mBackground = picture;
    update();
}

void M_ColorGradientView::setMAngle(int degrees) {
    mAngleDegrees = degrees;
    update();
}

// Every drawing is laid out over the whole view and only clipped to the exposed area, so a
// partial repaint matches a full one and the view never has to repaint itself continuously
// to hide seams.
void M_ColorGradientView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRectF bounds(rect());
    if (!mBackground.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(bounds, mBackground, QRectF(mBackground.rect()));
        return;
    }
    if (!mEnd.isValid() || mStart == mEnd) {
        painter.fillRect(event->rect(), mStart);
        return;
    }
    const skin::GradientLine line = skin::gradientLineFlipped(bounds, mAngleDegrees);
    QLinearGradient gradient(line.start, line.end);
    gradient.setColorAt(0.0, mStart);
    gradient.setColorAt(1.0, mEnd);
    painter.fillRect(bounds, gradient);
}

} // namespace vantrel
