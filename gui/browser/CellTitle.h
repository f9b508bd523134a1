#pragma once

#include <QStringList>

class QFontMetrics;

namespace vantrel {

// A file name laid out for a grid cell `width` pixels wide, in at most two lines: whole
// when it fits; else broken after a separator ("_", "-", ".", " ") or, lacking one, where
// the room ends, with the second line shortened at its start so that the end of the name,
// which tells "IMG_0001.jpg" from "IMG_0002.jpg", always stays.
QStringList cellTitleLines(const QFontMetrics& metrics, const QString& name, int width);

} // namespace vantrel
