#include "core/imaging/MetadataTags.h"

#include <cstddef>

namespace vantrel::metadata {
namespace {

// IFD0 tags shown under {TIFF}. Strip, tile and thumbnail layout is left out.
constexpr TagName tiffTags[] = {{0x0103, "Compression"},
                                {0x0106, "PhotometricInterpretation"},
                                {0x010D, "DocumentName"},
                                {0x010E, "ImageDescription"},
                                {0x010F, "Make"},
                                {0x0110, "Model"},
                                {0x0112, "Orientation", TagKind::Orientation},
                                {0x011A, "XResolution"},
                                {0x011B, "YResolution"},
                                {0x0128, "ResolutionUnit"},
                                {0x0131, "Software"},
                                {0x0132, "DateTime"},
                                {0x013B, "Artist"},
                                {0x013C, "HostComputer"},
                                {0x013E, "WhitePoint", TagKind::List},
                                {0x013F, "PrimaryChromaticities", TagKind::List},
                                {0x8298, "Copyright"}};

// Exif IFD tags. The maker note and opaque binary blocks (OECF, CFA pattern, spatial
// frequency response, device settings) are left out on purpose.
constexpr TagName exifTags[] = {{0x829A, "ExposureTime"},
                                {0x829D, "FNumber"},
                                {0x8822, "ExposureProgram"},
                                {0x8824, "SpectralSensitivity"},
                                {0x8827, "ISOSpeedRatings", TagKind::List},
                                {0x8830, "SensitivityType"},
                                {0x8831, "StandardOutputSensitivity"},
                                {0x8832, "RecommendedExposureIndex"},
                                {0x8833, "ISOSpeed"},
                                {0x8834, "ISOSpeedLatitudeyyy"},
                                {0x8835, "ISOSpeedLatitudezzz"},
                                {0x9000, "ExifVersion", TagKind::Version},
                                {0x9003, "DateTimeOriginal"},
                                {0x9004, "DateTimeDigitized"},
                                {0x9010, "OffsetTime"},
                                {0x9011, "OffsetTimeOriginal"},
                                {0x9012, "OffsetTimeDigitized"},
                                {0x9101, "ComponentsConfiguration", TagKind::List},
                                {0x9102, "CompressedBitsPerPixel"},
                                {0x9201, "ShutterSpeedValue"},
                                {0x9202, "ApertureValue"},
                                {0x9203, "BrightnessValue"},
                                {0x9204, "ExposureBiasValue"},
                                {0x9205, "MaxApertureValue"},
                                {0x9206, "SubjectDistance"},
                                {0x9207, "MeteringMode"},
                                {0x9208, "LightSource"},
                                {0x9209, "Flash"},
                                {0x920A, "FocalLength"},
                                {0x9214, "SubjectArea", TagKind::List},
                                {0x9286, "UserComment"},
                                {0x9290, "SubsecTime"},
                                {0x9291, "SubsecTimeOriginal"},
                                {0x9292, "SubsecTimeDigitized"},
                                {0xA000, "FlashPixVersion", TagKind::Version},
                                {0xA001, "ColorSpace"},
                                {0xA002, "PixelXDimension"},
                                {0xA003, "PixelYDimension"},
                                {0xA004, "RelatedSoundFile"},
                                {0xA20B, "FlashEnergy"},
                                {0xA20E, "FocalPlaneXResolution"},
                                {0xA20F, "FocalPlaneYResolution"},
                                {0xA210, "FocalPlaneResolutionUnit"},
                                {0xA214, "SubjectLocation", TagKind::List},
                                {0xA215, "ExposureIndex"},
                                {0xA217, "SensingMethod"},
                                {0xA300, "FileSource"},
                                {0xA301, "SceneType"},
                                {0xA401, "CustomRendered"},
                                {0xA402, "ExposureMode"},
                                {0xA403, "WhiteBalance"},
                                {0xA404, "DigitalZoomRatio"},
                                {0xA405, "FocalLenIn35mmFilm"},
                                {0xA406, "SceneCaptureType"},
                                {0xA407, "GainControl"},
                                {0xA408, "Contrast"},
                                {0xA409, "Saturation"},
                                {0xA40A, "Sharpness"},
                                {0xA40C, "SubjectDistRange"},
                                {0xA420, "ImageUniqueID"},
                                {0xA430, "CameraOwnerName"},
                                {0xA431, "BodySerialNumber"},
                                {0xA432, "LensSpecification", TagKind::List},
                                {0xA433, "LensMake"},
                                {0xA434, "LensModel"},
                                {0xA435, "LensSerialNumber"},
                                {0xA500, "Gamma"}};

constexpr TagName gpsTags[] = {{0x0000, "Version", TagKind::List},
                               {0x0001, "LatitudeRef"},
                               {0x0002, "Latitude", TagKind::Coordinate},
                               {0x0003, "LongitudeRef"},
                               {0x0004, "Longitude", TagKind::Coordinate},
                               {0x0005, "AltitudeRef"},
                               {0x0006, "Altitude"},
                               {0x0007, "TimeStamp", TagKind::Time},
                               {0x0008, "Satellites"},
                               {0x0009, "Status"},
                               {0x000A, "MeasureMode"},
                               {0x000B, "DOP"},
                               {0x000C, "SpeedRef"},
                               {0x000D, "Speed"},
                               {0x000E, "TrackRef"},
                               {0x000F, "Track"},
                               {0x0010, "ImgDirectionRef"},
                               {0x0011, "ImgDirection"},
                               {0x0012, "MapDatum"},
                               {0x0013, "DestLatitudeRef"},
                               {0x0014, "DestLatitude", TagKind::Coordinate},
                               {0x0015, "DestLongitudeRef"},
                               {0x0016, "DestLongitude", TagKind::Coordinate},
                               {0x0017, "DestBearingRef"},
                               {0x0018, "DestBearing"},
                               {0x0019, "DestDistanceRef"},
                               {0x001A, "DestDistance"},
                               {0x001B, "ProcessingMethod"},
                               {0x001C, "AreaInformation"},
                               {0x001D, "DateStamp"},
                               {0x001E, "Differential"},
                               {0x001F, "HPositioningError"}};

// Application record (2:xx) datasets.
constexpr IptcName iptcNames[] = {{3, "ObjectTypeReference"},
                                  {4, "ObjectAttributeReference", true},
                                  {5, "ObjectName"},
                                  {7, "EditStatus"},
                                  {8, "EditorialUpdate"},
                                  {10, "Urgency"},
                                  {12, "SubjectReference", true},
                                  {15, "Category"},
                                  {20, "SupplementalCategory", true},
                                  {22, "FixtureIdentifier"},
                                  {25, "Keywords", true},
                                  {26, "ContentLocationCode", true},
                                  {27, "ContentLocationName", true},
                                  {30, "ReleaseDate"},
                                  {35, "ReleaseTime"},
                                  {37, "ExpirationDate"},
                                  {38, "ExpirationTime"},
                                  {40, "SpecialInstructions"},
                                  {42, "ActionAdvised"},
                                  {45, "ReferenceService", true},
                                  {47, "ReferenceDate", true},
                                  {50, "ReferenceNumber", true},
                                  {55, "DateCreated"},
                                  {60, "TimeCreated"},
                                  {62, "DigitalCreationDate"},
                                  {63, "DigitalCreationTime"},
                                  {65, "OriginatingProgram"},
                                  {70, "ProgramVersion"},
                                  {75, "ObjectCycle"},
                                  {80, "By-line", true},
                                  {85, "By-lineTitle", true},
                                  {90, "City"},
                                  {92, "Sub-location"},
                                  {95, "Province/State"},
                                  {100, "Country/PrimaryLocationCode"},
                                  {101, "Country/PrimaryLocationName"},
                                  {103, "OriginalTransmissionReference"},
                                  {105, "Headline"},
                                  {110, "Credit"},
                                  {115, "Source"},
                                  {116, "CopyrightNotice"},
                                  {118, "Contact", true},
                                  {120, "Caption/Abstract"},
                                  {122, "Writer/Editor", true},
                                  {130, "ImageType"},
                                  {131, "ImageOrientation"},
                                  {135, "LanguageIdentifier"}};

template <typename Entry, std::size_t N, typename Key>
const Entry* findIn(const Entry (&table)[N], Key Entry::*key, std::uint16_t value) {
    for (const Entry& entry : table) {
        if (entry.*key == value) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace

const TagName* findTiffTag(std::uint16_t tag) {
    return findIn(tiffTags, &TagName::tag, tag);
}

const TagName* findExifTag(std::uint16_t tag) {
    return findIn(exifTags, &TagName::tag, tag);
}

const TagName* findGpsTag(std::uint16_t tag) {
    return findIn(gpsTags, &TagName::tag, tag);
}

const IptcName* findIptcDataset(std::uint16_t dataset) {
    return findIn(iptcNames, &IptcName::dataset, dataset);
}

} // namespace vantrel::metadata
