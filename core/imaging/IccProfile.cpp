#include "core/imaging/IccProfile.h"

#include "core/imaging/MetadataValues.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <cstdint>
#include <cstring>

namespace vantrel::metadata {

QString iccDescription(const unsigned char* data, std::size_t size) {
    if (data == nullptr || size < 132) {
        return {};
    }
    const std::uint32_t tagCount = bigEndian32(data + 128);
    if (tagCount > (size - 132) / 12) {
        return {};
    }
    for (std::uint32_t i = 0; i < tagCount; ++i) {
        const unsigned char* entry = data + 132 + 12 * std::size_t(i);
        if (std::memcmp(entry, "desc", 4) != 0) {
            continue;
        }
        const std::uint64_t offset = bigEndian32(entry + 4);
        const std::uint64_t length = bigEndian32(entry + 8);
        if (offset + length > size || length < 12) {
            return {};
        }
        const unsigned char* tag = data + offset;
        if (std::memcmp(tag, "desc", 4) == 0) { // ICC v2 textDescriptionType
            const std::uint64_t count = bigEndian32(tag + 8);
            if (12 + count > length) {
                return {};
            }
            return decodeText({reinterpret_cast<const char*>(tag + 12), std::size_t(count)});
        }
        if (std::memcmp(tag, "mluc", 4) == 0 && length >= 16) { // ICC v4 multiLocalizedUnicode
            const std::uint64_t records = bigEndian32(tag + 8);
            const std::uint64_t recordSize = bigEndian32(tag + 12);
            if (recordSize < 12 || records == 0 || 16 + records * recordSize > length) {
                return {};
            }
            const unsigned char* chosen = tag + 16;
            for (std::uint64_t r = 0; r < records; ++r) {
                if (std::memcmp(tag + 16 + r * recordSize, "enUS", 4) == 0) {
                    chosen = tag + 16 + r * recordSize;
                    break;
                }
            }
            const std::uint64_t textLength = bigEndian32(chosen + 4);
            const std::uint64_t textOffset = bigEndian32(chosen + 8);
            if (textOffset + textLength > length) {
                return {};
            }
            QStringDecoder utf16(QStringConverter::Utf16BE, QStringConverter::Flag::Stateless);
            QString text = utf16(QByteArrayView(tag + textOffset, qsizetype(textLength)));
            while (text.endsWith(QChar(0)) || text.endsWith(u' ')) {
                text.chop(1);
            }
            return text;
        }
        return {};
    }
    return {};
}

} // namespace vantrel::metadata
