#include "core/batch/AppData.h"
#include "core/batch/DefaultDestination.h"
#include "core/batch/SettingsRules.h"
#include "core/imaging/OrientationChoice.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/window/DesktopServices.h"
#include "gui/window/SaveOptions.h"
#include "gui/window/VantrelController.h"
#include "ui_MainWindow.h"

#include <QDate>
#include <QFile>
#include <QSettings>

namespace vantrel {
namespace {

std::optional<QVariant> storedValue(const QSettings& settings, const char* key) {
    const QString name = QString::fromLatin1(key);
    if (!settings.contains(name))
        return std::nullopt;
    return settings.value(name);
}

} // namespace

void VantrelController::loadUserDefaults() {
    QSettings settings;
    Ui::MainWindow& ui = *mUi;

    // Loading shows what is stored; it must not store it again through the controls' actions.
    if (const auto value = storedValue(settings, SettingsKeys::transferMetadataFromSource)) {
        const QSignalBlocker quiet(ui.mSaveOptionTransferMetadata);
        ui.mSaveOptionTransferMetadata->setChecked(value->toInt() != 0);
    }
    if (const auto value = storedValue(settings, SettingsKeys::fileTypeToSave)) {
        // A title that matches no item leaves the selection as it is.
        const int index = ui.mSaveOptionFileTypeButton->findText(value->toString());
        if (index >= 0)
            ui.mSaveOptionFileTypeButton->setCurrentIndex(index);
    }
    if (const auto value = storedValue(settings, SettingsKeys::qualitySliderLastUsedValue)) {
        const QSignalBlocker quiet(ui.mSaveOptionQualitySlider);
        ui.mSaveOptionQualitySlider->setValue(value->toInt());
        ui.mSaveOptionQualityValue->setText(QString::number(value->toInt()));
    }
    if (const auto value = storedValue(settings, SettingsKeys::keepOriginalName)) {
        const int index = value->toInt();
        if (index >= 0 && index < ui.mNameNewOrOriginalPopUp->count())
            ui.mNameNewOrOriginalPopUp->setCurrentIndex(index);
    }

    std::optional<QString> savedFolderName;
    if (const auto value = storedValue(settings, SettingsKeys::targetDirectoryName))
        savedFolderName = value->toString();
    ui.mNameTargetDirectoryTextField->setText(targetDirectoryNameFor(
        savedFolderName, QDate::currentDate(), ui.mNameTargetDirectoryTextField->text()));

    if (const auto value = storedValue(settings, SettingsKeys::imageName))
        ui.mNewNameTextField->setText(value->toString());
    if (const auto value = storedValue(settings, SettingsKeys::nameTemplate))
        ui.mNameTemplateTextField->setText(value->toString());
    if (const auto value = storedValue(settings, SettingsKeys::keepFolderStructure)) {
        const QSignalBlocker quiet(ui.mSaveOptionKeepFolders);
        ui.mSaveOptionKeepFolders->setChecked(value->toBool());
    }
    if (const auto value = storedValue(settings, SettingsKeys::serializeSuffix)) {
        const int index = value->toInt();
        if (index >= 0 && index < ui.mNameSerializePopUp->count())
            ui.mNameSerializePopUp->setCurrentIndex(index);
    }

    const std::string defaultDestination = defaultDestinationPath();
    createDefaultDestinationPathIfNeeded(defaultDestination);
    if (const auto value = storedValue(settings, SettingsKeys::saveDestinationPath))
        ui.mSaveDestinationPathLabel->setText(value->toString());
    else
        ui.mSaveDestinationPathLabel->setText(QFile::decodeName(defaultDestination.c_str()));

    loadSaveOptions(ui, settings);

    const FinishingFlags flags = loadFinishingFlags(settings);
    mShouldPlaySoundAfterProcessing = flags.playSound;
    mShouldQuitAfterProcessing = flags.quitApp;
    mShouldOpenDestinationFolderAfterProcessing = flags.openDestinationFolder;
    useCameraOrientation(loadApplyCameraOrientation(settings));
    settings.sync();
}

void VantrelController::applyCameraOrientationSetting() {
    QSettings settings;
    useCameraOrientation(loadApplyCameraOrientation(settings));
}

void VantrelController::useCameraOrientation(bool applied) {
    if (applied == cameraOrientationApplied())
        return;
    setCameraOrientationApplied(applied);
    // Nothing made under the other choice may be shown beside what this one makes, nor
    // arrive later from a decode already under way.
    ++mDecodingChoice;
    mPreviewSource.reset();
    mFirstLookSource.reset();
    mNeighbourSource.reset();
    mSourceDecoding.clear();
    mNeighbourDecoding.clear();
    mUi->mImageBrowser->reloadThumbnails();
    reloadImageAfterApplyingEffects();
}

void VantrelController::saveDefaults(QObject* sender) {
    QSettings settings;
    Ui::MainWindow& ui = *mUi;
    auto store = [&settings](const char* key, const QVariant& value) {
        settings.setValue(QString::fromLatin1(key), value);
    };
    if (sender == nullptr) {
        // Nothing to store.
    } else if (storeSaveOption(ui, sender, settings)) {
        // One of the encoder or metadata choices beside the file type.
    } else if (sender == ui.mSaveOptionTransferMetadata) {
        store(SettingsKeys::transferMetadataFromSource,
              ui.mSaveOptionTransferMetadata->isChecked() ? 1 : 0);
        showSaveOptions(ui);
    } else if (sender == ui.mSaveOptionFileTypeButton) {
        store(SettingsKeys::fileTypeToSave, ui.mSaveOptionFileTypeButton->currentText());
    } else if (sender == ui.mSaveOptionQualitySlider) {
        const int quality = ui.mSaveOptionQualitySlider->value();
        store(SettingsKeys::qualitySliderLastUsedValue, quality);
        ui.mSaveOptionQualityValue->setText(QString::number(quality));
    } else if (sender == ui.mNameNewOrOriginalPopUp) {
        store(SettingsKeys::keepOriginalName, ui.mNameNewOrOriginalPopUp->currentIndex());
    } else if (sender == ui.mNameTargetDirectoryTextField) {
        store(SettingsKeys::targetDirectoryName, ui.mNameTargetDirectoryTextField->text());
    } else if (sender == ui.mNewNameTextField) {
        store(SettingsKeys::imageName, ui.mNewNameTextField->text());
    } else if (sender == ui.mNameSerializePopUp) {
        store(SettingsKeys::serializeSuffix, ui.mNameSerializePopUp->currentIndex());
    } else if (sender == ui.mNameTemplateTextField) {
        store(SettingsKeys::nameTemplate, ui.mNameTemplateTextField->text());
    } else if (sender == ui.mSaveOptionKeepFolders) {
        store(SettingsKeys::keepFolderStructure, ui.mSaveOptionKeepFolders->isChecked());
    } else if (sender == ui.mSaveChooseButton) {
        store(SettingsKeys::saveDestinationPath, ui.mSaveDestinationPathLabel->text());
    }
    settings.sync();
    presetControlsDidChange();
}

void VantrelController::createDefaultDestinationPathIfNeeded(const std::string& path) {
    createDefaultDestinationWithFolderIcon(path);
}

} // namespace vantrel
