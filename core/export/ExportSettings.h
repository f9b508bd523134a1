#pragma once

#include "core/export/OutputNaming.h"

#include <optional>
#include <string>

namespace vantrel {

// The export choices of one run, taken once when the run starts.
struct ExportSettings {
    std::string destination;      // the folder the export folder is made in
    std::string targetFolderName; // empty: "Export_" and today's date
    bool keepOriginalName = true; // otherwise newName with a serial number
    std::string newName;          // empty: "Image"
    OutputType outputType = OutputType::OriginalFileType;
    int quality = 90; // JPEG quality, 0..100
    bool transferMetadata = false;
    std::optional<std::string> exiftoolPath; // where the metadata tool is, when it was found
    int jobs = 0;                            // photos at once; 0: one per processor

    // Where the outputs go and what they are called, beyond the choices above.
    bool keepFolders = false;            // photos found in a chosen folder keep its tree
    bool useNameTemplate = false;        // names from nameTemplate, whatever keepOriginalName says
    std::string nameTemplate;            // see NameTemplate
    std::string intoFolder;              // set: write into this existing folder, no fresh one
    bool skipExisting = false;           // a photo whose output is there already is not made again
    int shard = 1;                       // export only the shard-th of `shards` slices of the list,
    int shards = 1;                      // named and numbered as the whole list
    bool lossless = false;               // WebP written lossless
    bool progressive = false;            // JPEG written progressive
    bool chroma444 = false;              // JPEG colour never subsampled
    int maxKilobytes = 0;                // JPEG, WebP, HEIC, AVIF at most this; 0: no cap
    bool withoutPrivateMetadata = false; // the metadata copy leaves out place and owner
};

} // namespace vantrel
