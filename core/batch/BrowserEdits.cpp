#include "core/batch/BrowserEdits.h"

#include <algorithm>

namespace vantrel {

namespace {

// The distinct indexes that name an element of a list of `count`, ascending.
std::vector<int> validIndexes(int count, const std::vector<int>& indexes) {
    std::vector<int> valid;
    valid.reserve(indexes.size());
    for (const int index : indexes) {
        if (index >= 0 && index < count) {
            valid.push_back(index);
        }
    }
    std::sort(valid.begin(), valid.end());
    valid.erase(std::unique(valid.begin(), valid.end()), valid.end());
    return valid;
}

int clampedDestination(int count, int destinationIndex) {
    return std::clamp(destinationIndex, 0, count);
}

} // namespace

Image* imageAtIndex(const ImageList& images, int index) {
    if (index < 0 || static_cast<size_t>(index) >= images.size())
        return nullptr;
    return images[static_cast<size_t>(index)].get();
}

int movedItemsFirstIndex(int count, const std::vector<int>& indexes, int destinationIndex) {
    const int destination = clampedDestination(count, destinationIndex);
    const std::vector<int> moved = validIndexes(count, indexes);
    // Every moved photo that stood in front of the destination leaves a hole before it.
    const auto before = std::lower_bound(moved.begin(), moved.end(), destination) - moved.begin();
    return destination - static_cast<int>(before);
}

bool moveItemsAtIndexes(ImageList& images, const std::vector<int>& indexes, int destinationIndex) {
    const int count = static_cast<int>(images.size());
    const std::vector<int> moved = validIndexes(count, indexes);
    if (moved.empty()) {
        return false;
    }
    const int destination = clampedDestination(count, destinationIndex);

    // The result is: the photos that stay and stood in front of the destination, then the
    // moved ones in their former order, then the rest that stay. Built in one pass, so a
    // large selection costs no more than the list's length.
    std::vector<bool> isMoved(images.size(), false);
    for (const int index : moved) {
        isMoved[static_cast<size_t>(index)] = true;
    }
    ImageList reordered;
    reordered.reserve(images.size());
    for (int i = 0; i < destination; ++i) {
        if (!isMoved[static_cast<size_t>(i)]) {
            reordered.push_back(std::move(images[static_cast<size_t>(i)]));
        }
    }
    for (const int index : moved) {
        reordered.push_back(std::move(images[static_cast<size_t>(index)]));
    }
    for (int i = destination; i < count; ++i) {
        if (!isMoved[static_cast<size_t>(i)]) {
            reordered.push_back(std::move(images[static_cast<size_t>(i)]));
        }
    }
    images = std::move(reordered);
    return true;
}

void removeItemsAtIndexes(AppData& data, const std::vector<int>& indexes) {
    ImageList& images = data.currentImages();
    const std::vector<int> removed = validIndexes(static_cast<int>(images.size()), indexes);
    if (removed.empty()) {
        return;
    }
    PathTable& paths = data.pathsOfImportedImages();
    std::vector<bool> isRemoved(images.size(), false);
    for (const int index : removed) {
        const auto& image = images[static_cast<size_t>(index)];
        if (image) {
            paths.erase(image->path());
        }
        isRemoved[static_cast<size_t>(index)] = true;
    }
    ImageList kept;
    kept.reserve(images.size() - removed.size());
    for (size_t i = 0; i < images.size(); ++i) {
        if (!isRemoved[i]) {
            kept.push_back(std::move(images[i]));
        }
    }
    images = std::move(kept);
}

} // namespace vantrel
