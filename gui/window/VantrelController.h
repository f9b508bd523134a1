#pragma once

#include "core/batch/Preset.h"
#include "core/imaging/PixelGeometry.h"
#include "gui/browser/ImageBrowserDelegate.h"
#include "gui/window/ExportRunParts.h"

#include <QMainWindow>
#include <QPointer>
#include <QSize>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QColor;
class QComboBox;
class QDialog;
class QEventLoop;
class QMenu;
class QSlider;
class QThread;
class QTimer;

namespace Ui {
class ErrorSheet;
class MainWindow;
class ProgressSheet;
} // namespace Ui

namespace vantrel {

struct ExportSettings;
class ImageButton;
class ImportWalker;
class PreviewImageView;
class PreviewSource;
class Image;

// The main window and the one object behind it: it starts the window up, switches its
// layout with the size of the batch, answers the menus, owns the progress sheet, brings
// photos into the batch and serves the thumbnail browser.
//
// Its methods are spread over files by concern: VantrelController.cpp (start-up, layout,
// menus, desktop requests), Settings.cpp, ProgressSheet.cpp, imagelist/Importing.cpp,
// imagelist/BrowserDataSource.cpp, ui/ActionTabs.cpp, ExportRun.cpp and ErrorReport.cpp
// (the export run and its report), PreviewLogic.cpp (the preview) and EffectControls.cpp
// (the effect controls).
class VantrelController : public QMainWindow, public ImageBrowserDelegate {
    Q_OBJECT
public:
    // Loads the window description and runs the start-up wiring. A second controller in
    // one process is a fatal error: it logs and ends the process with status 2.
    explicit VantrelController(QWidget* parent = nullptr);
    ~VantrelController() override;

    // The one controller of the process, or nullptr before it is made.
    static VantrelController* controller();

    // --- start-up, layout, menus (VantrelController.cpp)
    void awakeFromNib();
    void updateOutlets();
    void applicationDidFinishLaunching();
    // The user launched the program again: the window comes to the front.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    // Files the desktop asked us to open. They wait while an import or export runs.
    void openFiles(const std::vector<std::string>& paths);
    bool validateMenuItem(QAction* item) const;
    void contactSupport(QObject* sender);
    void showFaq(QObject* sender);
    void showHelp(QObject* sender);
    void showPreferences(QObject* sender);
    void showAbout(QObject* sender);

    // --- settings (Settings.cpp)
    void loadUserDefaults();
    void saveDefaults(QObject* sender);
    // Makes the stored "ApplyCameraOrientation" the rule for every photo opened from now on;
    // when it changed, the thumbnails and the preview are made again. For the preferences
    // window, after it has stored its check box.
    void applyCameraOrientationSetting();
    void createDefaultDestinationPathIfNeeded(const std::string& path);

    // --- progress sheet (ProgressSheet.cpp)
    void startModalWindow(const QString& text);
    void stopModalWindow(QObject* sender);
    void sheetDidEnd(QDialog* sheet, int returnCode);
    void updateProgressBar();
    bool sheetIsOnView() const;

    // --- importing (imagelist/Importing.cpp)
    void openSaveButtonClicked(QObject* sender);
    void addImageButtonClicked(QObject* sender);
    // The open dialog's answer: the chosen files and folders, or nothing when cancelled.
    void openPanelDidEnd(bool accepted, const QStringList& chosenPaths);
    void addImagesFromFileNames(const std::vector<std::string>& paths);
    void updateDatasource();
    bool isImporting() const;

