#include "core/export/OutputPlan.h"

#include "core/export/OutputFolders.h"
#include "core/export/OutputNaming.h"
#include "core/imaging/CaptureInfo.h"
#include "core/imaging/PhotoFile.h"

namespace vantrel {

OutputPlan::OutputPlan(const ExportSettings& settings, std::string exportFolder, long photoCount)
    : mSettings(settings), mExportFolder(std::move(exportFolder)), mPhotoCount(photoCount),
      mUsesTemplate(settings.useNameTemplate),
      mTemplate(NameTemplate::parse(settings.useNameTemplate ? settings.nameTemplate : "{n}")) {}

std::string OutputPlan::requestedPath(const OutputSubject& photo, long index) const {
    const std::string folder = mSettings.keepFolders
                                   ? mirroredFolderPath(mExportFolder, photo.foundInFolders)
                                   : mExportFolder;
    const std::string extension = fileExtentionAtIndex(mSettings.outputType, photo.title);
    if (mUsesTemplate && mTemplate.isValid()) {
        NameFields fields;
        fields.name = nameWithoutExtension(photo.title);
        fields.serial = index + 1;
        fields.photoCount = mPhotoCount;
        if (mTemplate.needsCaptureInfo()) {
            const CaptureInfo info = readCaptureInfo(photo.path);
            fields.taken = info.taken;
            fields.camera = info.camera;
        }
        fields.width = photo.width;
        fields.height = photo.height;
        return joinPath(folder, mTemplate.render(fields, extension) + "." + extension);
    }
    if (mSettings.keepOriginalName) {
        return sourceNameOutputPath(folder, photo.title, extension);
    }
    return newNameOutputPath(folder, mSettings.newName, index, mPhotoCount, extension);
}

std::string OutputPlan::claim(const std::string& requestedPath) {
    std::string candidate = requestedPath;
    for (int n = 1; mClaimed.contains(candidate); ++n) {
        candidate = collisionCandidate(requestedPath, n);
    }
    mClaimed.insert(candidate);
    return candidate;
}

bool belongsToShard(long index, int shard, int shards) {
    return shards <= 1 || index % shards == shard - 1;
}

} // namespace vantrel
