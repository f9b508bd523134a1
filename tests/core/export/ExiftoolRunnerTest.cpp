#include "core/export/ExiftoolRunner.h"

#include "tests/core/TestImages.h"

#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;
using vantrel::locateExiftool;
using vantrel::test::fileBytes;
using vantrel::test::testdataPath;

namespace {

const std::string kCanon = "Canon|Canon EOS 40D";
const std::string kNikon = "NIKON CORPORATION|NIKON D70";

std::string canonPhoto() {
    return testdataPath("real/jpeg/cameras/Canon_40D.jpg");
}
std::string nikonPhoto() {
    return testdataPath("real/jpeg/cameras/Nikon_D70.jpg");
}

std::string realExiftool() {
    return locateExiftool("").value_or("/usr/bin/exiftool");
}

std::string outcome(const std::optional<QString>& failure) {
    return failure ? failure->toStdString() : "copied";
}

// The photo format a test name stands for, whatever odd characters surround it.
std::string formatExtension(const std::string& name) {
    for (const std::string extension : {".png", ".tif"}) {
        if (name.find(extension) != std::string::npos) {
            return extension;
        }
    }
    return ".jpg";
}

void writeScript(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
    fs::permissions(path, fs::perms::owner_all);
}

// Empties a folder with byte-exact names before QTemporaryDir, which cannot delete names
// that are not UTF-8, takes it away.
void emptyFolder(const QTemporaryDir& dir) {
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path().toStdString())) {
        fs::remove_all(entry.path());
    }
}

class ExiftoolRunner : public ::testing::Test {
protected:
    ~ExiftoolRunner() override {
        emptyFolder(targets);
        emptyFolder(scratch);
    }

    // Tags as exiftool reads them back, "|"-separated; read from a plain-named copy so the
    // check does not depend on how odd names travel.
    std::string tagsOf(const std::string& path, const QStringList& tags = {"-Make", "-Model"}) {
        const std::string probe = scratch.path().toStdString() + "/probe" + formatExtension(path);
        fs::copy_file(path, probe, fs::copy_options::overwrite_existing);
        QProcess exiftool;
        exiftool.start(QString::fromStdString(realExiftool()),
                       QStringList{"-s3"} + tags + QStringList{QString::fromStdString(probe)});
        exiftool.waitForFinished(60000);
        return QString::fromUtf8(exiftool.readAllStandardOutput())
            .trimmed()
            .replace('\n', '|')
            .toStdString();
    }

    // A small photo without camera tags, under any byte name, in the target folder.
    std::string target(const std::string& name) {
        const std::string made =
            vantrel::test::writeQuadrantPhoto(scratch, "made" + formatExtension(name), 24, 16);
        const std::string path = folder() + "/" + name;
        fs::rename(made, path);
        return path;
    }

    std::string folder() const { return targets.path().toStdString(); }

    std::set<std::string> filesInTargetFolder() const {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    QTemporaryDir targets;
    QTemporaryDir scratch;
};

// Camera tags from alternating sources onto JPEG, PNG and TIFF under any name, all through
// one long-lived exiftool; the sources are left alone.
TEST_F(ExiftoolRunner, CopiesTagsOntoEveryFormatUnderAnyNameAndLeavesSourcesAlone) {
    QTemporaryDir sources;
    vantrel::ExiftoolRunner runner(realExiftool());
    const std::vector<std::string> names = {
        "photo.jpg",           "photo.png",        "photo.tif",        "with space.jpg",
        "it's \"quoted\".png", "-x.jpg",           "Crémieux.tif",     "  padded both  .jpg",
        "caf\xe9-latin1.jpg",  "50%done %d%f.jpg", "#hash $HOME;.jpg", "tab\there.jpg",
        "trailing.jpg  "};
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string source = sources.path().toStdString() + "/" + names[i];
        fs::copy_file(i % 2 ? nikonPhoto() : canonPhoto(), source);
        const QByteArray sourceBefore = fileBytes(source);
        const std::string photo = target(names[i]);
        EXPECT_EQ(outcome(runner.transferTagsFrom(source, photo)), "copied") << names[i];
        EXPECT_EQ(tagsOf(photo), i % 2 ? kNikon : kCanon) << names[i];
        EXPECT_EQ(fileBytes(source), sourceBefore) << names[i];
    }
    emptyFolder(sources);
    const std::string located = target("located.jpg");
    EXPECT_EQ(outcome(runner.transferTagsFrom(testdataPath("real/jpeg/gps/FurnaceCreekInn.jpg"),
                                              located)),
              "copied");
    EXPECT_NE(tagsOf(located, {"-GPSLatitude", "-DateTimeOriginal"}).find('|'), std::string::npos);
    std::set<std::string> expected(names.begin(), names.end());
    expected.insert("located.jpg");
    EXPECT_EQ(filesInTargetFolder(), expected);

