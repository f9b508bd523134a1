#include "core/batch/UpdateChecks.h"

namespace vantrel {

QString lastCheckDateText(const QDateTime& when, const QLocale& locale) {
    // Qt's "yyyy" is the calendar year; there is no week-year field to pick by mistake.
    return locale.toString(when.toLocalTime(), QStringLiteral("dddd MMMM d, yyyy, HH:mm"));
}

} // namespace vantrel
