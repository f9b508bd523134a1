#pragma once

#include <QLabel>

namespace vantrel {

// A text label drawn in white, for the dark panels.
class M_TextFieldCell : public QLabel {
    Q_OBJECT

public:
    explicit M_TextFieldCell(QWidget* parent = nullptr);
    explicit M_TextFieldCell(const QString& text, QWidget* parent = nullptr);
};

} // namespace vantrel
