#include "core/batch/AppData.h"
#include "core/batch/BrowserEdits.h"
#include "core/batch/SystemLog.h"
#include "core/imaging/Image.h"
#include "core/imaging/Picture.h"
#include "core/imaging/PreviewSource.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/browser/ThumbnailCache.h"
#include "gui/preview/PreviewImageView.h"
#include "gui/preview/ScreenImage.h"
#include "gui/window/VantrelController.h"
#include "ui_MainWindow.h"

#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace vantrel {
namespace {

// The slider works in whole percent.
float sliderZoom(const QSlider* slider) {
    return static_cast<float>(slider->value()) / 100.0f;
}

} // namespace

void VantrelController::reloadImageAfterApplyingEffects() {
    // Counted before anything else: a request that ends with nothing to render (no photo, an
    // unreadable one) must still void every render still under way for an older one.
    const unsigned generation = ++*mPreviewGeneration;
    presetControlsDidChange();
    Image* const photo = imageAtIndex(AppData::sharedData().currentImages(), mIndexOfSelectedImage);
    if (!photo)
        return;
    const double zoom = previewRenderZoom();
    const std::string path = photo->path();
    if (mIndexOfSelectedImage != mLastPreviewedIndex)
        mPreviewStep = mIndexOfSelectedImage < mLastPreviewedIndex ? -1 : 1;
    mLastPreviewedIndex = mIndexOfSelectedImage;
    if (mNeighbourSource && mNeighbourSource->serves(path, zoom) &&
        !(mPreviewSource && mPreviewSource->serves(path, zoom))) {
        // The photo decoded in advance; the one left becomes the neighbour to go back to.
        std::swap(mPreviewSource, mNeighbourSource);
    }
    if (mPreviewSource && mPreviewSource->serves(path, zoom)) {
        mFirstLookSource.reset();
        renderPreview(*photo, mPreviewSource, zoom, generation);
        return;
    }
    // Another photo or zoom: decode it once on a worker, then render from that copy. The old
    // copy goes now, so that at most two photos' pixels are held at a time.
    mPreviewSource.reset();
    // Until the exact copy is made, a first look shows the photo and every change made to it.
    if (mFirstLookSource && mFirstLookSource->serves(path, zoom))
        renderPreview(*photo, mFirstLookSource, zoom, generation);
    else
        mFirstLookSource.reset();
    // Its decoding is under way already (in advance, or for an earlier request): it shows
    // when that is done.
    if ((path == mNeighbourDecoding && zoom == mNeighbourDecodingZoom) ||
        (path == mSourceDecoding && zoom == mSourceDecodingZoom))
        return;
    decodePreviewSource(path, zoom, generation, !mFirstLookSource);
}

void VantrelController::decodePreviewSource(const std::string& path, double zoom,
                                            unsigned generation, bool withFirstLook) {
    mSourceDecoding = path;
    mSourceDecodingZoom = zoom;
    holdThumbnailsBack(true);
    auto latest = mPreviewGeneration;
    QPointer<VantrelController> controller = this;
    const unsigned choice = mDecodingChoice;
    QThreadPool::globalInstance()->start([path, zoom, generation, latest, controller, withFirstLook,
                                          choice] {
        const auto deliver = [&](std::shared_ptr<const PreviewSource> source, bool exact,
                                 bool skipped) {
            QMetaObject::invokeMethod(controller, [=] {
                if (controller && controller->mDecodingChoice == choice)
                    controller->previewSourceDecoded(source, path, zoom, exact, skipped);
            });
        };
        // The first look alone on the cores, handed over as soon as it is made; the exact copy
        // is decoded after it, beside the first look's render. Two decodes at once would each
        // take nearly as long as both in turn.
        if (withFirstLook && latest->load() == generation) {
            if (auto firstLook =
                    PreviewSource::decode(path, zoom, nullptr, PreviewSource::Detail::FirstLook))
                deliver(std::move(firstLook), false, false);
        }
        // Not when the user has moved on before a worker was free for it.
        const bool skipped = latest->load() != generation;
        deliver(skipped ? nullptr : PreviewSource::decode(path, zoom), true, skipped);
    });
}

