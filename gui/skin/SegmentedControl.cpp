#include "gui/skin/SegmentedControl.h"

#include "gui/skin/Skin.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace vantrel {

namespace {

const qreal kCornerRadius = 5.0;
const int kLabelPadding = 12;

} // namespace

SegmentedControl::SegmentedControl(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void SegmentedControl::setSegmentCount(int count) {
    count = std::max(0, count);
    while (segmentCount() < count) {
        mLabels.append(QString());
    }
    while (segmentCount() > count) {
        mLabels.removeLast();
    }
    if (mSelected >= count) {
        mSelected = -1;
    }
    updateGeometry();
    update();
}

QString SegmentedControl::label(int segment) const {
    return (segment >= 0 && segment < segmentCount()) ? mLabels.at(segment) : QString();
}

void SegmentedControl::setLabel(int segment, const QString& text) {
    if (segment < 0 || segment >= segmentCount()) {
        return;
    }
    mLabels[segment] = text;
    updateGeometry();
    update();
}

QString SegmentedControl::accessibleSegmentName(int segment) const {
    const QString name = segment >= 0 && segment < mAccessibleNames.size()
                             ? mAccessibleNames.at(segment)
                             : QString();
    return name.isEmpty() ? label(segment) : name;
}

void SegmentedControl::setAccessibleSegmentName(int segment, const QString& name) {
    if (segment < 0 || segment >= segmentCount()) {
        return;
    }
    while (mAccessibleNames.size() <= segment) {
        mAccessibleNames.append(QString());
    }
    mAccessibleNames[segment] = name;
}

void SegmentedControl::setSelectedSegment(int segment) {
    if (segment < -1 || segment >= segmentCount()) {
        return;
    }
    mSelected = segment;
    update();
}

QRect SegmentedControl::segmentRect(int segment) const {
    if (segment < 0 || segment >= segmentCount()) {
        return QRect();
    }
    // Integer edges shared by neighbours, so the segments cover the width without gaps.
    const int left = width() * segment / segmentCount();
    const int right = width() * (segment + 1) / segmentCount();
    return QRect(left, 0, right - left, height());
}

int SegmentedControl::segmentAt(const QPoint& position) const {
    for (int segment = 0; segment < segmentCount(); ++segment) {
        if (segmentRect(segment).contains(position)) {
            return segment;
        }
    }
    return -1;
}

QSize SegmentedControl::sizeHint() const {
    const QFontMetrics metrics(font());
    int widest = metrics.horizontalAdvance(QStringLiteral("000"));
    for (const QString& text : mLabels) {
        widest = std::max(widest, metrics.horizontalAdvance(text));
    }
    return QSize(std::max(1, segmentCount()) * (widest + 2 * kLabelPadding),
                 std::max(24, metrics.height() + 10));
}

QSize SegmentedControl::minimumSizeHint() const {
    const QFontMetrics metrics(font());
    return QSize(std::max(1, segmentCount()) * (metrics.averageCharWidth() * 2 + 8),
                 metrics.height() + 6);
}

void SegmentedControl::selectByUser(int segment) {
    if (segment < 0 || segment >= segmentCount()) {
        return;
    }
    mSelected = segment;
    update();
    Q_EMIT segmentClicked(segment);
}

void SegmentedControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    mPressed = segmentAt(event->position().toPoint());
    update();
}

// Like a button, a segment is chosen on release over the segment that was pressed, so a press
// can still be abandoned by moving away.
void SegmentedControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const int pressed = mPressed;
    mPressed = -1;
    if (pressed >= 0 && segmentAt(event->position().toPoint()) == pressed) {
        selectByUser(pressed);
    } else {
        update();
    }
}

void SegmentedControl::keyPressEvent(QKeyEvent* event) {
    if (segmentCount() == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    const int last = segmentCount() - 1;
    const int current = mSelected;
    switch (event->key()) {
    case Qt::Key_Left:
        selectByUser(std::clamp(current < 0 ? 0 : current + (rightToLeft ? 1 : -1), 0, last));
        break;
    case Qt::Key_Right:
        selectByUser(std::clamp(current < 0 ? 0 : current + (rightToLeft ? -1 : 1), 0, last));
        break;
    case Qt::Key_Home:
        selectByUser(rightToLeft ? last : 0);
        break;
    case Qt::Key_End:
        selectByUser(rightToLeft ? 0 : last);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void SegmentedControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) {
        painter.setOpacity(0.45);
    }
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(frame, kCornerRadius, kCornerRadius);

    QLinearGradient fill(frame.topLeft(), frame.bottomLeft());
    fill.setColorAt(0.0, skin::kControlFillHover);
    fill.setColorAt(1.0, skin::kControlFill);
    painter.fillPath(outline, fill);

    painter.save();
    painter.setClipPath(outline);
    for (int segment = 0; segment < segmentCount(); ++segment) {
        const QRect area = segmentRect(segment);
        if (segment == mSelected) {
            QLinearGradient accent(area.topLeft(), area.bottomLeft());
            accent.setColorAt(0.0, skin::kAccent);
            accent.setColorAt(1.0, skin::kAccentPressed);
            painter.fillRect(area, accent);
        } else if (segment == mPressed) {
            painter.fillRect(area, QColor(0, 0, 0, 60));
        }
        if (segment > 0) {
            painter.setPen(QPen(skin::kDivider, 1.0));
            painter.drawLine(QPointF(area.left() + 0.5, frame.top() + 1),
                             QPointF(area.left() + 0.5, frame.bottom() - 1));
        }
    }
    painter.restore();

    painter.setPen(QPen(hasFocus() ? skin::kFocusRing : skin::kDivider, hasFocus() ? 1.5 : 1.0));
    painter.drawPath(outline);

    painter.setFont(font());
    for (int segment = 0; segment < segmentCount(); ++segment) {
        painter.setPen(segment == mSelected ? skin::kTextOnAccent : skin::kText);
        painter.drawText(segmentRect(segment), Qt::AlignCenter | Qt::TextSingleLine,
                         mLabels.at(segment));
    }
}

} // namespace vantrel
