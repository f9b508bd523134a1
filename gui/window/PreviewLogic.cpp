#include "core/batch/AppData.h"
#include "core/batch/BrowserEdits.h"
#include "core/batch/SystemLog.h"
#include "core/imaging/Image.h"
#include "core/imaging/Picture.h"
#include "gui/preview/PreviewImageView.h"
#include "gui/preview/ScreenImage.h"
#include "gui/window/VantrelController.h"
#include "ui_MainWindow.h"

#include <QPointer>
#include <QThreadPool>
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
    Image* const photo = imageAtIndex(AppData::sharedData().currentImages(), mIndexOfSelectedImage);
    if (!photo)
        return;
    // Building the picture only reads the header and the effects; pixels come later.
    PipelineNotes notes;
    const Picture picture = mUi->mEffectsOnOrOffSwitch->value() == 0
                                ? photo->imageWithEffects(&notes)
                                : photo->originalImage();
    systemLog(notes.logLines);
    if (picture.isNull()) {
        mUi->mPreviewImage->setImage(QImage());
        return;
    }
    const double scale = mUi->mPreviewImage->devicePixelRatioF();
    const double zoom =
        std::clamp(static_cast<double>(mUi->mPreviewImage->zoomFactor()) * scale, 0.01, 1.0);
    auto latest = mPreviewGeneration;
    QPointer<PreviewImageView> view = mUi->mPreviewImage;
    QThreadPool::globalInstance()->start([picture, zoom, generation, latest, view] {
        if (latest->load() != generation)
            return;
        std::optional<Bitmap> bitmap = picture.render(zoom);
        QImage image = bitmap ? screenImageFromBitmap(*bitmap) : QImage();
        // Drawn at the photo's own size: the view scales it by its zoom factor.
        if (!image.isNull())
            image.setDevicePixelRatio(static_cast<double>(image.width()) / picture.pixelWidth());
        QMetaObject::invokeMethod(view, [image, generation, latest, view] {
            if (view && latest->load() == generation)
                view->setImage(image);
        });
    });
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
