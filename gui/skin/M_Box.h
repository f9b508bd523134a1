#pragma once

#include <QGroupBox>

namespace vantrel {

// A group box drawn as a translucent rounded panel with its white title just above it.
class M_Box : public QGroupBox {
    Q_OBJECT

public:
    explicit M_Box(QWidget* parent = nullptr);
    explicit M_Box(const QString& title, QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void keepContentInsidePanel();
};

} // namespace vantrel
