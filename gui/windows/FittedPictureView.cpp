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

void FittedPictureView::setPicture(Picture picture) {
    mPicture = std::move(picture);
    mImage = QImage();
    mMessage.clear();
    mRenderedBox = QSize();
    renderAtShownSize();
    update();
}

void FittedPictureView::clear() {
    ++*mGeneration;
    mPicture = Picture();
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
    if (mPicture.isNull()) {
        mRendering = false;
        mMessage = tr("The photo cannot be read.");
        update();
        return;
    }
    if (box.isEmpty()) {
        mRendering = false;
        return;
    }
    mRendering = true;
    mRenderedBox = box;
    auto latest = mGeneration;
    QPointer<FittedPictureView> view = this;
    const Picture picture = mPicture;
    const double scale = devicePixelRatioF();
    QThreadPool::globalInstance()->start([picture, box, scale, generation, latest, view] {
        if (latest->load() != generation)
            return;
        QString why;
        const std::optional<Bitmap> bitmap = renderToFit(picture, box.width(), box.height(), &why);
        QImage image = bitmap ? screenImageFromBitmap(*bitmap) : QImage();
        image.setDevicePixelRatio(scale);
        QMetaObject::invokeMethod(view, [image, why, generation, latest, view] {
            if (view && latest->load() == generation)
                view->rendered(image, why);
        });
    });
}

void FittedPictureView::rendered(const QImage& image, const QString& message) {
    mRendering = false;
    mImage = image;
    mMessage = image.isNull() ? message : QString();
    update();
}

void FittedPictureView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (mPicture.isNull())
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
