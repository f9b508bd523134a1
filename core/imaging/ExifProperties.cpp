#include "core/imaging/ExifProperties.h"

#include "core/imaging/MetadataTags.h"
#include "core/imaging/MetadataValues.h"

#include <QString>
#include <QVariantList>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exiv2/exiv2.hpp>
#include <mutex>

namespace vantrel::metadata {
namespace {

bool isRational(Exiv2::TypeId type) {
    return type == Exiv2::unsignedRational || type == Exiv2::signedRational ||
           type == Exiv2::tiffFloat || type == Exiv2::tiffDouble;
}

bool isInteger(Exiv2::TypeId type) {
    return type == Exiv2::unsignedByte || type == Exiv2::unsignedShort ||
           type == Exiv2::unsignedLong || type == Exiv2::signedByte || type == Exiv2::signedShort ||
           type == Exiv2::signedLong || type == Exiv2::tiffIfd;
}

// A rational as a double, or nothing for n/0: 0/0 is how EXIF says "unknown".
std::optional<double> realAt(const Exiv2::Value& value, long i) {
    if (const auto* u = dynamic_cast<const Exiv2::URationalValue*>(&value)) {
        const auto [num, den] = u->value_.at(std::size_t(i));
        return den == 0 ? std::nullopt : std::optional<double>(double(num) / den);
    }
    if (const auto* s = dynamic_cast<const Exiv2::RationalValue*>(&value)) {
        const auto [num, den] = s->value_.at(std::size_t(i));
        return den == 0 ? std::nullopt : std::optional<double>(double(num) / den);
    }
    if (const auto* f = dynamic_cast<const Exiv2::FloatValue*>(&value)) {
        return double(f->value_.at(std::size_t(i)));
    }
    if (const auto* d = dynamic_cast<const Exiv2::DoubleValue*>(&value)) {
        return d->value_.at(std::size_t(i));
    }
    return std::nullopt;
}

std::optional<QVariant> numberAt(const Exiv2::Value& value, long i) {
    const Exiv2::TypeId type = value.typeId();
    if (isRational(type)) {
        const auto real = realAt(value, i);
        return real ? std::optional<QVariant>(*real) : std::nullopt;
    }
    if (isInteger(type) || type == Exiv2::undefined) {
        return integer(value.toLong(i));
    }
    return std::nullopt;
}

QVariant numberList(const Exiv2::Value& value) {
    QVariantList list;
    for (long i = 0; i < value.count(); ++i) {
        const auto number = numberAt(value, i);
        if (!number) {
            return {};
        }
        list.append(*number);
    }
    return list.isEmpty() ? QVariant() : QVariant(list);
}

// The bytes of a string or undefined value as stored.
std::optional<std::string> storedBytes(const Exiv2::Value& value) {
    if (const auto* text = dynamic_cast<const Exiv2::StringValueBase*>(&value)) {
        return text->value_;
    }
    if (const auto* data = dynamic_cast<const Exiv2::DataValue*>(&value)) {
        std::string bytes;
        for (long i = 0; i < data->count(); ++i) {
            bytes.push_back(char(data->toLong(i)));
        }
        return bytes;
    }
    return std::nullopt;
}

QVariant versionOf(const Exiv2::Value& value) {
    const auto bytes = storedBytes(value);
    if (!bytes || bytes->size() != 4 ||
        !std::all_of(bytes->begin(), bytes->end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return {};
    }
    QVariantList version{((*bytes)[0] - '0') * 10 + ((*bytes)[1] - '0'), (*bytes)[2] - '0'};
    if ((*bytes)[3] != '0') {
        version.append((*bytes)[3] - '0');
    }
    return version;
}

std::optional<double> sexagesimal(const Exiv2::Value& value) {
    if (!isRational(value.typeId()) || value.count() < 1 || value.count() > 3) {
        return std::nullopt;
    }
    double total = 0;
    double scale = 1;
    for (long i = 0; i < value.count(); ++i, scale *= 60) {
        const auto part = realAt(value, i);
        if (!part || *part < 0) {
            return std::nullopt;
        }
        total += *part / scale;
    }
    return total;
}

QVariant coordinateOf(const Exiv2::Value& value, double limit) {
    const auto degrees = sexagesimal(value);
    // Out-of-range values exist in the wild (an all-ones latitude); they locate nothing.
    return degrees && *degrees <= limit ? QVariant(*degrees) : QVariant();
}

QVariant timeOf(const Exiv2::Value& value) {
    const auto hours = sexagesimal(value);
    if (!hours || *hours >= 24) {
        return {};
    }
    const long long millis = std::llround(*hours * 3600'000);
    QString text = QString::asprintf("%02lld:%02lld:%02lld", millis / 3600'000,
                                     millis / 60'000 % 60, millis / 1000 % 60);
    if (millis % 1000 != 0) {
        QString fraction = QString::asprintf(".%03lld", millis % 1000);
        while (fraction.endsWith(u'0')) {
            fraction.chop(1);
        }
        text += fraction;
    }
    return text;
}

QVariant autoValue(const Exiv2::Value& value) {
    if (const auto* comment = dynamic_cast<const Exiv2::CommentValue*>(&value)) {
        return textOrNothing(comment->comment());
    }
    const Exiv2::TypeId type = value.typeId();
    if (type == Exiv2::asciiString || type == Exiv2::string) {
        const auto bytes = storedBytes(value);
        return bytes ? textOrNothing(*bytes) : QVariant();
    }
    if (value.count() == 1) {
        return numberAt(value, 0).value_or(QVariant());
    }
    if (type == Exiv2::undefined) { // opaque data
        return {};
    }
    return numberList(value);
}

QVariant convert(const Exiv2::Value& value, TagKind kind) {
    if (value.count() <= 0) {
        return {};
    }
    switch (kind) {
    case TagKind::List:
        return numberList(value);
    case TagKind::Version:
        return versionOf(value);
    case TagKind::Orientation: {
        const QVariant number = autoValue(value);
        const int orientation = number.typeId() == QMetaType::Int ? number.toInt() : 0;
        return orientation >= 1 && orientation <= 8 ? QVariant(orientation) : QVariant();
    }
    case TagKind::Coordinate:
        return {}; // needs to know latitude or longitude: handled by the caller
    case TagKind::Time:
        return timeOf(value);
    case TagKind::Auto:
        break;
    }
    return autoValue(value);
}

void addExif(const Exiv2::ExifData& exifData, MetadataGroups& groups) {
    for (const Exiv2::Exifdatum& datum : exifData) {
        const TagName* entry = nullptr;
        QVariantMap* group = nullptr;
        const auto tag = std::uint16_t(datum.tag());
        // exiv2 0.27 keeps its IFD ids internal; the group names are public and stable.
        const std::string ifd = datum.groupName();
        if (ifd == "Image") {
            if (tag == 0x0102 && datum.count() > 0 && !groups.bitsPerSample) {
                groups.bitsPerSample = int(datum.toLong(0));
            }
            entry = findTiffTag(tag);
            group = &groups.tiff;
        } else if (ifd == "Photo") {
            entry = findExifTag(tag);
            group = &groups.exif;
        } else if (ifd == "GPSInfo") {
            entry = findGpsTag(tag);
            group = &groups.gps;
        } // else: thumbnail IFD, interoperability, maker notes, sub-images
        if (entry == nullptr || group->contains(entry->name)) {
            continue;
        }
        const Exiv2::Value& value = datum.value();
        QVariant converted;
        if (entry->kind == TagKind::Coordinate) {
            const bool latitude = tag == 0x0002 || tag == 0x0014;
            converted = coordinateOf(value, latitude ? 90.0 : 180.0);
        } else {
            converted = convert(value, entry->kind);
        }
        if (converted.isValid()) {
            group->insert(entry->name, converted);
        }
    }
}

void addIptc(const Exiv2::IptcData& iptcData, QVariantMap& iptc) {
    for (const Exiv2::Iptcdatum& datum : iptcData) {
        if (datum.record() != Exiv2::IptcDataSets::application2) {
            continue;
        }
        const IptcName* known = findIptcDataset(datum.tag());
        if (known == nullptr) {
            continue;
        }
        std::string bytes;
        if (datum.typeId() == Exiv2::date || datum.typeId() == Exiv2::time) {
            // Shown as IIM stores them: CCYYMMDD and HHMMSS±HHMM.
            bytes = datum.toString();
            std::erase_if(bytes, [](char c) { return c == '-' || c == ':'; });
        } else {
            const auto stored = storedBytes(datum.value());
            bytes = stored.value_or(datum.toString());
        }
        const QVariant text = textOrNothing(bytes);
        if (!text.isValid()) {
            continue;
        }
        if (known->repeatable) {
            QVariantList list = iptc.value(known->name).toList();
            list.append(text);
            iptc.insert(known->name, list);
        } else if (!iptc.contains(known->name)) {
            iptc.insert(known->name, text);
        }
    }
}

std::optional<int> xmpOrientation(const Exiv2::XmpData& xmpData) {
    for (const Exiv2::Xmpdatum& datum : xmpData) {
        if (datum.key() == "Xmp.tiff.Orientation" && datum.count() > 0) {
            const long value = datum.toLong(0);
            if (value >= 1 && value <= 8) {
                return int(value);
            }
        }
    }
    return std::nullopt;
}

std::mutex xmpToolkitMutex;

void lockXmpToolkit(void* data, bool lock) {
    auto* mutex = static_cast<std::mutex*>(data);
    if (lock) {
        mutex->lock();
    } else {
        mutex->unlock();
    }
}

void initExiv2Once() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        // HEIC and AVIF keep their EXIF in ISO media boxes, which exiv2 reads only when asked.
        Exiv2::enableBMFF(true);
        // The XMP toolkit is the one part of exiv2 that worker threads share.
        Exiv2::XmpParser::initialize(lockXmpToolkit, &xmpToolkitMutex);
    });
}

} // namespace

MetadataGroups readMetadataGroups(const std::string& path) {
    initExiv2Once();
    // A FileIo of our own: given a path, ImageFactory would read a file named "-" from
    // standard input and fetch names like "http://..." over the network.
    Exiv2::BasicIo::AutoPtr io(new Exiv2::FileIo(path));
    auto image = Exiv2::ImageFactory::open(io);
    MetadataGroups groups;
    if (image.get() == nullptr) {
        return groups;
    }
    image->readMetadata();
    addExif(image->exifData(), groups);
    addIptc(image->iptcData(), groups.iptc);
    groups.xmpOrientation = xmpOrientation(image->xmpData());
    return groups;
}

} // namespace vantrel::metadata
