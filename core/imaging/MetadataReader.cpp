#include "core/imaging/MetadataReader.h"

#include "core/imaging/ExifProperties.h"
#include "core/imaging/IccProfile.h"
#include "core/imaging/MetadataValues.h"
#include "core/imaging/PhotoFile.h"
#include "core/imaging/PhotoHeaders.h"

#include <QHash>
#include <cstring>
#include <optional>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vips/vips8>

namespace vantrel {
namespace {

// Status numbers of the "cannot be opened as an image" log line.
enum OpenStatus : int {
    NotReadable = 1,      // not a regular file (FIFO, device, directory), missing or unreadable
    UnknownSignature = 2, // no JPEG, PNG or TIFF signature: never handed to exiv2 or libvips
    HeaderUnreadable = 3, // libvips could not read the image header
    UnexpectedFailure = 4 // anything else gave out while gathering (e.g. out of memory)
};

QString openFailureLine(const std::string& path, int status) {
    // One multi-argument arg() call, so a "%2" inside the path stays as it is.
    return QStringLiteral("Error: file name : %1 - Status: %2")
        .arg(displayPath(path), QString::number(status));
}

std::optional<QString> colourModel(VipsInterpretation interpretation) {
    switch (interpretation) {
    case VIPS_INTERPRETATION_B_W:
    case VIPS_INTERPRETATION_GREY16:
        return QStringLiteral("Gray");
    case VIPS_INTERPRETATION_sRGB:
    case VIPS_INTERPRETATION_RGB:
    case VIPS_INTERPRETATION_RGB16:
    case VIPS_INTERPRETATION_scRGB:
        return QStringLiteral("RGB");
    case VIPS_INTERPRETATION_CMYK:
        return QStringLiteral("CMYK");
    case VIPS_INTERPRETATION_LAB:
    case VIPS_INTERPRETATION_LABQ:
    case VIPS_INTERPRETATION_LABS:
        return QStringLiteral("Lab");
    default:
        return std::nullopt;
    }
}

std::optional<int> bitsOf(VipsBandFormat format) {
    switch (format) {
    case VIPS_FORMAT_UCHAR:
    case VIPS_FORMAT_CHAR:
        return 8;
    case VIPS_FORMAT_USHORT:
    case VIPS_FORMAT_SHORT:
        return 16;
    case VIPS_FORMAT_UINT:
    case VIPS_FORMAT_INT:
    case VIPS_FORMAT_FLOAT:
        return 32;
    case VIPS_FORMAT_DOUBLE:
        return 64;
    default:
        return std::nullopt;
    }
}

// The fields libvips keeps per PNG text chunk are called "png-comment-<n>-<keyword>".
QVariantMap pngTextChunks(const vips::VImage& image) {
    static const QHash<QString, QString> imageIoNames{{"Title", "Title"},
                                                      {"Author", "Author"},
                                                      {"Description", "Description"},
                                                      {"Copyright", "Copyright"},
                                                      {"Creation Time", "CreationTime"},
                                                      {"Software", "Software"},
                                                      {"Disclaimer", "Disclaimer"},
                                                      {"Warning", "Warning"},
                                                      {"Source", "Source"},
                                                      {"Comment", "Comment"}};
    QVariantMap texts;
    gchar** fields = vips_image_get_fields(image.get_image());
    for (gchar** field = fields; field != nullptr && *field != nullptr; ++field) {
        const std::string_view name(*field);
        constexpr std::string_view prefix = "png-comment-";
        if (name.substr(0, prefix.size()) != prefix) {
            continue;
        }
        const auto dash = name.find('-', prefix.size());
        if (dash == std::string_view::npos) {
            continue;
        }
        const QString keyword = QString::fromUtf8(name.substr(dash + 1));
        // Raw profiles and XMP packets are hex or XML carriers that exiv2 decodes for us.
        if (keyword.startsWith("Raw profile type", Qt::CaseInsensitive) ||
            keyword == "XML:com.adobe.xmp" || keyword.isEmpty()) {
            continue;
        }
        const QString key = imageIoNames.value(keyword, keyword);
        const char* value = nullptr;
        if (!texts.contains(key) && vips_image_get_string(image.get_image(), *field, &value) == 0 &&
            value != nullptr) {
            if (QVariant text = metadata::textOrNothing(value); text.isValid()) {
                texts.insert(key, text);
            }
        }
    }
    g_strfreev(fields);
    return texts;
}

struct PixelFacts {
    QVariantMap properties;
    QVariantMap png;
    std::optional<int> orientation;
};

// Throws vips::VError when the header cannot be read.
PixelFacts readPixelFacts(const std::string& path, PhotoContainer container) {
    // Loading from a source, not a file name: libvips would read "[...]" in a name as options.
    const vips::VSource source = vips::VSource::new_from_file(path.c_str());
    const vips::VImage image = vips::VImage::new_from_source(
        source, "", vips::VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
    PixelFacts facts;
    QVariantMap& props = facts.properties;
    props.insert("PixelWidth", image.width());
    props.insert("PixelHeight", image.height());
    // LabQ packs three Lab bands into four bytes, which has_alpha() mistakes for an alpha.
    props.insert("HasAlpha", image.coding() == VIPS_CODING_NONE && image.has_alpha());
    if (const auto model = colourModel(image.interpretation())) {
        props.insert("ColorModel", *model);
    }
    if (const auto bits = bitsOf(image.format())) {
        props.insert("Depth", *bits);
    }
    // libvips assumes a resolution when the file gives none; it names a unit only when the
    // file stated one.
    VipsImage* raw = image.get_image();
    const char* unit = nullptr;
    if (vips_image_get_typeof(raw, "resolution-unit") != 0 &&
        vips_image_get_string(raw, "resolution-unit", &unit) == 0 && unit != nullptr &&
        (std::strcmp(unit, "in") == 0 || std::strcmp(unit, "cm") == 0)) {
        props.insert("DPIWidth", metadata::roundedTo(image.xres() * 25.4, 1e-3));
        props.insert("DPIHeight", metadata::roundedTo(image.yres() * 25.4, 1e-3));
    }
    int orientation = 0;
    if (vips_image_get_typeof(raw, VIPS_META_ORIENTATION) != 0 &&
        vips_image_get_int(raw, VIPS_META_ORIENTATION, &orientation) == 0) {
        facts.orientation = orientation;
    }
    const void* icc = nullptr;
    size_t iccSize = 0;
    if (vips_image_get_typeof(raw, VIPS_META_ICC_NAME) != 0 &&
        vips_image_get_blob(raw, VIPS_META_ICC_NAME, &icc, &iccSize) == 0) {
        const QString name =
            metadata::iccDescription(static_cast<const unsigned char*>(icc), iccSize);
        if (!name.isEmpty()) {
            props.insert("ProfileName", name);
        }
    }
    if (container == PhotoContainer::Png) {
        facts.png = pngTextChunks(image);
    }
    return facts;
}

// Sets `status` when the file cannot be opened as an image.
std::optional<QVariantMap> gatherProperties(const std::string& path, int& status) {
    if (!isRegularFile(path)) {
        status = NotReadable;
        return std::nullopt;
    }
    const PhotoContainer container = sniffPhotoContainer(path);
    if (container == PhotoContainer::Unknown) {
        const bool readable = ::access(path.c_str(), R_OK) == 0;
        status = readable ? UnknownSignature : NotReadable;
        return std::nullopt;
    }

    PixelFacts pixels;
    try {
        pixels = readPixelFacts(path, container);
    } catch (const vips::VError&) {
        status = HeaderUnreadable;
        return std::nullopt;
    }
    QVariantMap properties = pixels.properties;

    metadata::MetadataGroups groups;
    try {
        groups = metadata::readMetadataGroups(path);
    } catch (...) {
        // Damaged metadata and containers exiv2 does not support (BigTIFF) throw: the
        // pixel facts still describe the photo.
        groups = metadata::MetadataGroups{};
    }

    std::optional<int> orientation;
    if (groups.tiff.contains("Orientation")) {
        orientation = groups.tiff.value("Orientation").toInt();
    } else if (pixels.orientation && *pixels.orientation >= 1 && *pixels.orientation <= 8) {
        orientation = pixels.orientation;
    } else {
        orientation = groups.xmpOrientation;
    }
    if (orientation) {
        properties.insert("Orientation", *orientation);
    }

    QVariantMap png = pixels.png;
    if (container == PhotoContainer::Png) {
        const metadata::PngHeader header = metadata::readPngHeader(path);
        // Palette entries are 8 bits per sample whatever the index depth.
        if (header.bitDepth > 0 && header.colourType != 3) {
            properties.insert("Depth", header.bitDepth);
        }
        if (header.dpiX && header.dpiY) {
            properties.insert("DPIWidth", *header.dpiX);
            properties.insert("DPIHeight", *header.dpiY);
        }
        png.insert(header.png);
    } else if (container == PhotoContainer::Tiff && groups.bitsPerSample &&
               groups.tiff.value("PhotometricInterpretation").toInt() != 3) { // not palette
        properties.insert("Depth", *groups.bitsPerSample);
    }
    const QVariantMap jfif =
        container == PhotoContainer::Jpeg ? metadata::readJpegHeader(path).jfif : QVariantMap();

    const std::pair<const char*, const QVariantMap*> namedGroups[] = {
        {"{Exif}", &groups.exif}, {"{TIFF}", &groups.tiff}, {"{GPS}", &groups.gps},
        {"{IPTC}", &groups.iptc}, {"{JFIF}", &jfif},        {"{PNG}", &png}};
    for (const auto& [name, group] : namedGroups) {
        if (!group->isEmpty()) {
            properties.insert(name, *group);
        }
    }
    if (properties.isEmpty()) {
        return std::nullopt;
    }
    return properties;
}

} // namespace

std::optional<QVariantMap> readImageProperties(const std::string& path, QString* failure) {
    if (path.empty()) {
        return std::nullopt;
    }
    int status = 0;
    std::optional<QVariantMap> properties;
    try {
        properties = gatherProperties(path, status);
    } catch (...) {
        status = UnexpectedFailure;
    }
    if (status != 0 && failure) {
        *failure = openFailureLine(path, status);
    }
    return properties;
}

} // namespace vantrel
