#pragma once

#include <QString>
#include <optional>
#include <string>

namespace vantrel {

// The picture codecs a HEIF file may hold: HEVC (.heic, .heif) or AV1 (.avif).
enum class HeifCodec { Hevc, Av1 };

// The codec a HEIF photo's major brand announces ("avif", "avis": AV1; the others HEVC);
// nothing when the file is no HEIF photo.
std::optional<HeifCodec> heifCodecOfFile(const std::string& path);

// Whether libheif on this machine can decode, or encode, pictures of the codec.
bool heifDecoderAvailable(HeifCodec codec);
bool heifEncoderAvailable(HeifCodec codec);

// Why a HEIF photo of the codec cannot be read or written here, in plain words.
QString missingHeifDecoderText(HeifCodec codec);
QString missingHeifEncoderText(HeifCodec codec);

// The reason when the file is a HEIF photo whose codec cannot be decoded here, else nothing.
std::optional<QString> missingHeifDecoderOf(const std::string& path);

} // namespace vantrel
