#include "gui/skin/M_Window.h"

namespace vantrel {

namespace {

const QColor kWindowBase(0x1b, 0x1c, 0x1e);

} // namespace

M_Window::M_Window(QWidget* parent) : QMainWindow(parent) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kWindowBase);
    setPalette(palette);
    setAutoFillBackground(true);
}

void M_Window::setSeeThrough(bool seeThrough) {
    setAttribute(Qt::WA_TranslucentBackground, seeThrough);
    setAutoFillBackground(!seeThrough);
}

bool M_Window::isSeeThrough() const {
    return testAttribute(Qt::WA_TranslucentBackground);
}

} // namespace vantrel
