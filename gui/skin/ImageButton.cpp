#include "gui/skin/ImageButton.h"

#include "gui/skin/Skin.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <qdrawutil.h>

namespace vantrel {

namespace {

// Edges of a button picture that keep their size when the button is larger or smaller than the
// picture; only the middle stretches.
QMargins stretchMargins(const QSize& picture) {
    const int horizontal = std::min(10, picture.width() / 2 - 1);
    const int vertical = std::min(8, picture.height() / 2 - 1);
    return QMargins(std::max(0, horizontal), std::max(0, vertical), std::max(0, horizontal),
                    std::max(0, vertical));
}

bool isDarkColor(const QColor& color) {
    return color.lightnessF() < 0.5;
}

// Whether the middle of a picture, where the title goes, is light. The picture is shrunk to
// one pixel first, which is cheap for button-sized pictures.
bool isLightPicture(const QPixmap& picture) {
    if (picture.isNull()) {
        return false;
    }
    const QRect middle = picture.rect().adjusted(picture.width() / 4, picture.height() / 4,
                                                 -picture.width() / 4, -picture.height() / 4);
    const QImage average = picture.copy(middle).toImage().scaled(1, 1, Qt::IgnoreAspectRatio,
                                                                 Qt::SmoothTransformation);
    const QColor colour = average.pixelColor(0, 0);
    const double luminance =
        0.299 * colour.redF() + 0.587 * colour.greenF() + 0.114 * colour.blueF();
    return colour.alphaF() > 0.5 && luminance > 0.5;
}

} // namespace

ImageButton::ImageButton(QWidget* parent) : ImageButton(QString(), parent) {}

ImageButton::ImageButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
}

void ImageButton::setImage(const QPixmap& image) {
    mImage = image;
    mImageIsLight = isLightPicture(image);
    updateGeometry();
    update();
}

void ImageButton::setAlternateImage(const QPixmap& image) {
    mAlternateImage = image;
    update();
}

void ImageButton::setBackgroundStyle(BackgroundStyle style) {
    mBackgroundStyle = style;
    update();
}

void ImageButton::setAttributedTitle(const QString& text, const QColor& color, const QFont* font) {
    mTitleColor = color;
    if (font != nullptr) {
        mTitleFont = *font;
    } else {
        mTitleFont.reset();
    }
    setText(text);
    updateGeometry();
    update();
}

QColor ImageButton::titleColor() const {
    if (mTitleColor) {
        return *mTitleColor;
    }
    // A plain title keeps its contrast on a light picture such as the amber run button.
    return mImageIsLight ? skin::kTextOnAccent : palette().color(QPalette::ButtonText);
}

QFont ImageButton::titleFont() const {
    return mTitleFont.value_or(font());
}

QSize ImageButton::sizeHint() const {
    if (!mImage.isNull()) {
        return mImage.deviceIndependentSize().toSize();
    }
    const QFontMetrics metrics(titleFont());
    return QSize(metrics.horizontalAdvance(text()) + 28, std::max(28, metrics.height() + 12));
}

QSize ImageButton::minimumSizeHint() const {
    const QFontMetrics metrics(titleFont());
    return QSize(metrics.horizontalAdvance(text()) + 12, metrics.height() + 6);
}

void ImageButton::focusInEvent(QFocusEvent* event) {
    // A ring after a mouse click is noise; after Tab it is the only way to see where one is.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        mKeyboardFocus = event->reason() != Qt::MouseFocusReason;
    }
    QPushButton::focusInEvent(event);
}

void ImageButton::focusOutEvent(QFocusEvent* event) {
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        mKeyboardFocus = false;
    }
    QPushButton::focusOutEvent(event);
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!isEnabled()) {
        painter.setOpacity(0.45);
    }
    paintBackground(painter);
    paintTitle(painter);
    if (hasFocus() && mKeyboardFocus) {
        paintFocusRing(painter);
    }
}

void ImageButton::paintBackground(QPainter& painter) const {
    const QPixmap& picture = (isDown() && !mAlternateImage.isNull()) ? mAlternateImage : mImage;
    if (!picture.isNull()) {
        const QMargins margins = stretchMargins(picture.size());
        const qreal ratio = picture.devicePixelRatio();
        const QMargins targetMargins(qRound(margins.left() / ratio), qRound(margins.top() / ratio),
                                     qRound(margins.right() / ratio),
                                     qRound(margins.bottom() / ratio));
        qDrawBorderPixmap(&painter, rect(), targetMargins, picture, picture.rect(), margins);
    } else {
        // No picture: a quiet panel of its own, light under dark titles and dark under light
        // ones, so the title stays readable.
        const QRectF panel = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        const bool lightPanel = isDarkColor(titleColor());
        QLinearGradient fill(panel.topLeft(), panel.bottomLeft());
        fill.setColorAt(0.0, lightPanel ? QColor(0xc9, 0xcb, 0xce) : QColor(0x44, 0x46, 0x4a));
        fill.setColorAt(1.0, lightPanel ? QColor(0xac, 0xae, 0xb2) : QColor(0x36, 0x38, 0x3c));
        QPainterPath path;
        path.addRoundedRect(panel, 5.0, 5.0);
        painter.fillPath(path, fill);
        painter.setPen(QPen(skin::kDivider, 1.0));
        painter.drawPath(path);
        if (isDown() || isChecked()) {
            painter.fillPath(path, QColor(0, 0, 0, 50));
        }
    }
    if (underMouse() && isEnabled() && !isDown()) {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 5.0, 5.0);
        painter.fillPath(path, QColor(255, 255, 255, 14));
    }
}

void ImageButton::paintTitle(QPainter& painter) const {
    if (text().isEmpty()) {
        return;
    }
    QColor color = titleColor();
    if (!mTitleColor && !mImageIsLight && isCheckable()) {
        // Tabs: the chosen one reads brightest, the others step back a little.
        color =
            isChecked() ? QColor(Qt::white) : QColor(color.red(), color.green(), color.blue(), 185);
    }
    painter.setFont(titleFont());
    const int flags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    QRectF area = QRectF(rect()).adjusted(4, 0, -4, 0);
    if (isDown()) {
        area.translate(0, 1);
    }

    // The relief is one pixel of shadow or highlight, faint enough to read as texture.
    const QColor shadow = isDarkColor(color) ? QColor(255, 255, 255, 70) : QColor(0, 0, 0, 150);
    const QColor highlight = isDarkColor(color) ? QColor(0, 0, 0, 60) : QColor(255, 255, 255, 28);
    switch (mBackgroundStyle) {
    case Raised:
        painter.setPen(shadow);
        painter.drawText(area.translated(0, 1), flags, text());
        break;
    case Lowered:
        painter.setPen(shadow);
        painter.drawText(area.translated(0, -1), flags, text());
        painter.setPen(highlight);
        painter.drawText(area.translated(0, 1), flags, text());
        break;
    case Light:
    case Dark:
        break;
    }
    painter.setPen(color);
    painter.drawText(area, flags, text());
}

void ImageButton::paintFocusRing(QPainter& painter) const {
    painter.setOpacity(1.0);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(skin::kFocusRing, 1.5));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 5.0, 5.0);
}

} // namespace vantrel
