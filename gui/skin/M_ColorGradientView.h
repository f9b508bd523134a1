#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace vantrel {

// A panel painted with, in order of preference: a picture stretched over it, one colour (when
// the two colours are equal or the ending colour is unset), or a linear gradient between the
// two colours across the whole view at an angle (0 = left to right, 90 = bottom to top,
// 270 = top to bottom).
class M_ColorGradientView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor mStartingColor READ mStartingColor WRITE setMStartingColor)
    Q_PROPERTY(QColor mEndingColor READ mEndingColor WRITE setMEndingColor)
    Q_PROPERTY(QPixmap mMainBackground READ mMainBackground WRITE setMMainBackground)
    Q_PROPERTY(int mAngle READ mAngle WRITE setMAngle)

public:
    explicit M_ColorGradientView(QWidget* parent = nullptr);

    QColor mStartingColor() const { return mStart; }
    void setMStartingColor(const QColor& color);

    QColor mEndingColor() const { return mEnd; }
    void setMEndingColor(const QColor& color);

    QPixmap mMainBackground() const { return mBackground; }
    void setMMainBackground(const QPixmap& picture);

    int mAngle() const { return mAngleDegrees; }
    void setMAngle(int degrees);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor mStart;
    QColor mEnd;
    QPixmap mBackground;
    int mAngleDegrees = 270;
};

} // namespace vantrel
