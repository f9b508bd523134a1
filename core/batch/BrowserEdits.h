#pragma once

#include "core/batch/AppData.h"

#include <vector>

namespace vantrel {

// The two edits the grid browser makes to the batch, without any widget: reordering by
// dragging and removing the selected photos.
//
// Both take the indexes as a user's selection gives them and clean them first: duplicates
// count once, indexes outside the list are ignored, and the order they come in does not
// matter. A list that such an edit cannot apply to is left untouched.

// The photo at `index`, or null when the index names none (as a stale selection may).
Image* imageAtIndex(const ImageList& images, int index);

// Moves the photos at `indexes` in front of the photo that was at `destinationIndex`
// before the move (the list's size means the end), keeping their relative order and the
// order of every other photo. A destination below 0 counts as the front, one past the end
// as the end. Answers whether anything was moved: false when no index names a photo.
bool moveItemsAtIndexes(ImageList& images, const std::vector<int>& indexes, int destinationIndex);

// Where the moved photos start after moveItemsAtIndexes with the same arguments: they then
// occupy this index and the following ones, as many as there were valid distinct indexes.
int movedItemsFirstIndex(int count, const std::vector<int>& indexes, int destinationIndex);

// Takes the photos at `indexes` out of the batch (data.currentImages()) and their paths out
// of the table of paths already taken, so that the same files can be added again later.
void removeItemsAtIndexes(AppData& data, const std::vector<int>& indexes);

} // namespace vantrel
