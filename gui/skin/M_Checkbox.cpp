#include "gui/skin/M_Checkbox.h"

namespace vantrel {

M_Checkbox::M_Checkbox(QWidget* parent) : M_Checkbox(QString(), parent) {}

M_Checkbox::M_Checkbox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::ButtonText, Qt::white);
    setPalette(palette);
}

} // namespace vantrel
