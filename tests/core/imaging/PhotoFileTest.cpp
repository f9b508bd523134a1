#include "core/imaging/PhotoFile.h"
#include "tests/core/TestImages.h"

#include <QTemporaryDir>
#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vantrel;
using namespace vantrel::test;

namespace {

// The temporary folder as the kernel names it, so that getcwd() spells it the same.
std::string physicalFolder(const QTemporaryDir& dir) {
    char resolved[PATH_MAX];
    EXPECT_NE(::realpath(dir.path().toUtf8().constData(), resolved), nullptr);
    return resolved;
}

TEST(AbsolutePath, JoinsTheWorkingFolderAndDropsDotsAndRepeatedSlashes) {
    QTemporaryDir dir;
    const std::string cwd = physicalFolder(dir);
    ASSERT_EQ(::mkdir((cwd + "/real").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((cwd + "/real/sub").c_str(), 0755), 0);
    const ScopedWorkingFolder working(cwd);
    const struct {
        std::string given;
        std::string expected;
    } cases[] = {
        {"x.jpg", cwd + "/x.jpg"},
        {"./x.jpg", cwd + "/x.jpg"},
        {"a//b.jpg", cwd + "/a/b.jpg"},
        {"a/./b.jpg", cwd + "/a/b.jpg"},
        {".", cwd},
        // ".." after a real folder goes; after a name that is no folder it stays.
        {"..", cwd.substr(0, cwd.rfind('/'))},
        {"real/../b.jpg", cwd + "/b.jpg"},
        {"real/sub/../../real//b.jpg", cwd + "/real/b.jpg"},
        {"missing/../b.jpg", cwd + "/missing/../b.jpg"},
        {"/..", "/"},
        {"/photos/x.jpg", "/photos/x.jpg"},
        {"/nowhere-at-all/../x.jpg", "/nowhere-at-all/../x.jpg"},
        {"//photos///./x.jpg", "/photos/x.jpg"},
        // A trailing "/" means "a folder": "x.jpg/" must not become the file x.jpg.
        {"folder/", cwd + "/folder/"},
        {"/photos/x.jpg/.", "/photos/x.jpg/"},
        {"/", "/"},
        {"/.", "/"},
        {".hidden.jpg", cwd + "/.hidden.jpg"},
        {"caf\xe9 \xff.JPG", cwd + "/caf\xe9 \xff.JPG"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(absolutePath(c.given), c.expected) << c.given;
    }
}

TEST(AbsolutePath, KeepsSymbolicLinksAsTheyAreSpelled) {
    QTemporaryDir dir;
    const std::string root = physicalFolder(dir);
    ASSERT_EQ(::mkdir((root + "/real").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("real", (root + "/link").c_str()), 0);
    const std::string link = root + "/link";

    {
        const ScopedWorkingFolder working(root);
        EXPECT_EQ(absolutePath("link/x.jpg"), link + "/x.jpg");
        EXPECT_EQ(absolutePath("link/../x.jpg"), link + "/../x.jpg");
    }
    EXPECT_EQ(absolutePath(link + "/x.jpg"), link + "/x.jpg");

    const struct {
        const char* what;
        std::string shell;
        std::string expected;
    } shells[] = {
        // A shell that went through the link says so in $PWD; that spelling is kept.
        {"through the link", link, link + "/x.jpg"},
        {"through the link, trailing slash", link + "/", link + "/x.jpg"},
        {"physical", root + "/real", root + "/real/x.jpg"},
        // $PWD that names another folder, or needs "." or ".." to, is not trusted.
        {"stale", root, root + "/real/x.jpg"},
        {"with ..", link + "/../link", root + "/real/x.jpg"},
        {"with .", link + "/.", root + "/real/x.jpg"},
        {"relative", "link", root + "/real/x.jpg"},
        {"unset", "", root + "/real/x.jpg"},
    };
    for (const auto& shell : shells) {
        const ScopedWorkingFolder working(link, shell.shell);
        EXPECT_EQ(absolutePath("x.jpg"), shell.expected) << shell.what;
    }
}

} // namespace
