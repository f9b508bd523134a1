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

    void setImage(const QImage& image);
    const QImage& image() const { return mImage; }
    // The picture's size in photo pixels (what zoom 1 shows).
    QSize imageSize() const;
    void showPlaceholder();
    bool isShowingPlaceholder() const { return mShowsPlaceholder; }
    // Not owned; without a target, drops are refused.
    void setDropTarget(FileDropTarget* target) { mDropTarget = target; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    FileDropTarget* mDropTarget = nullptr;
    QImage mImage;
    bool mShowsPlaceholder = true;
    float mZoomFactor = 1.0f;
};

} // namespace vantrel
