#include "core/batch/PresetStore.h"

#include "core/batch/PresetFormat.h"
#include "core/imaging/HexDigit.h"
#include "core/imaging/PhotoFile.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vantrel {
namespace {

constexpr char kExtension[] = ".vpreset";
constexpr qint64 kLargestPresetFile = 64 * 1024;
// File names hold at most 255 bytes; the extension takes its share.
constexpr size_t kLongestFileName = 255;

QString shown(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

PresetFile unusable(const QString& name, const std::string& path, const QString& why) {
    PresetFile file{name, path, std::nullopt, {}, {}};
    file.error =
        QStringLiteral("preset \"%1\" (%2) cannot be used: %3").arg(name, shown(path), why);
    return file;
}

} // namespace

std::string presetsFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = joinPath(home ? home : "", ".config");
    }
    return joinPath(joinPath(base, "Vantrel"), "presets");
}

std::string presetFileName(const QString& name) {
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray bytes = name.toUtf8();
    std::string file;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const bool escaped = byte < 0x20 || byte == 0x7f || byte == '%' || byte == '/' ||
                             byte == '\\' || (i == 0 && byte == '.');
        if (escaped) {
            file += '%';
            file += hex[byte >> 4];
            file += hex[byte & 0xf];
        } else {
            file += static_cast<char>(byte);
        }
    }
    return file + kExtension;
}

QString presetNameOfFile(const std::string& fileName) {
    std::string_view encoded = fileName;
    const std::string_view extension = kExtension;
    if (encoded.size() >= extension.size() &&
        encoded.substr(encoded.size() - extension.size()) == extension)
        encoded.remove_suffix(extension.size());
    // Not QByteArray::fromPercentEncoding: it decodes "%of" of a file named by hand too.
    std::string bytes;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%' && i + 2 < encoded.size() && hexDigit(encoded[i + 1]) >= 0 &&
            hexDigit(encoded[i + 2]) >= 0) {
            bytes += static_cast<char>(hexDigit(encoded[i + 1]) * 16 + hexDigit(encoded[i + 2]));
            i += 2;
        } else {
            bytes += encoded[i];
        }
    }
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::optional<QString> presetNameProblem(const QString& name) {
    if (name.trimmed().isEmpty())
        return QStringLiteral("A preset needs a name.");
    if (presetFileName(name).size() > kLongestFileName)
        return QStringLiteral("The name \"%1\" is too long for a preset.").arg(name);
    return std::nullopt;
}

PresetFile loadPresetFile(const std::string& path) {
    const std::string fileName = std::filesystem::path(path).filename().string();
    const QString name = presetNameOfFile(fileName);
    std::error_code error;
    // A FIFO or a device would block or never end: only regular files are read.
    if (!std::filesystem::is_regular_file(path, error))
        return unusable(name, path,
                        std::filesystem::exists(path, error) ? QStringLiteral("not a regular file")
                                                             : QStringLiteral("no such file"));
    QFile file(shown(path));
    if (file.size() > kLargestPresetFile)
        return unusable(name, path, QStringLiteral("larger than 64 KiB"));
    if (!file.open(QIODevice::ReadOnly))
        return unusable(name, path, file.errorString());
    const QByteArray text = file.read(kLargestPresetFile + 1);
    if (text.size() > kLargestPresetFile)
        return unusable(name, path, QStringLiteral("larger than 64 KiB"));
    if (text.contains('\0'))
        return unusable(name, path, QStringLiteral("not a text file"));
    PresetReading reading = readPreset(std::string_view(text.constData(), text.size()));
    PresetFile result{name, path, std::move(reading.preset), {}, {}};
    if (!result.preset)
        return unusable(name, path, reading.error);
    for (const QString& warning : reading.warnings)
        result.warnings << QStringLiteral("preset \"%1\": %2").arg(name, warning);
    return result;
}

std::vector<PresetFile> listPresets(const std::string& folder) {
    std::vector<PresetFile> presets;
    const QDir dir(shown(folder));
    const QStringList names =
        dir.entryList({QStringLiteral("*.vpreset")}, QDir::Files | QDir::Hidden | QDir::System);
    presets.reserve(static_cast<size_t>(names.size()));
    for (const QString& entry : names)
        presets.push_back(loadPresetFile(joinPath(folder, QFile::encodeName(entry).toStdString())));
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::stable_sort(presets.begin(), presets.end(),
                     [&collator](const PresetFile& a, const PresetFile& b) {
                         return collator.compare(a.name, b.name) < 0;
                     });
    return presets;
}

PresetFile findPreset(const std::string& folder, const QString& name) {
    const std::string path = joinPath(folder, presetFileName(name));
    std::error_code error;
    if (std::filesystem::exists(path, error))
        return loadPresetFile(path);
    // A file named by hand may spell its name in a way of its own ("50%off.vpreset").
    for (PresetFile& preset : listPresets(folder)) {
        if (preset.name == name)
            return std::move(preset);
    }
    {
        PresetFile missing{name, path, std::nullopt, {}, {}};
        missing.error = QStringLiteral("no preset named \"%1\" in %2").arg(name, shown(folder));
        return missing;
    }
}

std::optional<QString> savePreset(const std::string& folder, const QString& name,
                                  const Preset& preset) {
    if (const auto problem = presetNameProblem(name))
        return problem;
    if (!QDir().mkpath(shown(folder)))
        return QStringLiteral("The folder %1 cannot be made.").arg(shown(folder));
    QSaveFile file(shown(joinPath(folder, presetFileName(name))));
    const std::string text = writePreset(preset);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit())
        return QStringLiteral("The preset \"%1\" cannot be written: %2")
            .arg(name, file.errorString());
    return std::nullopt;
}

std::optional<QString> deletePresetFile(const std::string& path) {
    QFile file(shown(path));
    if (!file.remove())
        return QStringLiteral("The preset \"%1\" cannot be deleted: %2")
            .arg(presetNameOfFile(std::filesystem::path(path).filename().string()),
                 file.errorString());
    return std::nullopt;
}

} // namespace vantrel
