// The home screen in this test program: tabs, group pages, their menus and
// the overview's functions, driven by keys and bus calls as the user and the
// plug-ins would.
#include <gtest/gtest.h>

#include "contact_list/contact_properties.h"
#include "home_scene.h"
#include "kestrova/bus.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/kit/settings.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/list_box.h"
#include "kestrova/platform/message_box.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/tab_control.h"
#include "kestrova/ui/fonts.h"
#include "overview/overview_screen.h"

namespace kestrova::shell::testing {
namespace {

using namespace kestrova::platform;
using Rows = std::vector<std::string>;

bool contains(const Rows& rows, const std::string& row) {
    return std::find(rows.begin(), rows.end(), row) != rows.end();
}

int indexOf(const Rows& rows, const std::string& row) {
    auto at = std::find(rows.begin(), rows.end(), row);
    return at == rows.end() ? -1 : static_cast<int>(at - rows.begin());
}

TEST(HomeScreen, TheCompactStripGrowsAChooserForChatGroupsAndFollowsTheGroupTable) {
    HomeScene scene;
    kit::writeSetting(settings::kTabPerGroup, 0);
    TabStrip& strip = scene.open().tabStrip();
    EXPECT_EQ(scene.rows(strip.hwnd()), (Rows{"", "Contacts"}));
    // Laid out from 1 pixel in, each as wide as its content and 4, 1 pixel apart.
    EXPECT_EQ(strip.tabRect(0).left, 1);
    EXPECT_EQ(strip.tabRect(0).width(), 16 + 4);
    EXPECT_EQ(strip.tabRect(1).left, strip.tabRect(0).right + 1);
    EXPECT_EQ(strip.tabRect(1).width(), measureText(ui::normalFont(), "Contacts").width + 4);
    EXPECT_EQ(clientRect(strip.hwnd()).height(), 21 * screenDpi() / 96);

    scene.group(5, "Five");
    scene.group(9, "Nine");
    bus::raise(names::kGroupsChanged);
    EXPECT_EQ(scene.rows(strip.hwnd()), (Rows{"", "Contacts", "Five"}));
    EXPECT_EQ(strip.tabRect(2).width(), 16 + measureText(ui::normalFont(), "Five").width + 4);
    sendMessage(strip.hwnd(), TCM_SETCURSEL, 2);
    EXPECT_EQ(scene.list().groupPage()->groupId(), 5u);

    // Right chooses the next chat group, and from the last the first again.
    scene.focus(strip.hwnd());
    scene.key(VK_RIGHT);
    EXPECT_EQ(scene.list().groupPage()->groupId(), 9u);
    EXPECT_EQ(scene.rows(strip.hwnd())[2], "Nine");
    scene.key(VK_RIGHT);
    EXPECT_EQ(scene.list().groupPage()->groupId(), 5u);
    // Enter lists the chat groups, the current one checked.
    scene.chooseInMenu("Nine");
    scene.key(VK_RETURN);
    ASSERT_EQ(scene.menus().size(), 1u);
    EXPECT_EQ(scene.menus()[0], (std::vector<ShownEntry>{{"Five", true, true}, {"Nine", true, false}}));
    EXPECT_EQ(scene.list().groupPage()->groupId(), 9u);

    // A change elsewhere keeps the chosen group; losing every chat group
    // leaves two tabs and moves the page to the last of them.
    scene.group(7, "Seven");
    bus::raise(names::kGroupsChanged);
    EXPECT_EQ(scene.rows(strip.hwnd())[2], "Nine");
    RY_DeleteGroup(5);
    RY_DeleteGroup(7);
    RY_DeleteGroup(9);
    EXPECT_EQ(scene.rows(strip.hwnd()), (Rows{"", "Contacts"}));
    EXPECT_EQ(strip.selectedIndex(), 1);
    EXPECT_EQ(scene.list().groupPage()->groupId(), 0u);
    // Left goes back to the overview, which keeps its window while hidden.
    scene.key(VK_LEFT);
    EXPECT_EQ(scene.list().groupPage(), nullptr);
    EXPECT_TRUE(isVisible(scene.page()));
}

TEST(HomeScreen, OneTabPerGroupListsEveryGroupInItsOrder) {
    HomeScene scene;
    kit::writeSetting(settings::kTabPerGroup, 1);
    scene.group(12, "Twelve");
    scene.group(3, "Three");
    TabStrip& strip = scene.open().tabStrip();
    kit::writeSetting(settings::kTabPerGroup, 0);
    EXPECT_EQ(scene.rows(strip.hwnd()), (Rows{"", "Contacts", "Three", "Twelve"}));
    scene.focus(strip.hwnd());
    scene.key(VK_RIGHT);
    scene.key(VK_RIGHT);
    scene.key(VK_RIGHT);
    scene.key(VK_RIGHT); // no wrapping
    EXPECT_EQ(strip.selectedIndex(), 3);
    EXPECT_EQ(scene.list().groupPage()->groupId(), 12u);
}

TEST(HomeScreen, AGroupPageSortsItsMembersIntoSectionsAtTheNextPaint) {
    HomeScene scene;
    scene.me();
    scene.serviceOnline();
    HGROUP group = scene.group(5, "Five");
    HCONTACT nina = scene.member(5, 20, "nina", RY_PRESENCE_ONLINE, 2);
    HomeScene::placeContact(nina, 0, 0.01f, "Soho");
    HCONTACT far = scene.member(5, 21, "Faraway", RY_PRESENCE_AWAY);
    HomeScene::placeContact(far, 0, 1.0f, "Elsewhere");
    scene.member(5, 22, "Bob", RY_PRESENCE_ONLINE, 4);
    scene.member(5, 23, "wendy", RY_PRESENCE_ONLINE, 256);
    HCONTACT carl = scene.member(5, 24, "Carl", RY_PRESENCE_BUSY, 1);
    scene.member(5, 25, "amy", RY_PRESENCE_UNKNOWN);
    scene.open();
    scene.list().showGroup(group);
    HWND page = scene.page();
    Rows rows = scene.rows(page);
    EXPECT_EQ(rows, (Rows{"Group Chat", "Five\nGroup Chat", "Nearby", "nina (Mod)\nSoho (~ 1.1km)\nOnline",
                          "Online", "Carl (Admin)\nBusy", "Faraway\nElsewhere (~ 111km)\nAway", "Offline",
                          "amy\nUnknown State", "Bob (Banned)\nOnline", "wendy\nWaiting for Acceptance"}));
    // Heights from 131 dots per inch: headers 26, the group's row 32,
    // members 32, or 45 with a place line.
    auto height = [&](int index) {
        Rect rect{};
        sendMessage(page, LB_GETITEMRECT, static_cast<WParam>(index), reinterpret_cast<LParam>(&rect));
        return rect.height();
    };
    EXPECT_EQ(height(0), 26);
    EXPECT_EQ(height(1), 32);
    EXPECT_EQ(height(3), 45);
    EXPECT_EQ(height(5), 32);

    // Changes only mark the page; it is built again when it paints.
    RY_ContactData offline{};
    offline.size = sizeof offline;
    offline.flags = RY_CONTACT_PRESENCE;
    offline.presence = RY_PRESENCE_OFFLINE;
    RY_SetContactData(carl, &offline);
    EXPECT_EQ(itemTexts(page)[5], "Carl (Admin)\nBusy");
    EXPECT_TRUE(static_cast<GroupPage*>(scene.list().groupPage())->dirty());
    rows = scene.rows(page);
    EXPECT_EQ(indexOf(rows, "Carl (Admin)\nOffline"), indexOf(rows, "Offline") + 3);
}

TEST(HomeScreen, CollapsingASectionOnOnePageLeavesItCollapsedOnTheNext) {
    HomeScene scene;
    HGROUP five = scene.group(5, "Five");
    scene.member(5, 20, "Nina", RY_PRESENCE_ONLINE);
    scene.member(0, 21, "Olga", RY_PRESENCE_ONLINE);
    scene.member(0, 22, "Paul", RY_PRESENCE_OFFLINE);
    scene.open();
    scene.list().showGroup(five);
    HWND page = scene.page();
    scene.focus(page);
    Rows rows = scene.rows(page);
    sendMessage(page, LB_SETCURSEL, static_cast<WParam>(indexOf(rows, "Online")));
    scene.key(VK_RETURN);
    EXPECT_EQ(scene.rows(page), (Rows{"Group Chat", "Five\nGroup Chat", "Online"}));

    kit::OwnedGroup contacts(RY_GetGroup(0));
    scene.list().showGroup(contacts.get());
    EXPECT_EQ(scene.rows(scene.page()), (Rows{"Online", "Offline", "Paul\nOffline"}));
    // A double tap on the header opens it again.
    Rect header{};
    sendMessage(scene.page(), LB_GETITEMRECT, 0, reinterpret_cast<LParam>(&header));
    Point at = clientToScreen(scene.page(), {header.left + 40, header.top + 5});
    pointerDown(at);
    pointerUp(at);
    pointerDown(at);
    pointerUp(at);
    EXPECT_EQ(scene.rows(scene.page()), (Rows{"Online", "Olga\nOnline", "Offline", "Paul\nOffline"}));
    scene.list().showGroup(five);
    std::string name;
    EXPECT_EQ(kit::readSetting(settings::sectionCollapsed("ONLINE", name)), 0);
}

TEST(HomeScreen, RowsRaiseChatsAndTheirMenusFollowTheUsersRole) {
    HomeScene scene;
    scene.serviceOnline();
    HGROUP five = scene.group(5, "Five");
    HCONTACT me = scene.me();
    uint32_t moderator = 2;
    RY_SetGroupMember(five, me, &moderator);
    scene.member(5, 30, "Ann", RY_PRESENCE_ONLINE, 1);
    scene.member(5, 31, "Bob", RY_PRESENCE_ONLINE, 0);
    scene.member(0, 31 + 1000, "Zed", RY_PRESENCE_ONLINE);
    scene.open();
    scene.list().showGroup(five);
    HWND page = scene.page();
    scene.focus(page);
    Rows rows = scene.rows(page);

    sendMessage(page, LB_SETCURSEL, static_cast<WParam>(indexOf(rows, "Bob\nOnline")));
    scene.key(VK_RETURN);
    scene.chooseInMenu("Kick");
    scene.key(VK_APPS);
    sendMessage(page, LB_SETCURSEL, static_cast<WParam>(indexOf(rows, "Ann (Admin)\nOnline")));
    scene.key(VK_APPS);
    sendMessage(page, LB_SETCURSEL, 1); // the group's own row
    scene.chooseInMenu("Group Chat");
    scene.key(VK_APPS);
    scene.chooseInMenu("Leave Group");
    scene.key(VK_APPS);
    EXPECT_EQ(scene.calls, (Rows{"chat contact 31", "admin 31 in 5 to 16", "chat group 5", "leave 5"}));
    ASSERT_EQ(scene.menus().size(), 4u);
    // A moderator may sanction a member and do nothing to an administrator;
    // Bob is not on the contact list, so he can be added.
    std::vector<ShownEntry> forBob{{"Private Chat"}, {"Admin", false}, {"Mod", false},      {"Silence"},
                                   {"Kick"},         {"Ban"},          {"Add to Contacts"}, {"Properties"}};
    EXPECT_EQ(scene.menus()[0], forBob);
    std::vector<ShownEntry> forAnn{{"Private Chat"},    {"Admin", false, true}, {"Mod", false},
                                   {"Silence", false},  {"Kick", false},        {"Ban", false},
                                   {"Add to Contacts"}, {"Properties"}};
    EXPECT_EQ(scene.menus()[1], forAnn);
    EXPECT_EQ(scene.menus()[2], (std::vector<ShownEntry>{{"Group Chat"}, {"Leave Group"}}));
}

TEST(HomeScreen, TheContactListMenuDeletesAfterAskingAndLiftsRolesAnAdministratorChooses) {
    HomeScene scene;
    scene.serviceOnline();
    HGROUP five = scene.group(5, "Five");
    uint32_t admin = 1;
    RY_SetGroupMember(five, scene.me(), &admin);
    scene.member(5, 40, "Banned", RY_PRESENCE_ONLINE, 4);
    HCONTACT zed = scene.member(0, 41, "Zed", RY_PRESENCE_ONLINE);
    HCONTACT shown = nullptr;
    setContactPropertiesOpener([&](HCONTACT contact) { shown = contact; });
    scene.open();
    kit::OwnedGroup contacts(RY_GetGroup(0));
    scene.list().showGroup(contacts.get());
    scene.focus(scene.page());
    sendMessage(scene.page(), LB_SETCURSEL, 1);
    scene.chooseInMenu("Delete");
    scene.answerBox(IDNO);
    scene.key(VK_APPS);
    scene.chooseInMenu("Delete");
    scene.answerBox(IDYES);
    scene.key(VK_APPS);
    scene.chooseInMenu("Properties");
    scene.key(VK_APPS);
    EXPECT_EQ(shown, zed);
    setContactPropertiesOpener({});
    EXPECT_EQ(scene.menus()[0], (std::vector<ShownEntry>{{"Chat"}, {"Delete"}, {"Properties"}}));
    ASSERT_EQ(scene.questions().size(), 2u);
    EXPECT_EQ(scene.questions()[0],
              "Delete Contact: Are you sure you wish to remove this contact from your contact list?");

    // Offline, nothing can be deleted.
    scene.serviceOnline(false);
    scene.key(VK_APPS);
    EXPECT_EQ(scene.menus().back()[1], (ShownEntry{"Delete", false}));

    scene.serviceOnline(true);
    scene.list().showGroup(five);
    scene.focus(scene.page());
    sendMessage(scene.page(), LB_SETCURSEL, indexOf(scene.rows(scene.page()), "Banned (Banned)\nOnline"));
    scene.chooseInMenu("Ban");
    scene.key(VK_APPS);
    EXPECT_EQ(scene.calls, (Rows{"delete 41", "admin 40 in 5 to 16"}));
    EXPECT_EQ(scene.menus().back()[5], (ShownEntry{"Ban", true, true}));
}

// The overview's functions, called as a plug-in calls them.
struct OverviewCalls {
    static void* section(const char* key, const char* title, uint8_t atTop = 0) {
        RY_OverviewSectionArgs args{sizeof(RY_OverviewSectionArgs), key, title, atTop};
        return bus::call(names::kOverviewCreateSection, &args);
    }
    static void* add(void* section, const char* title, const char* text) {
        RY_OverviewItemArgs args{
            sizeof(RY_OverviewItemArgs), section, nullptr, title, text, nullptr, nullptr};
        return bus::call(names::kOverviewAddStaticItem, &args);
    }
    static int32_t update(void* item, const char* title, const char* text) {
        RY_OverviewItemArgs args{sizeof(RY_OverviewItemArgs), nullptr, item, title, text, nullptr, nullptr};
        return bus::call(names::kOverviewUpdateStaticItem, &args);
    }
    static int32_t remove(void* item) { return bus::call(names::kOverviewDeleteItem, item); }
};

TEST(Overview, PlugInsSectionsShowOnlyWithItemsAndTheirItemsComeAndGo) {
    HomeScene scene;
    EXPECT_EQ(OverviewCalls::section("UPDATES", "Automatic Updates"), nullptr) << "no overview yet";
    scene.open();
    HWND overview = scene.page();
    void* updates = OverviewCalls::section("UPDATES", "Automatic Updates");
    void* again = OverviewCalls::section("UPDATES", "Another Title");
    EXPECT_NE(updates, again);
    EXPECT_EQ(scene.list().overview()->sectionOf(updates), scene.list().overview()->sectionOf(again));
    EXPECT_FALSE(contains(scene.rows(overview), "Automatic Updates"));
    EXPECT_EQ(OverviewCalls::add(nullptr, "t", "x"), nullptr);
    EXPECT_EQ(OverviewCalls::add(reinterpret_cast<void*>(0x1234), "t", "x"), nullptr);

    void* checking = OverviewCalls::add(again, "Checking", "for updates");
    void* requests = OverviewCalls::section("AWAITING_ACCEPTANCE", "Friend Requests", 1);
    void* request = OverviewCalls::add(requests, "dave@example.org", "Hello");
    EXPECT_EQ(scene.rows(overview), (Rows{"Friend Requests", "dave@example.org\nHello", "Services",
                                          "Not Connected\nTap here to sign in.", "Messages",
                                          "No Unread Messages\nYou have no unread messages",
                                          "Automatic Updates", "Checking\nfor updates"}))
        << "the service has no name yet";

    EXPECT_EQ(OverviewCalls::update(request, nullptr, "Accepting Contact..."), 1);
    EXPECT_TRUE(contains(scene.rows(overview), "dave@example.org\nAccepting Contact..."));
    // Its context menu is the plug-in's.
    std::vector<void*> asked;
    auto menu = kit::subscribe(names::kOverviewItemOnContextMenu,
                               [&](const RY_OverviewContextMenu* m) { asked.push_back(m->item); });
    scene.focus(overview);
    sendMessage(overview, LB_SETCURSEL, 1);
    scene.key(VK_APPS);
    EXPECT_EQ(asked, (std::vector<void*>{request}));

    EXPECT_EQ(OverviewCalls::remove(request), 1);
    EXPECT_EQ(OverviewCalls::remove(request), 0);
    EXPECT_EQ(OverviewCalls::update(request, "gone", "gone"), 0);
    EXPECT_EQ(OverviewCalls::remove(checking), 1);
    Rows rows = scene.rows(overview);
    EXPECT_FALSE(contains(rows, "Friend Requests"));
    EXPECT_FALSE(contains(rows, "Automatic Updates"));
}

TEST(Overview, UnreadConversationsReplaceTheNoMessagesItemAndServicesFollowTheirRecords) {
    HomeScene scene;
    scene.serviceOnline();
    HGROUP five = scene.group(5, "Five");
    HCONTACT bob = scene.member(0, 50, "Bob", RY_PRESENCE_ONLINE);
    scene.open();
    HWND overview = scene.page();
    EXPECT_TRUE(contains(scene.rows(overview), "Me - Online\nme"));

    auto receive = [](HCONTACT from, void* target, bool isGroup) {
        RY_MessageData data{};
        data.size = sizeof data;
        data.flags = RY_MESSAGE_CONTACT | RY_MESSAGE_TARGET | RY_MESSAGE_IS_GROUP;
        data.contact = from;
        data.target = target;
        data.isGroup = isGroup;
        kit::OwnedMessage message(RY_CreateMessage(&data));
        RY_UnreadMessageAdd(message.get());
    };
    receive(bob, bob, false);
    Rows rows = scene.rows(overview);
    EXPECT_FALSE(contains(rows, "No Unread Messages\nYou have no unread messages"));
    EXPECT_TRUE(contains(rows, "Bob\n1 Private Message"));
    receive(bob, bob, false);
    receive(bob, five, true);
    rows = scene.rows(overview);
    EXPECT_EQ(rows[indexOf(rows, "Messages") + 1], "Bob\n2 Private Messages");
    EXPECT_EQ(rows[indexOf(rows, "Messages") + 2], "Group: Five\n1 Group Message");

    // The unread conversation's menu and the service's activation.
    scene.focus(overview);
    sendMessage(overview, LB_SETCURSEL, static_cast<WParam>(indexOf(rows, "Bob\n2 Private Messages")));
    scene.chooseInMenu("View Messages");
    scene.key(VK_APPS);
    sendMessage(overview, LB_SETCURSEL, 1);
    scene.key(VK_RETURN);
    kit::OwnedService primary(RY_GetPrimaryService());
    kit::ServiceRecord(primary.get()).write(kit::ServiceChange().desiredStatus(0).failure("", 6));
    EXPECT_TRUE(contains(scene.rows(overview), "Me - Logging Off\nme"));
    kit::ServiceRecord(primary.get()).write(kit::ServiceChange().presence(0));
    EXPECT_TRUE(contains(scene.rows(overview), "Me - Not Connected\nme\nLogon Incorrect"));
    EXPECT_EQ(scene.calls, (Rows{"chat contact 50", "presence 0"}));
    // Left and Right go back to the first row on the way to the tabs.
    scene.key(VK_RIGHT);
    EXPECT_EQ(sendMessage(overview, LB_GETCURSEL), 0);
}

} // namespace
} // namespace kestrova::shell::testing
