#pragma once

#include <QString>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// `exportFolder` followed by `folders`, each made a single safe name: "/" and NUL become
// "_", and "", "." and ".." become "_" too, so the path never leaves the export folder
// whatever the names are.
std::string mirroredFolderPath(const std::string& exportFolder,
                               const std::vector<std::string>& folders);

// Makes the folders of a mirrored tree inside one export folder, each level once.
//
// Every level is made and then opened relative to its parent without following links, so
// a link (or a file) that stands where a folder belongs is refused rather than written
// through: nothing lands outside the export folder. A folder that is there already is
// used, so several processes may fill one tree at once.
class OutputFolders {
public:
    explicit OutputFolders(std::string exportFolder);

    // The folder to write into, or nothing with the reason in *why.
    std::optional<std::string> make(const std::vector<std::string>& folders, QString* why);

private:
    std::string mExportFolder;
    std::map<std::vector<std::string>, std::string> mMade;
};

} // namespace vantrel
