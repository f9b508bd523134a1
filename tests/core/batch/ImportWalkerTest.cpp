#include "core/batch/ImportWalker.h"
#include "core/batch/FolderListing.h"
#include "core/imaging/PhotoFile.h"
#include "core/imaging/WorkingImage.h"
#include "tests/core/TestImages.h"

#include <algorithm>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <utility>

using namespace vantrel;
using namespace vantrel::test;

namespace {

// Removes `name` under the folder descriptor `parent` without ever building a full
// path, so that trees deeper than PATH_MAX go too.
void removeTree(int parent, const std::string& name) {
    struct stat info {};
    if (::fstatat(parent, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode)) {
        const FolderListing listing(parent, name);
        for (const std::string& entry : listing.names()) {
            removeTree(listing.descriptor(), entry);
        }
        ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
    } else {
        ::unlinkat(parent, name.c_str(), 0);
    }
}

// A temporary folder tree; the walk only needs names, so files are empty. QDir cannot
// remove names that are not UTF-8 or paths past PATH_MAX, so the tree removes itself.
struct Tree {
    QTemporaryDir dir;
    std::string root = dir.path().toStdString();
    ~Tree() { removeTree(AT_FDCWD, root); }

    std::string path(const std::string& relative) const { return root + "/" + relative; }
    std::string file(const std::string& relative) const {
        const int fd = ::open(path(relative).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        EXPECT_GE(fd, 0) << relative;
        ::close(fd);
        return path(relative);
    }
    std::string folder(const std::string& relative) const {
        EXPECT_EQ(::mkdir(path(relative).c_str(), 0755), 0) << relative;
        return path(relative);
    }
    // Empty files named `names` in the folder `relative`, made first.
    void folderWith(const std::string& relative, std::initializer_list<std::string> names) const {
        folder(relative);
        for (const std::string& name : names) {
            file(relative + "/" + name);
        }
    }
    void link(const std::string& target, const std::string& relative) const {
        EXPECT_EQ(::symlink(target.c_str(), path(relative).c_str()), 0) << relative;
    }
};

std::vector<std::string> pathsOf(const ImageList& images) {
    std::vector<std::string> paths;
    for (const auto& image : images) {
        paths.push_back(image->path());
    }
    return paths;
}

// Every non-folder under `folder`, depth first in readdir order, as our own listing.
void listDepthFirst(const std::string& folder, std::vector<std::string>& out) {
    DIR* handle = ::opendir(folder.c_str());
    ASSERT_NE(handle, nullptr) << folder;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(handle)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(handle);
    for (const std::string& name : names) {
        const std::string child = folder + "/" + name;
        struct stat info {};
        if (::stat(child.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            listDepthFirst(child, out);
        } else {
            out.push_back(child);
        }
    }
}

// A walk as the import makes it, with what it staged and what it logged.
struct Walk {
    explicit Walk(ImportWalker::ProgressCallback progress = {})
        : walker(data, stop, std::move(progress)) {}
    AppData data;
    std::atomic<bool> stop{false};
    LogCapture log;
    ImportWalker walker;
};

// Root reads any folder through these two capabilities; they are per thread on Linux.
bool dropFolderAccessOverrideInThisThread() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2]{};
    if (::syscall(SYS_capget, &header, caps) != 0) {
        return false;
    }
    for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
        caps[CAP_TO_INDEX(cap)].effective &= ~CAP_TO_MASK(cap);
    }
    return ::syscall(SYS_capset, &header, caps) == 0;
}

TEST(ImportWalker, WalksFoldersDepthFirstInTheFileSystemsOrder) {
    Tree tree;
    tree.folderWith("trip", {"m.jpg", "b.png", "z.tif", "a.jpeg", "k.tiff", "c.JPG", "y.jpg"});
    tree.folderWith("trip/day 2", {"q.jpg", "d.jpg", "x.png", ".hidden.jpg"});
    tree.folderWith("trip/day 2/evening", {"late.jpg"});
    tree.folder("trip/empty");
    std::vector<std::string> expected;
    listDepthFirst(tree.path("trip"), expected);

    Walk walk;
    walk.walker.addImagesWithPath(tree.path("trip"), false);

    EXPECT_EQ(pathsOf(walk.data.importedImages()), expected);
    ASSERT_EQ(walk.data.pathsOfImportedImages().size(), expected.size());
    for (const std::string& path : expected) {
        EXPECT_EQ(walk.data.pathsOfImportedImages().at(path), path);
    }
}

