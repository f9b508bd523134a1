#include "gui/windows/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace vantrel {

void centreOver(QWidget* window, const QWidget* over) {
    const QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QPoint centre =
        over && over->isVisible() ? over->frameGeometry().center() : available.center();
    QRect frame(QPoint(), window->size());
    frame.moveCenter(centre);
    frame.moveLeft(std::clamp(frame.left(), available.left(),
                              std::max(available.left(), available.right() - frame.width())));
    frame.moveTop(std::clamp(frame.top(), available.top(),
                             std::max(available.top(), available.bottom() - frame.height())));
    window->move(frame.topLeft());
}

} // namespace vantrel