void VantrelController::previewSourceDecoded(std::shared_ptr<const PreviewSource> source,
                                             const std::string& path, double zoom, bool exact,
                                             bool skipped) {
    if (exact && path == mSourceDecoding && zoom == mSourceDecodingZoom)
        mSourceDecoding.clear();
    Image* const photo = imageAtIndex(AppData::sharedData().currentImages(), mIndexOfSelectedImage);
    if (!photo || photo->path() != path || zoom != previewRenderZoom() ||
        (mPreviewSource && mPreviewSource->serves(path, zoom)))
        return;
    if (!exact) {
        if (source && !mFirstLookSource) {
            mFirstLookSource = std::move(source);
            renderPreview(*photo, mFirstLookSource, zoom, mPreviewGeneration->load());
        }
        return;
    }
    if (skipped) {
        reloadImageAfterApplyingEffects();
        return;
    }
    if (!source) {
        // What the pipeline says about the photo is still logged, as for a readable one.
        PipelineNotes notes;
        if (mUi->mEffectsOnOrOffSwitch->value() == 0)
            photo->imageWithEffects(&notes);
        systemLog(notes.logLines);
        mFirstLookSource.reset();
        mUi->mPreviewImage->setImage(QImage());
        holdThumbnailsBack(false);
        return;
    }
    mPreviewSource = std::move(source);
    mFirstLookSource.reset();
    renderPreview(*photo, mPreviewSource, zoom, mPreviewGeneration->load());
}

void VantrelController::renderPreview(Image& photo,
                                      const std::shared_ptr<const PreviewSource>& source,
                                      double zoom, unsigned generation) {
    // The export builds its pipelines on these same photos; the preview waits until it has
    // left them (the end of a run, or of a stop, renders the preview again).
    if (mExportPipelinesRunning.load())
        return;
    // Building the pictures only reads the effects; pixels come later, on a worker. The
    // header picture gives the true size, the decoded copy the pixels. The header's is
    // built last: the photo keeps the recipe it built last, and must not keep the copy's
    // pixels alive after another photo is selected.
    PipelineNotes notes;
    const bool withEffects = mUi->mEffectsOnOrOffSwitch->value() == 0;
    const Picture picture =
        withEffects ? photo.imageWithEffects(source->pixels()) : Picture(source->pixels());
    const Picture exact =
        withEffects ? photo.imageWithEffects(source->header(), &notes) : Picture(source->header());
    systemLog(notes.logLines);
    const QSizeF photoSize(exact.pixelWidth(), exact.pixelHeight());
    const std::optional<PixelRect> part = visiblePart(photoSize, zoom);
    auto latest = mPreviewGeneration;
    QPointer<VantrelController> controller = this;
    QThreadPool::globalInstance()->start([=] {
        const auto wanted = [latest, generation] {
            return latest->load() == generation;
        };
        if (!wanted())
            return;
        std::optional<Bitmap> bitmap = picture.renderPart(zoom, part, wanted);
        QImage image = bitmap ? screenImageFromBitmap(*bitmap) : QImage();
        // Where the picture lies on the photo, in photo pixels: the view scales it by its
        // zoom factor.
        QRectF where(QPointF(0, 0), photoSize);
        if (part && !image.isNull()) {
            const double perPixel =
                photoSize.width() / std::max(1, pixelCount(photoSize.width() * zoom));
            where = QRectF(part->left * perPixel, part->top * perPixel, image.width() * perPixel,
                           image.height() * perPixel);
        }
        QMetaObject::invokeMethod(controller, [=] {
            // A first look's picture is shown until the exact picture of the same request is,
            // never after it: its render can end later.
            if (!controller || latest->load() != generation)
                return;
            const bool fromExactCopy = source == controller->mPreviewSource;
            if (!fromExactCopy && controller->mExactPictureGeneration == generation)
                return;
            if (fromExactCopy)
                controller->mExactPictureGeneration = generation;
            controller->mUi->mPreviewImage->setImagePart(image, photoSize, where);
            controller->holdThumbnailsBack(false);
            controller->decodeNeighbour(zoom);
        });
    });
}

std::optional<PixelRect> VantrelController::visiblePart(const QSizeF& photoSize,
                                                        double zoom) const {
    // The view shows the photo centred: at zooms where the photo is larger than the view,
    // only the middle of it (plus a margin for small resizes) is rendered.
    constexpr int kMargin = 64;
    const PreviewImageView* view = mUi->mPreviewImage;
    const double shownPerPhotoPixel = view->zoomFactor() * view->devicePixelRatioF();
    const double renderedPerShown = zoom / std::max(shownPerPhotoPixel, 1e-6);
    const int rendered[] = {pixelCount(photoSize.width() * zoom),
                            pixelCount(photoSize.height() * zoom)};
    const double viewSide[] = {view->width() * view->devicePixelRatioF(),
                               view->height() * view->devicePixelRatioF()};
    int span[2];
    for (int axis = 0; axis < 2; ++axis)
        span[axis] = std::min(rendered[axis],
                              int(std::ceil(viewSide[axis] * renderedPerShown)) + 2 * kMargin);
    if (span[0] >= rendered[0] && span[1] >= rendered[1])
        return std::nullopt;
    return PixelRect{(rendered[0] - span[0]) / 2, (rendered[1] - span[1]) / 2, span[0], span[1]};
}

