#include "gui/windows/PreferencesController.h"

#include "core/batch/SettingsRules.h"
#include "core/batch/UpdateChecks.h"
#include "gui/window/VantrelController.h"
#include "gui/windows/WindowPlacement.h"
#include "ui_Preferences.h"

#include <QActionGroup>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <mutex>
#include <utility>

namespace vantrel {
namespace {

QPointer<PreferencesController> gPreferences;
std::mutex gPreferencesMutex;

} // namespace

PreferencesController& PreferencesController::controller() {
    const std::lock_guard lock(gPreferencesMutex);
    if (!gPreferences) {
        // A window of its own that closes with the main window.
        gPreferences = new PreferencesController(VantrelController::controller());
        gPreferences->awakeFromNib();
    }
    return *gPreferences;
}

PreferencesController::PreferencesController(QWidget* parent)
    : QMainWindow(parent, Qt::Window), mUi(std::make_unique<Ui::Preferences>()) {
    mUi->setupUi(this);
    auto* items = new QActionGroup(this);
    for (QAction* item :
         {mUi->mToolBarItemGeneral, mUi->mToolBarItemUpdates, mUi->mToolBarItemHelp})
        items->addAction(item);
    connectActions();
}

PreferencesController::~PreferencesController() = default;

void PreferencesController::awakeFromNib() {
    showGeneralPanel(nullptr);
    loadUserDefaults();
}

void PreferencesController::connectActions() {
    Ui::Preferences& ui = *mUi;
    connect(ui.mToolBarItemGeneral, &QAction::triggered, this,
            [this] { showGeneralPanel(mUi->mToolBarItemGeneral); });
    connect(ui.mToolBarItemUpdates, &QAction::triggered, this,
            [this] { showUpdatesPanel(mUi->mToolBarItemUpdates); });
    connect(ui.mToolBarItemHelp, &QAction::triggered, this,
            [this] { showHelpPanel(mUi->mToolBarItemHelp); });

    for (QCheckBox* box : {ui.mPlaySoundWhenDoneCheckbox, ui.mOpenDestinationFolderWhenDoneCheckbox,
                           ui.mAutomaticUpdatesCheckbox, ui.mApplyCameraOrientationCheckbox,
                           ui.mRestoreLastEffectsCheckbox})
        connect(box, &QCheckBox::toggled, this, [this, box] { saveDefaluts(box); });
    connect(ui.mQuitAppWhenDoneCheckbox, &QCheckBox::toggled, this,
            [this] { quitAppWhenDoneDidChange(mUi->mQuitAppWhenDoneCheckbox); });

    connect(ui.mCheckNowButton, &QPushButton::clicked, this,
            [this] { checkForUpdates(mUi->mCheckNowButton); });
    connect(ui.mShowHelpButton, &QPushButton::clicked, this,
            [this] { showHelp(mUi->mShowHelpButton); });
    connect(ui.mShowFaqButton, &QPushButton::clicked, this,
            [this] { showFaq(mUi->mShowFaqButton); });
    connect(ui.mContactSupportButton, &QPushButton::clicked, this,
            [this] { contactSupport(mUi->mContactSupportButton); });

    for (const QKeySequence& keys :
         {QKeySequence(QKeySequence::Close), QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this] { closeWindow(this); });
}

void PreferencesController::showWindow(QObject* sender) {
    showGeneralPanel(sender);
    if (!std::exchange(mPlaced, true))
        centreOver(this, VantrelController::controller());
    show();
    raise();
    activateWindow();
}

void PreferencesController::closeWindow(QObject*) {
    close();
}

void PreferencesController::showGeneralPanel(QObject*) {
    showPanel(mUi->mPanelGeneral);
}
void PreferencesController::showUpdatesPanel(QObject*) {
    showPanel(mUi->mPanelUpdates);
}
void PreferencesController::showHelpPanel(QObject*) {
    showPanel(mUi->mPanelHelp);
}

void PreferencesController::showPanel(QWidget* panel) {
    const std::pair<QWidget*, QAction*> panels[] = {{mUi->mPanelGeneral, mUi->mToolBarItemGeneral},
                                                    {mUi->mPanelUpdates, mUi->mToolBarItemUpdates},
                                                    {mUi->mPanelHelp, mUi->mToolBarItemHelp}};
    for (const auto& [view, item] : panels) {
        view->setVisible(view == panel);
        // The toolbar marks the panel on view, also when the window opens on General.
        if (view == panel)
            item->setChecked(true);
    }
}

void PreferencesController::loadUserDefaults() {
    QSettings settings;
    showLastCheckTime();
    const std::pair<const char*, QCheckBox*> boxes[] = {
        {SettingsKeys::enableAutomaticChecks, mUi->mAutomaticUpdatesCheckbox},
        {SettingsKeys::playSoundWhenDone, mUi->mPlaySoundWhenDoneCheckbox},
        {SettingsKeys::quitAppWhenDone, mUi->mQuitAppWhenDoneCheckbox},
        {SettingsKeys::openDestinationFolderWhenDone, mUi->mOpenDestinationFolderWhenDoneCheckbox},
        {SettingsKeys::applyCameraOrientation, mUi->mApplyCameraOrientationCheckbox},
        {SettingsKeys::restoreLastEffects, mUi->mRestoreLastEffectsCheckbox}};
    for (const auto& [key, box] : boxes) {
        const QString name = QString::fromLatin1(key);
        if (!settings.contains(name))
            continue;
        // Showing what is stored must not store it again, nor ask about quitting.
        const QSignalBlocker quiet(box);
        box->setChecked(settings.value(name).toBool());
    }
    settings.sync();
}

void PreferencesController::showLastCheckTime() {
    const QSettings settings;
    QDateTime when = settings.value(QString::fromLatin1(SettingsKeys::lastCheckTime)).toDateTime();
    if (!when.isValid())
        when = QDateTime::currentDateTime();
    mUi->mLastCheckDateLabel->setText(lastCheckDateText(when));
}

void PreferencesController::saveDefaluts(QObject* sender) {
    QSettings settings;
    const std::pair<QCheckBox*, const char*> boxes[] = {
        {mUi->mAutomaticUpdatesCheckbox, SettingsKeys::enableAutomaticChecks},
        {mUi->mPlaySoundWhenDoneCheckbox, SettingsKeys::playSoundWhenDone},
        {mUi->mQuitAppWhenDoneCheckbox, SettingsKeys::quitAppWhenDone},
        {mUi->mOpenDestinationFolderWhenDoneCheckbox, SettingsKeys::openDestinationFolderWhenDone},
        {mUi->mApplyCameraOrientationCheckbox, SettingsKeys::applyCameraOrientation},
        {mUi->mRestoreLastEffectsCheckbox, SettingsKeys::restoreLastEffects}};
    for (const auto& [box, key] : boxes) {
        if (sender == box) {
            settings.setValue(QString::fromLatin1(key), box->isChecked());
            break;
        }
    }
    settings.sync();
    // The grid and the preview turn at once, not at the next start.
    if (VantrelController* window = VantrelController::controller();
        window && sender == mUi->mApplyCameraOrientationCheckbox)
        window->applyCameraOrientationSetting();
}

void PreferencesController::quitAppWhenDoneDidChange(QObject* sender) {
    QCheckBox* quit = mUi->mQuitAppWhenDoneCheckbox;
    if (sender == quit && quit->isChecked() && !mQuitAlert) {
        // Over the main window, like every question about a run; this window stays usable.
        QWidget* over = VantrelController::controller();
        auto* alert = new QMessageBox(over ? over : this);
        alert->setObjectName(QStringLiteral("mQuitAlert"));
        alert->setIcon(QMessageBox::Warning);
        alert->setWindowTitle(QStringLiteral("Vantrel"));
        alert->setText(QStringLiteral("Quit Vantrel when done processing?"));
        alert->setInformativeText(QStringLiteral("All your settings and changes will be lost."));
        QPushButton* no = alert->addButton(QStringLiteral("No"), QMessageBox::NoRole);
        QPushButton* yes = alert->addButton(QStringLiteral("Yes"), QMessageBox::YesRole);
        alert->setDefaultButton(no);
        // Escape or closing the question answers No: quitting stays on only when asked for.
        alert->setEscapeButton(no);
        connect(alert, &QMessageBox::finished, this, [this, alert, no, yes] {
            const QAbstractButton* answer = alert->clickedButton();
            const int returnCode = answer == no    ? alertFirstButtonReturn
                                   : answer == yes ? alertSecondButtonReturn
                                                   : 0;
            alertDidEnd(alert, returnCode);
            alert->deleteLater();
        });
        mQuitAlert = alert;
        alert->setWindowModality(Qt::WindowModal);
        alert->open();
    }
    saveDefaluts(quit);
}

void PreferencesController::alertDidEnd(QMessageBox*, int returnCode) {
    QCheckBox* quit = mUi->mQuitAppWhenDoneCheckbox;
    {
        const QSignalBlocker quiet(quit);
        if (returnCode == alertFirstButtonReturn)
            quit->setChecked(false);
        else if (returnCode == alertSecondButtonReturn)
            quit->setChecked(true);
    }
    saveDefaluts(quit);
    // The question came up over the main window; the user goes on where they were.
    if (isVisible()) {
        raise();
        activateWindow();
    }
}

void PreferencesController::checkForUpdates(QObject*) {
    QSettings settings;
    settings.setValue(QString::fromLatin1(SettingsKeys::lastCheckTime),
                      QDateTime::currentDateTime());
    settings.sync();
    showLastCheckTime();

    auto* note = new QMessageBox(this);
    note->setObjectName(QStringLiteral("mUpdatesNoteAlert"));
    note->setAttribute(Qt::WA_DeleteOnClose);
    note->setIcon(QMessageBox::Information);
    note->setWindowTitle(QStringLiteral("Vantrel"));
    note->setText(tr("Vantrel is updated by your system."));
    note->setInformativeText(
        tr("New versions of Vantrel come with your system's package updates. To look for them, "
           "use your system's software updater (for example Software, Discover or "
           "\"sudo apt update && sudo apt upgrade\")."));
    note->setStandardButtons(QMessageBox::Ok);
    note->setWindowModality(Qt::WindowModal);
    note->open();
}

void PreferencesController::contactSupport(QObject* sender) {
    if (VantrelController* main = VantrelController::controller())
        main->contactSupport(sender);
}
void PreferencesController::showFaq(QObject* sender) {
    if (VantrelController* main = VantrelController::controller())
        main->showFaq(sender);
}
void PreferencesController::showHelp(QObject* sender) {
    if (VantrelController* main = VantrelController::controller())
        main->showHelp(sender);
}

} // namespace vantrel
