// The overview's named functions, by which plug-ins put sections and items
// on it (docs/KIT.md has their records). Registered when the overview is
// made, which is before any plug-in starts, and revoked when it goes; a
// call after that finds no function and gets 0.
#pragma once

#include <vector>

#include "kestrova/kit/bindings.h"

namespace kestrova::shell {

class OverviewScreen;

class OverviewFunctions {
  public:
    OverviewFunctions() = default;
    explicit OverviewFunctions(OverviewScreen& overview);

  private:
    std::vector<kit::RegisteredFunction> functions_;
};

} // namespace kestrova::shell
