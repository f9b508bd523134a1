#include "gui/windows/FittedPictureView.h"

#include "core/imaging/FittedRender.h"
#include "gui/preview/ScreenImage.h"

#include <QPainter>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

namespace vantrel {

FittedPictureView::FittedPictureView(QWidget* parent) : QWidget(parent) {
    mResizeTimer = new QTimer(this);
    mResizeTimer->setSingleShot(true);
    mResizeTimer->setInterval(120);
    connect(mResizeTimer, &QTimer::timeout, this, [this] { renderAtShownSize(); });
}

FittedPictureView::~FittedPictureView() {
    ++*mGeneration;
}

void FittedPictureView::setPicture(std::function<Picture()> make) {
    clear();
    mMake = std::move(make);
    renderAtShownSize();
}

void FittedPictureView::clear() {
    ++*mGeneration;
    mMake = nullptr;
    mPicture.reset();
    mImage = QImage();
    mMessage.clear();
    mRenderedBox = QSize();
    mRendering = false;
    mResizeTimer->stop();
    update();
}

QSize FittedPictureView::shownBox() const {
    const double scale = devicePixelRatioF();
    return QSize(static_cast<int>(width() * scale), static_cast<int>(height() * scale));
}

void FittedPictureView::renderAtShownSize() {
    const unsigned generation = ++*mGeneration;
    const QSize box = shownBox();
    if (!hasPicture() || box.isEmpty()) {
        // Without a size yet, the first resize asks again.
        mRendering = false;
        return;
    }
    mRendering = true;
    mRenderedBox = box;
    auto latest = mGeneration;
    QPointer<FittedPictureView> view = this;
    std::function<Picture()> make = mPicture ? std::function<Picture()>() : mMake;
    const Picture made = mPicture.value_or(Picture());
    const double scale = devicePixelRatioF();
    QThreadPool::globalInstance()->start([make, made, box, scale, generation, latest, view] {
        if (latest->load() != generation)
            return;
        const Picture picture = make ? make() : made;
        QString why;
        const std::optional<Bitmap> bitmap = renderToFit(
            picture, box.width(), box.height(),
            [latest, generation] { return latest->load() == generation; }, &why);
        QImage image = bitmap ? screenImageFromBitmap(*bitmap) : QImage();
        image.setDevicePixelRatio(scale);
        QMetaObject::invokeMethod(view, [picture, image, why, generation, latest, view] {
            if (view && latest->load() == generation)
                view->rendered(picture, image, why);
        });
    });
}

void FittedPictureView::rendered(const Picture& picture, const QImage& image,
                                 const QString& message) {
    mRendering = false;
    mPicture = picture;
    mMake = nullptr;
    mImage = image;
    mMessage = image.isNull() ? message : QString();
    update();
}

void FittedPictureView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!hasPicture())
        return;
    // Shrinking draws the pixels already made smaller; only a larger box needs more of them.
    const QSize box = shownBox();
    if (box.width() > mRenderedBox.width() || box.height() > mRenderedBox.height())
        mResizeTimer->start();
}

void FittedPictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!mImage.isNull()) {
        const QSizeF natural = mImage.deviceIndependentSize();
        QSizeF shown = natural;
        if (shown.width() > width() || shown.height() > height())
            shown = natural.scaled(QSizeF(size()), Qt::KeepAspectRatio);
        const QRectF target(
            QPointF((width() - shown.width()) / 2.0, (height() - shown.height()) / 2.0), shown);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, mImage);
        painter.setPen(QColor(0, 0, 0, 120));
        painter.drawRect(target.adjusted(-0.5, -0.5, 0.5, 0.5));
        return;
    }
    if (!mMessage.isEmpty()) {
        painter.setPen(QColor(0xd4, 0xd2, 0xcf));
        painter.drawText(rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
                         mMessage);
    }
}

} // namespace vantrel
