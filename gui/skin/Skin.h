#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

namespace vantrel {

// Makes the application's compiled-in pictures and style sheet available. Called by the
// functions below; the program calls it once at start for anything else it loads from ":/".
void registerSkinResources();

// A picture of the skin by its file name, for example "bg-preview.png". A missing picture
// gives a null pixmap and is not reported: views and buttons then draw without it.
QPixmap skinPicture(const QString& name);

// The application's style sheet, which gives the standard widgets the dark look of the
// pictures. Empty when the sheet cannot be read.
QString skinStyleSheet();

} // namespace vantrel

// The few colours the self-drawn widgets share with the style sheet and the artwork.
namespace vantrel::skin {

inline const QColor kAccent(0xe9, 0xa2, 0x3b);
inline const QColor kAccentPressed(0xc9, 0x86, 0x26);
inline const QColor kFocusRing(0xf2, 0xb8, 0x5c);
inline const QColor kDivider(0x12, 0x13, 0x15);
inline const QColor kControlFill(0x2c, 0x2e, 0x32);
inline const QColor kControlFillHover(0x35, 0x37, 0x3c);
inline const QColor kText(0xe8, 0xe6, 0xe3);
inline const QColor kTextOnAccent(0x1d, 0x17, 0x0f);

} // namespace vantrel::skin
