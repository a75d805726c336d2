// A home screen inside the test program: a main window publishing its pane
// layout as the program's does, a contact list on it, and the core API's
// objects a test puts there (contacts, groups, a service's functions), with
// the menus and questions that come up answered as the test says.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "contact_list/contact_list.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/kit/handles.h"
#include "kestrova/kit/pane_layout.h"
#include "kestrova/platform/modal.h"
#include "kestrova/ui/window_base.h"

namespace kestrova::shell::testing {

// One entry of a menu that was shown: its text, and whether it was enabled
// and checked.
struct ShownEntry {
    std::string text;
    bool enabled = true;
    bool checked = false;
    friend bool operator==(const ShownEntry&, const ShownEntry&) = default;
};

class HomeScene {
  public:
    HomeScene();
    ~HomeScene();

    // The home screen, made as at start-up.
    ContactList& open();
    ContactList& list() { return *list_; }

    // A contact of the primary service in the group with these flags.
    HCONTACT member(uint64_t groupId, uint64_t contactId, const std::string& nickname, int32_t presence,
                    uint32_t flags = 0);
    // A contact's place, as its data map carries it.
    static void placeContact(HCONTACT contact, float lat, float lon, const std::string& name);
    HGROUP group(uint64_t id, const std::string& name);
    // The user's own contact, with a position, as the service reports it.
    HCONTACT me();
    // The primary service signed in, with the operations the menus look for.
    void serviceOnline(bool online = true);

    // Handles what is pending (posted messages, paints).
    void pump();
    void key(uint32_t key);
    // Moves the focus once what start-up posted is done.
    void focus(platform::HWND window);
    // The texts of the rows (or tabs) of a window, after pending paints.
    std::vector<std::string> rows(platform::HWND window);
    // The shown page: the group page or the overview.
    platform::HWND page();

    // The next popup menu gets this answer (an entry's text; empty: none)
    // and is recorded; the next message box gets the button.
    void chooseInMenu(std::string entry) { menuChoices_.push_back(std::move(entry)); }
    void answerBox(int button) { boxAnswers_.push_back(button); }
    const std::vector<std::vector<ShownEntry>>& menus() const { return menus_; }
    const std::vector<std::string>& questions() const { return questions_; }

    // What the service's operations and the chat events were asked.
    std::vector<std::string> calls;

  private:
    struct Host : ui::WindowBase {
        kit::PaneLayout layout;
        bool make();
        void onSize(platform::HWND, int, int, int) override { layout.relayout(); }
    };
    std::optional<int> respond(const platform::ModalRequest& request);
    void registerServiceOperations();

    Host host_;
    std::unique_ptr<ContactList> list_;
    kit::OwnedService primary_;
    std::vector<kit::OwnedContact> contacts_;
    kit::OwnedContact me_;
    std::vector<kit::RegisteredFunction> functions_;
    std::vector<kit::Subscription> subscriptions_;
    std::vector<std::string> menuChoices_;
    std::vector<int> boxAnswers_;
    std::vector<std::vector<ShownEntry>> menus_;
    std::vector<std::string> questions_;
    std::unique_ptr<platform::ScopedModalResponder> responder_;
};

} // namespace kestrova::shell::testing
