#include "core/export/PrivateTags.h"

namespace vantrel {

std::vector<std::string> privateTagExclusions() {
    return {"--GPS*",    "--*SerialNumber*", "--MakerNotes", "--*Owner*", "--Artist",
            "--Creator", "--By-line",        "--*Location*", "--City",    "--Sub-location",
            "--State",   "--Province-State", "--Country*"};
}

} // namespace vantrel
