#pragma once

#include <QCheckBox>

namespace vantrel {

// A check box whose label is white, for the dark panels.
class M_Checkbox : public QCheckBox {
    Q_OBJECT

public:
    explicit M_Checkbox(QWidget* parent = nullptr);
    explicit M_Checkbox(const QString& text, QWidget* parent = nullptr);
};

} // namespace vantrel
