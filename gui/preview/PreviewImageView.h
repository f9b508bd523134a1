#pragma once

#include <QImage>
#include <QWidget>

namespace vantrel {

class FileDropTarget;

// The large picture area of the window: it draws its picture centred at its zoom factor
// (1 = one photo pixel per screen pixel), or the "launch.png" placeholder inviting the user
// to drop photos. File drops on it go to the same drop target as the browser's, so they add
// photos exactly like drops on the browser.
class PreviewImageView : public QWidget {
    Q_OBJECT
public:
    explicit PreviewImageView(QWidget* parent = nullptr);

    float zoomFactor() const { return mZoomFactor; }
    // Does not redraw by itself.
    void setZoomFactor(float zoomFactor) { mZoomFactor = zoomFactor; }

    // A picture of the whole photo; its device pixel ratio says how many of its pixels make
    // one photo pixel.
    void setImage(const QImage& image);
    // A picture of part of the photo: `where` places it on the photo, in photo pixels, and
    // `photoSize` is the whole photo's size.
    void setImagePart(const QImage& part, const QSizeF& photoSize, const QRectF& where);
    const QImage& image() const { return mImage; }
    // The picture's size in photo pixels (what zoom 1 shows).
    QSize imageSize() const;
    // Whether the picture covers everything the view shows at its zoom.
    bool coversVisibleArea() const;

    void showPlaceholder();
    bool isShowingPlaceholder() const { return mShowsPlaceholder; }
    // Not owned; without a target, drops are refused.
    void setDropTarget(FileDropTarget* target) { mDropTarget = target; }

Q_SIGNALS:
    // The view grew past the part of the photo that its picture holds.
    void visibleAreaUncovered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    FileDropTarget* mDropTarget = nullptr;
    QImage mImage;
    QSizeF mPhotoSize;
    QRectF mPart; // where mImage lies on the photo, in photo pixels
    bool mShowsPlaceholder = true;
    float mZoomFactor = 1.0f;
};

} // namespace vantrel
