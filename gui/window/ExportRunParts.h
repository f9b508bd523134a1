#pragma once

#include <functional>
#include <string>

namespace Ui {
class MainWindow;
} // namespace Ui

namespace vantrel {

struct ExportSettings;

// What the name and save tabs say the run writes (exiftool is not looked for here).
ExportSettings exportSettingsFromControls(const Ui::MainWindow& ui);

// The desktop services behind the finishing actions of an export run. The export thread
// calls them in this order, after the error report has been closed; an empty one means the
// desktop's own (the "complete" event sound, the file viewer, the end of the application).
struct FinishingServices {
    std::function<void()> playSound;
    std::function<void(const std::string& exportFolder)> revealFolder;
    std::function<void()> quit;
};

} // namespace vantrel
