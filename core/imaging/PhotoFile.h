#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace vantrel {

// The container a photo file really is, told by its first bytes rather than its name.
enum class PhotoContainer { Unknown, Jpeg, Png, Tiff, Webp, Heif };

// True for a regular file (after following symbolic links). Looks at the directory entry
// only: a FIFO or a device named like a photo is never opened, so it cannot block us.
bool isRegularFile(const std::string& path);

// The major brands of an ISO media file (its "ftyp" box) that make it a HEIF photo.
bool isHeifBrand(std::string_view brand);

// Reads the signature of a regular file. Anything that is not a regular file, cannot be
// read or carries no JPEG, PNG, TIFF, WebP or HEIF (HEIC, AVIF) signature is Unknown.
PhotoContainer sniffPhotoContainer(const std::string& path);

// folder + "/" + name, without doubling a separator; an empty folder gives the name alone.
std::string joinPath(const std::string& folder, const std::string& name);

// `path` made absolute against the working folder, as the user sees it: a photo's path is
// its identity, so "x.jpg", "./x.jpg" and "$PWD/x.jpg" must all give the same string.
// "." components and repeated "/" go, and "a/.." goes where a is a real folder; links are
// never resolved, and "link/.." stays as it is, because dropping it by hand would name
// another file than the kernel finds. A path that ends in "/" or "/." keeps one trailing "/". The
// working folder is $PWD when that names it (so a folder reached through a link keeps the name the
// shell shows), else getcwd(); if neither can be had, a relative path stays relative. Raw bytes in,
// raw bytes out; an empty path stays empty.
std::string absolutePath(const std::string& path);

// The last path component, exactly as stored.
std::string lastPathComponent(const std::string& path);

// A file-system path as text for messages. Paths are kept as the raw bytes that the
// file system gave us; this is only for showing them.
QString displayPath(const std::string& path);

} // namespace vantrel
