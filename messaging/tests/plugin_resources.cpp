// The tests run the plug-in's code inside their own program: the texts,
// icons and sounds it looks up as its own are the plug-in's, from the build.
#include "kestrova/platform/icon_resources.h"

namespace {

[[maybe_unused]] const bool kStandingInForThePlugIn = [] {
    kestrova::platform::standInForModule(KESTROVA_BIN_DIR "/resources", "messaging");
    return true;
}();

} // namespace
