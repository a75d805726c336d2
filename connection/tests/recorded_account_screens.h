// Account screens that only count how often they were asked for: the tests
// of the status menu and the service functions check that they are asked.
#pragma once

#include "account_screens.h"

namespace kestrova::connection {

class RecordedAccountScreens final : public AccountScreens {
  public:
    void showSignIn() override { ++signInShown; }
    void showIdentity() override { ++identityShown; }

    int signInShown = 0;
    int identityShown = 0;
};

} // namespace kestrova::connection
