// The shell's code linked into the tests looks up the program's texts and
// icons as its own: the installed ones in the build's program folder.
#include <gtest/gtest.h>

#include "kestrova/platform/icon_resources.h"
#include "program_folder.h"

namespace shell_testing {
namespace {

class ProgramResources : public ::testing::Environment {
  public:
    void SetUp() override { kestrova::platform::standInForModule(binFolder() / "resources", "kestrova"); }
};

[[maybe_unused]] ::testing::Environment* const kResources =
    ::testing::AddGlobalTestEnvironment(new ProgramResources);

} // namespace
} // namespace shell_testing
