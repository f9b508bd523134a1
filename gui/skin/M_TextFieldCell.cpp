#include "gui/skin/M_TextFieldCell.h"

namespace vantrel {

M_TextFieldCell::M_TextFieldCell(QWidget* parent) : M_TextFieldCell(QString(), parent) {}

M_TextFieldCell::M_TextFieldCell(const QString& text, QWidget* parent) : QLabel(text, parent) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Text, Qt::white);
    setPalette(palette);
}

} // namespace vantrel
