#include "core/imaging/MetadataText.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QStringList>
#include <cmath>

namespace vantrel {
namespace {

QString indentation(int level) {
    return QString(level * 4, QLatin1Char(' '));
}

bool needsQuotes(const QString& text) {
    if (text.isEmpty())
        return true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool plain =
            (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
        if (!plain)
            return true;
    }
    return false;
}

QString quoted(const QString& text) {
    if (!needsQuotes(text))
        return text;
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\U%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

QString numberText(double value) {
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    // Sixteen significant digits, whatever the user's locale: a value rounded in binary
    // (25.4 stored as 25.400000000000002) reads as it was meant.
    return QLocale::c().toString(value, 'g', 16);
}

QString dataText(const QByteArray& bytes) {
    QString out = QStringLiteral("<");
    const QByteArray hex = bytes.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 8) {
        if (i > 0)
            out += QLatin1Char(' ');
        out += QString::fromLatin1(hex.mid(i, 8));
    }
    return out + QLatin1Char('>');
}

void write(QString& out, const QVariant& value, int level);

void writeMap(QString& out, const QVariantMap& map, int level) {
    out += QLatin1String("{\n");
    // QVariantMap iterates in key order: the text is the same for the same properties.
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        out += indentation(level + 1);
        out += quoted(it.key());
        out += QLatin1String(" = ");
        write(out, it.value(), level + 1);
        out += QLatin1String(";\n");
    }
    out += indentation(level);
    out += QLatin1Char('}');
}

void writeList(QString& out, const QVariantList& list, int level) {
    out += QLatin1String("(\n");
    for (qsizetype i = 0; i < list.size(); ++i) {
        out += indentation(level + 1);
        write(out, list.at(i), level + 1);
        out += i + 1 < list.size() ? QLatin1String(",\n") : QLatin1String("\n");
    }
    out += indentation(level);
    out += QLatin1Char(')');
}

void write(QString& out, const QVariant& value, int level) {
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
        writeMap(out, value.toMap(), level);
        return;
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        writeList(out, value.toList(), level);
        return;
    case QMetaType::Bool:
        out += value.toBool() ? QLatin1Char('1') : QLatin1Char('0');
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        out += quoted(value.toString());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        out += quoted(numberText(value.toDouble()));
        return;
    case QMetaType::QByteArray:
        out += dataText(value.toByteArray());
        return;
    case QMetaType::QDateTime:
        out += quoted(value.toDateTime().toString(Qt::ISODate));
        return;
    default:
        out += quoted(value.toString());
    }
}

} // namespace

QString propertyListText(const QVariant& value) {
    QString out;
    write(out, value, 0);
    return out;
}

QString metadataDisplayText(const std::optional<QVariantMap>& properties) {
    QString text = properties ? propertyListText(*properties) : QStringLiteral("(null)");
    for (const char removed : {'"', '{', '}', '(', ')', ';'})
        text.remove(QLatin1Char(removed));
    text.replace(QLatin1Char('='), QLatin1Char(':'));
    return text;
}

} // namespace vantrel