// Types are told by name, anywhere in the path and whatever the case; a FIFO named like a
// photo does not block the walk, and names that are not UTF-8 keep their bytes.
TEST(ImportWalker, TellsTypesByNameAndTakesAnyFileSoNamed) {
    Tree tree;
    tree.folderWith("trip.jpeg", {"notes.txt"});
    for (const char* name :
         {"Photo.JPG", "scan.TIFF", "readme.txt", "photo.gif", ".DS_Store", "caf\xe9 \xff.jpg",
          "caf\xe9.txt", "phone.HEIC", "x.heif", "web.webp", "a.avif", "clip.mov"}) {
        tree.file(name);
    }
    ASSERT_EQ(::mkfifo(tree.path("pipe.jpg").c_str(), 0600), 0);

    Walk walk;
    walk.walker.addImagesWithPath(tree.root, false);

    std::vector<std::string> staged = pathsOf(walk.data.importedImages());
    std::sort(staged.begin(), staged.end());
    EXPECT_EQ(staged,
              (std::vector<std::string>{
                  tree.path("Photo.JPG"), tree.path("a.avif"), tree.path("caf\xe9 \xff.jpg"),
                  tree.path("phone.HEIC"), tree.path("pipe.jpg"), tree.path("scan.TIFF"),
                  tree.path("trip.jpeg/notes.txt"), tree.path("web.webp"), tree.path("x.heif")}));
    for (const std::string& path : staged) {
        EXPECT_EQ(walk.data.pathsOfImportedImages().count(path), 1u) << path;
    }
    for (const auto& image : walk.data.importedImages()) {
        EXPECT_FALSE(image->workingImage()) << image->path() << ": empty, or a FIFO";
    }
    QStringList refused = walk.log.lines();
    refused.sort();
    EXPECT_EQ(refused, (QStringList{".DS_Store is not supported!",
                                    displayPath("caf\xe9.txt") + " is not supported!",
                                    "clip.mov is not supported!", "photo.gif is not supported!",
                                    "readme.txt is not supported!"}));
}

TEST(ImportWalker, APathIsAddedOnceUntilItLeavesTheBatch) {
    Tree tree;
    const std::string photo = writeQuadrantPhoto(tree.dir, "beach.png", 8, 6);
    Walk walk;

    walk.walker.addAnImageWithPath(photo);
    walk.walker.addAnImageWithPath(photo);
    EXPECT_EQ(walk.log.lines(), QStringList{"beach.png is already added!"});
    ASSERT_EQ(walk.data.importedImages().size(), 1u);
    EXPECT_TRUE(walk.data.importedImages()[0]->workingImage());

    updateDatasource(walk.data);
    walk.walker.addAnImageWithPath(photo);
    EXPECT_TRUE(walk.data.importedImages().empty()) << "photos already in the batch count too";

    walk.data.currentImages().clear();
    walk.data.pathsOfImportedImages().erase(photo);
    walk.walker.addAnImageWithPath(photo);
    EXPECT_EQ(pathsOf(walk.data.importedImages()), std::vector<std::string>{photo});
}

