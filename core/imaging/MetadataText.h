#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <optional>

namespace vantrel {

// A value in the old-style property-list text form: dictionaries in braces with one
// `key = value;` line per entry (keys in sorted order), nested blocks indented by four
// spaces per level, lists in parentheses with comma-separated items, strings that hold
// anything but ASCII letters, digits and "_" in double quotes with backslash escapes (so a
// line break inside a value never starts a new line), numbers as they read, booleans as
// 1 or 0. Characters beyond ASCII are kept as they are.
QString propertyListText(const QVariant& value);

// The text the information window shows for a photo's properties: their property-list text
// with every double quote, brace, parenthesis and semicolon removed and every "=" turned
// into ":", so that `PixelWidth = 3000;` reads `PixelWidth : 3000` and nesting shows by
// indentation alone. No properties at all read "null".
QString metadataDisplayText(const std::optional<QVariantMap>& properties);

} // namespace vantrel
