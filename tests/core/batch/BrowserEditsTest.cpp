#include "core/batch/BrowserEdits.h"

#include <gtest/gtest.h>
#include <string>

using namespace vantrel;

namespace {

// Photos named by single letters; the files do not exist, which the edits never look at.
ImageList photos(const std::string& names) {
    ImageList list;
    for (const char name : names) {
        list.push_back(std::make_unique<Image>(std::string("/photos/") + name + ".jpg"));
    }
    return list;
}

std::string order(const ImageList& list) {
    std::string names;
    for (const auto& image : list) {
        names += image->imageTitle().front();
    }
    return names;
}

std::string moved(const std::string& names, const std::vector<int>& indexes, int destination) {
    ImageList list = photos(names);
    moveItemsAtIndexes(list, indexes, destination);
    return order(list);
}

// The move as a user would do it by hand, one photo at a time: walk the selection from the
// highest index down, lowering the destination for each photo taken from in front of it,
// then put the taken photos back one by one at the destination.
std::string movedStepByStep(std::string names, const std::vector<int>& indexes, int destination) {
    std::string taken;
    for (auto k = indexes.rbegin(); k != indexes.rend(); ++k) {
        if (*k < destination) {
            --destination;
        }
        taken += names[static_cast<size_t>(*k)];
        names.erase(static_cast<size_t>(*k), 1);
    }
    for (const char photo : taken) {
        names.insert(static_cast<size_t>(destination), 1, photo);
    }
    return names;
}

AppData batchOf(const std::string& names) {
    AppData data;
    data.setCurrentImages(photos(names));
    for (const auto& image : data.currentImages()) {
        data.pathsOfImportedImages()[image->path()] = image->path();
    }
    return data;
}

} // namespace

TEST(BrowserMove, GathersTheSelectionInFrontOfTheDestination) {
    EXPECT_EQ(moved("abcde", {0, 1}, 3), "cabde");
    // The last photo to the front, the first to the end: the others keep their order.
    EXPECT_EQ(moved("abcde", {4}, 0), "eabcd");
    EXPECT_EQ(moved("abcde", {0}, 5), "bcdea");
    // Scattered photos gather in their former relative order.
    EXPECT_EQ(moved("abcdef", {1, 3, 5}, 0), "bdface");
    EXPECT_EQ(moved("abcdef", {0, 2, 5}, 4), "bdacfe");
    // Dropping a selection onto itself changes nothing.
    EXPECT_EQ(moved("abcde", {1, 2}, 2), "abcde");
    EXPECT_EQ(moved("abcde", {1, 2}, 3), "abcde");
}

TEST(BrowserMove, AgreesWithMovingOnePhotoAtATimeForEverySelection) {
    const std::string names = "abcdef";
    const int count = static_cast<int>(names.size());
    for (int mask = 1; mask < (1 << count); ++mask) {
        std::vector<int> selection;
        for (int i = 0; i < count; ++i) {
            if (mask & (1 << i)) {
                selection.push_back(i);
            }
        }
        for (int destination = 0; destination <= count; ++destination) {
            const std::string expected = movedStepByStep(names, selection, destination);
            ImageList list = photos(names);
            EXPECT_TRUE(moveItemsAtIndexes(list, selection, destination));
            ASSERT_EQ(order(list), expected) << "mask " << mask << " to " << destination;
            // The moved photos are found where the browser will select them.
            const int first = movedItemsFirstIndex(count, selection, destination);
            for (size_t i = 0; i < selection.size(); ++i) {
                EXPECT_EQ(order(list)[static_cast<size_t>(first) + i],
                          names[static_cast<size_t>(selection[i])]);
            }
        }
    }
}

TEST(BrowserMove, CleansUpBadSelectionsAndNeverLosesAPhoto) {
    // Duplicates and any order count as the plain selection.
    EXPECT_EQ(moved("abcde", {1, 0, 1, 0}, 3), "cabde");
    // Indexes outside the list are ignored.
    EXPECT_EQ(moved("abcde", {-1, 0, 5, 99}, 3), "bcade");
    // Destinations beyond either end mean the end or the front.
    EXPECT_EQ(moved("abcde", {1}, 42), "acdeb");
    EXPECT_EQ(moved("abcde", {3}, -7), "dabce");
    EXPECT_EQ(movedItemsFirstIndex(5, {1}, 42), 4);
    EXPECT_EQ(movedItemsFirstIndex(5, {3, 3, 9}, -7), 0);

    // Nothing valid to move: nothing changes, and the answer says so.
    for (const std::vector<int>& nothing : {std::vector<int>{}, std::vector<int>{-1, 5, 7}}) {
        ImageList list = photos("abc");
        EXPECT_FALSE(moveItemsAtIndexes(list, nothing, 1));
        EXPECT_EQ(order(list), "abc");
    }
    ImageList empty;
    EXPECT_FALSE(moveItemsAtIndexes(empty, {0}, 0));
    EXPECT_TRUE(empty.empty());
}

TEST(BrowserRemove, TakesThePhotosAndTheirPathsOut) {
    AppData data = batchOf("abcde");
    removeItemsAtIndexes(data, {3, 1});
    EXPECT_EQ(order(data.currentImages()), "ace");
    // Exactly the removed paths leave the table, so only those files can come back.
    PathTable expected;
    for (const char* name : {"/photos/a.jpg", "/photos/c.jpg", "/photos/e.jpg"}) {
        expected[name] = name;
    }
    EXPECT_EQ(data.pathsOfImportedImages(), expected);

    removeItemsAtIndexes(data, {0, 1, 2});
    EXPECT_TRUE(data.currentImages().empty());
    EXPECT_TRUE(data.pathsOfImportedImages().empty());
}

TEST(BrowserRemove, IgnoresIndexesThatNameNoPhoto) {
    AppData data = batchOf("abc");
    removeItemsAtIndexes(data, {-1, 3, 1, 1, 100});
    EXPECT_EQ(order(data.currentImages()), "ac");
    EXPECT_EQ(data.pathsOfImportedImages().size(), 2u);
    EXPECT_FALSE(data.pathsOfImportedImages().contains("/photos/b.jpg"));

    removeItemsAtIndexes(data, {});
    removeItemsAtIndexes(data, {2});
    EXPECT_EQ(order(data.currentImages()), "ac");

    // A staged import is not the browser's to touch.
    data.importedImages().push_back(std::make_unique<Image>("/photos/z.jpg"));
    data.pathsOfImportedImages()["/photos/z.jpg"] = "/photos/z.jpg";
    removeItemsAtIndexes(data, {0});
    EXPECT_EQ(order(data.currentImages()), "c");
    EXPECT_EQ(data.importedImages().size(), 1u);
    EXPECT_TRUE(data.pathsOfImportedImages().contains("/photos/z.jpg"));
}

TEST(BrowserLookup, AnswersOnlyForIndexesThatNameAPhoto) {
    const ImageList list = photos("abc");
    EXPECT_EQ(imageAtIndex(list, 0), list[0].get());
    EXPECT_EQ(imageAtIndex(list, 2), list[2].get());
    EXPECT_EQ(imageAtIndex(list, 3), nullptr);
    EXPECT_EQ(imageAtIndex(list, -1), nullptr);
    EXPECT_EQ(imageAtIndex(ImageList{}, 0), nullptr);
}
