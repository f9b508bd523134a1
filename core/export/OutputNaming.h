#pragma once

#include <QDate>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// What the user asked the exported files to be.
enum class OutputType { OriginalFileType, Jpg, Png, Tiff, WebP, Avif };

// Exactly "Original File Type", "JPG", "PNG", "TIFF", "WebP" or "AVIF"; anything else is
// nullopt.
std::optional<OutputType> outputTypeFromTitle(std::string_view title);
const char* outputTypeTitle(OutputType type);

// The encoder a file is written with.
// Heic is HEIF with HEVC pictures, Avif HEIF with AV1 pictures.
enum class Encoding { Jpeg, Png, Tiff, WebP, Heic, Avif };

// numberFormatSerilized and fileExtentionAtIndex keep their established spellings on
// purpose: they are the names every front end, test and document uses.

// `number` as zero-padded decimal, as wide as `photoCount` has digits (9 -> "1", 12 ->
// "01", 100 -> "001"). Longer numbers keep all their digits.
std::string numberFormatSerilized(long number, long photoCount);

// The extension of an exported file. A fixed type gives its title in lower case ("jpg",
// "png", "tiff", "webp", "avif"). "Original File Type" keeps the source's last extension
// with its case when it is one we write (png, jpg, jpeg, tif, tiff, webp, heic, heif, avif
// in any case); any other source name is written as TIFF by encodingFor, so it gets "tiff"
// rather than a misleading extension.
std::string fileExtentionAtIndex(OutputType type, const std::string& imageTitle);

// A fixed type picks its own encoder; "Original File Type" goes by the extension of the
// requested file name: png -> Png, jpg/jpeg -> Jpeg, webp -> WebP, heic/heif -> Heic,
// avif -> Avif, anything else -> Tiff.
Encoding encodingFor(OutputType type, const std::string& requestedPath);

// Whether the encoding has a quality (JPEG, WebP, HEIC, AVIF) and so a size cap.
bool encodingHasQuality(Encoding encoding);

// folder/<newName>_<serial>.<extension>, the serial being numberFormatSerilized(index + 1,
// photoCount). An empty newName becomes "Image". The name is always one file name inside
// `folder`: "/" (and NUL) in it become "_", so "../x" gives ".._x_01.jpg".
std::string newNameOutputPath(const std::string& folder, const std::string& newName, long index,
                              long photoCount, const std::string& extension);

// A file name less its last extension. A leading dot does not start an extension (".jpg"
// keeps its name), so the base name of a name is never empty.
std::string nameWithoutExtension(const std::string& fileName);

// folder/<nameWithoutExtension(imageTitle)>.<extension>.
std::string sourceNameOutputPath(const std::string& folder, const std::string& imageTitle,
                                 const std::string& extension);

// The n-th alternative (n >= 1) for a requested path already taken: "name.ext" ->
// "name-n.ext", always formed from the requested path. Only the file name's extension
// counts; a path without one gets "name-n".
std::string collisionCandidate(const std::string& requestedPath, int n);

// Expands "~", "~/..." (from $HOME, else the passwd entry) and "~user[/...]", drops "."
// components, resolves ".." against the preceding component and removes redundant and
// trailing separators, all without touching the disk. ".." above the root stays at the
// root. A relative path stays relative (leading ".." kept; "" stays "", "./" gives ".");
// createExportFolder makes a relative destination absolute against the working directory.
std::string standardizePath(const std::string& path);

// `name` as a single file name: "/" and NUL, which cannot be part of one, become "_".
// Every other byte is kept as it is.
std::string safeFileName(std::string name);

// folder + "/" + name without doubling a separator the folder already ends with.

// "Export_yyyy-MM-dd"; an invalid date means today.
std::string defaultExportFolderName(const QDate& today);

} // namespace vantrel
