// The "Menu" soft key: one submenu per service, asked for anew at every
// opening, labelled by the service and its account, and the commands the
// services put there going out on "core.window.OnCommand".
#include "main_menu.h"

#include "kestrova/platform/menu_bar.h"
#include "main_window_scene.h"

namespace shell_testing {
namespace {

using shell::serviceMenuLabel;

TEST(ServiceMenuLabel, LongAccountsAreCutAtTheAtSignThenShortened) {
    EXPECT_EQ(serviceMenuLabel("XMPP", "ann@example.org", ""), "XMPP (ann@example.org)");
    EXPECT_EQ(serviceMenuLabel("XMPP", "abcdefghij@example.o", ""), "XMPP (abcdefghij)")
        << "20 characters, @ at 10";
    EXPECT_EQ(serviceMenuLabel("XMPP", "abcdefghijklmnopqrst", ""), "XMPP (abcdefghijklm...)") << "20, no @";
    EXPECT_EQ(serviceMenuLabel("XMPP", "abcdefgh@example", ""), "XMPP (abcdefgh@example)") << "exactly 16";
    EXPECT_EQ(serviceMenuLabel("XMPP", "averyverylongname@jabber.example.org", ""), "XMPP (averyverylong...)")
        << "still too long after the cut";
}

TEST(ServiceMenuLabel, TheNicknameStandsInForAMissingUserNameAndNothingLeavesTheBaseAlone) {
    EXPECT_EQ(serviceMenuLabel("Kestrova", "", "Ann"), "Kestrova (Ann)");
    EXPECT_EQ(serviceMenuLabel("Kestrova", "ann@example.org", "Ann"), "Kestrova (ann@example.org)");
    EXPECT_EQ(serviceMenuLabel("Kestrova", "", ""), "Kestrova");
    EXPECT_EQ(serviceMenuLabel("Kestrova", "@example.org.invalid", ""), "Kestrova") << "nothing before the @";
    // Characters, not bytes: sixteen accented letters are not cut.
    EXPECT_EQ(serviceMenuLabel("ICQ", "éééééééééééééééé", ""), "ICQ (éééééééééééééééé)");
    EXPECT_EQ(serviceMenuLabel("ICQ", "ééééééééééééééééé", ""), "ICQ (ééééééééééééé...)");
}

// Every popup menu asked for, as its entries read at that moment.
struct MenuRecorder {
    std::vector<std::vector<std::string>> menus;
    std::string choose; // the entry to choose each time ("" dismisses)
    ScopedModalResponder responder{[this](const ModalRequest& request) -> std::optional<int> {
        if (request.kind != ModalKind::kPopupMenu) return std::nullopt;
        menus.push_back(ModalAnswers::menuTexts(request.menu));
        if (choose.empty()) return 0;
        auto command = findMenuCommand(request.menu, choose);
        return command ? static_cast<int>(*command) : 0;
    }};

    // The entries at the top level of the last menu.
    std::vector<std::string> topLevel() const {
        std::vector<std::string> out;
        for (const std::string& entry : menus.back())
            if (entry.find(" > ") == std::string::npos) out.push_back(entry);
        return out;
    }
};

class SoftKeyMenu : public MainWindowScene {
  protected:
    // A service of the given type (null: the product's own kind) whose status
    // menu has one entry, counting how often it was asked for.
    HSERVICE addService(HSERVICETYPE type, const std::string& userName, const std::string& nickname,
                        uintptr_t command, const std::string& entry) {
        RY_ServiceData data{};
        data.size = sizeof data;
        HSERVICE service = RY_CreateService(&data);
        kit::ServiceRecord(service).write(
            kit::ServiceChange().serviceType(type).userName(userName).nickname(nickname));
        services_.emplace_back(service);
        functions_.push_back(
            kit::registerFunction(names::kServiceCreatePopupMenu, service, [this, command, entry] {
                ++menusMade_;
                return menuWith({{command, entry}});
            }));
        return service;
    }
    HSERVICETYPE addType(const char* shortName) {
        RY_ServiceTypeData data{sizeof data,
                                RY_SERVICETYPE_DISPLAY_NAME | RY_SERVICETYPE_SHORT_NAME,
                                "Jabber / XMPP",
                                shortName,
                                7,
                                nullptr,
                                0};
        types_.emplace_back(RY_CreateServiceType(&data));
        return types_.back().get();
    }
    void openMenu() {
        pressSoftKey(mainWindow(), 1);
        pumpPendingMessages();
    }

