#pragma once

#include "core/export/ExportSettings.h"
#include "core/export/NameTemplate.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace vantrel {

class Image;

// One photo as far as its output path is concerned.
struct OutputSubject {
    std::string path;  // the source file
    std::string title; // its file name
    std::vector<std::string> foundInFolders;
    int width = 0; // the output size; only read when the name template asks for it
    int height = 0;
};

// The files of a run, decided in list order before anything is written: the path each
// photo's naming choice asks for (inside its mirrored folder when folders are kept), then
// the collision rule against the paths given to the photos before it. A shard plans the
// whole list, so that its photos get exactly the names one whole run would give them.
class OutputPlan {
public:
    OutputPlan(const ExportSettings& settings, std::string exportFolder, long photoCount);

    const NameTemplate& nameTemplate() const { return mTemplate; }
    // Whether the requested path needs the photo's output size.
    bool needsSize() const { return mUsesTemplate && mTemplate.needsSize(); }

    // The path photo `index` asks for, before collisions.
    std::string requestedPath(const OutputSubject& photo, long index) const;
    // The first of requestedPath, collisionCandidate(requestedPath, 1), ... that no photo
    // before has been given; the photo is given it.
    std::string claim(const std::string& requestedPath);

private:
    const ExportSettings& mSettings;
    std::string mExportFolder;
    long mPhotoCount;
    bool mUsesTemplate;
    NameTemplate mTemplate;
    std::unordered_set<std::string> mClaimed;
};

// Whether photo `index` (from 0) of the whole list belongs to shard `shard` (from 1) of
// `shards`: the list is dealt out in turn, photo 0 to shard 1, photo 1 to shard 2, ...
bool belongsToShard(long index, int shard, int shards);

} // namespace vantrel
