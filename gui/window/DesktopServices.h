#pragma once

#include <QIcon>
#include <QString>
#include <QUrl>
#include <string>

namespace vantrel {

// Names of the help pages shipped with the program (help/<name>.html).
inline constexpr char helpFaqPage[] = "faq";
inline constexpr char helpTutorialPage[] = "tutorial";

// A file:// URL that carries the path's bytes exactly (percent-encoded), so that names which
// are not valid UTF-8 still reach the other program. A relative path is taken against the
// working directory.
QUrl fileUrlFromBytes(const std::string& path);

// Shows the file or folder selected in the desktop's file viewer. Returns at once: the
// desktop is asked over D-Bus, and when nobody answers the parent folder is opened instead.
// Callable from any thread.
void revealInFileViewer(const std::string& path);

// Opens a web, mail or file address with the desktop's handler. From a worker thread the
// request is handed to the GUI thread and true means only that it was handed on.
bool openUrl(const QUrl& url);

// The desktop's icon for a path; a folder icon when nothing is there. GUI thread only.
QIcon iconForPath(const std::string& path);

// The Vantrel folder picture as a file on disk (file viewers need a file, not a resource),
// written into the application's data folder when missing or outdated. Empty when the
// program carries no such picture or the file cannot be written.
QString vantrelFolderIconFile();

// Asks the desktop (through `gio`) to draw `folder` with the picture in `iconFile`. Does
// not wait for it; without `gio`, or with an empty `iconFile`, nothing happens.
void setCustomFolderIcon(const std::string& folder, const QString& iconFile);

// Creates the default destination when nothing is at `path` and gives the new folder the
// Vantrel icon. An existing folder keeps the icon its owner gave it. Returns whether a folder
// is there afterwards.
bool createDefaultDestinationWithFolderIcon(const std::string& path);

// The desktop's "complete" event sound, or the plain bell when no sound can be played.
// Callable from any thread; never waits for the sound.
void playSystemSound();

// The local help page `pageName` (see helpFaqPage, helpTutorialPage): beside an installed
// program, in the installation's data folder, or in the source tree for a program run from
// its build folder. An empty URL when the page is nowhere.
QUrl helpPageUrl(const QString& pageName);

// mailto: the support address with the product name as subject.
QUrl supportMailUrl();

} // namespace vantrel
