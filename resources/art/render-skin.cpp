// Renders every picture of the Vantrel skin, the folder icon and the application icon.
//
// Usage: render-skin RESOURCES_DIR
// Writes RESOURCES_DIR/pictures/*.png, RESOURCES_DIR/icons/vantrel.png and
// RESOURCES_DIR/icons/vantrel.svg. The output is the same on every run: grain comes from a
// fixed integer hash, not from a random generator.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>

namespace {

// The palette of the skin: neutral charcoal greys (photos are judged against neutral grey)
// and one warm amber accent.
const QColor kAccentTop(0xf0, 0xb0, 0x52);
const QColor kAccent(0xe9, 0xa2, 0x3b);
const QColor kAccentDeep(0xc2, 0x7a, 0x1f);
const QColor kInk(0x1d, 0x17, 0x0f);
const QColor kSeparator(0x11, 0x12, 0x14);

QString gOutput;

// Grain value in [-1, 1] for a pixel; independent per pixel, so any tile made of it repeats
// without a seam.
double grain(int x, int y, std::uint32_t seed) {
    std::uint32_t h = seed * 0x9e3779b1u ^ static_cast<std::uint32_t>(x) * 0x85ebca6bu ^
                      static_cast<std::uint32_t>(y) * 0xc2b2ae35u;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    // Sum of two uniforms: a triangular distribution reads as film grain, not as static.
    const double a = (h & 0xffff) / 65535.0;
    const double b = (h >> 16) / 65535.0;
    return a + b - 1.0;
}

QImage newImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void save(const QImage& image, const QString& relativePath) {
    const QString path = gOutput + QLatin1Char('/') + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    std::printf("%s (%dx%d)\n", qPrintable(relativePath), image.width(), image.height());
}

// Adds grain of `amplitude` grey levels to every opaque pixel; the pattern repeats every
// `period` rows so that tall strips still compress well.
void addGrain(QImage& image, double amplitude, std::uint32_t seed, int period = 64) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            if (qAlpha(pixel) != 255) {
                continue;
            }
            const int delta =
                static_cast<int>(std::lround(grain(x % 64, y % period, seed) * amplitude));
            line[x] = qRgb(std::clamp(qRed(pixel) + delta, 0, 255),
                           std::clamp(qGreen(pixel) + delta, 0, 255),
                           std::clamp(qBlue(pixel) + delta, 0, 255));
        }
    }
}

// A seamless dark tile for areas filled with a repeated pattern.
QImage patternTile(const QColor& base, double amplitude, std::uint32_t seed) {
    QImage tile(64, 64, QImage::Format_ARGB32_Premultiplied);
    tile.fill(base);
    addGrain(tile, amplitude, seed);
    return tile;
}

// A tool bar strip, tiled along the top edge of its bar: a soft vertical gradient, a faint
// highlight on its top row and a dark separator on its bottom row.
QImage toolbarStrip(const QColor& top, const QColor& bottom, std::uint32_t seed) {
    const int width = 64;
    const int height = 36;
    QImage strip(width, height, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&strip);
        QLinearGradient fill(0, 0, 0, height);
        fill.setColorAt(0.0, top);
        fill.setColorAt(1.0, bottom);
        painter.fillRect(strip.rect(), fill);
        painter.fillRect(QRect(0, 0, width, 1), QColor(255, 255, 255, 20));
        painter.fillRect(QRect(0, height - 1, width, 1), kSeparator);
    }
    addGrain(strip, 1.2, seed);
    return strip;
}

// A background laid out as a row along the top edge of its area: tall enough to cover the
// area, lighter under the tool bar and settling to a flat tone further down.
QImage areaStrip(const QColor& top, const QColor& settled, std::uint32_t seed) {
    const int width = 64;
    const int height = 1440;
    QImage strip(width, height, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&strip);
        QLinearGradient fill(0, 0, 0, 320);
        fill.setColorAt(0.0, top);
        fill.setColorAt(1.0, settled);
        painter.fillRect(strip.rect(), fill);
        // A faint inner shadow under the bar above.
        QLinearGradient shade(0, 0, 0, 6);
        shade.setColorAt(0.0, QColor(0, 0, 0, 70));
        shade.setColorAt(1.0, QColor(0, 0, 0, 0));
        painter.fillRect(QRect(0, 0, width, 6), shade);
    }
    addGrain(strip, 1.6, seed);
    return strip;
}

