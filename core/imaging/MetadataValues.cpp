#include "core/imaging/MetadataValues.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <cmath>

namespace vantrel::metadata {

// Metadata text is nominally ASCII, but cameras and editors write UTF-8 or Latin-1 into it.
QString decodeText(std::string_view bytes) {
    if (const auto nul = bytes.find('\0'); nul != std::string_view::npos) {
        bytes = bytes.substr(0, nul);
    }
    while (!bytes.empty() && bytes.back() == ' ') {
        bytes.remove_suffix(1);
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (utf8.hasError()) {
        text = QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    }
    return text;
}

QVariant textOrNothing(std::string_view bytes) {
    QString text = decodeText(bytes);
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant integer(long long value) {
    if (value >= INT32_MIN && value <= INT32_MAX) {
        return QVariant(int(value));
    }
    return QVariant(qlonglong(value));
}

double roundedTo(double value, double step) {
    return std::round(value / step) * step;
}

std::uint32_t bigEndian32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

std::uint16_t bigEndian16(const unsigned char* p) {
    return std::uint16_t((p[0] << 8) | p[1]);
}

} // namespace vantrel::metadata