    // --- the browser (imagelist/BrowserDataSource.cpp)
    int numberOfItemsInImageBrowser(ImageBrowserView* browser) override;
    const Image* imageBrowserItemAtIndex(ImageBrowserView* browser, int index) override;
    bool imageBrowserMoveItemsAtIndexes(ImageBrowserView* browser, const QList<int>& indexes,
                                        int destinationIndex) override;
    void imageBrowserRemoveItemsAtIndexes(ImageBrowserView* browser,
                                          const QList<int>& indexes) override;
    void imageBrowserCellWasDoubleClickedAtIndex(ImageBrowserView* browser, int index) override;
    void imageBrowserCellWasRightClickedAtIndex(ImageBrowserView* browser, int index,
                                                QPoint globalPosition) override;
    void imageBrowserBackgroundWasRightClicked(ImageBrowserView* browser,
                                               QPoint globalPosition) override;
    void imageBrowserSelectionDidChange(ImageBrowserView* browser) override;
    bool performDragOperation(const QStringList& localFilePaths) override;
    void concludeDragOperation() override;
    void draggingEnded() override;
    void removeSelectedImage(QObject* sender);
    void revealInFinder(QObject* sender);
    void showImageInfo(QObject* sender);
    void browserZoomSliderDidChange(QObject* sender);

    // --- the preview (ui/PreviewLogic.cpp)
    // Shows the photo at indexOfSelectedImage in the preview. The photo is rendered on a
    // worker; a newer request makes older results void.
    void reloadImageAfterApplyingEffects();
    void previewImageZoomSliderDidChange(QObject* sender);
    void fitToScreenActualSizeDidChange(QObject* sender);
    void redoFitToScreen();
    void effectsOnOrOffSwitchDidChange(QObject* sender);
    void effectsOnOrOffTextFieldIsClicked(QObject* sender);

    // --- effect controls (EffectControls.cpp): the only writers of the shared effects
    float keepFloatValue(float value, float limit);
    void adjustSliderDidChange(QObject* sender);
    void cropSliderDidChange(QObject* sender);
    void validateCropSlider(QSlider* moved, QSlider* opposite);
    void cropByPercentageOrPixelsPopUpDidChange(QObject* sender);
    void scaleByPercentageOrPixelsPopUpDidChange(QObject* sender);
    void rotationDidChange(QObject* sender);
    void resetEffectsButtonIsPressed(QObject* sender);
    // A number field or one of the two naming fields ended editing (Return or focus loss).
    void controlTextDidEndEditing(QObject* field);

    // --- presets (PresetControls.cpp): named recipes in the pop-up above the action tabs
    // Sets every control as the preset says, through the handlers a user's edits go through.
    // Without a photo to measure pixel crops against, the effects wait for the first one.
    void applyPreset(const Preset& preset);
    // The recipe the controls describe now; the destination only when asked for.
    Preset presetFromControls(bool withDestination) const;
    void presetPopUpDidChange(QObject* sender);
    // Saves the controls as `name`; a preset of that name is replaced only when `replace`
    // says so. Returns the error, or nothing.
    std::optional<QString> savePresetNamed(const QString& name, bool withDestination, bool replace);
    void savePresetButtonClicked(QObject* sender);
    void deletePresetButtonClicked(QObject* sender);
    void managePresetsButtonClicked(QObject* sender);
    // Reads the presets folder again into the pop-up.
    void reloadPresetPopUp();
    // What the pop-up shows: the chosen preset's name, with " *" once a control has changed.
    QString presetPopUpTitle() const;

    // --- action tabs (ui/ActionTabs.cpp)
    void selectTabViewItemAdjust(QObject* sender);
    void selectTabViewItemCrop(QObject* sender);
    void selectTabViewItemScale(QObject* sender);
    void selectTabViewItemName(QObject* sender);
    void selectTabViewItemSave(QObject* sender);
    void setButtonTitleFor(ImageButton* button, const QString& title, const QColor& color,
                           int fontSize);

    // --- the export run and the save tab (ExportRun.cpp)
    // The naming and type choices decide which controls are on view (VantrelController.cpp).
    void newNameOrOriginalPopUpDidChange(QObject* sender);
    void savePopupChanged(QObject* sender);
    void selectNewDestination(QObject* sender);
    void revealDestinationFolderInFinder(QObject* sender);
    // The body of the export thread: the run, the report, the finishing actions.
    void saveResult(const ExportSettings& settings);
    bool isExporting() const;
    // Tests observe the finishing actions through these; the desktop's by default.
    void setFinishingServices(FinishingServices services);

