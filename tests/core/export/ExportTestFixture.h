#pragma once
// Export runs from a clean start (default effects, an empty report) into a temporary folder,
// and what they leave there.

#include "core/batch/AppData.h"
#include "core/batch/ProcessingErrors.h"
#include "core/export/BatchExporter.h"
#include "core/imaging/Effects.h"
#include "core/imaging/Image.h"
#include "tests/core/TestImages.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <atomic>
#include <map>

namespace vantrel::test {

// Every file under `folder` by its path relative to it, with its bytes.
inline std::map<QString, QByteArray> treeOf(const QString& folder) {
    std::map<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        tree[QDir(folder).relativeFilePath(path)] = file.readAll();
    }
    return tree;
}

inline QStringList namesIn(const QString& folder) {
    QStringList names;
    for (const auto& [name, bytes] : treeOf(folder)) {
        names.append(name);
    }
    return names;
}

inline QStringList namesIn(const std::string& folder) {
    return namesIn(QString::fromStdString(folder));
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sources.isValid());
        ASSERT_TRUE(destination.isValid());
        startClean();
    }
    void TearDown() override { startClean(); }
    static void startClean() {
        Effects::sharedEffects().resetEffects();
        ProcessingErrors::errors().clearErrors();
    }

    ExportSettings settings(OutputType type = OutputType::OriginalFileType,
                            const std::string& folder = "Run", int jobs = 2) const {
        ExportSettings s;
        s.destination = destination.path().toStdString();
        s.targetFolderName = folder;
        s.outputType = type;
        s.jobs = jobs;
        return s;
    }

    ExportOutcome run(const ExportSettings& s, ImageList& images) {
        return BatchExporter(s, stop).run(images);
    }
    ExportOutcome exportPaths(const ExportSettings& s, const std::vector<std::string>& paths) {
        ImageList images;
        for (const std::string& path : paths) {
            images.push_back(std::make_unique<Image>(path));
        }
        return run(s, images);
    }
    static std::string report() { return ProcessingErrors::errors().errorMessage().toStdString(); }

    QTemporaryDir sources;
    QTemporaryDir destination;
    std::atomic<bool> stop{false};
};

} // namespace vantrel::test
