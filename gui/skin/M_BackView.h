#pragma once

#include <QColor>
#include <QWidget>

namespace vantrel {

// A plain panel filled with one nearly opaque grey.
class M_BackView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor fillColor READ fillColor WRITE setFillColor)

public:
    explicit M_BackView(QWidget* parent = nullptr);

    QColor fillColor() const { return mFillColor; }
    void setFillColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor mFillColor;
};

} // namespace vantrel
