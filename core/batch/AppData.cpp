#include "core/batch/AppData.h"

namespace vantrel {

AppData& AppData::sharedData() {
    static AppData shared;
    return shared;
}

} // namespace vantrel
