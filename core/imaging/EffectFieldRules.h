#pragma once

#include <QString>

namespace vantrel {

// The rules by which the effect controls turn what the user typed or moved into effect
// values. They hold no state; the window's handlers call them.

// Reads a number field the way the user expects of a lenient field: the leading number of
// the text ("12 px" reads 12, "1e3" reads 1000); text that does not begin with a number
// reads as 0.
float numberFieldValue(const QString& text);

// Brings a typed value into 0 to limit: the sign is dropped, then the value is divided by 10
// until it fits, so that a slip of one digit too many keeps the digits typed (250 kept to 200
// is 25, 4500 kept to 4000 is 450). Values already in range are returned unchanged. A value
// that is not finite (NaN, or too large for a float) would never fit: it becomes 0.
float keepFloatValue(float value, float limit);

// Where a crop slider that moved to `moved` must stand while the opposite side's slider
// stands at `opposite`: one side alone crops at most 99 %, and two opposite sides always
// leave at least 1 % of the photo. The slider that moved gives way. Computed in single
// precision, as the effect values are stored.
float validatedCropSlider(float moved, float opposite);

// The rotation after a click on the turn control: segment 0 adds a quarter turn
// (counter-clockwise), any other segment takes one away; the result lies in 0 to 270.
int rotatedDegrees(float degrees, int segment);

// What the rotation label shows for a rotation: a turn by 270 reads as the quarter turn it
// is, "90°".
QString rotationLabelText(int degrees);

} // namespace vantrel
