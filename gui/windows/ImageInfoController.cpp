#include "gui/windows/ImageInfoController.h"

#include "core/batch/AppData.h"
#include "core/batch/BrowserEdits.h"
#include "core/batch/SystemLog.h"
#include "core/imaging/MetadataReader.h"
#include "core/imaging/MetadataText.h"
#include "core/imaging/PhotoFile.h"
#include "gui/skin/Skin.h"
#include "gui/window/VantrelController.h"
#include "gui/windows/WindowPlacement.h"
#include "ui_ImageInfo.h"

#include <QFontDatabase>
#include <QPointer>
#include <QShortcut>
#include <QThreadPool>
#include <mutex>
#include <utility>

namespace vantrel {
namespace {

QPointer<ImageInfoController> gImageInfo;
std::mutex gImageInfoMutex;

} // namespace

ImageInfoController& ImageInfoController::controller() {
    const std::lock_guard lock(gImageInfoMutex);
    if (!gImageInfo) {
        // A window of its own that closes with the main window.
        gImageInfo = new ImageInfoController(VantrelController::controller());
        gImageInfo->awakeFromNib();
    }
    return *gImageInfo;
}

ImageInfoController::ImageInfoController(QWidget* parent)
    : QWidget(parent, Qt::Window), mUi(std::make_unique<Ui::ImageInfo>()) {
    mUi->setupUi(this);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(std::max(8.0, fixed.pointSizeF() - 1.0));
    mUi->mTextView->setFont(fixed);
    // The picture and the text share the width about evenly; the user may move the divide.
    mUi->mInfoSplitView->setStretchFactor(0, 5);
    mUi->mInfoSplitView->setStretchFactor(1, 6);
    mUi->mInfoSplitView->setSizes({500, 600});
    for (const QKeySequence& keys :
         {QKeySequence(QKeySequence::Close), QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this] { closeWindow(this); });
}

ImageInfoController::~ImageInfoController() {
    ++*mGeneration;
}

void ImageInfoController::awakeFromNib() {
    mUi->mBackgroundView->setBackgroundImage(skinPicture(QStringLiteral("launch-background.png")));
}

void ImageInfoController::showWindow(QObject*) {
    if (!std::exchange(mPlaced, true))
        centreOver(this, VantrelController::controller());
    show();
    raise();
    activateWindow();
    showInfo();
}

void ImageInfoController::closeWindow(QObject*) {
    close();
}

bool ImageInfoController::isReadingMetadata() const {
    return mShownGeneration != mGeneration->load();
}

void ImageInfoController::showInfo() {
    const unsigned generation = ++*mGeneration;
    Ui::ImageInfo& ui = *mUi;
    Image* const photo =
        imageAtIndex(AppData::sharedData().currentImages(), mIndexOfSelectedImage.load());
    if (!photo) {
        // The photo may have left the batch since: nothing is shown rather than another one.
        mShownGeneration = generation;
        ui.mTextView->clear();
        ui.mImageView->clear();
        ui.mImageTitle->clear();
        ui.mImagePath->clear();
        setWindowTitle(tr("Photo Info"));
        return;
    }
    const std::string path = photo->path();
    const QString title = displayPath(photo->imageTitle());
    ui.mImageTitle->setText(title);
    ui.mImagePath->setText(displayPath(path));
    setWindowTitle(tr("%1 Info").arg(title));
    ui.mTextView->clear();
    // The file is read from its path on workers, not through the photo: the photo may leave
    // the batch meanwhile, and the preview and the export run their pipelines on it. A photo
    // made afresh from the path is the one in the batch without effects.
    ui.mImageView->setPicture([path] { return Image(path).pictureFromWorkingImage(); });
    auto latest = mGeneration;
    QPointer<ImageInfoController> window = this;
    QThreadPool::globalInstance()->start([path, generation, latest, window] {
        if (latest->load() != generation)
            return;
        QString failure;
        const std::optional<QVariantMap> properties = readImageProperties(path, &failure);
        if (!failure.isEmpty())
            systemLog(failure);
        const QString text = metadataDisplayText(properties);
        QMetaObject::invokeMethod(window, [text, generation, latest, window] {
            if (!window || latest->load() != generation)
                return;
            window->mShownGeneration = generation;
            window->mUi->mTextView->setPlainText(text);
        });
    });
}

} // namespace vantrel
