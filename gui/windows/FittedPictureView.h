#pragma once

#include "core/imaging/Picture.h"

#include <QImage>
#include <QString>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QTimer;

namespace vantrel {

// Shows a picture whole, as large as the view allows but never larger than the photo. The
// picture is made and its pixels rendered on a worker, at the size shown, and rendered again
// when the view grows; meanwhile the view keeps drawing what it has. A picture that cannot
// be shown leaves a short message.
class FittedPictureView : public QWidget {
    Q_OBJECT
public:
    explicit FittedPictureView(QWidget* parent = nullptr);
    ~FittedPictureView() override;

    // Shows the picture that `make` gives. It runs on a worker (it may read a file), once.
    void setPicture(std::function<Picture()> make);
    // Shows nothing; a render still under way is dropped.
    void clear();

    // What the view draws, and why there is nothing when there is nothing.
    const QImage& image() const { return mImage; }
    const QString& message() const { return mMessage; }
    bool isRendering() const { return mRendering; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void renderAtShownSize();
    void rendered(const Picture& picture, const QImage& image, const QString& message);
    bool hasPicture() const { return mMake || mPicture; }
    QSize shownBox() const;

    std::function<Picture()> mMake;  // until the picture is made
    std::optional<Picture> mPicture; // once it is made
    QImage mImage;
    QString mMessage;
    QSize mRenderedBox;
    bool mRendering = false;
    QTimer* mResizeTimer = nullptr; // child of the view
    // Counts requests so that a slow render never replaces a newer one.
    std::shared_ptr<std::atomic<unsigned>> mGeneration = std::make_shared<std::atomic<unsigned>>(0);
};

} // namespace vantrel
