#include "core/batch/Preset.h"
#include "core/batch/PresetFormat.h"
#include "core/batch/PresetStore.h"
#include "core/batch/SettingsRules.h"
#include "core/batch/SystemLog.h"
#include "core/export/ExportSettings.h"
#include "core/imaging/EffectFieldRules.h"
#include "core/imaging/Effects.h"
#include "gui/skin/SegmentedControl.h"
#include "gui/window/DesktopServices.h"
#include "gui/window/EffectSliders.h"
#include "gui/window/ExportRunParts.h"
#include "gui/window/VantrelController.h"
#include "ui_MainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSettings>
#include <QVBoxLayout>
#include <functional>

namespace vantrel {
namespace {

// What an item of the preset pop-up does when chosen.
enum class PresetItem { None, Preset, Damaged, Save, Delete, Manage };
constexpr int kItemRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kNameRole = Qt::UserRole + 2;
// Where the pop-up's item model keeps whether an item can be chosen: 0 greys it out.
constexpr int kEnabledRole = Qt::UserRole - 1;

const char* const kNoPreset = "No Preset";

PresetItem itemKind(const QComboBox* popUp, int index) {
    return static_cast<PresetItem>(popUp->itemData(index, kItemRole).toInt());
}

// The text a user would type into a field so that the field's rule gives `wanted`: the
// shortest of the whole number and one to nine decimals that does, so that a preset made in
// the window comes back as the very value it was made of.
QString typedText(float wanted, double shownAs, const std::function<float(float)>& rule) {
    for (int decimals = 0; decimals <= 9; ++decimals) {
        const QString text = QString::number(shownAs, 'f', decimals);
        if (rule(numberFieldValue(text)) == wanted)
            return text;
    }
    return QString::number(shownAs, 'g', 9);
}

} // namespace

void VantrelController::connectPresetControls() {
    // The pop-up stands above the action tabs, where the recipe it names is edited.
    auto* bar = new QWidget(mUi->mEffectsPane);
    bar->setObjectName(QStringLiteral("mPresetBar"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 4, 8, 4);
    auto* label = new QLabel(tr("Preset:"), bar);
    mPresetPopUp = new QComboBox(bar);
    mPresetPopUp->setObjectName(QStringLiteral("mPresetPopUp"));
    mPresetPopUp->setAccessibleName(QStringLiteral("Preset"));
    mPresetPopUp->setToolTip(tr("Effects, names and output choices saved under a name"));
    mPresetPopUp->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    mPresetPopUp->setMinimumContentsLength(16);
    label->setBuddy(mPresetPopUp);
    row->addWidget(label);
    row->addWidget(mPresetPopUp, 1);
    auto* pane = qobject_cast<QBoxLayout*>(mUi->mEffectsPane->layout());
    pane->insertWidget(0, bar);
    connect(mPresetPopUp, qOverload<int>(&QComboBox::activated), this,
            [this] { presetPopUpDidChange(mPresetPopUp); });
    reloadPresetPopUp();
}

void VantrelController::reloadPresetPopUp() {
    if (!mPresetPopUp)
        return;
    const QSignalBlocker quiet(mPresetPopUp);
    mPresetPopUp->clear();
    mPresetPopUp->addItem(tr(kNoPreset), static_cast<int>(PresetItem::None));
    bool chosenIsThere = false;
    for (const PresetFile& file : listPresets(presetsFolder())) {
        for (const QString& warning : file.warnings)
            systemLog(warning);
        const QByteArray path = QByteArray::fromStdString(file.path);
        if (!file.preset) {
            // Listed, so that the user sees which file it is, but it cannot be chosen.
            systemLog(file.error);
            mPresetPopUp->addItem(tr("%1 (damaged)").arg(file.name),
                                  static_cast<int>(PresetItem::Damaged));
            const int index = mPresetPopUp->count() - 1;
            mPresetPopUp->setItemData(index, file.error, Qt::ToolTipRole);
            mPresetPopUp->setItemData(index, 0, kEnabledRole);
            continue;
        }
        mPresetPopUp->addItem(file.name, static_cast<int>(PresetItem::Preset));
        mPresetPopUp->setItemData(mPresetPopUp->count() - 1, path, kPathRole);
        mPresetPopUp->setItemData(mPresetPopUp->count() - 1, file.name, kNameRole);
        if (file.name == mChosenPresetName) {
            chosenIsThere = true;
            mChosenPresetPath = file.path;
        }
    }
    mPresetPopUp->insertSeparator(mPresetPopUp->count());
    mPresetPopUp->addItem(tr("Save Preset..."), static_cast<int>(PresetItem::Save));
    mPresetPopUp->addItem(tr("Delete Preset"), static_cast<int>(PresetItem::Delete));
    mPresetPopUp->addItem(tr("Manage Presets..."), static_cast<int>(PresetItem::Manage));
    if (!chosenIsThere) {
        mChosenPresetName.clear();
        mChosenPresetPath.clear();
    }
    choosePresetItem(mChosenPresetName);
}

void VantrelController::choosePresetItem(const QString& name) {
    const QSignalBlocker quiet(mPresetPopUp);
    int chosen = 0;
    for (int i = 0; i < mPresetPopUp->count(); ++i) {
        if (itemKind(mPresetPopUp, i) == PresetItem::Preset) {
            const QString itemName = mPresetPopUp->itemData(i, kNameRole).toString();
            mPresetPopUp->setItemText(i, itemName);
            if (!name.isEmpty() && itemName == name)
                chosen = i;
        }
    }
    mPresetPopUp->setCurrentIndex(chosen);
    // "Delete Preset" needs a chosen preset.
    const int deleteItem = mPresetPopUp->findData(static_cast<int>(PresetItem::Delete), kItemRole);
    mPresetPopUp->setItemData(deleteItem, chosen > 0 ? QVariant() : QVariant(0), kEnabledRole);
    if (chosen > 0)
        mPresetPopUp->setItemText(chosen, presetPopUpTitle());
}

QString VantrelController::presetPopUpTitle() const {
    if (mChosenPresetName.isEmpty())
        return tr(kNoPreset);
    if (mPendingPresetEffects || mApplyingPreset)
        return mChosenPresetName;
    const bool modified =
        writePreset(presetFromControls(mChosenPresetHasDestination)) != mChosenPresetState;
    return modified ? mChosenPresetName + QStringLiteral(" *") : mChosenPresetName;
}

void VantrelController::presetPopUpDidChange(QObject*) {
    const int index = mPresetPopUp->currentIndex();
    switch (itemKind(mPresetPopUp, index)) {
    case PresetItem::Preset: {
        const PresetFile file =
            loadPresetFile(mPresetPopUp->itemData(index, kPathRole).toByteArray().toStdString());
        for (const QString& warning : file.warnings)
            systemLog(warning);
        if (!file.preset) {
            // Changed on disk since the pop-up was filled.
            systemLog(file.error);
            QMessageBox::warning(this, tr("Preset"), file.error);
            reloadPresetPopUp();
            return;
        }
        mChosenPresetName = file.name;
        mChosenPresetPath = file.path;
        applyPreset(*file.preset);
        return;
    }
    case PresetItem::None:
        mChosenPresetName.clear();
        mChosenPresetPath.clear();
        break;
    case PresetItem::Damaged:
        break;
    case PresetItem::Save:
        savePresetButtonClicked(mPresetPopUp);
        break;
    case PresetItem::Delete:
        deletePresetButtonClicked(mPresetPopUp);
        break;
    case PresetItem::Manage:
        managePresetsButtonClicked(mPresetPopUp);
        break;
    }
    // The pop-up goes back to naming the chosen preset, not the command.
    choosePresetItem(mChosenPresetName);
}

void VantrelController::applyPreset(const Preset& preset) {
    mApplyingPreset = true;
    mChosenPresetHasDestination = preset.destinationIncluded;
    applyPresetOutput(preset);
    if (selectedPhotoSize()) {
        applyPresetEffects(preset);
        mPendingPresetEffects.reset();
    } else {
        mPendingPresetEffects = preset;
    }
    mApplyingPreset = false;
    mChosenPresetState = writePreset(presetFromControls(mChosenPresetHasDestination));
    choosePresetItem(mChosenPresetName);
}

void VantrelController::applyPresetOutput(const Preset& preset) {
    Ui::MainWindow& ui = *mUi;
    const ExportSettings& output = preset.output;
    ui.mNameNewOrOriginalPopUp->setCurrentIndex(output.useNameTemplate    ? 2
                                                : output.keepOriginalName ? 1
                                                                          : 0);
    newNameOrOriginalPopUpDidChange(ui.mNameNewOrOriginalPopUp);
    ui.mNewNameTextField->setText(QString::fromStdString(output.newName));
    controlTextDidEndEditing(ui.mNewNameTextField);
    ui.mNameTemplateTextField->setText(QString::fromStdString(output.nameTemplate));
    nameTemplateDidChange(ui.mNameTemplateTextField);
    ui.mSaveOptionKeepFolders->setChecked(output.keepFolders);
    ui.mNameSerializePopUp->setCurrentIndex(preset.serial == SerialStyle::Plain ? 1 : 0);
    saveDefaults(ui.mNameSerializePopUp);
    const int type = ui.mSaveOptionFileTypeButton->findText(
        QString::fromLatin1(outputTypeTitle(output.outputType)));
    if (type >= 0)
        ui.mSaveOptionFileTypeButton->setCurrentIndex(type);
    savePopupChanged(ui.mSaveOptionFileTypeButton);
    // Their signals store them, as a user's change does.
    ui.mSaveOptionQualitySlider->setValue(output.quality);
    ui.mSaveOptionTransferMetadata->setChecked(output.transferMetadata);
    ui.mSaveOptionLossless->setChecked(output.lossless);
    ui.mSaveOptionProgressive->setChecked(output.progressive);
    ui.mSaveOptionFullChroma->setChecked(output.chroma444);
    ui.mSaveOptionMaxSizeField->setValue(output.maxKilobytes);
    ui.mSaveOptionMetadataChoice->setCurrentIndex(output.withoutPrivateMetadata ? 1 : 0);
    saveDefaults(ui.mSaveOptionMetadataChoice);
    if (preset.destinationIncluded) {
        const QString destination =
            QFile::decodeName(QByteArray::fromStdString(output.destination));
        ui.mSaveDestinationPathLabel->setText(destination);
        ui.mSaveDestinationPathFolderIcon->setIcon(iconForPath(output.destination));
        saveDefaults(ui.mSaveChooseButton);
    }
}

void VantrelController::applyPresetEffects(const Preset& preset) {
    Ui::MainWindow& ui = *mUi;
    const Effects& wanted = preset.effects;
    const std::optional<QSize> size = selectedPhotoSize();
    if (!size)
        return;
    // From neutral, as a user would start: every step below is one control moved or typed.
    resetEffectsButtonIsPressed(ui.mResetAllEffectsButton);

    const std::pair<QSlider*, float> colours[] = {{ui.mBrightnessSlider, wanted.brightnessValue()},
                                                  {ui.mConstrastSlider, wanted.contrastValue()},
                                                  {ui.mSaturationSlider, wanted.saturationValue()}};
    for (const auto& [slider, value] : colours) {
        setSliderValue(slider, value);
        adjustSliderDidChange(slider);
    }

    const bool pixels = preset.cropMode == CropMode::Pixels;
    ui.mCropByPercentageOrPixels->setCurrentIndex(pixels ? 1 : 0);
    cropByPercentageOrPixelsPopUpDidChange(ui.mCropByPercentageOrPixels);
    const double width = size->width();
    const double height = size->height();
    const std::pair<QSlider*, double> crops[] = {
        {ui.mCropLeftSlider,
         pixels ? wanted.cropLeftPixels() / width : double(wanted.cropLeftPercentage())},
        {ui.mCropRightSlider,
         pixels ? wanted.cropRightPixels() / width : double(wanted.cropRightPercentage())},
        {ui.mCropTopSlider,
         pixels ? wanted.cropTopPixels() / height : double(wanted.cropTopPercentage())},
        {ui.mCropBottomSlider,
         pixels ? wanted.cropBottomPixels() / height : double(wanted.cropBottomPercentage())}};
    for (const auto& [slider, value] : crops) {
        if (value == 0)
            continue;
        setSliderValue(slider, value);
        cropSliderDidChange(slider);
    }

    const int quarterTurns = (static_cast<int>(wanted.rotationDegrees()) / 90) % 4;
    for (int turn = 0; turn < quarterTurns; ++turn)
        ui.mRotateSegmentedControls->clickSegment(0);

    // The scale fields set the values of the mode they are typed in; the mode shown may be
    // another one, as after a user switched the pop-up without typing.
    int typedMode = -1;
    float x = 0;
    float y = 0;
    double xShown = 0;
    double yShown = 0;
    std::function<float(float)> rule;
    if (wanted.scaleXPixels() != 0 || wanted.scaleYPixels() != 0) {
        typedMode = 1;
        x = wanted.scaleXPixels();
        y = wanted.scaleYPixels();
    } else if (wanted.scaleXMaximumPixels() != 0 || wanted.scaleYMaximumPixels() != 0) {
        typedMode = 2;
        x = wanted.scaleXMaximumPixels();
        y = wanted.scaleYMaximumPixels();
    } else if (wanted.scaleXPercentage() != 1 || wanted.scaleYPercentage() != 1) {
        typedMode = 0;
        x = wanted.scaleXPercentage();
        y = wanted.scaleYPercentage();
    }
    if (typedMode == 0) {
        rule = [](float typed) {
            return vantrel::keepFloatValue(typed, 200.0f) / 100.0f;
        };
        xShown = double(x) * 100.0;
        yShown = double(y) * 100.0;
    } else {
        rule = [](float typed) {
            return vantrel::keepFloatValue(typed, 4000.0f);
        };
        xShown = x;
        yShown = y;
    }
    if (typedMode >= 0) {
        ui.mScaleByPercentageOrPixels->setCurrentIndex(typedMode);
        scaleByPercentageOrPixelsPopUpDidChange(ui.mScaleByPercentageOrPixels);
        ui.mScaleXTextField->setText(typedText(x, xShown, rule));
        ui.mScaleYTextField->setText(typedText(y, yShown, rule));
        controlTextDidEndEditing(ui.mScaleXTextField);
    }
    const int shownMode = static_cast<int>(preset.scaleMode);
    if (ui.mScaleByPercentageOrPixels->currentIndex() != shownMode) {
        ui.mScaleByPercentageOrPixels->setCurrentIndex(shownMode);
        scaleByPercentageOrPixelsPopUpDidChange(ui.mScaleByPercentageOrPixels);
    }
}

Preset VantrelController::presetFromControls(bool withDestination) const {
    const Ui::MainWindow& ui = *mUi;
    Preset preset;
    preset.effects = Effects::sharedEffects();
    preset.cropMode =
        ui.mCropByPercentageOrPixels->currentIndex() == 0 ? CropMode::Fractions : CropMode::Pixels;
    switch (ui.mScaleByPercentageOrPixels->currentIndex()) {
    case 0:
        preset.scaleMode = ScaleMode::Factors;
        break;
    case 1:
        preset.scaleMode = ScaleMode::Pixels;
        break;
    default:
        preset.scaleMode = ScaleMode::Maximum;
        break;
    }
    preset.serial =
        ui.mNameSerializePopUp->currentIndex() == 1 ? SerialStyle::Plain : SerialStyle::Padded;
    preset.output = exportSettingsFromControls(ui);
    preset.destinationIncluded = withDestination;
    if (withDestination)
        preset.output.destination = standardizePath(preset.output.destination);
    return preset;
}

void VantrelController::presetControlsDidChange() {
    if (mApplyingPreset || !mPresetPopUp)
        return;
    if (mPendingPresetEffects && selectedPhotoSize()) {
        // The first photo to measure the preset's pixel crop against is here.
        const Preset pending = *mPendingPresetEffects;
        mPendingPresetEffects.reset();
        mApplyingPreset = true;
        applyPresetEffects(pending);
        mApplyingPreset = false;
        if (!mChosenPresetName.isEmpty())
            mChosenPresetState = writePreset(presetFromControls(mChosenPresetHasDestination));
    }
    const int chosen = mPresetPopUp->currentIndex();
    if (chosen > 0 && itemKind(mPresetPopUp, chosen) == PresetItem::Preset)
        mPresetPopUp->setItemText(chosen, presetPopUpTitle());
}

std::optional<QString> VantrelController::savePresetNamed(const QString& name, bool withDestination,
                                                          bool replace) {
    const std::string folder = presetsFolder();
    if (const auto problem = presetNameProblem(name))
        return problem;
    if (!replace && findPreset(folder, name).preset)
        return tr("A preset named \"%1\" already exists.").arg(name);
    const Preset preset = presetFromControls(withDestination);
    if (const auto error = savePreset(folder, name, preset))
        return error;
    mChosenPresetName = name;
    mChosenPresetHasDestination = withDestination;
    mChosenPresetState = writePreset(preset);
    reloadPresetPopUp();
    return std::nullopt;
}

void VantrelController::savePresetButtonClicked(QObject*) {
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("mSavePresetDialog"));
    dialog.setWindowTitle(tr("Save Preset"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(tr("Save the effects, names and output choices as:"), &dialog));
    auto* name = new QLineEdit(mChosenPresetName, &dialog);
    name->setObjectName(QStringLiteral("mPresetNameField"));
    name->setAccessibleName(QStringLiteral("Preset name"));
    name->selectAll();
    layout->addWidget(name);
    auto* destination = new QCheckBox(tr("Include the destination folder"), &dialog);
    destination->setObjectName(QStringLiteral("mPresetDestinationCheckbox"));
    destination->setChecked(mChosenPresetHasDestination);
    layout->addWidget(destination);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return;
        const QString chosen = name->text().trimmed();
        bool replace = false;
        if (!presetNameProblem(chosen) && findPreset(presetsFolder(), chosen).preset) {
            const auto answer = QMessageBox::question(
                this, tr("Save Preset"),
                tr("A preset named \"%1\" already exists. Do you want to replace it?").arg(chosen),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            if (answer != QMessageBox::Yes)
                continue;
            replace = true;
        }
        const auto error = savePresetNamed(chosen, destination->isChecked(), replace);
        if (!error)
            return;
        QMessageBox::warning(this, tr("Save Preset"), *error);
    }
}

void VantrelController::deletePresetButtonClicked(QObject*) {
    if (mChosenPresetName.isEmpty())
        return;
    const auto answer = QMessageBox::question(
        this, tr("Delete Preset"),
        tr("Delete the preset \"%1\"? This cannot be undone.").arg(mChosenPresetName),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    if (const auto error = deletePresetFile(mChosenPresetPath))
        QMessageBox::warning(this, tr("Delete Preset"), *error);
    mChosenPresetName.clear();
    mChosenPresetPath.clear();
    reloadPresetPopUp();
}

void VantrelController::managePresetsButtonClicked(QObject*) {
    const std::string folder = presetsFolder();
    QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(folder)));
    openUrl(fileUrlFromBytes(folder));
    // Files added or removed by hand there show up the next time the pop-up is filled.
    reloadPresetPopUp();
}

void VantrelController::saveLastEffects() const {
    QSettings settings;
    settings.setValue(QString::fromLatin1(SettingsKeys::lastEffects),
                      QString::fromStdString(writePreset(presetFromControls(false))));
}

void VantrelController::restoreLastEffects() {
    const QSettings settings;
    if (!settings.value(QString::fromLatin1(SettingsKeys::restoreLastEffects), false).toBool())
        return;
    const QByteArray text =
        settings.value(QString::fromLatin1(SettingsKeys::lastEffects)).toString().toUtf8();
    if (text.isEmpty())
        return;
    const PresetReading reading = readPreset(std::string_view(text.constData(), text.size()));
    if (!reading.preset) {
        systemLog(QStringLiteral("The last effects cannot be restored: %1").arg(reading.error));
        return;
    }
    // Only the effects: the name and save tabs keep their own settings from launch to launch.
    mPendingPresetEffects = *reading.preset;
}

} // namespace vantrel
