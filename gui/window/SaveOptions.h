#pragma once

#include "core/export/ExportSettings.h"

#include <QString>

class QObject;
class QSettings;

namespace Ui {
class MainWindow;
}

namespace vantrel {

// The save tab's encoder choices beside the file type: the size cap next to the quality,
// JPEG progressive and 4:4:4, WebP lossless, and which metadata the copy takes.

// Which of them the type with this title uses: the quality and the cap for JPG, WebP and
// AVIF; progressive and 4:4:4 for JPG; lossless for WebP.
struct SaveOptionsShown {
    bool quality = false;
    bool jpeg = false;
    bool webp = false;
};
SaveOptionsShown saveOptionsShownFor(const QString& typeTitle);

// Shows and enables the controls for the chosen type and the metadata checkbox.
void showSaveOptions(Ui::MainWindow& ui);

// Puts the stored choices into the controls without storing them again.
void loadSaveOptions(Ui::MainWindow& ui, const QSettings& settings);

// Stores the choice of `sender` when it is one of these controls; false otherwise.
bool storeSaveOption(const Ui::MainWindow& ui, const QObject* sender, QSettings& settings);

// The choices into the run's settings.
void readSaveOptions(const Ui::MainWindow& ui, ExportSettings& settings);

} // namespace vantrel
