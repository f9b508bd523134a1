#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace vantrel {

// When updates were last looked for, as the preferences window shows it: the full weekday
// and month names in the locale's language, the day without a leading zero, the calendar
// year (not the year of the week) and the 24-hour time in the user's time zone, for example
// "Saturday December 5, 2026, 08:02".
QString lastCheckDateText(const QDateTime& when, const QLocale& locale = QLocale());

} // namespace vantrel
