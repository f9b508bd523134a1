#include "core/batch/AppData.h"
#include "core/export/ExportSettings.h"
#include "core/export/NameTemplate.h"
#include "core/export/OutputPlan.h"
#include "core/imaging/PhotoFile.h"
#include "core/imaging/WorkingImage.h"
#include "gui/window/VantrelController.h"
#include "ui_MainWindow.h"

namespace vantrel {

namespace {

constexpr int kTemplateItem = 2;

} // namespace

void VantrelController::connectNameTemplateControls() {
    Ui::MainWindow& ui = *mUi;
    connect(ui.mNameTemplateTextField, &QLineEdit::textEdited, this,
            [this] { nameTemplateDidChange(mUi->mNameTemplateTextField); });
    connect(ui.mSaveOptionKeepFolders, &QCheckBox::toggled, this,
            [this] { keepFolderStructureDidChange(mUi->mSaveOptionKeepFolders); });
}

void VantrelController::showNameTemplateControls() {
    Ui::MainWindow& ui = *mUi;
    const bool fromTemplate = ui.mNameNewOrOriginalPopUp->currentIndex() == kTemplateItem;
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui.mNameTemplateLabel, ui.mNameTemplateTextField,
                                         ui.mNameTemplateErrorLabel, ui.mNameTemplateExampleLabel})
        control->setVisible(fromTemplate);
    updateNameTemplateExample();
}

void VantrelController::nameTemplateDidChange(QObject* sender) {
    saveDefaults(sender);
    updateNameTemplateExample();
}

void VantrelController::keepFolderStructureDidChange(QObject* sender) {
    saveDefaults(sender);
    updateNameTemplateExample();
}

bool VantrelController::nameTemplateIsUsable() const {
    return mUi->mNameNewOrOriginalPopUp->currentIndex() != kTemplateItem ||
           NameTemplate::parse(mUi->mNameTemplateTextField->text().toStdString()).isValid();
}

void VantrelController::updateNameTemplateExample() {
    Ui::MainWindow& ui = *mUi;
    if (ui.mNameNewOrOriginalPopUp->currentIndex() != kTemplateItem)
        return;
    const NameTemplate parsed =
        NameTemplate::parse(ui.mNameTemplateTextField->text().toStdString());
    ui.mNameTemplateErrorLabel->setText(parsed.isValid() ? QString() : parsed.error());
    ui.mNameTemplateErrorLabel->setVisible(!parsed.isValid());
    ImageList& images = AppData::sharedData().currentImages();
    const auto index = static_cast<std::size_t>(mIndexOfSelectedImage);
    if (!parsed.isValid() || index >= images.size() || mUi->mTabViewEffects->currentIndex() != 3) {
        ui.mNameTemplateExampleLabel->clear();
        return;
    }
    const Image& photo = *images[index];

    ExportSettings settings;
    settings.useNameTemplate = true;
    settings.nameTemplate = ui.mNameTemplateTextField->text().toStdString();
    settings.keepFolders = ui.mSaveOptionKeepFolders->isChecked();
    settings.outputType =
        outputTypeFromTitle(ui.mSaveOptionFileTypeButton->currentText().toStdString())
            .value_or(OutputType::OriginalFileType);
    OutputSubject subject{photo.path(), photo.imageTitle(), photo.foundInFolders()};
    if (parsed.needsSize()) {
        // The export's own recipe from the photo's header: the size the output will have.
        Image probe(subject.path);
        probe.applyEffectsForPreview(false);
        if (const auto recipe = probe.workingImage()) {
            subject.width = recipe->pixelSize().width;
            subject.height = recipe->pixelSize().height;
        }
    }
    OutputPlan plan(settings, std::string(), static_cast<long>(images.size()));
    const std::string example = plan.requestedPath(subject, static_cast<long>(index));
    ui.mNameTemplateExampleLabel->setText(tr("Example: %1").arg(displayPath(example)));
}

} // namespace vantrel
