#pragma once

#include "core/imaging/Image.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantrel {

using ImageList = std::vector<std::unique_ptr<Image>>;
// Path to path, compared as exact byte strings: two spellings of one file are two keys.
using PathTable = std::unordered_map<std::string, std::string>;

// The batch: the photos in browser (and export) order, the staging list of a running
// import, and the table of paths already taken. The lists own their photos.
//
// The containers are not locked: the import thread is the only writer of the staging
// list and the path table while an import runs, and the batch list changes only on the
// GUI thread while no import or export runs.
class AppData {
public:
    static AppData& sharedData();

    ImageList& currentImages() { return mCurrentImages; }
    void setCurrentImages(ImageList images) { mCurrentImages = std::move(images); }
    ImageList& importedImages() { return mImportedImages; }
    void setImportedImages(ImageList images) { mImportedImages = std::move(images); }
    PathTable& pathsOfImportedImages() { return mPathsOfImportedImages; }
    void setPathsOfImportedImages(PathTable paths) { mPathsOfImportedImages = std::move(paths); }

private:
    ImageList mCurrentImages;
    ImageList mImportedImages;
    PathTable mPathsOfImportedImages;
};

} // namespace vantrel
