#include "gui/window/SaveOptions.h"

#include "core/batch/SettingsRules.h"
#include "ui_MainWindow.h"

#include <QSettings>

namespace vantrel {

SaveOptionsShown saveOptionsShownFor(const QString& typeTitle) {
    SaveOptionsShown shown;
    shown.jpeg = typeTitle == QLatin1String("JPG");
    shown.webp = typeTitle == QLatin1String("WebP");
    shown.quality = shown.jpeg || shown.webp || typeTitle == QLatin1String("AVIF");
    return shown;
}

void showSaveOptions(Ui::MainWindow& ui) {
    const SaveOptionsShown shown = saveOptionsShownFor(ui.mSaveOptionFileTypeButton->currentText());
    ui.mSaveOptionMaxSizeField->setVisible(shown.quality);
    ui.mSaveOptionProgressive->setVisible(shown.jpeg);
    ui.mSaveOptionFullChroma->setVisible(shown.jpeg);
    ui.mSaveOptionLossless->setVisible(shown.webp);
    ui.mSaveOptionEncoderView->setVisible(shown.jpeg || shown.webp);
    // Lossless WebP has neither a quality nor a size to aim at.
    const bool lossless = shown.webp && ui.mSaveOptionLossless->isChecked();
    ui.mSaveOptionQualitySlider->setEnabled(!lossless);
    ui.mSaveOptionMaxSizeField->setEnabled(!lossless);
    ui.mSaveOptionMetadataChoice->setEnabled(ui.mSaveOptionTransferMetadata->isChecked());
}

void loadSaveOptions(Ui::MainWindow& ui, const QSettings& settings) {
    const auto load = [&settings](const char* key, auto apply) {
        const QString name = QString::fromLatin1(key);
        if (settings.contains(name))
            apply(settings.value(name));
    };
    const auto check = [&load](const char* key, QCheckBox* box) {
        load(key, [box](const QVariant& value) {
            const QSignalBlocker quiet(box);
            box->setChecked(value.toBool());
        });
    };
    check(SettingsKeys::webpLossless, ui.mSaveOptionLossless);
    check(SettingsKeys::jpegProgressive, ui.mSaveOptionProgressive);
    check(SettingsKeys::jpegFullChroma, ui.mSaveOptionFullChroma);
    load(SettingsKeys::maxFileSizeKB, [&ui](const QVariant& value) {
        const QSignalBlocker quiet(ui.mSaveOptionMaxSizeField);
        ui.mSaveOptionMaxSizeField->setValue(value.toInt());
    });
    load(SettingsKeys::metadataWithoutPrivate, [&ui](const QVariant& value) {
        const QSignalBlocker quiet(ui.mSaveOptionMetadataChoice);
        ui.mSaveOptionMetadataChoice->setCurrentIndex(value.toBool() ? 1 : 0);
    });
    showSaveOptions(ui);
}

bool storeSaveOption(const Ui::MainWindow& ui, const QObject* sender, QSettings& settings) {
    const auto store = [&settings](const char* key, const QVariant& value) {
        settings.setValue(QString::fromLatin1(key), value);
        return true;
    };
    if (sender == ui.mSaveOptionLossless)
        return store(SettingsKeys::webpLossless, ui.mSaveOptionLossless->isChecked());
    if (sender == ui.mSaveOptionProgressive)
        return store(SettingsKeys::jpegProgressive, ui.mSaveOptionProgressive->isChecked());
    if (sender == ui.mSaveOptionFullChroma)
        return store(SettingsKeys::jpegFullChroma, ui.mSaveOptionFullChroma->isChecked());
    if (sender == ui.mSaveOptionMaxSizeField)
        return store(SettingsKeys::maxFileSizeKB, ui.mSaveOptionMaxSizeField->value());
    if (sender == ui.mSaveOptionMetadataChoice)
        return store(SettingsKeys::metadataWithoutPrivate,
                     ui.mSaveOptionMetadataChoice->currentIndex() == 1);
    return false;
}

void readSaveOptions(const Ui::MainWindow& ui, ExportSettings& settings) {
    settings.lossless = ui.mSaveOptionLossless->isChecked();
    settings.progressive = ui.mSaveOptionProgressive->isChecked();
    settings.chroma444 = ui.mSaveOptionFullChroma->isChecked();
    settings.maxKilobytes = ui.mSaveOptionMaxSizeField->value();
    settings.withoutPrivateMetadata = ui.mSaveOptionMetadataChoice->currentIndex() == 1;
}

} // namespace vantrel
