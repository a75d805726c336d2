// The sign-in and identity screens of the account. The status menu opens
// them, and going online without stored credentials asks for the sign-in.
#pragma once

namespace kestrova::connection {

class AccountScreens {
public:
    virtual ~AccountScreens() = default;
    virtual void showSignIn() = 0;
    virtual void showIdentity() = 0;
};

}  // namespace kestrova::connection
