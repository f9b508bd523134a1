#include "core/batch/AppData.h"

#include <gtest/gtest.h>
#include <thread>

using namespace vantrel;

namespace {

TEST(AppData, OneSharedInstanceEvenWhenThreadsRaceForIt) {
    AppData* seen[2] = {};
    std::thread a([&] { seen[0] = &AppData::sharedData(); });
    std::thread b([&] { seen[1] = &AppData::sharedData(); });
    a.join();
    b.join();
    EXPECT_EQ(seen[0], seen[1]);
}

TEST(AppData, ListsOwnTheirPhotosAndPathsAreExactKeys) {
    AppData& data = AppData::sharedData();
    ImageList staged;
    for (const char* path : {"/p/a.jpg", "/p/A.jpg", "/p//a.jpg"}) {
        staged.push_back(std::make_unique<Image>(path));
        data.pathsOfImportedImages()[path] = path;
    }
    data.setImportedImages(std::move(staged));
    EXPECT_EQ(data.pathsOfImportedImages().size(), 3u) << "other spellings are other keys";
    for (auto& image : data.importedImages()) {
        data.currentImages().push_back(std::move(image));
    }
    data.importedImages().clear();
    ASSERT_EQ(data.currentImages().size(), 3u);
    EXPECT_EQ(data.currentImages()[2]->path(), "/p//a.jpg");
    data.setCurrentImages({});
    data.setPathsOfImportedImages({});
    EXPECT_TRUE(data.pathsOfImportedImages().empty());
}

} // namespace