QPainterPath roundedRect(const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// A push button body, 150 x 36: one pixel of drop shadow below a rounded, gradient-filled
// body with a thin darker border and, when not pressed, a light inner edge along its top.
QImage buttonBody(const QColor& top, const QColor& bottom, const QColor& border, bool pressed) {
    QImage image = newImage(150, 36);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body(0.5, 0.5, 149.0, 34.0);
    painter.fillPath(roundedRect(body.translated(0, 1), 6.0), QColor(0, 0, 0, 90));
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0.0, top);
    fill.setColorAt(1.0, bottom);
    painter.fillPath(roundedRect(body, 6.0), fill);
    if (pressed) {
        QLinearGradient inset(body.topLeft(), body.topLeft() + QPointF(0, 8));
        inset.setColorAt(0.0, QColor(0, 0, 0, 70));
        inset.setColorAt(1.0, QColor(0, 0, 0, 0));
        painter.fillPath(roundedRect(body, 6.0), inset);
    } else {
        painter.setPen(QPen(QColor(255, 255, 255, 60), 1.0));
        painter.drawLine(QPointF(6.5, 1.5), QPointF(143.5, 1.5));
    }
    painter.setPen(QPen(border, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedRect(body, 6.0));
    return image;
}

// A tab of the action panel, 120 x 56. Tabs sit side by side, so each carries a separator on
// its right edge. The active tab is lighter, glows faintly and has an amber bar at its foot.
QImage actionItem(bool active) {
    const int width = 120;
    const int height = 56;
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, height);
    fill.setColorAt(0.0, active ? QColor(0x3a, 0x3c, 0x40) : QColor(0x2c, 0x2e, 0x31));
    fill.setColorAt(1.0, active ? QColor(0x2f, 0x31, 0x35) : QColor(0x24, 0x25, 0x28));
    painter.fillRect(image.rect(), fill);
    if (active) {
        QRadialGradient glow(QPointF(width / 2.0, height), width * 0.62);
        glow.setColorAt(0.0, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 30));
        glow.setColorAt(1.0, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 0));
        painter.fillRect(image.rect(), glow);
        painter.fillRect(QRect(0, height - 3, width, 3), kAccent);
        painter.fillRect(QRect(0, height - 3, width, 1), kAccentTop);
    } else {
        painter.fillRect(QRect(0, height - 1, width, 1), kSeparator);
    }
    painter.fillRect(QRect(0, 0, width, 1), QColor(255, 255, 255, active ? 26 : 14));
    painter.fillRect(QRect(0, 1, 1, height - 1), QColor(255, 255, 255, 10));
    painter.fillRect(QRect(width - 1, 0, 1, height), kSeparator);
    return image;
}

// The drop-down arrow of combo boxes, 9 x 6: a soft chevron in light grey.
QImage comboArrow() {
    QImage image = newImage(9, 6);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xc4, 0xc2, 0xbe), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(1.0, 1.5), QPointF(4.5, 4.8), QPointF(8.0, 1.5)}));
    return image;
}

// The checked state of check boxes, 16 x 16: an amber square with a dark tick.
QImage checkboxChecked() {
    QImage image = newImage(16, 16);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, 16);
    fill.setColorAt(0.0, kAccentTop);
    fill.setColorAt(1.0, kAccentDeep);
    painter.setPen(QPen(kAccentDeep.darker(150), 1.0));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    painter.setPen(QPen(kInk, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(4.0, 8.3), QPointF(6.8, 11.0), QPointF(12.0, 5.0)}));
    return image;
}

// A soft shadow under a shape, made of a few widening translucent copies of it.
void softShadow(QPainter& painter, const QRectF& rect, double radius, double spread, int alpha) {
    const int steps = 8;
    for (int i = steps; i >= 1; --i) {
        const double grow = spread * i / steps;
        const int a = alpha / steps;
        painter.fillPath(
            roundedRect(rect.adjusted(-grow, -grow + spread * 0.4, grow, grow + spread * 0.4),
                        radius + grow),
            QColor(0, 0, 0, a));
    }
}

