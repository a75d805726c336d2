// The status popup menu: its items by connection state and what its
// commands do.
#include "service_scene.h"

#include "kestrova/platform/menu.h"

using namespace kestrova;
using namespace kestrova::connection;
using kestrova::testing::ServiceScene;

class StatusMenuTest : public ServiceScene {
protected:
    platform::UniqueMenu createMenu() {
        return platform::UniqueMenu(callService(names::kServiceCreatePopupMenu));
    }
    // Each entry's text, "-" for a separator, "*" before a checked one.
    static std::vector<std::string> entries(platform::HMENU menu) {
        std::vector<std::string> out;
        for (int i = 0; i < platform::menuItemCount(menu); ++i) {
            auto item = platform::menuItem(menu, i, platform::MF_BYPOSITION);
            if (item->flags & platform::MF_SEPARATOR)
                out.push_back("-");
            else
                out.push_back(((item->flags & platform::MF_CHECKED) ? "*" : "") + item->text);
        }
        return out;
    }
    intptr_t choose(const char* text) {
        platform::UniqueMenu menu = createMenu();
        uintptr_t command = platform::findMenuCommand(menu.get(), text).value_or(0);
        EXPECT_NE(command, 0u) << text;
        return callService(names::kServiceHandlePopupMenu, static_cast<uint32_t>(command));
    }
};

TEST_F(StatusMenuTest, WhileSigningInOnlyTheFiveStatusesShowWithTheDesiredOneChecked) {
    startAndTakeLogon();
    startServices();
    platform::UniqueMenu menu = createMenu();
    EXPECT_EQ(entries(menu.get()),
              (std::vector<std::string>{"*Online", "-", "Away", "Busy", "Invisible", "-", "Offline"}));
}

TEST_F(StatusMenuTest, TheLastItemOpensTheSignInOfflineAndTheIdentityOnline) {
    startOffline();
    platform::UniqueMenu offline = createMenu();
    EXPECT_EQ(entries(offline.get()), (std::vector<std::string>{"Online", "-", "Away", "Busy", "Invisible", "-",
                                                                 "*Offline", "-", "Sign in as..."}));
    EXPECT_EQ(choose("Sign in as..."), 1);
    EXPECT_EQ(screens_.signInShown, 1);

    bus::set(names::kConnectionState, kStateOnline);
    platform::UniqueMenu online = createMenu();
    EXPECT_EQ(entries(online.get()).back(), "My Identity...");
    EXPECT_EQ(choose("My Identity..."), 1);
    EXPECT_EQ(screens_.identityShown, 1);
    bus::set(names::kConnectionState, kStateOffline);
}

TEST_F(StatusMenuTest, StatusCommandsAreCarriedOutFromTheMenuAndFromTheMainWindow) {
    goOnline();
    EXPECT_EQ(choose("Away"), 0);
    EXPECT_EQ(takeMasked(), "CONTACT DETAIL\nmesg-id: #\nonline-status: 2\n\n");
    EXPECT_EQ(entries(createMenu().get())[2], "*Away");

    platform::UniqueMenu menu = createMenu();
    uintptr_t busy = *platform::findMenuCommand(menu.get(), "Busy");
    EXPECT_EQ(*platform::findMenuCommand(createMenu().get(), "Busy"), busy) << "command ids are drawn once";
    bus::raise(names::kCoreWindowOnCommand, static_cast<uint32_t>(busy));
    EXPECT_EQ(takeMasked(), "CONTACT DETAIL\nmesg-id: #\nonline-status: 5\n\n");

    EXPECT_EQ(callService(names::kServiceHandlePopupMenu, 5u), 0);
    bus::raise(names::kCoreWindowOnCommand, 5u);
    EXPECT_TRUE(serverHeardNothing()) << "commands of others are not ours";
}