    // --- folders kept and names from a template (OutputLayoutControls.cpp)
    void nameTemplateDidChange(QObject* sender);
    void keepFolderStructureDidChange(QObject* sender);
    // Shows, under the template field, its fault or the name the selected photo would get.
    void updateNameTemplateExample();
    // False while item 2 of the name popup is chosen with a template that has a fault.
    bool nameTemplateIsUsable() const;

    // --- the error report (ErrorReport.cpp)
    // Shows the collected messages and returns when the user has closed the report.
    void showErrorsReport();
    void closeErrorWindow(QObject* sender);
    void errorsSheetDidEnd(QDialog* sheet, int returnCode);
    QDialog* errorSheet() const { return mErrorSheet; }

    // --- state shared with the workers
    ImageBrowserView* imageBrowser() const;
    PreviewImageView* previewImage() const;
    QMainWindow* mainWindow() { return this; }
    bool modalSheetShouldEnd() const { return mModalSheetShouldEnd.load(); }
    void setModalSheetShouldEnd(bool value) { mModalSheetShouldEnd.store(value); }
    bool draggingIsBlocked() const { return mDraggingIsBlocked.load(); }
    void setDraggingIsBlocked(bool value) { mDraggingIsBlocked.store(value); }
    bool shouldPlaySoundAfterProcessing() const { return mShouldPlaySoundAfterProcessing; }
    bool shouldQuitAfterProcessing() const { return mShouldQuitAfterProcessing; }
    bool shouldOpenDestinationFolderAfterProcessing() const {
        return mShouldOpenDestinationFolderAfterProcessing;
    }
    int indexOfSelectedImage() const { return mIndexOfSelectedImage; }
    void setIndexOfSelectedImage(int index) { mIndexOfSelectedImage = index; }
    long numberOfFilesToAdd() const { return mNumberOfFilesToAdd.load(); }
    long addingImagesCounter() const { return mAddingImagesCounter.load(); }