void VantrelController::decodeNeighbour(double zoom) {
    Image* const neighbour =
        imageAtIndex(AppData::sharedData().currentImages(), mIndexOfSelectedImage + mPreviewStep);
    // Photos shown large are not decoded ahead: two such copies would double the memory
    // that the one on view takes.
    constexpr double kLargestCopyAhead = 48.0 * 1024 * 1024;
    if (!neighbour || mExportPipelinesRunning.load() || !mNeighbourDecoding.empty() ||
        !mPreviewSource || mPreviewSource->bytes() == 0 ||
        mPreviewSource->bytes() > kLargestCopyAhead)
        return;
    const std::string path = neighbour->path();
    if (mNeighbourSource && mNeighbourSource->serves(path, zoom))
        return;
    mNeighbourDecoding = path;
    mNeighbourDecodingZoom = zoom;
    const unsigned generation = mPreviewGeneration->load();
    auto latest = mPreviewGeneration;
    QPointer<VantrelController> controller = this;
    const unsigned choice = mDecodingChoice;
    QThreadPool::globalInstance()->start([path, zoom, generation, latest, controller, choice] {
        // Not when the user has stepped on past it already.
        std::shared_ptr<const PreviewSource> source;
        if (latest->load() - generation <= 1)
            source = PreviewSource::decode(path, zoom);
        QMetaObject::invokeMethod(controller, [source, path, controller, choice] {
            if (controller && controller->mDecodingChoice == choice)
                controller->neighbourDecoded(source, path);
        });
    });
}

void VantrelController::neighbourDecoded(std::shared_ptr<const PreviewSource> source,
                                         const std::string& path) {
    mNeighbourDecoding.clear();
    if (source)
        mNeighbourSource = std::move(source);
    // The user arrived while it was decoded: show it now (or, when it could not be decoded,
    // decode it as any other photo, which says why).
    Image* const photo = imageAtIndex(AppData::sharedData().currentImages(), mIndexOfSelectedImage);
    if (photo && photo->path() == path && !mPreviewSource)
        reloadImageAfterApplyingEffects();
}

void VantrelController::holdThumbnailsBack(bool held) {
    if (held)
        mThumbnailHoldTimer->start();
    else
        mThumbnailHoldTimer->stop();
    mUi->mImageBrowser->thumbnails().setHeldBack(held);
}

double VantrelController::previewRenderZoom() const {
    const double scale = mUi->mPreviewImage->devicePixelRatioF();
    return std::clamp(static_cast<double>(mUi->mPreviewImage->zoomFactor()) * scale, 0.01, 1.0);
}

void VantrelController::previewImageZoomSliderDidChange(QObject*) {
    mUi->mPreviewImage->setZoomFactor(sliderZoom(mUi->mPreviewImageZoomSlider));
    showZoomPercentage();
    reloadImageAfterApplyingEffects();
}

void VantrelController::fitToScreenActualSizeDidChange(QObject* sender) {
    if (sender == mUi->mActualSizeButton)
        mUi->mPreviewImage->setZoomFactor(1.0f);
    else if (sender == mUi->mFitToScreenButton)
        redoFitToScreen();
    {
        const QSignalBlocker quiet(mUi->mPreviewImageZoomSlider);
        mUi->mPreviewImageZoomSlider->setValue(
            static_cast<int>(std::lround(mUi->mPreviewImage->zoomFactor() * 100.0f)));
    }
    showZoomPercentage();
    reloadImageAfterApplyingEffects();
}

void VantrelController::redoFitToScreen() {
    PreviewImageView* preview = mUi->mPreviewImage;
    const QSize shown = preview->imageSize();
    if (shown.isEmpty())
        return;
    const auto across = static_cast<float>(static_cast<double>(preview->width()) / shown.width());
    const auto down = static_cast<float>(static_cast<double>(preview->height()) / shown.height());
    preview->setZoomFactor(std::min(across, down));
}

void VantrelController::effectsOnOrOffSwitchDidChange(QObject*) {
    reloadImageAfterApplyingEffects();
}

void VantrelController::effectsOnOrOffTextFieldIsClicked(QObject* sender) {
    if (sender == mUi->mFXOnButton)
        mUi->mEffectsOnOrOffSwitch->setValue(0);
    else if (sender == mUi->mFXOffButton)
        mUi->mEffectsOnOrOffSwitch->setValue(1);
    effectsOnOrOffSwitchDidChange(sender);
}

void VantrelController::showZoomPercentage() {
    const float percent = mUi->mPreviewImage->zoomFactor() * 100.0f;
    mUi->mPreviewZoomPercentage->setText(
        QString::asprintf("%.0f %%", static_cast<double>(percent)));
    mUi->mPreviewImage->update();
}

} // namespace vantrel