// A small landscape, the emblem of a photograph: sky, a sun and two ridges.
void paintLandscape(QPainter& painter, const QRectF& area) {
    painter.save();
    painter.setClipRect(area);
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0.0, QColor(0x5e, 0x73, 0x80));
    sky.setColorAt(1.0, QColor(0xa9, 0xb4, 0xb6));
    painter.fillRect(area, sky);
    const double w = area.width();
    const double h = area.height();
    const QPointF sun(area.left() + w * 0.70, area.top() + h * 0.32);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    painter.drawEllipse(sun, h * 0.13, h * 0.13);

    QPainterPath far;
    far.moveTo(area.left(), area.top() + h * 0.78);
    far.lineTo(area.left() + w * 0.30, area.top() + h * 0.42);
    far.lineTo(area.left() + w * 0.52, area.top() + h * 0.66);
    far.lineTo(area.left() + w * 0.68, area.top() + h * 0.52);
    far.lineTo(area.right(), area.top() + h * 0.80);
    far.lineTo(area.right(), area.bottom());
    far.lineTo(area.left(), area.bottom());
    far.closeSubpath();
    painter.fillPath(far, QColor(0x47, 0x56, 0x5f));

    QPainterPath near;
    near.moveTo(area.left(), area.top() + h * 0.92);
    near.lineTo(area.left() + w * 0.45, area.top() + h * 0.66);
    near.lineTo(area.left() + w * 0.78, area.top() + h * 0.88);
    near.lineTo(area.right(), area.top() + h * 0.80);
    near.lineTo(area.right(), area.bottom());
    near.lineTo(area.left(), area.bottom());
    near.closeSubpath();
    painter.fillPath(near, QColor(0x2b, 0x34, 0x3a));
    painter.restore();
}

// A photo print: a light border around a picture, turned by `angle` degrees about `centre`.
void paintPrint(QPainter& painter, const QPointF& centre, const QSizeF& size, double angle,
                double border, bool withLandscape, const QColor& paper) {
    painter.save();
    painter.translate(centre);
    painter.rotate(angle);
    const QRectF card(-size.width() / 2, -size.height() / 2, size.width(), size.height());
    const double radius = size.width() * 0.025;
    softShadow(painter, card, radius, size.width() * 0.05, 120);
    painter.fillPath(roundedRect(card, radius), paper);
    const QRectF picture = card.adjusted(border, border, -border, -border);
    if (withLandscape) {
        paintLandscape(painter, picture);
    } else {
        QLinearGradient fill(picture.topLeft(), picture.bottomRight());
        fill.setColorAt(0.0, QColor(0x6c, 0x72, 0x78));
        fill.setColorAt(1.0, QColor(0x4a, 0x4f, 0x55));
        painter.fillRect(picture, fill);
    }
    painter.restore();
}

// Three prints fanned out, the front one showing a landscape.
void paintPrintStack(QPainter& painter, const QPointF& centre, double cardWidth) {
    const QSizeF size(cardWidth, cardWidth * 0.76);
    const double border = cardWidth * 0.055;
    paintPrint(painter, centre + QPointF(-cardWidth * 0.10, 0), size, -11.0, border, false,
               QColor(0xc9, 0xc7, 0xc2));
    paintPrint(painter, centre + QPointF(cardWidth * 0.10, -cardWidth * 0.02), size, 8.0, border,
               false, QColor(0xd9, 0xd7, 0xd2));
    paintPrint(painter, centre + QPointF(0, cardWidth * 0.03), size, -2.0, border, true,
               QColor(0xf1, 0xef, 0xea));
}

// A round amber badge with a downward arrow: "put it here".
void paintDropBadge(QPainter& painter, const QPointF& centre, double radius) {
    painter.save();
    painter.setPen(Qt::NoPen);
    for (int i = 6; i >= 1; --i) {
        painter.setBrush(QColor(0, 0, 0, 14));
        painter.drawEllipse(centre + QPointF(0, radius * 0.08), radius + i, radius + i);
    }
    QLinearGradient fill(centre - QPointF(0, radius), centre + QPointF(0, radius));
    fill.setColorAt(0.0, kAccentTop);
    fill.setColorAt(1.0, kAccentDeep);
    painter.setBrush(fill);
    painter.drawEllipse(centre, radius, radius);

    const double s = radius / 22.0;
    QPainterPath arrow;
    arrow.moveTo(centre + QPointF(-3.2 * s, -11 * s));
    arrow.lineTo(centre + QPointF(3.2 * s, -11 * s));
    arrow.lineTo(centre + QPointF(3.2 * s, 1 * s));
    arrow.lineTo(centre + QPointF(9 * s, 1 * s));
    arrow.lineTo(centre + QPointF(0, 11 * s));
    arrow.lineTo(centre + QPointF(-9 * s, 1 * s));
    arrow.lineTo(centre + QPointF(-3.2 * s, 1 * s));
    arrow.closeSubpath();
    painter.setBrush(kInk);
    painter.drawPath(arrow);
    painter.restore();
}

