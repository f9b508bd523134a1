#include "core/batch/AppData.h"
#include "core/batch/BrowserEdits.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/preview/PreviewImageView.h"
#include "gui/window/DesktopServices.h"
#include "gui/window/VantrelController.h"
#include "gui/windows/ImageInfoController.h"
#include "ui_MainWindow.h"

#include <QMenu>
#include <algorithm>

namespace vantrel {
namespace {

std::vector<int> toVector(const QList<int>& indexes) {
    return std::vector<int>(indexes.begin(), indexes.end());
}

} // namespace

int VantrelController::numberOfItemsInImageBrowser(ImageBrowserView* browser) {
    const auto n = static_cast<int>(AppData::sharedData().currentImages().size());
    // After a removal the photo that took the selected place is the one highlighted,
    // previewed and acted on; when the last one went, the new last one.
    mIndexOfSelectedImage = std::clamp(mIndexOfSelectedImage, 0, std::max(n - 1, 0));
    browser->setSelectionIndexes({mIndexOfSelectedImage}, false);
    updateOutlets();
    return n;
}

const Image* VantrelController::imageBrowserItemAtIndex(ImageBrowserView*, int index) {
    return imageAtIndex(AppData::sharedData().currentImages(), index);
}

bool VantrelController::imageBrowserMoveItemsAtIndexes(ImageBrowserView*, const QList<int>& indexes,
                                                       int destinationIndex) {
    // The batch holds still while an import or export uses it.
    if (operationIsRunning())
        return false;
    return moveItemsAtIndexes(AppData::sharedData().currentImages(), toVector(indexes),
                              destinationIndex);
}

void VantrelController::imageBrowserRemoveItemsAtIndexes(ImageBrowserView*,
                                                         const QList<int>& indexes) {
    if (operationIsRunning())
        return;
    removeItemsAtIndexes(AppData::sharedData(), toVector(indexes));
    updateDatasource();
}

void VantrelController::imageBrowserCellWasDoubleClickedAtIndex(ImageBrowserView* browser,
                                                                int index) {
    browser->setSelectionIndexes({index}, false);
    revealInFinder(browser);
}

void VantrelController::imageBrowserCellWasRightClickedAtIndex(ImageBrowserView*, int,
                                                               QPoint globalPosition) {
    validateMenus();
    mRightClickMenu->popup(globalPosition);
}

void VantrelController::imageBrowserBackgroundWasRightClicked(ImageBrowserView*,
                                                              QPoint globalPosition) {
    validateMenus();
    mRightClickMenu->popup(globalPosition);
}

void VantrelController::imageBrowserSelectionDidChange(ImageBrowserView* browser) {
    const QList<int> selected = browser->selectionIndexes();
    // The lowest selected photo is the one previewed; none selected reads as the first.
    mIndexOfSelectedImage = selected.isEmpty() ? 0 : selected.first();
    const auto n = static_cast<long>(AppData::sharedData().currentImages().size());
    if (static_cast<unsigned long>(mIndexOfSelectedImage) >= static_cast<unsigned long>(n))
        mIndexOfSelectedImage = static_cast<int>(n - 1);
    if (n == 0) {
        mIndexOfSelectedImage = 0;
        mUi->mPreviewImage->showPlaceholder();
    }
    reloadImageAfterApplyingEffects();
    updateNameTemplateExample();
}

void VantrelController::removeSelectedImage(QObject*) {
    const auto n = static_cast<int>(AppData::sharedData().currentImages().size());
    if (mIndexOfSelectedImage < 0 || mIndexOfSelectedImage >= n)
        return;
    imageBrowserRemoveItemsAtIndexes(mUi->mImageBrowser, {mIndexOfSelectedImage});
}

void VantrelController::revealInFinder(QObject*) {
    if (const Image* photo =
            imageAtIndex(AppData::sharedData().currentImages(), mIndexOfSelectedImage))
        revealInFileViewer(photo->path());
}

void VantrelController::showImageInfo(QObject* sender) {
    if (AppData::sharedData().currentImages().empty())
        return;
    ImageInfoController& info = ImageInfoController::controller();
    info.setIndexOfSelectedImage(mIndexOfSelectedImage);
    info.showWindow(sender);
}

void VantrelController::browserZoomSliderDidChange(QObject*) {
    const QSlider* slider = mUi->mBrowserZoomSlider;
    const double range = std::max(1, slider->maximum() - slider->minimum());
    mUi->mImageBrowser->setZoomValue((slider->value() - slider->minimum()) / range);
    mUi->mImageBrowser->viewport()->update();
}

} // namespace vantrel
