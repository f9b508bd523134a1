#pragma once

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QWidget>
#include <cstdlib>

// Pictures and renderings that tell a flipped axis or a wrong colour apart.
namespace vantrel::test {

inline const QColor kUnpainted(1, 2, 3);

// A 30 x 10 picture that tells its own orientation: a green top row, red on the left half
// and blue on the right half below it.
inline QPixmap orientedPicture(int width = 30, int height = 10) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QPainter painter(&image);
    painter.fillRect(QRect(width / 2, 0, width - width / 2, height), Qt::blue);
    painter.fillRect(QRect(0, 0, width, 1), Qt::green);
    painter.end();
    return QPixmap::fromImage(image);
}

// The widget's own painting over a known colour, optionally limited to a region, without its
// window background.
inline QImage renderWidget(QWidget& widget, const QRegion& region = QRegion()) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(kUnpainted);
    widget.render(&image, region.boundingRect().topLeft(), region, QWidget::DrawChildren);
    return image;
}

inline QColor at(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

// Pressed, hovered or not, the picture underneath decides the hue.
inline bool isRedPicture(const QColor& c) {
    return c.red() > 200 && c.blue() < 60;
}

inline bool isBluePicture(const QColor& c) {
    return c.blue() > 200 && c.red() < 60;
}

inline bool near(const QColor& a, const QColor& b, int tolerance = 3) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace vantrel::test
