#include "gui/skin/M_Box.h"

#include "gui/skin/SkinGeometry.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace vantrel {

namespace {

// Room between the panel's border and the box's content. The top inset clears the title band
// (the panel starts 14 below the top edge).
const QMargins kContentMargins(8, 20, 8, 8);

} // namespace

M_Box::M_Box(QWidget* parent) : M_Box(QString(), parent) {}

M_Box::M_Box(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);
    keepContentInsidePanel();
}

// QGroupBox recomputes its margins from the platform style whenever its title, font or style
// changes; the panel here has fixed proportions, so those margins are put back each time.
bool M_Box::event(QEvent* event) {
    const bool handled = QGroupBox::event(event);
    switch (event->type()) {
    case QEvent::ContentsRectChange:
    case QEvent::StyleChange:
    case QEvent::FontChange:
    case QEvent::Polish:
        keepContentInsidePanel();
        break;
    default:
        break;
    }
    return handled;
}

void M_Box::keepContentInsidePanel() {
    if (contentsMargins() != kContentMargins) {
        setContentsMargins(kContentMargins);
    }
}

void M_Box::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());

    // The title goes first: the top of the panel overlaps the lower edge of its frame.
    const QRectF titleFrame = skin::flippedRect(skin::boxTitleFrame(bounds), bounds.height());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    painter.drawText(titleFrame, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title());

    const QRectF panel = skin::flippedRect(skin::boxPanelRect(bounds), bounds.height());
    QPainterPath path;
    // Half a pixel in, so the one-pixel border falls on whole pixels instead of smearing.
    path.addRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), skin::kBoxPanelCornerRadius,
                        skin::kBoxPanelCornerRadius);
    painter.fillPath(path, QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.1f));
    painter.setPen(QPen(QColor::fromRgbF(0.5f, 0.5f, 0.5f, 1.0f), 1.0));
    painter.drawPath(path);
}

} // namespace vantrel