TEST(ImportWalker, PhotosAreNamedByTheirAbsolutePath) {
    Tree tree;
    tree.folderWith("Holiday.PNG.d", {"IMG_0001"});
    tree.folderWith("e", {"a.jpg"});
    const std::string untyped = tree.path("Holiday.PNG.d/IMG_0001");
    const std::string photo = tree.path("e/a.jpg");
    tree.link("e", "link");

    Walk walk;
    {
        const ScopedWorkingFolder working(tree.path("Holiday.PNG.d"), tree.path("Holiday.PNG.d"));
        // The type is told by the whole path, also where only the folder names it.
        walk.walker.addImagesWithPaths({"IMG_0001", "./IMG_0001"});
    }
    {
        const ScopedWorkingFolder working(tree.root, tree.root);
        walk.walker.addImagesWithPaths(
            {"e/a.jpg", photo, "./e//a.jpg", "Holiday.PNG.d/../e/a.jpg", "link/a.jpg"});
    }
    // A link is another spelling the user chose, not resolved behind their back.
    EXPECT_EQ(pathsOf(walk.data.importedImages()),
              (std::vector<std::string>{untyped, photo, tree.path("link/a.jpg")}));
    EXPECT_EQ(walk.log.lines().join('\n').toStdString(),
              "IMG_0001 is already added!\na.jpg is already added!\na.jpg is already added!\n"
              "a.jpg is already added!");

    // A folder, however spelled, is walked once.
    Walk folders;
    const ScopedWorkingFolder working(tree.root, tree.root);
    folders.walker.addImagesWithPaths({"./e/", "e//", "Holiday.PNG.d/../e", tree.path("e")});
    EXPECT_EQ(pathsOf(folders.data.importedImages()), std::vector<std::string>{photo});
}

TEST(ImportWalker, ProgressCountsEachFolderEntryTwice) {
    Tree tree;
    tree.folderWith("three", {"a.jpg", "b.txt", "c.png"});
    const std::string single = tree.file("single.jpg");

    std::vector<std::pair<long, long>> reports;
    const auto report = [&](long counter, long total) {
        reports.emplace_back(counter, total);
    };
    Walk folder(report);
    folder.walker.addImagesWithPath(tree.path("three"), false);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front(), std::make_pair(0L, 3L));
    EXPECT_EQ(reports.back(), std::make_pair(6L, 6L));
    EXPECT_EQ(folder.walker.addingImagesCounter(), 6);
    EXPECT_EQ(folder.walker.numberOfFilesToAdd(), 6);

    reports.clear();
    Walk(report).walker.addImagesWithPaths({single});
    EXPECT_EQ(reports, (std::vector<std::pair<long, long>>{{1, 1}, {2, 2}}));
}

TEST(ImportWalker, ListItemsAreWalkedInOrderWhateverTheyAre) {
    Tree tree;
    tree.folderWith("folder", {"inside.jpg"});
    const std::string file = tree.file("first.png");
    const std::string missing = tree.path("gone.jpg");

    Walk walk;
    walk.walker.addImagesWithPaths({file, tree.path("folder/"), missing});

    // A trailing slash is not doubled, so the same photo keeps the same key.
    EXPECT_EQ(pathsOf(walk.data.importedImages()),
              (std::vector<std::string>{file, tree.path("folder/inside.jpg"), missing}));
    EXPECT_FALSE(walk.data.importedImages()[2]->workingImage());
}

TEST(ImportWalker, StopFlagEndsTheWalkAndKeepsWhatWasStaged) {
    Tree tree;
    tree.folderWith("many",
                    {"0.jpg", "1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg", "6.jpg", "7.jpg"});
    const std::string later = tree.file("later.jpg");

    AppData data;
    std::atomic<bool> stop{false};
    ImportWalker walker(data, stop, [&](long, long) {
        if (data.importedImages().size() == 3) {
            stop = true;
        }
    });
    walker.addImagesWithPaths({tree.path("many"), later});
    ASSERT_EQ(data.importedImages().size(), 3u);
    for (const std::string& path : pathsOf(data.importedImages())) {
        EXPECT_EQ(data.pathsOfImportedImages().count(path), 1u);
    }

    // Set before the walk starts, nothing is looked at.
    AppData untouched;
    ImportWalker stopped(untouched, stop);
    stopped.addImagesWithPaths({later});
    stopped.addImagesWithPath(later, false);
    EXPECT_TRUE(untouched.importedImages().empty());
    EXPECT_EQ(stopped.addingImagesCounter(), 0);
}

