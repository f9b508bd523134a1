#include "tests/core/BombFiles.h"

#include <QDir>
#include <QFile>
#include <zlib.h>

namespace vantrel::test {

namespace {

// `rows` rows of `rowBytes` zero bytes, each led by `lead` zero bytes (PNG's filter byte),
// deflated as a stream.
std::string deflatedZeroRows(int rows, size_t rowBytes, size_t lead) {
    z_stream z{};
    deflateInit(&z, Z_BEST_SPEED);
    const std::string row(rowBytes + lead, '\0');
    std::string out;
    std::string buffer(1 << 16, '\0');
    for (int y = 0; y <= rows; ++y) {
        const bool last = y == rows;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.data()));
        z.avail_in = last ? 0 : static_cast<uInt>(row.size());
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer.data());
            z.avail_out = static_cast<uInt>(buffer.size());
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            out.append(buffer.data(), buffer.size() - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

void appendBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xff));
    }
}

void appendPngChunk(std::string& out, const char* type, const std::string& data) {
    appendBigEndian(out, static_cast<uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    out += typed;
    appendBigEndian(out,
                    static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                                static_cast<uInt>(typed.size()))));
}

std::string writeBytes(const QTemporaryDir& dir, const std::string& name,
                       const std::string& bytes) {
    const std::string path = QDir(dir.path()).filePath(QString::fromStdString(name)).toStdString();
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != qint64(bytes.size()))
        return {};
    return path;
}

} // namespace

std::string writeBombPng(const QTemporaryDir& dir, const std::string& name, int width, int height,
                         int colourType, int bitDepth) {
    const int channels = colourType == 2 ? 3 : 1;
    const size_t rowBytes = (size_t(width) * channels * bitDepth + 7) / 8;
    std::string header;
    appendBigEndian(header, static_cast<uint32_t>(width));
    appendBigEndian(header, static_cast<uint32_t>(height));
    header += {static_cast<char>(bitDepth), static_cast<char>(colourType), 0, 0, 0};
    std::string png = "\x89PNG\r\n\x1a\n";
    appendPngChunk(png, "IHDR", header);
    appendPngChunk(png, "IDAT", deflatedZeroRows(height, rowBytes, 1));
    appendPngChunk(png, "IEND", {});
    return writeBytes(dir, name, png);
}

std::string writeBombTiff(const QTemporaryDir& dir, const std::string& name, int width,
                          int height) {
    const std::string strip = deflatedZeroRows(height, size_t(width), 0);
    // Little-endian TIFF: one directory of nine entries, then the strip.
    struct Entry {
        uint16_t tag, type;
        uint32_t value;
    };
    const uint32_t stripOffset = 8 + 2 + 9 * 12 + 4;
    const Entry entries[] = {{256, 4, uint32_t(width)},
                             {257, 4, uint32_t(height)},
                             {258, 3, 8},
                             {259, 3, 8},
                             {262, 3, 1},
                             {273, 4, stripOffset},
                             {277, 3, 1},
                             {278, 4, uint32_t(height)},
                             {279, 4, uint32_t(strip.size())}};
    std::string tiff("II*\0\x08\0\0\0", 8);
    const auto little = [&tiff](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            tiff.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
        }
    };
    little(9, 2);
    for (const Entry& e : entries) {
        little(e.tag, 2);
        little(e.type, 2);
        little(1, 4);
        little(e.value, 4); // a SHORT value sits in the first two bytes, little-endian
    }
    little(0, 4);
    return writeBytes(dir, name, tiff + strip);
}

} // namespace vantrel::test
