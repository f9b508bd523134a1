#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPushButton>
#include <optional>

namespace vantrel {

// A push button drawn from pictures, with its title centred over the picture. The picture is
// stretched by its edges (the middle grows, the corners keep their shape), so one picture
// serves buttons of any size. The alternate picture is shown while the button is held down.
class ImageButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QPixmap image READ image WRITE setImage)
    Q_PROPERTY(QPixmap alternateImage READ alternateImage WRITE setAlternateImage)

public:
    // How the title sits on its background: plain on a light or a dark one, raised above the
    // surface (a soft shadow under it) or engraved into it (a shadow above, a highlight below).
    enum BackgroundStyle { Light = 0, Dark = 1, Raised = 2, Lowered = 3 };
    Q_ENUM(BackgroundStyle)

    explicit ImageButton(QWidget* parent = nullptr);
    explicit ImageButton(const QString& text, QWidget* parent = nullptr);

    QPixmap image() const { return mImage; }
    void setImage(const QPixmap& image);

    QPixmap alternateImage() const { return mAlternateImage; }
    void setAlternateImage(const QPixmap& image);

    BackgroundStyle backgroundStyle() const { return mBackgroundStyle; }
    void setBackgroundStyle(BackgroundStyle style);

    // Sets the title and draws it in `color` and `font` (the button's own font when null).
    // As in every Qt button, "&" marks a mnemonic; "&&" shows an ampersand.
    void setAttributedTitle(const QString& text, const QColor& color, const QFont* font);
    // The colour the title is drawn in: the one given with the title, otherwise dark ink on a
    // light picture and the palette's button text elsewhere.
    QColor titleColor() const;
    // The font the title is drawn in.
    QFont titleFont() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void paintBackground(QPainter& painter) const;
    void paintTitle(QPainter& painter) const;
    void paintFocusRing(QPainter& painter) const;

    QPixmap mImage;
    QPixmap mAlternateImage;
    BackgroundStyle mBackgroundStyle = Light;
    std::optional<QColor> mTitleColor;
    std::optional<QFont> mTitleFont;
    bool mKeyboardFocus = false;
    bool mImageIsLight = false;
};

} // namespace vantrel
