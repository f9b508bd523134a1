#include "gui/browser/CellTitle.h"

#include <QFontMetrics>

namespace vantrel {

namespace {

// The longest start of `text` that fits.
qsizetype fittingStart(const QFontMetrics& metrics, const QString& text, int width) {
    qsizetype length = 0;
    while (length < text.size() && metrics.horizontalAdvance(text.left(length + 1)) <= width)
        ++length;
    return length;
}

// `text` shortened at its start ("…ption_4.jpg") until it fits.
QString keepingTheEnd(const QFontMetrics& metrics, const QString& text, int width) {
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QString ellipsis(QChar(0x2026));
    qsizetype keep = 0;
    while (keep < text.size() &&
           metrics.horizontalAdvance(ellipsis + text.right(keep + 1)) <= width)
        ++keep;
    return ellipsis + text.right(keep);
}

} // namespace

QStringList cellTitleLines(const QFontMetrics& metrics, const QString& name, int width) {
    if (metrics.horizontalAdvance(name) <= width)
        return {name};
    qsizetype split = fittingStart(metrics, name, width);
    // A break after a separator in the second half of the first line reads better.
    for (qsizetype i = split; i > split / 2; --i) {
        const QChar c = name.at(i - 1);
        if (c == QLatin1Char('_') || c == QLatin1Char('-') || c == QLatin1Char('.') ||
            c == QLatin1Char(' ')) {
            split = i;
            break;
        }
    }
    if (split == 0)
        return {keepingTheEnd(metrics, name, width)};
    return {name.left(split), keepingTheEnd(metrics, name.mid(split), width)};
}

} // namespace vantrel