    // The window's outlets, for the files of this class and for tests.
    Ui::MainWindow& outlets() { return *mUi; }
    QDialog* sheet() const { return mSheet; }
    QMenu* rightClickMenu() const { return mRightClickMenu; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void useCameraOrientation(bool applied);
    void connectActions();
    void restoreWindowGeometry();
    void saveWindowGeometry() const;
    void validateMenus();
    void runPendingOpenRequests();
    bool operationIsRunning() const;
    void startOpeningThread(std::vector<std::string> paths);
    void openingThreadFinished();
    void selectTabViewItemAtIndex(int index);
    void showZoomPercentage();
    void connectExportActions();
    void connectNameTemplateControls();
    void showNameTemplateControls();
    void startExportRun();
    void exportThreadFinished();
    void setUpEffectControls();
    void connectEffectControls();
    void connectPresetControls();
    void applyPresetEffects(const Preset& preset);
    void applyPresetOutput(const Preset& preset);
    // After any control changed: marks the chosen preset as modified, or applies the effects
    // that waited for a photo.
    void presetControlsDidChange();
    void choosePresetItem(const QString& name);
    // The effects of this session, for "Restore the last effects at launch".
    void saveLastEffects() const;
    void restoreLastEffects();
    double previewRenderZoom() const;
    // Decodes the next photo in the direction of the last step on a worker, once the
    // picture on view is made.
    void decodeNeighbour(double zoom);
    // Thumbnails wait while the photo just chosen is decoded for the preview, until its first
    // picture is on view or for a moment at most.
    void holdThumbnailsBack(bool held);
    void neighbourDecoded(std::shared_ptr<const PreviewSource> source, const std::string& path);
    // The part of the picture rendered at `zoom` that the preview shows, or nothing when it
    // shows all of it.
    std::optional<PixelRect> visiblePart(const QSizeF& photoSize, double zoom) const;
    // Decodes the photo's exact copy on a worker and, when asked and quicker, a first look
    // before it.
    void decodePreviewSource(const std::string& path, double zoom, unsigned generation,
                             bool withFirstLook);
    void previewSourceDecoded(std::shared_ptr<const PreviewSource> source, const std::string& path,
                              double zoom, bool exact, bool skipped);
    void renderPreview(Image& photo, const std::shared_ptr<const PreviewSource>& source,
                       double zoom, unsigned generation);
    // The selected photo's size in pixels, or nothing without a readable photo.
    std::optional<QSize> selectedPhotoSize();

    std::unique_ptr<Ui::MainWindow> mUi;
    std::unique_ptr<Ui::ProgressSheet> mSheetUi;
    QDialog* mSheet = nullptr;             // child of the window
    QMenu* mRightClickMenu = nullptr;      // child of the window
    QTimer* mProgressTimer = nullptr;      // child of the window
    QTimer* mThumbnailHoldTimer = nullptr; // child of the window
    QEventLoop* mSheetLoop = nullptr;      // the modal loop of the sheet on view, on the stack

    std::atomic<bool> mModalSheetShouldEnd{false};
    bool mShouldPlaySoundAfterProcessing = false;
    bool mShouldQuitAfterProcessing = false;
    bool mShouldOpenDestinationFolderAfterProcessing = false;
    std::atomic<bool> mDraggingIsBlocked{false};
    int mIndexOfSelectedImage = 0;
    std::atomic<long> mNumberOfFilesToAdd{0};
    std::atomic<long> mAddingImagesCounter{0};

    // The running import, if any, and the walker whose counters the sheet shows.
    std::unique_ptr<QThread> mOpeningThread;
    std::unique_ptr<ImportWalker> mWalker;
    bool mOpenPanelIsOnView = false;
    bool mBottomSplitPlaced = false;
    // Counts preview requests so that a slow render never replaces a newer one.
    std::shared_ptr<std::atomic<unsigned>> mPreviewGeneration =
        std::make_shared<std::atomic<unsigned>>(0);
    // The previewed photo, decoded once at the preview's scale.
    std::shared_ptr<const PreviewSource> mPreviewSource;
    // The previewed photo decoded coarsely, shown until mPreviewSource is made.
    std::shared_ptr<const PreviewSource> mFirstLookSource;
    // The latest request whose picture from the exact copy is on view: a first look's picture
    // of that request, rendered slower, must not replace it.
    unsigned mExactPictureGeneration = 0;
    // The exact copy whose decoding is under way, and at which zoom.
    std::string mSourceDecoding;
    double mSourceDecodingZoom = 0;
    // The photo the user will most likely look at next, decoded while they look at this one:
    // the neighbour in the direction of the last step (or the photo just left).
    std::shared_ptr<const PreviewSource> mNeighbourSource;
    // The neighbour whose decoding is under way, and at which zoom.
    std::string mNeighbourDecoding;
    double mNeighbourDecodingZoom = 0;
    // Changes with the camera orientation choice: a copy whose decoding began under the other
    // choice is dropped when it arrives.
    unsigned mDecodingChoice = 0;
    int mLastPreviewedIndex = 0;
    int mPreviewStep = 1;
    // Desktop open requests that arrived while an operation ran, oldest first.
    std::vector<std::vector<std::string>> mPendingOpenRequests;

    // The running export, the report that may follow it and the finishing actions.
    std::unique_ptr<QThread> mExportThread;
    std::unique_ptr<Ui::ErrorSheet> mErrorSheetUi;
    QDialog* mErrorSheet = nullptr;        // child of the window
    QEventLoop* mErrorSheetLoop = nullptr; // the report's modal loop, on the stack
    QString mExportSummary;                // how many photos the last run wrote and failed
    FinishingServices mFinishingServices;
    bool mQuitWhenExportEnds = false; // the quit waits for the export thread to end
    // True while the export builds pipelines on the photos: the preview must not run one on
    // the same photo meanwhile, even when the user stops the run.
    std::atomic<bool> mExportPipelinesRunning{false};

    // The preset pop-up, the preset chosen in it and what the controls held right after it
    // was applied (its file's text as the controls would write it).
    QComboBox* mPresetPopUp = nullptr; // child of the window
    QString mChosenPresetName;
    std::string mChosenPresetPath;
    bool mChosenPresetHasDestination = false;
    std::string mChosenPresetState;
    bool mApplyingPreset = false;
    // Effects of a preset chosen or restored while no photo could measure its pixel crop.
    std::optional<Preset> mPendingPresetEffects;
};

} // namespace vantrel