    // A relative name is taken from the current folder, never as an option.
    target("-relative.jpg");
    {
        const vantrel::test::ScopedWorkingFolder working(folder(), folder());
        EXPECT_EQ(outcome(runner.transferTagsFrom(canonPhoto(), "-relative.jpg")), "copied");
    }
    EXPECT_EQ(tagsOf(folder() + "/-relative.jpg"), kCanon);
    EXPECT_EQ(runner.startedProcesses(), 1);
}

TEST_F(ExiftoolRunner, NamesWithLineBreaksAreHandedOverAsArgumentsOfTheirOwnExiftool) {
    vantrel::ExiftoolRunner runner(realExiftool());
    const std::string source = scratch.path().toStdString() + "/camera\nfile.jpg";
    fs::copy_file(nikonPhoto(), source);
    const std::vector<std::string> names = {"line\nbreak.jpg", "return\r.jpg",
                                            "caf\xe9\nlatin1.jpg"};
    for (const std::string& name : names) {
        const std::string photo = target(name);
        EXPECT_EQ(outcome(runner.transferTagsFrom(canonPhoto(), photo)), "copied") << name;
        EXPECT_EQ(tagsOf(photo), kCanon) << name;
    }
    const std::string fromOddSource = target("plain.jpg");
    EXPECT_EQ(outcome(runner.transferTagsFrom(source, fromOddSource)), "copied");
    EXPECT_EQ(tagsOf(fromOddSource), kNikon);
    EXPECT_EQ(runner.startedProcesses(), 4);
    EXPECT_EQ(outcome(runner.transferTagsFrom(source + "-missing", target("lost\n.jpg"))),
              "File '" + source + "-missing' does not exist for -tagsFromFile option");
}

TEST_F(ExiftoolRunner, DamagedSourcesAndUnwritableTargetsGiveExiftoolsMessage) {
    vantrel::ExiftoolRunner runner(realExiftool());
    const std::string damaged = testdataPath("bad-seed/png/pngsuite-xs1n0g01.png");
    const std::string photo = target("photo.jpg");
    const QByteArray photoBefore = fileBytes(photo);
    EXPECT_EQ(outcome(runner.transferTagsFrom(damaged, photo)),
              "Error: File format error - " + damaged);
    EXPECT_EQ(fileBytes(photo), photoBefore);
    // exiftool is shown such a source under a plain name; the message names the real one.
    const std::string damagedWithPercent = scratch.path().toStdString() + "/50%d broken.png";
    fs::copy_file(damaged, damagedWithPercent);
    EXPECT_EQ(outcome(runner.transferTagsFrom(damagedWithPercent, photo)),
              "Error: File format error - " + damagedWithPercent);

    const std::string notes = folder() + "/notes.txt";
    std::ofstream(notes) << "not a photo\n";
    EXPECT_EQ(outcome(runner.transferTagsFrom(canonPhoto(), notes)),
              "Error: Writing of TXT files is not yet supported - " + notes);
    EXPECT_EQ(outcome(runner.transferTagsFrom(canonPhoto(), folder() + "/gone.jpg")),
              "Error: File not found - " + folder() + "/gone.jpg");
    EXPECT_EQ(outcome(runner.transferTagsFrom(folder() + "/gone.jpg", photo)),
              "File '" + folder() + "/gone.jpg' does not exist for -tagsFromFile option");

    // The next photo is not held up by the failures before it.
    EXPECT_EQ(outcome(runner.transferTagsFrom(canonPhoto(), photo)), "copied");
    EXPECT_EQ(tagsOf(photo), kCanon);
    EXPECT_EQ(runner.startedProcesses(), 1);
    EXPECT_EQ(filesInTargetFolder(), (std::set<std::string>{"photo.jpg", "notes.txt"}));
}

TEST_F(ExiftoolRunner, MissingToolIsNotFoundAndCannotBeStarted) {
    {
        vantrel::test::ScopedEnvironment emptyPath("PATH", "");
        EXPECT_EQ(locateExiftool(scratch.path().toStdString()), std::nullopt);
    }
    const std::string notExecutable = scratch.path().toStdString() + "/exiftool";
    std::ofstream(notExecutable) << "#!/bin/sh\n";
    const std::string photo = target("photo.jpg");
    const QByteArray photoBefore = fileBytes(photo);
    vantrel::test::LogCapture log;
    for (const std::string& tool : {std::string("/nonexistent/exiftool"), notExecutable}) {
        vantrel::ExiftoolRunner runner(tool);
        EXPECT_EQ(outcome(runner.transferTagsFrom(canonPhoto(), photo)),
                  "exiftool could not be started");
        EXPECT_EQ(outcome(runner.transferTagsFrom(canonPhoto(), target("line\nbreak.jpg"))),
                  "exiftool could not be started");
        EXPECT_EQ(runner.startedProcesses(), 0);
    }
    EXPECT_EQ(fileBytes(photo), photoBefore);
    EXPECT_TRUE(log.contains("exiftool could not be started: " +
                             QString::fromStdString(notExecutable) + ": Permission denied"));
}

