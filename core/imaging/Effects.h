#pragma once

namespace vantrel {

// The one set of effect values that preview and export apply to every photo. Plain
// values with plain accessors: no validation, the pipeline's steps decide what a value
// means. The shared instance lives for the whole process; copies are snapshots.
class Effects {
public:
    Effects();

    static Effects& sharedEffects();

    // Every field back to its default, in declaration order.
    void resetEffects();

    float rotationDegrees() const { return mRotationDegrees; }
    void setRotationDegrees(float v) { mRotationDegrees = v; }
    float contrastValue() const { return mContrastValue; }
    void setContrastValue(float v) { mContrastValue = v; }
    float brightnessValue() const { return mBrightnessValue; }
    void setBrightnessValue(float v) { mBrightnessValue = v; }
    float saturationValue() const { return mSaturationValue; }
    void setSaturationValue(float v) { mSaturationValue = v; }

    float cropLeftPercentage() const { return mCropLeftPercentage; }
    void setCropLeftPercentage(float v) { mCropLeftPercentage = v; }
    float cropRightPercentage() const { return mCropRightPercentage; }
    void setCropRightPercentage(float v) { mCropRightPercentage = v; }
    float cropTopPercentage() const { return mCropTopPercentage; }
    void setCropTopPercentage(float v) { mCropTopPercentage = v; }
    float cropBottomPercentage() const { return mCropBottomPercentage; }
    void setCropBottomPercentage(float v) { mCropBottomPercentage = v; }

    float cropLeftPixels() const { return mCropLeftPixels; }
    void setCropLeftPixels(float v) { mCropLeftPixels = v; }
    float cropRightPixels() const { return mCropRightPixels; }
    void setCropRightPixels(float v) { mCropRightPixels = v; }
    float cropTopPixels() const { return mCropTopPixels; }
    void setCropTopPixels(float v) { mCropTopPixels = v; }
    float cropBottomPixels() const { return mCropBottomPixels; }
    void setCropBottomPixels(float v) { mCropBottomPixels = v; }

    float scaleXPercentage() const { return mScaleXPercentage; }
    void setScaleXPercentage(float v) { mScaleXPercentage = v; }
    float scaleYPercentage() const { return mScaleYPercentage; }
    void setScaleYPercentage(float v) { mScaleYPercentage = v; }
    float scaleXPixels() const { return mScaleXPixels; }
    void setScaleXPixels(float v) { mScaleXPixels = v; }
    float scaleYPixels() const { return mScaleYPixels; }
    void setScaleYPixels(float v) { mScaleYPixels = v; }
    float scaleXMaximumPixels() const { return mScaleXMaximumPixels; }
    void setScaleXMaximumPixels(float v) { mScaleXMaximumPixels = v; }
    float scaleYMaximumPixels() const { return mScaleYMaximumPixels; }
    void setScaleYMaximumPixels(float v) { mScaleYMaximumPixels = v; }

private:
    float mRotationDegrees;
    float mContrastValue;
    float mBrightnessValue;
    float mSaturationValue;
    float mCropLeftPercentage;
    float mCropRightPercentage;
    float mCropTopPercentage;
    float mCropBottomPercentage;
    float mCropLeftPixels;
    float mCropRightPixels;
    float mCropTopPixels;
    float mCropBottomPixels;
    float mScaleXPercentage;
    float mScaleYPercentage;
    float mScaleXPixels;
    float mScaleYPixels;
    float mScaleXMaximumPixels;
    float mScaleYMaximumPixels;
};

} // namespace vantrel
