#include "core/batch/SettingsRules.h"

#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

const QDate kToday(2024, 3, 5);

TEST(SettingsRules, TargetDirectoryNameFollowsTheDay) {
    const QString current = QStringLiteral("Typed by user");
    // First launch: nothing stored.
    EXPECT_EQ(targetDirectoryNameFor(std::nullopt, kToday, current), "Export_2024-03-05");
    // A default saved today stays; one saved on any earlier day becomes today's default.
    EXPECT_EQ(targetDirectoryNameFor(QStringLiteral("Export_2024-03-05"), kToday, current),
              "Export_2024-03-05");
    EXPECT_EQ(targetDirectoryNameFor(QStringLiteral("Export_2024-03-04"), kToday, current),
              "Export_2024-03-05");
    EXPECT_EQ(
        targetDirectoryNameFor(QStringLiteral("Export_2023-12-31"), QDate(2024, 1, 1), current),
        "Export_2024-01-01");
    // "Export_" anywhere in the name makes it a default name.
    EXPECT_EQ(targetDirectoryNameFor(QStringLiteral("Trip_Export_A"), kToday, current),
              "Export_2024-03-05");
    // Today's date with the prefix elsewhere is still today's name and is kept as saved.
    EXPECT_EQ(targetDirectoryNameFor(QStringLiteral("2024-03-05Export_"), kToday, current),
              "2024-03-05Export_");
    // A name of the user's own leaves the field alone, whatever it shows.
    EXPECT_EQ(targetDirectoryNameFor(QStringLiteral("Holiday"), kToday, current), current);
    EXPECT_EQ(targetDirectoryNameFor(QString(), kToday, current), current);
    EXPECT_EQ(targetDirectoryNameFor(QStringLiteral("export_2024-03-04"), kToday, current), current)
        << "the prefix is matched with its case";
}

TEST(SettingsRules, DateTextIgnoresTheUsersLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const QString text = exportFolderDateText(kToday);
    QLocale::setDefault(previous);
    EXPECT_EQ(text, "2024-03-05");
    EXPECT_EQ(exportFolderDateText(QDate(987, 11, 30)), "0987-11-30");
}

TEST(SettingsRules, SerializeTitlesAndWhenTheSecondIsHidden) {
    struct Case {
        long count;
        const char* first;
        const char* second;
        bool hidden;
    };
    for (const Case& c :
         {Case{5, "_1 to _5", "_1 to _5", true}, Case{9, "_1 to _9", "_1 to _9", true},
          Case{10, "_01 to _10", "_1 to _10", false}, Case{12, "_01 to _12", "_1 to _12", false},
          Case{100, "_001 to _100", "_1 to _100", false}}) {
        const auto [first, second] = serializePopupTitles(c.count);
        EXPECT_EQ(first, c.first) << c.count;
        EXPECT_EQ(second, c.second) << c.count;
        EXPECT_EQ(serializeSecondItemHidden(c.count), c.hidden) << c.count;
    }
}

class SettingsRulesFinishingFlags : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file() const { return dir.filePath(QStringLiteral("settings.ini")); }
};

TEST_F(SettingsRulesFinishingFlags, DefaultsAreStoredWhenAbsent) {
    ASSERT_TRUE(dir.isValid());
    {
        QSettings settings(file(), QSettings::IniFormat);
        const FinishingFlags flags = loadFinishingFlags(settings);
        EXPECT_TRUE(flags.playSound);
        EXPECT_FALSE(flags.quitApp);
        EXPECT_TRUE(flags.openDestinationFolder);
        settings.sync();
        EXPECT_EQ(settings.status(), QSettings::NoError);
    }
    QSettings reread(file(), QSettings::IniFormat);
    // A missing flag would read false: only the false one needs looking for.
    ASSERT_TRUE(reread.contains(SettingsKeys::quitAppWhenDone));
    EXPECT_TRUE(reread.value(SettingsKeys::playSoundWhenDone).toBool());
    EXPECT_FALSE(reread.value(SettingsKeys::quitAppWhenDone).toBool());
    EXPECT_TRUE(reread.value(SettingsKeys::openDestinationFolderWhenDone).toBool());
    // Nothing but the three flags is written.
    EXPECT_EQ(reread.allKeys().size(), 3);
}

TEST_F(SettingsRulesFinishingFlags, StoredValuesWinAndStayAsTheyAre) {
    ASSERT_TRUE(dir.isValid());
    {
        QSettings settings(file(), QSettings::IniFormat);
        settings.setValue(SettingsKeys::playSoundWhenDone, false);
        settings.setValue(SettingsKeys::quitAppWhenDone, true);
        settings.setValue(SettingsKeys::openDestinationFolderWhenDone, false);
    }
    for (int launch = 0; launch < 2; ++launch) {
        QSettings settings(file(), QSettings::IniFormat);
        const FinishingFlags flags = loadFinishingFlags(settings);
        EXPECT_FALSE(flags.playSound);
        EXPECT_TRUE(flags.quitApp);
        EXPECT_FALSE(flags.openDestinationFolder);
    }
    // Only one flag stored: the others get their defaults, the stored one is kept.
    QFile::remove(file());
    {
        QSettings settings(file(), QSettings::IniFormat);
        settings.setValue(SettingsKeys::quitAppWhenDone, true);
        const FinishingFlags flags = loadFinishingFlags(settings);
        EXPECT_TRUE(flags.playSound);
        EXPECT_TRUE(flags.quitApp);
        EXPECT_TRUE(flags.openDestinationFolder);
        EXPECT_TRUE(settings.value(SettingsKeys::quitAppWhenDone).toBool());
    }
}

} // namespace
