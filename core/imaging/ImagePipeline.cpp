// The effect pipeline's steps of Image. Effects are stated with the origin at the photo's
// lower-left corner and y pointing up; the working image works top-left, y down. The
// conversion happens here and nowhere else.

#include "core/imaging/Effects.h"
#include "core/imaging/Image.h"
#include "core/imaging/PhotoFile.h"
#include "core/imaging/WorkingImage.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

namespace {

QString titleOf(const Image& image) {
    return displayPath(image.imageTitle());
}

// What a crop removes at each side, as the settings hold it.
struct Margins {
    float left;
    float right;
    float top;
    float bottom;

    bool anyPositive() const { return left > 0 || right > 0 || top > 0 || bottom > 0; }
    bool allFinite() const {
        return std::isfinite(left) && std::isfinite(right) && std::isfinite(top) &&
               std::isfinite(bottom);
    }
};

// The part of a width x height image from x0 to x1 and from y0 to y1, given with y up, as a
// top-left rectangle; what lies outside the image is not kept.
ExactRect keptRegion(double x0, double y0, double x1, double y1, double width, double height) {
    return ExactRect{x0, height - y1, x1 - x0, y1 - y0}.intersected({0, 0, width, height});
}

} // namespace

PipelineNotes Image::applyEffectsForPreview(bool preview) {
    loadWorkingImage();
    return applyEffectSteps(preview);
}

PipelineNotes Image::applyEffectSteps(bool preview) {
    PipelineNotes notes;
    AdjustBrightnessContrastAndSaturation();
    notes.append(cropByPercentage());
    notes.append(cropByPixelsForPreview(preview));
    rotate();
    const Effects& effects = Effects::sharedEffects();
    rescaleByPercentageX(effects.scaleXPercentage(), effects.scaleYPercentage());
    rescaleByPixels();
    rescaleToMaximumWidthAndHeight();
    return notes;
}

void Image::AdjustBrightnessContrastAndSaturation() {
    const auto image = workingImage();
    const Effects& effects = Effects::sharedEffects();
    const ColourAdjustment adjustment{effects.brightnessValue(), effects.contrastValue(),
                                      effects.saturationValue()};
    // Neutral settings leave every pixel exactly as it was; values that are not numbers
    // would turn the photo into noise.
    if (!image || adjustment.isNeutral() || !adjustment.isFinite()) {
        return;
    }
    setWorkingImage(image->adjustingColour(adjustment));
}

PipelineNotes Image::cropByPercentage() {
    PipelineNotes notes;
    const auto image = workingImage();
    const Effects& e = Effects::sharedEffects();
    const Margins m{e.cropLeftPercentage(), e.cropRightPercentage(), e.cropTopPercentage(),
                    e.cropBottomPercentage()};
    if (!image || !m.anyPositive()) {
        return notes;
    }
    const double w = image->width();
    const double h = image->height();
    const float x0 = float(double(m.left) * w);
    const float y0 = float(double(m.bottom) * h);
    const float xr = float(double(m.right) * w);
    const float yt = float(double(m.top) * h);
    const ExactRect kept = keptRegion(x0, y0, w - xr, h - yt, w, h);
    if (!(m.left + m.right < 1.0f) || !(m.top + m.bottom < 1.0f) || !m.allFinite() ||
        kept.isEmpty()) {
        notes.logLines << QStringLiteral("%1 will not be cropped !").arg(titleOf(*this));
        return notes;
    }
    setWorkingImage(image->cropping(kept));
    return notes;
}

PipelineNotes Image::cropByPixelsForPreview(bool preview) {
    PipelineNotes notes;
    const auto image = workingImage();
    const Effects& e = Effects::sharedEffects();
    const Margins m{e.cropLeftPixels(), e.cropRightPixels(), e.cropTopPixels(),
                    e.cropBottomPixels()};
    if (!image || !m.anyPositive()) {
        return notes;
    }
    const double w = image->width();
    const double h = image->height();
    const ExactRect kept = keptRegion(m.left, m.bottom, float(w - m.right), float(h - m.top), w, h);
    if (!(double(m.left + m.right) < w) || !(double(m.top + m.bottom) < h) || !m.allFinite() ||
        kept.isEmpty()) {
        if (preview) {
            notes.logLines << QStringLiteral("%1 will not be cropped!").arg(titleOf(*this));
        } else {
            // The export's report keeps the message; the log line has a trailing space. Both
            // texts ("couldn't not") are kept word for word: reports and logs are matched.
            const QString message =
                QStringLiteral("%1 couldn't not be cropped!").arg(titleOf(*this));
            notes.errors << message;
            notes.logLines << QStringLiteral("%1 ").arg(message);
        }
        return notes;
    }
    setWorkingImage(image->cropping(kept));
    return notes;
}

void Image::rotate() {
    const auto image = workingImage();
    const float degrees = Effects::sharedEffects().rotationDegrees();
    if (!image || !(degrees >= 0.0f && degrees <= 360.0f)) {
        return;
    }
    setWorkingImage(image->rotating(degrees));
}

void Image::rescaleByPercentageX(float x, float y) {
    const auto image = workingImage();
    if (!image || !(x > 0) || !(y > 0) || !std::isfinite(x) || !std::isfinite(y)) {
        return;
    }
    setWorkingImage(image->scaling(x, y));
}

void Image::rescaleByPixels() {
    const auto image = workingImage();
    if (!image) {
        return;
    }
    const float w = float(image->width());
    const float h = float(image->height());
    const Effects& e = Effects::sharedEffects();
    const float sx = e.scaleXPixels();
    const float sy = e.scaleYPixels();
    if (!(sx > 0) || !(sy > 0)) {
        return;
    }
    rescaleByPercentageX(sx / w, sy / h);
}

void Image::rescaleToMaximumWidthAndHeight() {
    const auto image = workingImage();
    if (!image) {
        return;
    }
    const float w = float(image->width());
    const float h = float(image->height());
    const Effects& e = Effects::sharedEffects();
    const float fx = e.scaleXMaximumPixels() / w;
    const float fy = e.scaleYMaximumPixels() / h;
    float f = std::min(fx, fy);
    if (!(f > 0)) {
        f = std::max(fx, fy);
    }
    // Never enlarges; a maximum that is not a number does nothing either.
    if (!(f < 1.0f)) {
        return;
    }
    rescaleByPercentageX(f, f);
}

} // namespace vantrel
