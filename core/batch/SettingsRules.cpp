#include "core/batch/SettingsRules.h"

#include "core/export/OutputNaming.h"

#include <QLocale>
#include <QSettings>

namespace vantrel {
namespace {

const QString kExportPrefix = QStringLiteral("Export_");

bool readOrStoreDefault(QSettings& settings, const char* key, bool defaultValue) {
    const QVariant stored = settings.value(QLatin1String(key));
    if (!stored.isValid()) {
        settings.setValue(QLatin1String(key), defaultValue);
        return defaultValue;
    }
    return stored.toBool();
}

} // namespace

QString exportFolderDateText(const QDate& today) {
    return QLocale::c().toString(today, QStringLiteral("yyyy-MM-dd"));
}

QString targetDirectoryNameFor(const std::optional<QString>& saved, const QDate& today,
                               const QString& currentText) {
    const QString date = exportFolderDateText(today);
    if (!saved) {
        return kExportPrefix + date;
    }
    if (!saved->contains(kExportPrefix)) {
        return currentText;
    }
    QString rest = *saved;
    rest.remove(kExportPrefix);
    return rest == date ? *saved : kExportPrefix + date;
}

std::pair<QString, QString> serializePopupTitles(long photoCount) {
    const QString first =
        QStringLiteral("_%1 to _%2")
            .arg(QString::fromStdString(numberFormatSerilized(1, photoCount)),
                 QString::fromStdString(numberFormatSerilized(photoCount, photoCount)));
    const QString second = QStringLiteral("_1 to _%1").arg(photoCount);
    return {first, second};
}

bool serializeSecondItemHidden(long photoCount) {
    const auto [first, second] = serializePopupTitles(photoCount);
    return first == second;
}

FinishingFlags loadFinishingFlags(QSettings& settings) {
    FinishingFlags flags;
    flags.playSound =
        readOrStoreDefault(settings, SettingsKeys::playSoundWhenDone, flags.playSound);
    flags.quitApp = readOrStoreDefault(settings, SettingsKeys::quitAppWhenDone, flags.quitApp);
    flags.openDestinationFolder = readOrStoreDefault(
        settings, SettingsKeys::openDestinationFolderWhenDone, flags.openDestinationFolder);
    return flags;
}

bool loadApplyCameraOrientation(QSettings& settings) {
    return readOrStoreDefault(settings, SettingsKeys::applyCameraOrientation, true);
}

} // namespace vantrel
