#include "core/batch/UpdateChecks.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(UpdateChecks, LastCheckLabelNamesDayAndMonthInTheUsersLanguage) {
    const struct {
        QDate date;
        QTime time;
        const char* locale;
        const char* text;
    } cases[] = {
        {{2026, 12, 5}, {8, 2}, "en_US", "Saturday December 5, 2026, 08:02"},
        {{2026, 12, 5}, {8, 2}, "de_DE", "Samstag Dezember 5, 2026, 08:02"},
        {{2026, 3, 9}, {17, 45}, "fr_FR", "lundi mars 9, 2026, 17:45"},
        // Late December in the first week of the next year, early January in the last
        // week of the previous one: the calendar year is shown.
        {{2024, 12, 30}, {23, 59}, "en_US", "Monday December 30, 2024, 23:59"},
        {{2025, 12, 29}, {0, 0}, "en_US", "Monday December 29, 2025, 00:00"},
        {{2019, 12, 31}, {12, 0}, "en_US", "Tuesday December 31, 2019, 12:00"},
        {{2027, 1, 1}, {0, 5}, "en_US", "Friday January 1, 2027, 00:05"},
    };
    for (const auto& c : cases) {
        const QDateTime when(c.date, c.time);
        EXPECT_EQ(lastCheckDateText(when, QLocale(QString::fromLatin1(c.locale))).toStdString(),
                  c.text);
    }
}

} // namespace
} // namespace vantrel
