#pragma once

#include <QPixmap>
#include <QWidget>

namespace vantrel {

// A background made of one picture: either a pattern repeated over the whole view (resizable
// areas such as the preview), or whole copies laid along the top edge as a row (tool bars),
// or down the left edge as a column. Without a picture it paints nothing, so what lies behind
// shows through.
class M_ViewWithBackgroundImage : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool isVertical READ isVertical WRITE setIsVertical)
    Q_PROPERTY(bool isResizable READ isResizable WRITE setIsResizable)

public:
    explicit M_ViewWithBackgroundImage(QWidget* parent = nullptr);

    QPixmap backgroundImage() const { return mBackgroundImage; }
    void setBackgroundImage(const QPixmap& image);

    bool isVertical() const { return mVertical; }
    void setIsVertical(bool vertical);

    bool isResizable() const { return mResizable; }
    void setIsResizable(bool resizable);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap mBackgroundImage;
    bool mVertical = false;
    bool mResizable = false;
};

} // namespace vantrel