TEST(ImportWalker, FoldersReachedAgainThroughLinksAreWalkedOnce) {
    Tree tree;
    tree.folder("top");
    tree.folderWith("top/sub", {"a.jpg"});
    tree.link("..", "top/sub/up");
    tree.folderWith("shared", {"b.jpg"});
    tree.link(tree.path("shared"), "top/one");
    tree.link(tree.path("shared"), "top/two");

    Walk walk;
    walk.walker.addImagesWithPath(tree.path("top"), false);

    std::vector<std::string> titles;
    for (const auto& image : walk.data.importedImages()) {
        titles.push_back(image->imageTitle());
    }
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::string>{"a.jpg", "b.jpg"}));
    EXPECT_TRUE(
        walk.log.contains(QString::fromStdString(tree.path("top/sub/up")) + " is already walked!"));
    const bool secondLinkLogged =
        walk.log.contains(QString::fromStdString(tree.path("top/one")) + " is already walked!") !=
        walk.log.contains(QString::fromStdString(tree.path("top/two")) + " is already walked!");
    EXPECT_TRUE(secondLinkLogged) << walk.log.lines().join('\n').toStdString();
}

TEST(ImportWalker, UnreadableFolderIsReportedAndTheWalkGoesOn) {
    Tree tree;
    tree.folderWith("locked", {"hidden.jpg"});
    tree.folderWith("open", {"seen.jpg"});
    ASSERT_EQ(::chmod(tree.path("locked").c_str(), 0), 0);

    AppData data;
    std::atomic<bool> stop{false};
    bool canStillRead = false;
    LogCapture log;
    // The walk runs on a thread of its own, as it does in the program; there root gives
    // up reading whatever it likes, where the system allows that.
    std::thread opening([&] {
        dropFolderAccessOverrideInThisThread();
        if (DIR* probe = ::opendir(tree.path("locked").c_str())) {
            ::closedir(probe);
            canStillRead = true;
            return;
        }
        ImportWalker walker(data, stop);
        walker.addImagesWithPath(tree.root, false);
    });
    opening.join();
    ::chmod(tree.path("locked").c_str(), 0755);
    if (canStillRead) {
        GTEST_SKIP() << "this user reads folders whatever their permissions";
    }

    EXPECT_EQ(pathsOf(data.importedImages()), std::vector<std::string>{tree.path("open/seen.jpg")});
    EXPECT_EQ(log.lines(), QStringList{"Error: cannot read folder " +
                                       QString::fromStdString(tree.path("locked"))});
}

TEST(ImportWalker, TreesDeeperThanPathMaxAreWalked) {
    Tree tree;
    const std::string level(200, 'd');
    const int depth = PATH_MAX / static_cast<int>(level.size()) + 2;
    int fd = ::open(tree.root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::mkdirat(fd, "deep", 0755), 0);
    std::string bottom = tree.path("deep");
    int parent = ::openat(fd, "deep", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < depth; ++i) {
        ASSERT_EQ(::mkdirat(parent, level.c_str(), 0755), 0);
        const int child = ::openat(parent, level.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(parent);
        parent = child;
        ASSERT_GE(parent, 0);
        bottom += "/" + level;
    }
    ::close(::openat(parent, "deep.jpg", O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
    ::close(parent);

    Walk walk;
    walk.walker.addImagesWithPath(tree.path("deep"), false);
    ::close(fd);

    const std::string deepPhoto = bottom + "/deep.jpg";
    ASSERT_GT(deepPhoto.size(), size_t(PATH_MAX));
    EXPECT_EQ(pathsOf(walk.data.importedImages()), std::vector<std::string>{deepPhoto});
    EXPECT_EQ(walk.log.lines(),
              QStringList{"Error: path too long to open " + displayPath(deepPhoto)});
}

TEST(ImportWalker, UpdateDatasourceAppendsStagedPhotosInOrder) {
    AppData data;
    for (const char* path : {"/p/1.jpg", "/p/2.jpg", "/p/3.jpg", "/p/4.jpg", "/p/5.jpg"}) {
        auto& list = path[3] < '3' ? data.currentImages() : data.importedImages();
        list.push_back(std::make_unique<Image>(path));
    }
    updateDatasource(data);
    EXPECT_EQ(
        pathsOf(data.currentImages()),
        (std::vector<std::string>{"/p/1.jpg", "/p/2.jpg", "/p/3.jpg", "/p/4.jpg", "/p/5.jpg"}));
    EXPECT_TRUE(data.importedImages().empty());
}

} // namespace
