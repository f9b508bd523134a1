#include "core/imaging/HeifCodecs.h"

#include "core/imaging/PhotoFile.h"

#include <array>
#include <fcntl.h>
#include <libheif/heif.h>
#include <string_view>
#include <unistd.h>

namespace vantrel {

namespace {

heif_compression_format formatOf(HeifCodec codec) {
    return codec == HeifCodec::Av1 ? heif_compression_AV1 : heif_compression_HEVC;
}

QString codecName(HeifCodec codec) {
    return codec == HeifCodec::Av1 ? QStringLiteral("AV1 (AVIF)") : QStringLiteral("HEVC (HEIC)");
}

} // namespace

std::optional<HeifCodec> heifCodecOfFile(const std::string& path) {
    if (sniffPhotoContainer(path) != PhotoContainer::Heif) {
        return std::nullopt;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    std::array<char, 12> head{};
    const ssize_t got = ::read(fd, head.data(), head.size());
    ::close(fd);
    if (got != static_cast<ssize_t>(head.size())) {
        return std::nullopt;
    }
    const std::string_view brand(head.data() + 8, 4);
    return brand == "avif" || brand == "avis" ? HeifCodec::Av1 : HeifCodec::Hevc;
}

bool heifDecoderAvailable(HeifCodec codec) {
    return heif_have_decoder_for_format(formatOf(codec)) != 0;
}

bool heifEncoderAvailable(HeifCodec codec) {
    return heif_have_encoder_for_format(formatOf(codec)) != 0;
}

QString missingHeifDecoderText(HeifCodec codec) {
    return QStringLiteral("the photo is stored with the %1 codec, for which no decoder is "
                          "installed")
        .arg(codecName(codec));
}

QString missingHeifEncoderText(HeifCodec codec) {
    return QStringLiteral("no %1 encoder is installed").arg(codecName(codec));
}

std::optional<QString> missingHeifDecoderOf(const std::string& path) {
    const std::optional<HeifCodec> codec = heifCodecOfFile(path);
    if (!codec || heifDecoderAvailable(*codec)) {
        return std::nullopt;
    }
    return missingHeifDecoderText(*codec);
}

} // namespace vantrel
