#pragma once

class QComboBox;

namespace vantrel {

// A pop-up item that stays in the list (its index keeps its meaning) but is not offered:
// not drawn in the open list and not reachable with the keyboard.
void setComboItemHidden(QComboBox* combo, int index, bool hidden);
bool isComboItemHidden(const QComboBox* combo, int index);

} // namespace vantrel
