#include "gui/skin/M_BackView.h"

#include <QPaintEvent>
#include <QPainter>

namespace vantrel {

// The fill keeps a little translucency, so the widget must not claim to be opaque: Qt would
// then skip painting what lies behind it and the 7 % left over would show stale pixels.
M_BackView::M_BackView(QWidget* parent)
    : QWidget(parent), mFillColor(QColor::fromRgbF(0.7f, 0.7f, 0.7f, 0.93f)) {}

void M_BackView::setFillColor(const QColor& color) {
    mFillColor = color;
    update();
}

void M_BackView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), mFillColor);
}

} // namespace vantrel
