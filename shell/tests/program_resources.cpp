// The home screen's tests run the program's code inside their own program:
// its texts and icons come from the build's program folder.
#include "kestrova/platform/icon_resources.h"

namespace {

[[maybe_unused]] const bool kStandingInForTheProgram = [] {
    kestrova::platform::standInForModule(KESTROVA_BIN_DIR "/resources", "kestrova");
    return true;
}();

} // namespace