TEST_F(ExiftoolRunner, LocatesExiftoolBesideTheProgramThenInstalledThenOnThePath) {
    const std::string root = scratch.path().toStdString();
    for (const char* sub : {"/bin", "/share/vantrel", "/plain/exiftool", "/onpath", "/text"}) {
        fs::create_directories(root + sub);
    }
    std::ofstream(root + "/text/exiftool") << "#!/bin/sh\n";
    writeScript(root + "/onpath/exiftool", "#!/bin/sh\n");
    // Skipped: a relative entry, a plain file, a folder named exiftool.
    vantrel::test::ScopedEnvironment path(
        "PATH", QByteArray::fromStdString("onpath:" + root + "/text:" + root + "/plain:" + root +
                                          "/onpath"));
    EXPECT_EQ(locateExiftool(root + "/bin"), root + "/onpath/exiftool");
    writeScript(root + "/share/vantrel/exiftool", "#!/bin/sh\n");
    EXPECT_EQ(locateExiftool(root + "/bin"), root + "/bin/../share/vantrel/exiftool");
    writeScript(root + "/bin/exiftool", "#!/bin/sh\n");
    EXPECT_EQ(locateExiftool(root + "/bin"), root + "/bin/exiftool");
}

TEST_F(ExiftoolRunner, HangingToolIsKilledAndLeavesNoTemporaryFile) {
    // Like exiftool stuck on a file: its temporary file is begun, then nothing more happens.
    const std::string tool = scratch.path().toStdString() + "/exiftool";
    writeScript(tool, "#!/bin/sh\n"
                      "if [ \"$1\" = -stay_open ]; then\n"
                      "  while IFS= read -r line; do\n"
                      "    case \"$line\" in\n"
                      "      -execute*) : > \"${target}_exiftool_tmp\"; exec sleep 60 ;;\n"
                      "      *) target=$line ;;\n"
                      "    esac\n"
                      "  done\n"
                      "fi\n"
                      ": > \"${4}_exiftool_tmp\"; exec sleep 60\n");
    vantrel::ExiftoolRunner runner(tool, std::chrono::seconds(1));
    for (const std::string name : {"photo.jpg", "line\nbreak.jpg", "photo.jpg"}) {
        const std::string photo = folder() + "/" + name;
        if (!fs::exists(photo)) {
            target(name);
        }
        const QByteArray photoBefore = fileBytes(photo);
        EXPECT_EQ(outcome(runner.transferTagsFrom(canonPhoto(), photo)),
                  "exiftool did not answer within 1 s");
        EXPECT_EQ(fileBytes(photo), photoBefore);
    }
    EXPECT_EQ(runner.startedProcesses(), 3);
    EXPECT_EQ(filesInTargetFolder(), (std::set<std::string>{"photo.jpg", "line\nbreak.jpg"}));
}

TEST_F(ExiftoolRunner, ExiftoolThatDiesIsReportedAndStartedAfreshForTheNextPhoto) {
    const std::string tools = scratch.path().toStdString();
    // Dies once, saying why, then runs the real exiftool and leaves its process id behind.
    const std::string once = tools + "/die-once";
    writeScript(tools + "/exiftool", "#!/bin/sh\nif [ -e '" + once + "' ]; then rm '" + once +
                                         "'; echo 'Out of memory!' >&2; exit 1; fi\necho $$ > '" +
                                         tools + "/pid'\nexec " + realExiftool() + " \"$@\"\n");
    std::ofstream(once) << "";
    const std::string photo = target("photo.jpg");
    pid_t pid = 0;
    {
        vantrel::ExiftoolRunner runner(tools + "/exiftool");
        EXPECT_EQ(outcome(runner.transferTagsFrom(canonPhoto(), photo)),
                  "exiftool ended unexpectedly: Out of memory!");
        EXPECT_EQ(outcome(runner.transferTagsFrom(canonPhoto(), photo)), "copied");
        EXPECT_EQ(tagsOf(photo), kCanon);
        EXPECT_EQ(runner.startedProcesses(), 2);
        std::ifstream(tools + "/pid") >> pid;
        ASSERT_GT(pid, 0);
        EXPECT_EQ(::kill(pid, 0), 0);
    }
    // Ending the runner ends its exiftool.
    errno = 0;
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_EQ(filesInTargetFolder(), (std::set<std::string>{"photo.jpg"}));
}

} // namespace
