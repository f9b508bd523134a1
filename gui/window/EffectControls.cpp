#include "core/batch/AppData.h"
#include "core/batch/BrowserEdits.h"
#include "core/batch/SettingsRules.h"
#include "core/imaging/EffectFieldRules.h"
#include "core/imaging/Effects.h"
#include "core/imaging/Image.h"
#include "core/imaging/PreviewSource.h"
#include "gui/skin/SegmentedControl.h"
#include "gui/skin/SkinAccessibility.h"
#include "gui/window/EffectSliders.h"
#include "gui/window/VantrelController.h"
#include "ui_MainWindow.h"

#include <QDate>
#include <array>

namespace vantrel {
namespace {

QString wholeNumber(double value) {
    return QString::asprintf("%.0f", value);
}

struct CropSide {
    QSlider* slider;
    QSlider* opposite;
    QLineEdit* field;
    QLabel* unit;
    bool horizontal; // measured against the photo's width
};

std::array<CropSide, 4> cropSides(Ui::MainWindow& ui) {
    return {{{ui.mCropLeftSlider, ui.mCropRightSlider, ui.mCropLeftTextField,
              ui.mCropLeftPercentageOrPixelsLabel, true},
             {ui.mCropRightSlider, ui.mCropLeftSlider, ui.mCropRightTextField,
              ui.mCropRightPercentageOrPixelsLabel, true},
             {ui.mCropTopSlider, ui.mCropBottomSlider, ui.mCropTopTextField,
              ui.mCropTopPercentageOrPixelsLabel, false},
             {ui.mCropBottomSlider, ui.mCropTopSlider, ui.mCropBottomTextField,
              ui.mCropBottomPercentageOrPixelsLabel, false}}};
}

} // namespace

void VantrelController::setUpEffectControls() {
    // Before any accessible name is set: setting one makes Qt describe the widget.
    installSkinAccessibility();
    Ui::MainWindow& ui = *mUi;
    setSliderRange(ui.mBrightnessSlider, -1.0, 1.0);
    setSliderRange(ui.mConstrastSlider, 0.0, 2.0);
    setSliderRange(ui.mSaturationSlider, 0.0, 2.0);
    for (const CropSide& side : cropSides(ui))
        setSliderRange(side.slider, 0.0, 1.0);
    // The controls start where the effects start.
    const Effects& effects = Effects::sharedEffects();
    setSliderValue(ui.mBrightnessSlider, effects.brightnessValue());
    setSliderValue(ui.mConstrastSlider, effects.contrastValue());
    setSliderValue(ui.mSaturationSlider, effects.saturationValue());
    for (const CropSide& side : cropSides(ui)) {
        setSliderValue(side.slider, 0.0);
        side.field->setText(QStringLiteral("0"));
    }
    for (QLineEdit* field : {ui.mBrightnessTextField, ui.mConstrastTextField,
                             ui.mSaturationTextField, ui.mScaleXTextField, ui.mScaleYTextField})
        field->setText(QStringLiteral("100"));
    ui.mRotationDegreesLabel->setText(rotationLabelText(0));
    {
        // Whole percent, from 5 % to 800 %.
        const QSignalBlocker quiet(ui.mPreviewImageZoomSlider);
        ui.mPreviewImageZoomSlider->setRange(5, 800);
    }

    SegmentedControl* turn = ui.mRotateSegmentedControls;
    turn->setSegmentCount(2);
    turn->setLabel(0, QStringLiteral("\u21BA"));
    turn->setLabel(1, QStringLiteral("\u21BB"));
    turn->setAccessibleSegmentName(0, QStringLiteral("Turn left"));
    turn->setAccessibleSegmentName(1, QStringLiteral("Turn right"));

    const struct {
        QWidget* widget;
        const char* name;
    } names[] = {
        {ui.mBrightnessSlider, "Brightness"},
        {ui.mBrightnessTextField, "Brightness value"},
        {ui.mConstrastSlider, "Contrast"},
        {ui.mConstrastTextField, "Contrast value"},
        {ui.mSaturationSlider, "Saturation"},
        {ui.mSaturationTextField, "Saturation value"},
        {ui.mCropByPercentageOrPixels, "Crop by"},
        {ui.mCropLeftSlider, "Crop left"},
        {ui.mCropLeftTextField, "Crop left value"},
        {ui.mCropRightSlider, "Crop right"},
        {ui.mCropRightTextField, "Crop right value"},
        {ui.mCropTopSlider, "Crop top"},
        {ui.mCropTopTextField, "Crop top value"},
        {ui.mCropBottomSlider, "Crop bottom"},
        {ui.mCropBottomTextField, "Crop bottom value"},
        {ui.mRotateSegmentedControls, "Rotate"},
        {ui.mScaleByPercentageOrPixels, "Scale by"},
        {ui.mScaleXTextField, "Scale width"},
        {ui.mScaleYTextField, "Scale height"},
        {ui.mResetAllEffectsButton, "Reset All"},
        {ui.mPreviewImageZoomSlider, "Zoom"},
        {ui.mEffectsOnOrOffSwitch, "Effects off"},
        {ui.mFXOnButton, "FX On"},
        {ui.mFXOffButton, "FX Off"},
        {ui.mActualSizeButton, "Actual Pixels"},
        {ui.mFitToScreenButton, "Fit Screen"},
        {ui.mPreviewImage, "Preview"},
    };
    for (const auto& entry : names)
        entry.widget->setAccessibleName(QString::fromLatin1(entry.name));
}

void VantrelController::connectEffectControls() {
    setUpEffectControls();
    Ui::MainWindow& ui = *mUi;
    for (QSlider* slider : {ui.mBrightnessSlider, ui.mConstrastSlider, ui.mSaturationSlider})
        connect(slider, &QSlider::valueChanged, this, [this, slider] {
            takeSliderPosition(slider);
            adjustSliderDidChange(slider);
        });
    for (const CropSide& side : cropSides(ui)) {
        QSlider* slider = side.slider;
        connect(slider, &QSlider::valueChanged, this, [this, slider] {
            takeSliderPosition(slider);
            cropSliderDidChange(slider);
        });
    }
    connect(ui.mCropByPercentageOrPixels, qOverload<int>(&QComboBox::activated), this,
            [this] { cropByPercentageOrPixelsPopUpDidChange(mUi->mCropByPercentageOrPixels); });
    connect(ui.mScaleByPercentageOrPixels, qOverload<int>(&QComboBox::activated), this,
            [this] { scaleByPercentageOrPixelsPopUpDidChange(mUi->mScaleByPercentageOrPixels); });
    connect(ui.mRotateSegmentedControls, &SegmentedControl::segmentClicked, this,
            [this] { rotationDidChange(mUi->mRotateSegmentedControls); });
    connect(ui.mResetAllEffectsButton, &QPushButton::clicked, this,
            [this] { resetEffectsButtonIsPressed(mUi->mResetAllEffectsButton); });
    // editingFinished comes on Return and when the field loses focus after a change.
    for (QLineEdit* field :
         {ui.mBrightnessTextField, ui.mConstrastTextField, ui.mSaturationTextField,
          ui.mCropLeftTextField, ui.mCropRightTextField, ui.mCropTopTextField,
          ui.mCropBottomTextField, ui.mScaleXTextField, ui.mScaleYTextField,
          ui.mNameTargetDirectoryTextField, ui.mNewNameTextField})
        connect(field, &QLineEdit::editingFinished, this,
                [this, field] { controlTextDidEndEditing(field); });
}

std::optional<QSize> VantrelController::selectedPhotoSize() {
    Image* photo = imageAtIndex(AppData::sharedData().currentImages(), mIndexOfSelectedImage);
    if (!photo)
        return std::nullopt;
    // The preview holds the photo's header already: no need to read the file again on every
    // slider move.
    if (mPreviewSource && mPreviewSource->serves(photo->path(), mPreviewSource->scale()))
        return QSize(mPreviewSource->photo().pixelWidth(), mPreviewSource->photo().pixelHeight());
    const Picture original = photo->originalImage();
    if (original.isNull())
        return std::nullopt;
    return QSize(original.pixelWidth(), original.pixelHeight());
}

float VantrelController::keepFloatValue(float value, float limit) {
    return vantrel::keepFloatValue(value, limit);
}

void VantrelController::adjustSliderDidChange(QObject* sender) {
    Ui::MainWindow& ui = *mUi;
    Effects& effects = Effects::sharedEffects();
    if (sender == ui.mBrightnessSlider) {
        const auto value = static_cast<float>(sliderValue(ui.mBrightnessSlider));
        effects.setBrightnessValue(value);
        ui.mBrightnessTextField->setText(wholeNumber((value + 1.0) * 100.0));
    } else if (sender == ui.mConstrastSlider) {
        const auto value = static_cast<float>(sliderValue(ui.mConstrastSlider));
        effects.setContrastValue(value);
        ui.mConstrastTextField->setText(wholeNumber(value * 100.0));
    } else if (sender == ui.mSaturationSlider) {
        const auto value = static_cast<float>(sliderValue(ui.mSaturationSlider));
        effects.setSaturationValue(value);
        ui.mSaturationTextField->setText(wholeNumber(value * 100.0));
    }
    reloadImageAfterApplyingEffects();
}

void VantrelController::cropSliderDidChange(QObject* sender) {
    for (const CropSide& side : cropSides(*mUi)) {
        if (sender == side.slider)
            validateCropSlider(side.slider, side.opposite);
    }
    cropByPercentageOrPixelsPopUpDidChange(mUi->mCropByPercentageOrPixels);
}

void VantrelController::validateCropSlider(QSlider* moved, QSlider* opposite) {
    const auto value = static_cast<float>(sliderValue(moved));
    const float kept = validatedCropSlider(value, static_cast<float>(sliderValue(opposite)));
    if (kept != value)
        setSliderValue(moved, kept);
}

void VantrelController::cropByPercentageOrPixelsPopUpDidChange(QObject*) {
    // Pixel counts are taken from the selected photo's size; without a photo there is
    // nothing to measure, and no control is shown to change.
    const std::optional<QSize> size = selectedPhotoSize();
    if (!size)
        return;
    Ui::MainWindow& ui = *mUi;
    Effects& e = Effects::sharedEffects();
    const auto sides = cropSides(ui);
    const double left = sliderValue(sides[0].slider);
    const double right = sliderValue(sides[1].slider);
    const double top = sliderValue(sides[2].slider);
    const double bottom = sliderValue(sides[3].slider);
    QString unit;
    if (ui.mCropByPercentageOrPixels->currentIndex() != 0) {
        e.setCropLeftPercentage(0.0f);
        e.setCropRightPercentage(0.0f);
        e.setCropTopPercentage(0.0f);
        e.setCropBottomPercentage(0.0f);
        e.setCropLeftPixels(static_cast<float>(left * size->width()));
        e.setCropRightPixels(static_cast<float>(right * size->width()));
        e.setCropTopPixels(static_cast<float>(top * size->height()));
        e.setCropBottomPixels(static_cast<float>(bottom * size->height()));
        sides[0].field->setText(wholeNumber(e.cropLeftPixels()));
        sides[1].field->setText(wholeNumber(e.cropRightPixels()));
        sides[2].field->setText(wholeNumber(e.cropTopPixels()));
        sides[3].field->setText(wholeNumber(e.cropBottomPixels()));
        unit = QStringLiteral("px");
    } else {
        e.setCropLeftPixels(0.0f);
        e.setCropRightPixels(0.0f);
        e.setCropTopPixels(0.0f);
        e.setCropBottomPixels(0.0f);
        e.setCropLeftPercentage(static_cast<float>(left));
        e.setCropRightPercentage(static_cast<float>(right));
        e.setCropTopPercentage(static_cast<float>(top));
        e.setCropBottomPercentage(static_cast<float>(bottom));
        sides[0].field->setText(wholeNumber(e.cropLeftPercentage() * 100.0));
        sides[1].field->setText(wholeNumber(e.cropRightPercentage() * 100.0));
        sides[2].field->setText(wholeNumber(e.cropTopPercentage() * 100.0));
        sides[3].field->setText(wholeNumber(e.cropBottomPercentage() * 100.0));
        unit = QStringLiteral("%");
    }
    for (const CropSide& side : sides)
        side.unit->setText(unit);
    reloadImageAfterApplyingEffects();
}

void VantrelController::scaleByPercentageOrPixelsPopUpDidChange(QObject*) {
    Ui::MainWindow& ui = *mUi;
    const Effects& e = Effects::sharedEffects();
    QString unit;
    switch (ui.mScaleByPercentageOrPixels->currentIndex()) {
    case 0:
        ui.mScaleXTextField->setText(wholeNumber(e.scaleXPercentage() * 100.0));
        ui.mScaleYTextField->setText(wholeNumber(e.scaleYPercentage() * 100.0));
        unit = QStringLiteral("%");
        break;
    case 1:
        ui.mScaleXTextField->setText(wholeNumber(e.scaleXPixels()));
        ui.mScaleYTextField->setText(wholeNumber(e.scaleYPixels()));
        unit = QStringLiteral("px");
        break;
    default:
        ui.mScaleXTextField->setText(wholeNumber(e.scaleXMaximumPixels()));
        ui.mScaleYTextField->setText(wholeNumber(e.scaleYMaximumPixels()));
        unit = QStringLiteral("Max. px");
        break;
    }
    ui.mScaleXPercentageOrPixelsLabel->setText(unit);
    ui.mScaleYPercentageOrPixelsLabel->setText(unit);
    reloadImageAfterApplyingEffects();
}

void VantrelController::rotationDidChange(QObject*) {
    Effects& effects = Effects::sharedEffects();
    const int degrees =
        rotatedDegrees(effects.rotationDegrees(), mUi->mRotateSegmentedControls->selectedSegment());
    effects.setRotationDegrees(static_cast<float>(degrees));
    mUi->mRotationDegreesLabel->setText(rotationLabelText(degrees));
    cropByPercentageOrPixelsPopUpDidChange(mUi->mCropByPercentageOrPixels);
    scaleByPercentageOrPixelsPopUpDidChange(mUi->mScaleByPercentageOrPixels);
    reloadImageAfterApplyingEffects();
}

void VantrelController::resetEffectsButtonIsPressed(QObject*) {
    Ui::MainWindow& ui = *mUi;
    Effects& effects = Effects::sharedEffects();
    effects.resetEffects();
    setSliderValue(ui.mBrightnessSlider, effects.brightnessValue());
    setSliderValue(ui.mConstrastSlider, effects.contrastValue());
    setSliderValue(ui.mSaturationSlider, effects.saturationValue());
    for (QLineEdit* field :
         {ui.mBrightnessTextField, ui.mConstrastTextField, ui.mSaturationTextField})
        field->setText(QString::asprintf("%d", 100));
    setSliderValue(ui.mCropLeftSlider, effects.cropLeftPercentage());
    setSliderValue(ui.mCropRightSlider, effects.cropRightPercentage());
    setSliderValue(ui.mCropTopSlider, effects.cropTopPercentage());
    setSliderValue(ui.mCropBottomSlider, effects.cropBottomPercentage());
    ui.mRotationDegreesLabel->setText(rotationLabelText(0));
    cropByPercentageOrPixelsPopUpDidChange(ui.mCropByPercentageOrPixels);
    scaleByPercentageOrPixelsPopUpDidChange(ui.mScaleByPercentageOrPixels);
    reloadImageAfterApplyingEffects();
}

void VantrelController::controlTextDidEndEditing(QObject* sender) {
    Ui::MainWindow& ui = *mUi;
    Effects& e = Effects::sharedEffects();
    auto* field = qobject_cast<QLineEdit*>(sender);
    if (!field)
        return;
    const bool namingField =
        field == ui.mNameTargetDirectoryTextField || field == ui.mNewNameTextField;
    const std::optional<QSize> size = namingField ? std::nullopt : selectedPhotoSize();
    // The effect fields change the photo on view: without one they leave everything alone.
    if (!namingField && !size)
        return;
    const float v = numberFieldValue(field->text());
    const float k100 = keepFloatValue(v, 100.0f);
    const float k200 = keepFloatValue(v, 200.0f);
    const float k4000 = keepFloatValue(v, 4000.0f);

    if (field == ui.mBrightnessTextField) {
        e.setBrightnessValue(k200 / 100.0f - 1.0f);
        setSliderValue(ui.mBrightnessSlider, e.brightnessValue());
        field->setText(wholeNumber(k200));
    }
    if (field == ui.mConstrastTextField) {
        e.setContrastValue(k200 / 100.0f);
        setSliderValue(ui.mConstrastSlider, e.contrastValue());
        field->setText(wholeNumber(k200));
    }
    if (field == ui.mSaturationTextField) {
        e.setSaturationValue(k200 / 100.0f);
        setSliderValue(ui.mSaturationSlider, e.saturationValue());
        field->setText(wholeNumber(k200));
    }
    for (const CropSide& side : cropSides(ui)) {
        if (field != side.field)
            continue;
        if (ui.mCropByPercentageOrPixels->currentIndex() == 0) {
            // Written for the record: E below recomputes every crop value from the sliders.
            const float fraction = k100 / 100.0f;
            if (side.slider == ui.mCropLeftSlider)
                e.setCropLeftPercentage(fraction);
            else if (side.slider == ui.mCropRightSlider)
                e.setCropRightPercentage(fraction);
            else if (side.slider == ui.mCropTopSlider)
                e.setCropTopPercentage(fraction);
            else
                e.setCropBottomPercentage(fraction);
            setSliderValue(side.slider, fraction);
        } else {
            if (side.slider == ui.mCropLeftSlider)
                e.setCropLeftPixels(k4000);
            else if (side.slider == ui.mCropRightSlider)
                e.setCropRightPixels(k4000);
            else if (side.slider == ui.mCropTopSlider)
                e.setCropTopPixels(k4000);
            else
                e.setCropBottomPixels(k4000);
            const double across = side.horizontal ? size->width() : size->height();
            setSliderValue(side.slider, static_cast<double>(k4000) / across);
        }
        cropSliderDidChange(side.slider);
    }
    if (field == ui.mScaleXTextField || field == ui.mScaleYTextField) {
        const float x = numberFieldValue(ui.mScaleXTextField->text());
        const float y = numberFieldValue(ui.mScaleYTextField->text());
        switch (ui.mScaleByPercentageOrPixels->currentIndex()) {
        case 0:
            e.setScaleXPercentage(keepFloatValue(x, 200.0f) / 100.0f);
            e.setScaleYPercentage(keepFloatValue(y, 200.0f) / 100.0f);
            e.setScaleXPixels(0.0f);
            e.setScaleYPixels(0.0f);
            e.setScaleXMaximumPixels(0.0f);
            e.setScaleYMaximumPixels(0.0f);
            field->setText(wholeNumber(k200));
            break;
        case 1:
            e.setScaleXPercentage(1.0f);
            e.setScaleYPercentage(1.0f);
            e.setScaleXPixels(keepFloatValue(x, 4000.0f));
            e.setScaleYPixels(keepFloatValue(y, 4000.0f));
            e.setScaleXMaximumPixels(0.0f);
            e.setScaleYMaximumPixels(0.0f);
            field->setText(wholeNumber(k4000));
            break;
        default:
            e.setScaleXPercentage(1.0f);
            e.setScaleYPercentage(1.0f);
            e.setScaleXPixels(0.0f);
            e.setScaleYPixels(0.0f);
            e.setScaleXMaximumPixels(keepFloatValue(x, 4000.0f));
            e.setScaleYMaximumPixels(keepFloatValue(y, 4000.0f));
            field->setText(wholeNumber(k4000));
            break;
        }
    }
    if (field == ui.mNameTargetDirectoryTextField && field->text().isEmpty())
        field->setText(QStringLiteral("Export_%1").arg(exportFolderDateText(QDate::currentDate())));
    if (field == ui.mNewNameTextField && field->text().isEmpty())
        field->setText(QStringLiteral("Image"));
    saveDefaults(field);
    reloadImageAfterApplyingEffects();
}

} // namespace vantrel