QFont uiFont(double pixelSize, int weight) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(static_cast<int>(pixelSize));
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// The invitation shown in the empty preview.
QImage launchPicture() {
    const int width = 420;
    const int height = 280;
    QImage image = newImage(width, height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QPen dash(QColor(0x4a, 0x4d, 0x52), 1.5, Qt::DashLine, Qt::RoundCap);
    dash.setDashPattern({5.0, 4.0});
    painter.setPen(dash);
    painter.setBrush(QColor(255, 255, 255, 6));
    painter.drawRoundedRect(QRectF(4.5, 4.5, width - 9.0, height - 9.0), 18.0, 18.0);

    paintPrintStack(painter, QPointF(width / 2.0, 108.0), 150.0);
    paintDropBadge(painter, QPointF(width / 2.0 + 74.0, 152.0), 22.0);

    painter.setPen(QColor(0xe2, 0xe0, 0xdc));
    painter.setFont(uiFont(21, QFont::DemiBold));
    painter.drawText(QRectF(0, 200, width, 30), Qt::AlignCenter,
                     QStringLiteral("Drop photos here"));
    painter.setPen(QColor(0x8e, 0x91, 0x96));
    painter.setFont(uiFont(12.5, QFont::Normal));
    painter.drawText(QRectF(0, 232, width, 20), Qt::AlignCenter,
                     QStringLiteral("JPEG, PNG or TIFF \u2014 single files or whole folders"));
    return image;
}

// The folder icon of the export destination: a graphite folder carrying the photo emblem.
QImage folderIcon() {
    QImage image = newImage(256, 256);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QPainterPath back;
    back.moveTo(24, 58);
    back.quadTo(24, 44, 38, 44);
    back.lineTo(96, 44);
    back.quadTo(104, 44, 110, 52);
    back.lineTo(118, 62);
    back.lineTo(218, 62);
    back.quadTo(232, 62, 232, 76);
    back.lineTo(232, 200);
    back.lineTo(24, 200);
    back.closeSubpath();
    softShadow(painter, QRectF(24, 62, 208, 160), 10, 8, 110);
    QLinearGradient backFill(0, 44, 0, 200);
    backFill.setColorAt(0.0, QColor(0x4b, 0x4e, 0x54));
    backFill.setColorAt(1.0, QColor(0x2f, 0x31, 0x35));
    painter.fillPath(back, backFill);

    // A sheet of paper peeking out.
    painter.fillPath(roundedRect(QRectF(40, 70, 176, 60), 4), QColor(0xe6, 0xe4, 0xdf));

    const QRectF front(20, 86, 216, 136);
    QLinearGradient frontFill(front.topLeft(), front.bottomLeft());
    frontFill.setColorAt(0.0, QColor(0x5a, 0x5e, 0x64));
    frontFill.setColorAt(1.0, QColor(0x3a, 0x3d, 0x42));
    painter.fillPath(roundedRect(front, 12), frontFill);
    painter.setPen(QPen(QColor(255, 255, 255, 40), 1.0));
    painter.drawLine(QPointF(32, 86.5), QPointF(224, 86.5));
    painter.setPen(QPen(QColor(0, 0, 0, 90), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedRect(front.adjusted(0.5, 0.5, -0.5, -0.5), 12));

    // The emblem, pressed into the front: a framed landscape in amber.
    const QRectF emblem(98, 124, 60, 46);
    painter.setPen(QPen(QColor(0, 0, 0, 80), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawRoundedRect(emblem.translated(0, -1), 5, 5);
    painter.setPen(QPen(kAccent, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawRoundedRect(emblem, 5, 5);
    QPainterPath ridge;
    ridge.moveTo(emblem.left() + 6, emblem.bottom() - 8);
    ridge.lineTo(emblem.left() + 22, emblem.top() + 22);
    ridge.lineTo(emblem.left() + 34, emblem.bottom() - 16);
    ridge.lineTo(emblem.left() + 42, emblem.top() + 28);
    ridge.lineTo(emblem.right() - 6, emblem.bottom() - 8);
    painter.drawPath(ridge);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    painter.drawEllipse(QPointF(emblem.right() - 14, emblem.top() + 13), 5, 5);
    return image;
}

// Geometry of the application icon, shared by the bitmap and the scalable version.
struct IconCard {
    double cx, cy, angle;
    const char* paper;
    bool landscape;
};
const IconCard kIconCards[] = {
    {112, 132, -12.0, "#c9c7c2", false},
    {144, 124, 9.0, "#d9d7d2", false},
    {128, 138, -2.0, "#f1efea", true},
};
const double kIconCardWidth = 136;
const double kIconCardHeight = 104;
const double kIconCardBorder = 8;

QImage appIcon() {
    QImage image = newImage(256, 256);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(16, 16, 224, 224);
    softShadow(painter, tile, 50, 6, 100);
    QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
    fill.setColorAt(0.0, QColor(0x36, 0x38, 0x3d));
    fill.setColorAt(1.0, QColor(0x17, 0x18, 0x1b));
    painter.fillPath(roundedRect(tile, 50), fill);
    painter.setPen(QPen(QColor(255, 255, 255, 30), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedRect(tile.adjusted(0.5, 0.5, -0.5, -0.5), 49.5));

    for (const IconCard& card : kIconCards) {
        paintPrint(painter, QPointF(card.cx, card.cy), QSizeF(kIconCardWidth, kIconCardHeight),
                   card.angle, kIconCardBorder, card.landscape, QColor(card.paper));
    }
    // The amber bar under the stack: the accent that marks the application.
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    painter.drawRoundedRect(QRectF(84, 204, 88, 8), 4, 4);
    return image;
}

// The scalable icon follows the bitmap's geometry; shadows are left out.
QString appIconSvg() {
    QString svg;
    QTextStream out(&svg);
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
           "viewBox=\"0 0 256 256\">\n"
        << "  <defs>\n"
        << "    <linearGradient id=\"tile\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
        << "      <stop offset=\"0\" stop-color=\"#36383d\"/>\n"
        << "      <stop offset=\"1\" stop-color=\"#17181b\"/>\n"
        << "    </linearGradient>\n"
        << "    <linearGradient id=\"sky\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
        << "      <stop offset=\"0\" stop-color=\"#5e7380\"/>\n"
        << "      <stop offset=\"1\" stop-color=\"#a9b4b6\"/>\n"
        << "    </linearGradient>\n"
        << "    <linearGradient id=\"print\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\">\n"
        << "      <stop offset=\"0\" stop-color=\"#6c7278\"/>\n"
        << "      <stop offset=\"1\" stop-color=\"#4a4f55\"/>\n"
        << "    </linearGradient>\n"
        << "  </defs>\n"
        << "  <rect x=\"16\" y=\"16\" width=\"224\" height=\"224\" rx=\"50\" "
           "fill=\"url(#tile)\"/>\n"
        << "  <rect x=\"16.5\" y=\"16.5\" width=\"223\" height=\"223\" rx=\"49.5\" "
           "fill=\"none\" stroke=\"#ffffff\" stroke-opacity=\"0.12\"/>\n";
    const double w = kIconCardWidth;
    const double h = kIconCardHeight;
    const double b = kIconCardBorder;
    const double pw = w - 2 * b;
    const double ph = h - 2 * b;
    for (const IconCard& card : kIconCards) {
        out << "  <g transform=\"translate(" << card.cx << ' ' << card.cy << ") rotate("
            << card.angle << ")\">\n"
            << "    <rect x=\"" << -w / 2 << "\" y=\"" << -h / 2 << "\" width=\"" << w
            << "\" height=\"" << h << "\" rx=\"" << w * 0.025 << "\" fill=\"" << card.paper
            << "\"/>\n";
        const double x0 = -w / 2 + b;
        const double y0 = -h / 2 + b;
        if (!card.landscape) {
            out << "    <rect x=\"" << x0 << "\" y=\"" << y0 << "\" width=\"" << pw
                << "\" height=\"" << ph << "\" fill=\"url(#print)\"/>\n";
        } else {
            auto px = [&](double f) {
                return x0 + pw * f;
            };
            auto py = [&](double f) {
                return y0 + ph * f;
            };
            out << "    <rect x=\"" << x0 << "\" y=\"" << y0 << "\" width=\"" << pw
                << "\" height=\"" << ph << "\" fill=\"url(#sky)\"/>\n"
                << "    <circle cx=\"" << px(0.70) << "\" cy=\"" << py(0.32) << "\" r=\""
                << ph * 0.13 << "\" fill=\"" << kAccent.name() << "\"/>\n"
                << "    <polygon fill=\"#47565f\" points=\"" << px(0) << ',' << py(0.78) << ' '
                << px(0.30) << ',' << py(0.42) << ' ' << px(0.52) << ',' << py(0.66) << ' '
                << px(0.68) << ',' << py(0.52) << ' ' << px(1) << ',' << py(0.80) << ' ' << px(1)
                << ',' << py(1) << ' ' << px(0) << ',' << py(1) << "\"/>\n"
                << "    <polygon fill=\"#2b343a\" points=\"" << px(0) << ',' << py(0.92) << ' '
                << px(0.45) << ',' << py(0.66) << ' ' << px(0.78) << ',' << py(0.88) << ' ' << px(1)
                << ',' << py(0.80) << ' ' << px(1) << ',' << py(1) << ' ' << px(0) << ',' << py(1)
                << "\"/>\n";
        }
        out << "  </g>\n";
    }
    out << "  <rect x=\"84\" y=\"204\" width=\"88\" height=\"8\" rx=\"4\" fill=\"" << kAccent.name()
        << "\"/>\n"
        << "</svg>\n";
    return svg;
}

void saveText(const QString& text, const QString& relativePath) {
    QFile file(gOutput + QLatin1Char('/') + relativePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        std::exit(1);
    }
    file.write(text.toUtf8());
    std::printf("%s\n", qPrintable(relativePath));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render-skin RESOURCES_DIR\n");
        return 2;
    }
    gOutput = QString::fromLocal8Bit(argv[1]);

    save(patternTile(QColor(0x1d, 0x1e, 0x20), 2.4, 1), "pictures/launch-background.png");
    save(patternTile(QColor(0x19, 0x19, 0x19), 1.6, 2), "pictures/bg-preview.png");

    save(toolbarStrip(QColor(0x2c, 0x2e, 0x31), QColor(0x23, 0x24, 0x27), 3),
         "pictures/toolbar-preview.png");
    save(toolbarStrip(QColor(0x33, 0x35, 0x39), QColor(0x28, 0x2a, 0x2d), 4),
         "pictures/toolbar-file-area.png");
    save(toolbarStrip(QColor(0x33, 0x35, 0x39), QColor(0x28, 0x2a, 0x2d), 5),
         "pictures/toolbar-actions.png");
    save(areaStrip(QColor(0x23, 0x24, 0x27), QColor(0x1c, 0x1d, 0x1f), 6),
         "pictures/bg-file-area.png");
    save(areaStrip(QColor(0x29, 0x2a, 0x2e), QColor(0x22, 0x23, 0x26), 7),
         "pictures/bg-actions.png");

    save(buttonBody(QColor(0xe8, 0xa0, 0x3a), QColor(0xc6, 0x7d, 0x20), QColor(0x6e, 0x45, 0x10),
                    false),
         "pictures/button-go-normal.png");
    save(buttonBody(QColor(0xc0, 0x7a, 0x20), QColor(0xb0, 0x6d, 0x1a), QColor(0x5e, 0x3a, 0x0c),
                    true),
         "pictures/button-go-highlighted.png");
    save(buttonBody(QColor(0x4b, 0x4e, 0x53), QColor(0x3a, 0x3c, 0x41), QColor(0x12, 0x13, 0x15),
                    false),
         "pictures/button-open-normal.png");
    save(buttonBody(QColor(0x33, 0x35, 0x39), QColor(0x2e, 0x30, 0x34), QColor(0x12, 0x13, 0x15),
                    true),
         "pictures/button-open-highlighted.png");

    save(actionItem(false), "pictures/action-item.png");
    save(actionItem(true), "pictures/action-item-activated.png");

    save(comboArrow(), "pictures/combo-arrow.png");
    save(checkboxChecked(), "pictures/checkbox-checked.png");
    save(launchPicture(), "pictures/launch.png");
    save(folderIcon(), "pictures/Vantrel Folder.png");
    save(appIcon(), "icons/vantrel.png");
    saveText(appIconSvg(), "icons/vantrel.svg");
    return 0;
}
