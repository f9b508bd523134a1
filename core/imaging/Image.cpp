#include "core/imaging/Image.h"

#include "core/imaging/MetadataReader.h"
#include "core/imaging/PhotoFile.h"
#include "core/imaging/WorkingImage.h"

namespace vantrel {

Image::Image(std::string path) : mPath(std::move(path)) {
    loadWorkingImage();
}

Image::~Image() = default;

std::string Image::path() const {
    std::lock_guard lock(mMutex);
    return mPath;
}

void Image::setPath(std::string path) {
    std::lock_guard lock(mMutex);
    mPath = std::move(path);
}

std::vector<std::string> Image::foundInFolders() const {
    std::lock_guard lock(mMutex);
    return mFoundInFolders;
}

void Image::setFoundInFolders(std::vector<std::string> folders) {
    std::lock_guard lock(mMutex);
    mFoundInFolders = std::move(folders);
}

std::shared_ptr<const WorkingImage> Image::workingImage() const {
    std::lock_guard lock(mMutex);
    return mWorkingImage;
}

void Image::setWorkingImage(std::shared_ptr<const WorkingImage> image) {
    std::lock_guard lock(mMutex);
    mWorkingImage = std::move(image);
}

void Image::loadWorkingImage() {
    setWorkingImage(WorkingImage::fromFile(path()));
}

Picture Image::originalImage() {
    loadWorkingImage();
    return pictureFromWorkingImage();
}

Picture Image::imageWithEffects(PipelineNotes* notes) {
    const PipelineNotes said = applyEffectsForPreview(true);
    if (notes) {
        notes->append(said);
    }
    return pictureFromWorkingImage();
}

Picture Image::imageWithEffects(std::shared_ptr<const WorkingImage> start, PipelineNotes* notes) {
    setWorkingImage(std::move(start));
    const PipelineNotes said = applyEffectSteps(true);
    if (notes) {
        notes->append(said);
    }
    return pictureFromWorkingImage();
}

Picture Image::pictureFromWorkingImage() const {
    return Picture(workingImage());
}

std::optional<QVariantMap> Image::metadata(QString* failure) const {
    return readImageProperties(path(), failure);
}

std::string Image::imageTitle() const {
    return lastPathComponent(path());
}

} // namespace vantrel
