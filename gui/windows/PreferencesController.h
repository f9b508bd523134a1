#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <memory>

namespace Ui {
class Preferences;
} // namespace Ui

namespace vantrel {

// The preferences window: the finishing actions of an export run, the photos' orientation,
// the update checks and the ways to help. Every change is written to the settings at once;
// the main window reads the finishing actions back when the next run starts, so a run under
// way keeps the ones it started with.
class PreferencesController : public QMainWindow {
    Q_OBJECT
public:
    // The answers of the quit confirmation, by button.
    static constexpr int alertFirstButtonReturn = 1000;  // "No"
    static constexpr int alertSecondButtonReturn = 1001; // "Yes"

    // The one preferences window, made on first use. It belongs to the main window when
    // there is one, and goes with it.
    static PreferencesController& controller();
    ~PreferencesController() override;

    void awakeFromNib();
    // Brings the window up on the General panel.
    void showWindow(QObject* sender);
    void closeWindow(QObject* sender);

    void showGeneralPanel(QObject* sender);
    void showUpdatesPanel(QObject* sender);
    void showHelpPanel(QObject* sender);

    // Fills the last-check label and the check boxes from the settings; a setting never
    // stored leaves its check box as the window description has it.
    void loadUserDefaults();
    // Stores the state of the check box that is `sender`; any other sender stores nothing.
    void saveDefaluts(QObject* sender);
    // Turning quit-when-done on asks over the main window whether the user means it; the
    // setting is stored on at once and corrected by the answer.
    void quitAppWhenDoneDidChange(QObject* sender);
    void alertDidEnd(QMessageBox* alert, int returnCode);
    // Updates come from the system's package manager: this records the check and says so.
    void checkForUpdates(QObject* sender);

    void contactSupport(QObject* sender);
    void showFaq(QObject* sender);
    void showHelp(QObject* sender);

    Ui::Preferences& outlets() { return *mUi; }
    // The quit confirmation while it is open.
    QMessageBox* quitAlert() const { return mQuitAlert; }

private:
    explicit PreferencesController(QWidget* parent);
    void connectActions();
    void showPanel(QWidget* panel);
    void showLastCheckTime();

    bool mPlaced = false; // centred over the main window the first time it is shown
    std::unique_ptr<Ui::Preferences> mUi;
    QPointer<QMessageBox> mQuitAlert;
};

} // namespace vantrel
