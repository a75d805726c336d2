// "Create a Group" and "Join a Group": a group name (and, for a group that
// asks for one, a password), sent to the account's own service.
#pragma once

#include "dialogs/wizard_screen.h"

namespace kestrova::connection {

class CreateGroupScreen final : public WizardScreen {
  public:
    enum Control : uintptr_t { kName = 10 };

    static CreateGroupScreen* open();

  private:
    template <typename Screen> friend Screen* openScreen(Screen* screen);

    CreateGroupScreen() = default;
    bool build();
    void onOk() override;
    void onCompleted(int64_t result) override;

    platform::HWND name_ = nullptr;
};

// A group that refuses the name alone ("Access Denied") gets a second try
// with the name fixed and a password field below it.
class JoinGroupScreen final : public WizardScreen {
  public:
    enum Control : uintptr_t { kName = 10, kPassword = 11 };

    static JoinGroupScreen* open();

  private:
    template <typename Screen> friend Screen* openScreen(Screen* screen);

    JoinGroupScreen() = default;
    bool build();
    // The fields of the step: the name, and in the password step the
    // name disabled and the password.
    void buildFields(const std::string& name);
    void onOk() override;
    void onCompleted(int64_t result) override;

    platform::HWND name_ = nullptr;
    platform::HWND password_ = nullptr;
    std::string lastName_;
};

} // namespace kestrova::connection
