#pragma once

#include <QDate>
#include <QString>
#include <optional>
#include <utility>

class QSettings;

namespace vantrel {

// The keys of the per-user settings store. Their spelling is the stored format: changing one
// silently forgets what every user has saved under it.
namespace SettingsKeys {
inline constexpr char transferMetadataFromSource[] = "transferMetadataFromSource";
inline constexpr char fileTypeToSave[] = "fileTypeToSave";
inline constexpr char qualitySliderLastUsedValue[] = "qualitySliderLastUsedValue";
inline constexpr char keepOriginalName[] = "keepOriginalName";
inline constexpr char targetDirectoryName[] = "TargetDirectoryName";
inline constexpr char imageName[] = "ImageName";
inline constexpr char serializeSuffix[] = "SerializeSuffix";
inline constexpr char saveDestinationPath[] = "SaveDestinationPath";
inline constexpr char playSoundWhenDone[] = "PlaySoundWhenDone";
inline constexpr char quitAppWhenDone[] = "QuitAppWhenDone";
inline constexpr char openDestinationFolderWhenDone[] = "OpenDestinationFolderWhenDone";
inline constexpr char enableAutomaticChecks[] = "SUEnableAutomaticChecks";
inline constexpr char lastCheckTime[] = "SULastCheckTime";
inline constexpr char applyCameraOrientation[] = "ApplyCameraOrientation";
inline constexpr char restoreLastEffects[] = "RestoreLastEffectsAtLaunch";
inline constexpr char lastEffects[] = "LastEffects";
inline constexpr char keepFolderStructure[] = "KeepFolderStructure";
inline constexpr char nameTemplate[] = "NameTemplate";
inline constexpr char webpLossless[] = "webpLossless";
inline constexpr char jpegProgressive[] = "jpegProgressive";
inline constexpr char jpegFullChroma[] = "jpegFullChroma";
inline constexpr char maxFileSizeKB[] = "maxFileSizeKB";
inline constexpr char metadataWithoutPrivate[] = "metadataWithoutPrivate";
} // namespace SettingsKeys

// `today` as "yyyy-MM-dd" with ASCII digits whatever the user's locale.
QString exportFolderDateText(const QDate& today);

// What the target folder field shows after the settings are loaded. `saved` is the stored
// "TargetDirectoryName" (nullopt when never stored), `currentText` what the field shows now.
// A default name saved on an earlier day gives way to today's default; a name of the user's
// own (one without "Export_") leaves the field as it is.
QString targetDirectoryNameFor(const std::optional<QString>& saved, const QDate& today,
                               const QString& currentText);

// The titles of items 0 and 1 of the serialize popup for a batch of `photoCount` photos:
// zero-padded ("_01 to _12") and plain ("_1 to _12").
std::pair<QString, QString> serializePopupTitles(long photoCount);

// Item 1 only offers something when its title differs from item 0's.
bool serializeSecondItemHidden(long photoCount);

// What happens when an export run ends.
struct FinishingFlags {
    bool playSound = true;
    bool quitApp = false;
    bool openDestinationFolder = true;
};

// Reads the three finishing flags. A flag never stored takes its default, and the default is
// stored so that the preferences window shows what the run will do. The caller writes the
// store out (QSettings::sync) when it has loaded everything else.
FinishingFlags loadFinishingFlags(QSettings& settings);

// Reads "ApplyCameraOrientation": whether photos are turned as their camera's orientation tag
// says (the default) or taken with their pixels as stored. Stored when absent, as the
// finishing flags are.
bool loadApplyCameraOrientation(QSettings& settings);

} // namespace vantrel
