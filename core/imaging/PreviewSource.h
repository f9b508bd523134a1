#pragma once

#include "core/imaging/Picture.h"

#include <QDateTime>
#include <memory>
#include <string>

namespace vantrel {

class WorkingImage;

// The previewed photo decoded once, at the scale the preview shows it, so that moving an
// effect control re-runs only the effects on screen-sized pixels instead of decoding the file
// again. It is known by the file's path, size and modification time: a file changed on disk
// is read afresh.
//
// Two working images start the pipeline: `header` is the photo as seen (its exact sizes,
// nothing decoded), `pixels` the decoded copy in the same units. The same effect steps run on
// both give the picture's true size and, from the copy, its pixels at any zoom up to scale().
class PreviewSource {
public:
    // How finely the copy samples the photo. A first look is decoded at the zoom itself, by
    // the loader's own shrinking alone: a quicker decode to show while the exact copy is made.
    enum class Detail { Exact, FirstLook };

    // Decodes the photo for showing it at `zoom` (0 < zoom <= 1) into a copy of at least twice
    // the zoom, so that the copy's rounded crop edges move the picture by at most a quarter
    // of a shown pixel: a JPEG with its loader's own shrinking as far as that allows (which,
    // like the export's, leaves the resampling twice the final size to work on), other
    // photos resampled to twice the zoom. A copy that would take more than 128 MB is not
    // made: the pictures are then rendered from the file, part by part. Reads the file: call
    // it on a worker. Nothing when the photo cannot be decoded; `error` then says why. A first
    // look is nothing, with no error, also when it would not be decoded quicker than the
    // exact copy (a photo whose loader cannot shrink it, or not further).
    static std::shared_ptr<const PreviewSource> decode(const std::string& path, double zoom,
                                                       QString* error = nullptr,
                                                       Detail detail = Detail::Exact);

    const std::string& path() const { return mPath; }
    double scale() const { return mScale; }
    const std::shared_ptr<const WorkingImage>& header() const { return mHeader; }
    const std::shared_ptr<const WorkingImage>& pixels() const { return mPixels; }
    // What the decoded copy takes in memory; 0 when the file stands in for it.
    double bytes() const { return mBytes; }
    // The photo as seen, without effects: its size is the photo's.
    Picture photo() const { return Picture(mHeader); }

    // Whether this copy can show `path` at `zoom`: the same file, unchanged, decoded at no
    // less than the zoom and at no more than four times it (a larger copy would make every
    // effect change resample far more pixels than are shown), under the same camera
    // orientation choice. Reads the file's status only.
    bool serves(const std::string& path, double zoom) const;

private:
    PreviewSource() = default;

    std::string mPath;
    qint64 mFileSize = -1;
    QDateTime mModified;
    double mScale = 1.0;
    double mBytes = 0;
    std::shared_ptr<const WorkingImage> mHeader;
    std::shared_ptr<const WorkingImage> mPixels;
};

} // namespace vantrel
