#pragma once

#include "core/imaging/Picture.h"

#include <QStringList>
#include <QVariantMap>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

class WorkingImage;

// What the pipeline's steps had to say about a photo, in the order they said it: lines for
// the log, and the messages that belong in an export's error report. The steps only
// collect them; the front end that ran the pipeline decides where they go.
struct PipelineNotes {
    QStringList logLines;
    QStringList errors;

    void append(const PipelineNotes& other) {
        logLines += other.logLines;
        errors += other.errors;
    }
};

// One photo of the batch: its path, which is also its identity, and a working image that
// the last load or pipeline step left behind. Nothing decoded is kept between uses: every
// picture starts from a fresh load of the file.
//
// The accessors are safe from any thread, but one pipeline run must not overlap another
// on the same photo.
class Image {
public:
    explicit Image(std::string path);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    std::string path() const;
    void setPath(std::string path);
    // Null when the file cannot be decoded.
    std::shared_ptr<const WorkingImage> workingImage() const;
    void setWorkingImage(std::shared_ptr<const WorkingImage> image);

    // Reloads the photo, without effects, and returns it as a picture.
    Picture originalImage();
    // Runs the whole pipeline as the preview does and returns the result as a picture;
    // `notes`, when given, receive what the steps had to say.
    Picture imageWithEffects(PipelineNotes* notes = nullptr);
    // The same steps on `start` in place of a fresh load: a copy of the photo that is already
    // decoded (the preview's), or its header alone. Null `start` gives an empty picture.
    Picture imageWithEffects(std::shared_ptr<const WorkingImage> start,
                             PipelineNotes* notes = nullptr);
    // The current working image as a picture; no pixels are computed.
    Picture pictureFromWorkingImage() const;
    // The file's properties; see readImageProperties.
    std::optional<QVariantMap> metadata(QString* failure = nullptr) const;

    // The folders from the folder the user chose down to this photo, that folder's own name
    // first, as the import walk listed them; empty for a photo chosen by itself. Each is a
    // single name from a folder listing: never empty, ".", ".." or holding a "/".
    std::vector<std::string> foundInFolders() const;
    void setFoundInFolders(std::vector<std::string> folders);

    // What the browser shows and identifies the photo by.
    std::string imageTitle() const;
    std::string imageUID() const { return path(); }
    std::string imageRepresentation() const { return path(); }

    // Reloads the working image from the file (header only).
    void loadWorkingImage();

    // The effect pipeline: a fresh load, then the seven steps in order, each reading the
    // shared effect settings when it runs. The preview flag only decides how a pixel crop
    // that does not fit is reported: a log line for the preview, an error for an export.
    PipelineNotes applyEffectsForPreview(bool preview);
    // The seven steps on the current working image.
    PipelineNotes applyEffectSteps(bool preview);
    void AdjustBrightnessContrastAndSaturation();
    PipelineNotes cropByPercentage();
    PipelineNotes cropByPixelsForPreview(bool preview);
    void rotate();
    void rescaleByPercentageX(float x, float y);
    void rescaleByPixels();
    void rescaleToMaximumWidthAndHeight();

private:
    mutable std::mutex mMutex;
    std::string mPath;
    std::vector<std::string> mFoundInFolders;
    std::shared_ptr<const WorkingImage> mWorkingImage;
};

} // namespace vantrel