    std::vector<kit::OwnedService> services_;
    std::vector<kit::OwnedServiceType> types_;
    std::vector<kit::RegisteredFunction> functions_;
    int menusMade_ = 0;
};

TEST_F(SoftKeyMenu, EachServiceAppearsOnceAtEveryOpeningWithAFreshSubmenu) {
    setPrimary(kit::ServiceChange().userName("ann@example.org").nickname("Ann"));
    kit::OwnedService primary(RY_GetPrimaryService());
    functions_.push_back(kit::registerFunction(names::kServiceCreatePopupMenu, primary.get(), [this] {
        ++menusMade_;
        return menuWith({{40100, "Away"}});
    }));
    addService(addType("XMPP"), "averyverylongname@jabber.example.org", "", 40101, "Busy");
    addService(nullptr, "", "Bob", 40102, "Invisible");
    // A service that offers no menu gets no entry.
    RY_ServiceData data{};
    data.size = sizeof data;
    services_.emplace_back(RY_CreateService(&data));

    MenuRecorder recorder;
    const std::vector<std::string> expected{"Kestrova (ann@example.org)",
                                            "XMPP (averyverylong...)",
                                            "Kestrova (Bob)",
                                            "Add Service...",
                                            "Contacts",
                                            "Groups",
                                            "Settings...",
                                            "About...",
                                            "Exit..."};
    openMenu();
    ASSERT_EQ(recorder.menus.size(), 1u);
    EXPECT_EQ(recorder.topLevel(), expected);
    EXPECT_EQ(menusMade_, 3);
    EXPECT_EQ(window_->serviceMenuCount(), 3);
    openMenu();
    ASSERT_EQ(recorder.menus.size(), 2u);
    EXPECT_EQ(recorder.topLevel(), expected) << "the entries of the first opening were taken out";
    EXPECT_EQ(menusMade_, 6) << "every opening asks every service again";
    EXPECT_EQ(recorder.menus[1], recorder.menus[0]);
    EXPECT_NE(std::find(recorder.menus[1].begin(), recorder.menus[1].end(), "XMPP (averyverylong...) > Busy"),
              recorder.menus[1].end());

    // One service goes: the next opening has one entry fewer.
    functions_.erase(functions_.begin() + 1);
    openMenu();
    EXPECT_EQ(recorder.topLevel().front(), "Kestrova (ann@example.org)");
    EXPECT_EQ(recorder.topLevel()[1], "Kestrova (Bob)");
    EXPECT_EQ(window_->serviceMenuCount(), 2);
}

TEST_F(SoftKeyMenu, ACommandFromAServiceSubmenuGoesOutOnTheBusBeforeTheShellActs) {
    addService(nullptr, "ann@example.org", "", 40107, "Away");
    std::vector<uint32_t> heard;
    auto onCommand = kit::subscribe(names::kCoreWindowOnCommand, [&](uint32_t id) { heard.push_back(id); });
    MenuRecorder recorder;
    recorder.choose = "Away";
    openMenu();
    EXPECT_EQ(heard, (std::vector<uint32_t>{40107}));

    // The shell's own commands are announced too, the chats key calling messaging with the window.
    HWND chatsOwner = nullptr;
    auto chats = kit::registerFunction(names::kMessagingPopupChatsList, [&](HWND owner) {
        chatsOwner = owner;
        return 1;
    });
    pressSoftKey(mainWindow(), 0);
    pumpPendingMessages();
    EXPECT_EQ(heard, (std::vector<uint32_t>{40107, shell::kCommandChats}));
    EXPECT_EQ(chatsOwner, mainWindow());
}

} // namespace
} // namespace shell_testing
