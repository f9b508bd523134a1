#include "gui/window/VantrelController.h"

#include "core/batch/AppData.h"
#include "core/batch/ImportWalker.h"
#include "core/batch/SettingsRules.h"
#include "core/batch/SystemLog.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/preview/PreviewImageView.h"
#include "gui/skin/ComboItems.h"
#include "gui/skin/ImageButton.h"
#include "gui/skin/M_ViewWithBackgroundImage.h"
#include "gui/skin/Skin.h"
#include "gui/window/DesktopServices.h"
#include "gui/window/SaveOptions.h"
#include "gui/windows/PreferencesController.h"
#include "ui_ErrorSheet.h"
#include "ui_MainWindow.h"
#include "ui_ProgressSheet.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <cstdlib>

namespace vantrel {
namespace {

VantrelController* gController = nullptr;

const char* const kWindowGeometryKey = "MainWindowGeometry";
const char* const kSplitStateKey = "MainWindowSplits";

// The two greys of the window's text and labels.
QColor lightGrey() {
    return QColor::fromRgbF(168 / 255.0, 168 / 255.0, 168 / 255.0, 1.0);
}
QColor darkGrey() {
    return QColor::fromRgbF(40 / 255.0, 40 / 255.0, 40 / 255.0, 1.0);
}

} // namespace

VantrelController::VantrelController(QWidget* parent)
    : QMainWindow(parent), mUi(std::make_unique<Ui::MainWindow>()),
      mSheetUi(std::make_unique<Ui::ProgressSheet>()) {
    if (gController) {
        // Checked before any window is built so that nothing of a second window shows. The
        // log text keeps its spelling ("instantied"): log readers match it word for word.
        systemLog(QStringLiteral("photo controller instantied twice!"));
        std::exit(2);
    }
    mUi->setupUi(this);
    mSheet = new QDialog(this);
    mSheetUi->setupUi(mSheet);
    mSheet->setWindowModality(Qt::WindowModal);
    mProgressTimer = new QTimer(this);
    mProgressTimer->setInterval(40);
    connect(mProgressTimer, &QTimer::timeout, this, [this] { updateProgressBar(); });
    mThumbnailHoldTimer = new QTimer(this);
    mThumbnailHoldTimer->setSingleShot(true);
    mThumbnailHoldTimer->setInterval(400);
    connect(mThumbnailHoldTimer, &QTimer::timeout, this, [this] { holdThumbnailsBack(false); });

    mRightClickMenu = new QMenu(this);
    mRightClickMenu->setObjectName(QStringLiteral("mRightClickMenu"));
    mRightClickMenu->addAction(mUi->mShowImageInfoAction);
    mRightClickMenu->addAction(mUi->mRevealInFinderAction);
    mRightClickMenu->addSeparator();
    mRightClickMenu->addAction(mUi->mRemoveSelectedAction);

    connectActions();
    connectExportActions();
    connectEffectControls();
    connectPresetControls();
    awakeFromNib();
}

VantrelController::~VantrelController() {
    // A running import hands its photos over on this thread: let it finish its calls.
    mModalSheetShouldEnd.store(true);
    for (QThread* worker : {mOpeningThread.get(), mExportThread.get()}) {
        while (worker && !worker->wait(10))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    // The preview's decodes and renders answer this window from the shared pool: none may
    // still be under way once it is torn down (a render told it is no longer wanted stops).
    ++*mPreviewGeneration;
    QThreadPool::globalInstance()->waitForDone();
    if (gController == this)
        gController = nullptr;
    // The base class tears the window down after this: a field that loses its focus then
    // must not call back into the controller that is already gone.
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
}

VantrelController* VantrelController::controller() {
    return gController;
}

ImageBrowserView* VantrelController::imageBrowser() const {
    return mUi->mImageBrowser;
}
PreviewImageView* VantrelController::previewImage() const {
    return mUi->mPreviewImage;
}

void VantrelController::awakeFromNib() {
    gController = this;
    loadUserDefaults();

    restoreWindowGeometry();
    PreferencesController::controller().loadUserDefaults();

    // The empty layout until the browser first reports its items.
    mUi->mBottomView->hide();
    mUi->mTopView->setIsResizable(true);
    // Behind the preview the picture fills the whole area too: a tiled row would leave a
    // band along its top edge.
    mUi->mPreviewImageViewBackground->setIsResizable(true);

    mUi->mTopView->setBackgroundImage(skinPicture(QStringLiteral("launch-background.png")));
    mUi->mPreviewOptionsViewBackground->setBackgroundImage(
        skinPicture(QStringLiteral("toolbar-preview.png")));
    mUi->mBrowserViewToolBarBackground->setBackgroundImage(
        skinPicture(QStringLiteral("toolbar-file-area.png")));
    mUi->mBrowserBackground->setBackgroundImage(skinPicture(QStringLiteral("bg-file-area.png")));
    mUi->mEffectsViewToolBarBackground->setBackgroundImage(
        skinPicture(QStringLiteral("toolbar-actions.png")));
    mUi->mEffectsTabViewBackground->setBackgroundImage(
        skinPicture(QStringLiteral("bg-actions.png")));

    newNameOrOriginalPopUpDidChange(mUi->mNameNewOrOriginalPopUp);
    savePopupChanged(nullptr);

    for (QLabel* unit :
         {mUi->mCropLeftPercentageOrPixelsLabel, mUi->mCropRightPercentageOrPixelsLabel,
          mUi->mCropTopPercentageOrPixelsLabel, mUi->mCropBottomPercentageOrPixelsLabel,
          mUi->mScaleXPercentageOrPixelsLabel, mUi->mScaleYPercentageOrPixelsLabel})
        unit->setText(QStringLiteral("%"));

    mUi->mSaveDestinationPathFolderIcon->setIcon(
        iconForPath(QFile::encodeName(mUi->mSaveDestinationPathLabel->text()).toStdString()));

    setButtonTitleFor(mUi->mActualSizeButton, QStringLiteral("Actual Pixels"), Qt::white, 11);
    setButtonTitleFor(mUi->mFitToScreenButton, QStringLiteral("Fit Screen"), Qt::white, 11);
    setButtonTitleFor(mUi->mResetAllEffectsButton, QStringLiteral("Reset All"), darkGrey(), 11);
    setButtonTitleFor(mUi->mFXOnButton, QStringLiteral("FX On"), Qt::white, 11);
    setButtonTitleFor(mUi->mFXOffButton, QStringLiteral("FX Off"), Qt::white, 11);

    QPalette zoomLabel = mUi->mPreviewZoomLabel->palette();
    zoomLabel.setColor(QPalette::Window, lightGrey());
    mUi->mPreviewZoomLabel->setPalette(zoomLabel);
    mUi->mPreviewZoomLabel->setAutoFillBackground(true);

    // Lowered and raised cells are told apart by the style sheet.
    mUi->mPreviewZoomLabel->setProperty("backgroundStyle", QStringLiteral("lowered"));
    mUi->mPreviewZoomPercentage->setProperty("backgroundStyle", QStringLiteral("lowered"));
    for (ImageButton* button :
         {mUi->mOpenSaveButton, mUi->mResetAllEffectsButton, mUi->mAdjustButton, mUi->mCropButton,
          mUi->mRotateAndScaleButton, mUi->mNameButton, mUi->mSaveButton})
        button->setBackgroundStyle(ImageButton::Raised);

    ImageBrowserView* browser = mUi->mImageBrowser;
    browser->setDelegate(this);
    mUi->mPreviewImage->setDropTarget(this);
    browser->setZoomValue(0.01);
    browser->setAllowsReordering(true);
    browser->setAnimates(true);
    browser->setCellTitleColor(Qt::white);

    // The photos get the larger share of the lower half.
    mUi->mBottomSplitView->setStretchFactor(0, 3);
    mUi->mBottomSplitView->setStretchFactor(1, 2);

    selectTabViewItemAdjust(nullptr);
    browser->reloadData();
    restoreLastEffects();
}

void VantrelController::updateOutlets() {
    const auto n = static_cast<long>(AppData::sharedData().currentImages().size());
    Ui::MainWindow& ui = *mUi;
    if (n >= 1) {
        ui.mOpenSaveButton->setEnabled(true);
        ui.mOpenSaveButton->setText(QStringLiteral("Run Batch..."));
        ui.mOpenSaveButton->setImage(skinPicture(QStringLiteral("button-go-normal.png")));
        ui.mOpenSaveButton->setAlternateImage(
            skinPicture(QStringLiteral("button-go-highlighted.png")));
        // The layouts of the main view keep the top view directly above the bottom view.
        ui.mTopView->setBackgroundImage(skinPicture(QStringLiteral("bg-preview.png")));
        ui.mBrowserZoomSlider->show();
        ui.mBottomView->show();
        if (!mBottomSplitPlaced) {
            // The photos get the larger share of the lower half the first time it shows.
            mBottomSplitPlaced = true;
            const int width = std::max(ui.mMainView->width(), 800);
            ui.mBottomSplitView->setSizes({width * 11 / 20, width * 9 / 20});
        }
        ui.mResetAllEffectsButton->show();
        ui.mPreviewOptionsViewBackground->show();

        const auto [first, second] = serializePopupTitles(n);
        ui.mNameSerializePopUp->setItemText(0, first);
        ui.mNameSerializePopUp->setItemText(1, second);
        setComboItemHidden(ui.mNameSerializePopUp, 1, first == second);
        ui.mBatchSummaryLabel->setText(n == 1 ? tr("1 photo") : tr("%1 photos").arg(n));
        // Keyboard users land in the grid once there is something in it.
        const QWidget* focused = QApplication::focusWidget();
        if (!focused || focused == ui.mOpenSaveButton)
            ui.mImageBrowser->setFocus();
    } else {
        ui.mPreviewImageViewBackground->setBackgroundImage(
            skinPicture(QStringLiteral("launch-background.png")));
        ui.mTopView->setBackgroundImage(skinPicture(QStringLiteral("launch-background.png")));
        ui.mOpenSaveButton->setText(QStringLiteral("Add Images..."));
        ui.mOpenSaveButton->setImage(skinPicture(QStringLiteral("button-open-normal.png")));
        ui.mOpenSaveButton->setAlternateImage(
            skinPicture(QStringLiteral("button-open-highlighted.png")));
        ui.mOpenSaveButton->setEnabled(true);
        ui.mBrowserZoomSlider->hide();
        ui.mBottomView->hide();
        ui.mResetAllEffectsButton->hide();
        ui.mPreviewOptionsViewBackground->hide();
        ui.mPreviewImage->setZoomFactor(1.0f);
        ui.mBatchSummaryLabel->setText(QString());
        ui.mOpenSaveButton->setFocus();
    }
    updateNameTemplateExample();
    validateMenus();
}

void VantrelController::applicationDidFinishLaunching() {}

bool VantrelController::applicationShouldHandleReopen(bool) {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    return true;
}

void VantrelController::openFiles(const std::vector<std::string>& paths) {
    if (paths.empty())
        return;
    // Only one walk may fill the staging list at a time, and never during an export.
    if (operationIsRunning()) {
        mPendingOpenRequests.push_back(paths);
        return;
    }
    addImagesFromFileNames(paths);
}

void VantrelController::runPendingOpenRequests() {
    if (mPendingOpenRequests.empty() || operationIsRunning())
        return;
    std::vector<std::string> next = std::move(mPendingOpenRequests.front());
    mPendingOpenRequests.erase(mPendingOpenRequests.begin());
    addImagesFromFileNames(next);
}

bool VantrelController::operationIsRunning() const {
    return mOpeningThread != nullptr || mExportThread != nullptr || mOpenPanelIsOnView ||
           mDraggingIsBlocked.load();
}

bool VantrelController::validateMenuItem(QAction* item) const {
    if (item == mUi->mOpenMenuItem)
        return !AppData::sharedData().currentImages().empty();
    return true;
}

void VantrelController::validateMenus() {
    const auto actions = findChildren<QAction*>();
    for (QAction* action : actions)
        action->setEnabled(validateMenuItem(action));
}

void VantrelController::contactSupport(QObject*) {
    openUrl(supportMailUrl());
}
void VantrelController::showFaq(QObject*) {
    openUrl(helpPageUrl(QString::fromLatin1(helpFaqPage)));
}
void VantrelController::showHelp(QObject*) {
    openUrl(helpPageUrl(QString::fromLatin1(helpTutorialPage)));
}

void VantrelController::showPreferences(QObject*) {
    PreferencesController::controller().showWindow(this);
}

void VantrelController::showAbout(QObject*) {
    QMessageBox::about(this, tr("About Vantrel"),
                       tr("<h3>Vantrel %1</h3><p>Batch photo processing: one set of effects for "
                          "every photo, previewed live, exported into a fresh folder.</p>"
                          "<p>Your original photos are never changed.</p>")
                           .arg(QCoreApplication::applicationVersion()));
}

void VantrelController::connectActions() {
    Ui::MainWindow& ui = *mUi;
    connect(ui.mAddImagesAction, &QAction::triggered, this, [this] {
        if (!operationIsRunning())
            addImageButtonClicked(mUi->mAddImagesAction);
    });
    connect(ui.mOpenMenuItem, &QAction::triggered, this,
            [this] { openSaveButtonClicked(mUi->mOpenMenuItem); });
    connect(ui.mQuitAction, &QAction::triggered, this, [this] { close(); });
    connect(ui.mRemoveSelectedAction, &QAction::triggered, this,
            [this] { removeSelectedImage(mUi->mRemoveSelectedAction); });
    connect(ui.mRevealInFinderAction, &QAction::triggered, this,
            [this] { revealInFinder(mUi->mRevealInFinderAction); });
    connect(ui.mShowImageInfoAction, &QAction::triggered, this,
            [this] { showImageInfo(mUi->mShowImageInfoAction); });
    connect(ui.mPreferencesAction, &QAction::triggered, this,
            [this] { showPreferences(mUi->mPreferencesAction); });
    connect(ui.mHelpAction, &QAction::triggered, this, [this] { showHelp(mUi->mHelpAction); });
    connect(ui.mFaqAction, &QAction::triggered, this, [this] { showFaq(mUi->mFaqAction); });
    connect(ui.mContactSupportAction, &QAction::triggered, this,
            [this] { contactSupport(mUi->mContactSupportAction); });
    connect(ui.mAboutAction, &QAction::triggered, this, [this] { showAbout(mUi->mAboutAction); });
    for (QMenu* menu : {ui.mVantrelMenu, ui.mEditMenu, ui.mHelpMenu})
        connect(menu, &QMenu::aboutToShow, this, [this] { validateMenus(); });

    connect(ui.mOpenSaveButton, &QPushButton::clicked, this,
            [this] { openSaveButtonClicked(mUi->mOpenSaveButton); });
    connect(ui.mAdjustButton, &QPushButton::clicked, this,
            [this] { selectTabViewItemAdjust(mUi->mAdjustButton); });
    connect(ui.mCropButton, &QPushButton::clicked, this,
            [this] { selectTabViewItemCrop(mUi->mCropButton); });
    connect(ui.mRotateAndScaleButton, &QPushButton::clicked, this,
            [this] { selectTabViewItemScale(mUi->mRotateAndScaleButton); });
    connect(ui.mNameButton, &QPushButton::clicked, this,
            [this] { selectTabViewItemName(mUi->mNameButton); });
    connect(ui.mSaveButton, &QPushButton::clicked, this,
            [this] { selectTabViewItemSave(mUi->mSaveButton); });
    connect(ui.mPreviewImageZoomSlider, &QSlider::valueChanged, this,
            [this] { previewImageZoomSliderDidChange(mUi->mPreviewImageZoomSlider); });
    connect(ui.mPreviewImage, &PreviewImageView::visibleAreaUncovered, this,
            [this] { reloadImageAfterApplyingEffects(); });
    connect(ui.mActualSizeButton, &QPushButton::clicked, this,
            [this] { fitToScreenActualSizeDidChange(mUi->mActualSizeButton); });
    connect(ui.mFitToScreenButton, &QPushButton::clicked, this,
            [this] { fitToScreenActualSizeDidChange(mUi->mFitToScreenButton); });
    connect(ui.mEffectsOnOrOffSwitch, &QSlider::valueChanged, this,
            [this] { effectsOnOrOffSwitchDidChange(mUi->mEffectsOnOrOffSwitch); });
    connect(ui.mFXOnButton, &QPushButton::clicked, this,
            [this] { effectsOnOrOffTextFieldIsClicked(mUi->mFXOnButton); });
    connect(ui.mFXOffButton, &QPushButton::clicked, this,
            [this] { effectsOnOrOffTextFieldIsClicked(mUi->mFXOffButton); });
    connect(ui.mBrowserZoomSlider, &QSlider::valueChanged, this,
            [this] { browserZoomSliderDidChange(mUi->mBrowserZoomSlider); });

    // Settings follow the controls as they change.
    connect(ui.mSaveOptionTransferMetadata, &QCheckBox::toggled, this,
            [this] { saveDefaults(mUi->mSaveOptionTransferMetadata); });
    connect(ui.mSaveOptionQualitySlider, &QSlider::valueChanged, this,
            [this] { saveDefaults(mUi->mSaveOptionQualitySlider); });
    connect(ui.mNameSerializePopUp, qOverload<int>(&QComboBox::activated), this,
            [this] { saveDefaults(mUi->mNameSerializePopUp); });
    connect(ui.mNameNewOrOriginalPopUp, qOverload<int>(&QComboBox::activated), this,
            [this] { newNameOrOriginalPopUpDidChange(mUi->mNameNewOrOriginalPopUp); });
    connect(ui.mSaveOptionFileTypeButton, qOverload<int>(&QComboBox::activated), this,
            [this] { savePopupChanged(mUi->mSaveOptionFileTypeButton); });
    connectNameTemplateControls();
    for (QCheckBox* box : {static_cast<QCheckBox*>(ui.mSaveOptionLossless),
                           static_cast<QCheckBox*>(ui.mSaveOptionProgressive),
                           static_cast<QCheckBox*>(ui.mSaveOptionFullChroma)})
        connect(box, &QCheckBox::toggled, this, [this, box] { savePopupChanged(box); });
    connect(ui.mSaveOptionMaxSizeField, qOverload<int>(&QSpinBox::valueChanged), this,
            [this] { saveDefaults(mUi->mSaveOptionMaxSizeField); });
    connect(ui.mSaveOptionMetadataChoice, qOverload<int>(&QComboBox::activated), this,
            [this] { saveDefaults(mUi->mSaveOptionMetadataChoice); });

    connect(mSheetUi->mSheetStopButton, &QPushButton::clicked, this,
            [this] { stopModalWindow(mSheetUi->mSheetStopButton); });
    // Escape or the window manager's close button on the sheet mean the same as Stop.
    connect(mSheet, &QDialog::rejected, this, [this] {
        if (sheetIsOnView())
            stopModalWindow(mSheetUi->mSheetStopButton);
    });
}

void VantrelController::newNameOrOriginalPopUpDidChange(QObject* sender) {
    // Item 0: a new name with a number; item 1: the original names; item 2: a template.
    const bool newName = mUi->mNameNewOrOriginalPopUp->currentIndex() == 0;
    for (QWidget* control :
         std::initializer_list<QWidget*>{mUi->mNewNameTextField, mUi->mNewNameLabel,
                                         mUi->mNameSerializePopUp, mUi->mNameAppendSuffix})
        control->setVisible(newName);
    showNameTemplateControls();
    if (sender)
        saveDefaults(sender);
}

void VantrelController::savePopupChanged(QObject* sender) {
    const bool quality = saveOptionsShownFor(mUi->mSaveOptionFileTypeButton->currentText()).quality;
    for (QWidget* control : std::initializer_list<QWidget*>{mUi->mSaveOptionQualitySlider,
                                                            mUi->mSaveOptionQualityLabel,
                                                            mUi->mSaveOptionQualityValue})
        control->setVisible(quality);
    showSaveOptions(*mUi);
    updateNameTemplateExample();
    if (sender)
        saveDefaults(sender);
}

void VantrelController::restoreWindowGeometry() {
    QSettings settings;
    const QByteArray geometry = settings.value(QLatin1String(kWindowGeometryKey)).toByteArray();
    if (geometry.isEmpty() || !restoreGeometry(geometry)) {
        // First start: centred on the screen.
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = geometry.isEmpty() ? QRect(QPoint(), size()) : frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    const QByteArray splits = settings.value(QLatin1String(kSplitStateKey)).toByteArray();
    if (!splits.isEmpty())
        mUi->mMainSplitView->restoreState(splits);
}

void VantrelController::saveWindowGeometry() const {
    QSettings settings;
    settings.setValue(QLatin1String(kWindowGeometryKey), saveGeometry());
    settings.setValue(QLatin1String(kSplitStateKey), mUi->mMainSplitView->saveState());
}

void VantrelController::closeEvent(QCloseEvent* event) {
    if (sheetIsOnView() || mExportThread) {
        // A running import or export ends first; its sheet says so.
        event->ignore();
        return;
    }
    saveWindowGeometry();
    saveLastEffects();
    QMainWindow::closeEvent(event);
}

} // namespace vantrel
