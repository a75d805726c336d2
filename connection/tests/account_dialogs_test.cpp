// The service, contact and group screens, driven as a user would: opened
// through the plug-in's functions, filled in, answered by a stand-in for
// the service, and read back through automation.
#include "connection_fixture.h"

#include "dialogs/account_dialogs.h"
#include "dialogs/account_fields.h"
#include "dialogs/location_text.h"

#include "kestrova/bus.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/kit/handles.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/platform/automation.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"

#include <cstring>

using namespace kestrova;
using namespace kestrova::connection;
using namespace kestrova::platform;

namespace {

// A request the stand-in service took, to be answered by the test.
struct TakenRequest {
    std::string name;
    std::string password;
    RY_ResponseCallback callback = nullptr;
    void* user = nullptr;
    void answer(int64_t code) const { callback(user, &code, 0); }
};

class AccountDialogsTest : public ConnectionTest {
  protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        primary_.reset(RY_GetPrimaryService());
        dialogs_ = std::make_unique<AccountDialogs>();
    }
    void TearDown() override {
        dialogs_.reset();
        functions_.clear();
        primary_.reset();
        ConnectionTest::TearDown();
    }

    void online(bool isOnline = true) {
        kit::ServiceRecord(primary_.get())
            .write(kit::ServiceChange().presence(isOnline ? 1 : 0).userName("ann"));
    }
    void offerAddContact() {
        functions_.push_back(kit::registerFunction(
            names::kServiceAddContact, primary_.get(), [this](const RY_AddContactArgs* a) {
                taken_.push_back({a->address, a->message, a->callback, a->user});
                return 1;
            }));
    }
    void offerGroups() {
        functions_.push_back(kit::registerFunction(
            names::kServiceGroupSubscribe, primary_.get(), [this](const RY_GroupSubscribeArgs* a) {
                taken_.push_back({a->name, a->password, a->callback, a->user});
                return 1;
            }));
        functions_.push_back(kit::registerFunction(names::kServiceCreateGroup, primary_.get(),
                                                   [this](const RY_CreateGroupArgs* a) {
                                                       taken_.push_back({a->name, "", a->callback, a->user});
                                                       return 1;
                                                   }));
    }

    static HWND screen(const char* title) { return findWindow({.title = title, .visibleOnly = true}); }
    static void pump() {
        pumpPendingMessages();
        pumpPendingMessages();
    }
    static void type(HWND screen, uintptr_t id, const std::string& text) {
        setWindowText(childById(screen, id), text);
    }
    static void ok(HWND screen) {
        pressSoftKey(screen, 0);
        pump();
    }
    static bool shows(const char* text) { return findWindow({.text = text, .visibleOnly = true}) != nullptr; }
    static std::string nextKey(HWND screen) { return menuBarOf(screen)->left.label; }
    static bool cancelShown(HWND screen) { return menuBarOf(screen)->right.visible; }
    std::string lastBox() const {
        if (answers_.asked().empty()) return "";
        const ModalRequest& box = answers_.asked().back();
        return box.caption + ": " + box.text;
    }

    kit::OwnedService primary_;
    std::unique_ptr<AccountDialogs> dialogs_;
    std::vector<kit::RegisteredFunction> functions_;
    std::vector<TakenRequest> taken_;
    ModalAnswers answers_{true};
};

} // namespace

TEST_F(AccountDialogsTest, AddContactRefusesUntilItCanAskThenSaysHowTheRequestWent) {
    kit::ServiceRecord(primary_.get()).write(kit::ServiceChange().userName("ann"));
    ASSERT_EQ(bus::call(names::kConnectionOpenAddContact), 1);
    HWND add = screen("Add a Contact");
    ASSERT_TRUE(add);
    char label[64] = {};
    sendMessage(childById(add, AddContactScreen::kService), CB_GETLBTEXT, 0, reinterpret_cast<LParam>(label));
    EXPECT_STREQ(label, "Kestrova - ann");

    ok(add);
    EXPECT_EQ(lastBox(), "Unsupported: This service does not support this function.");
    offerAddContact();
    ok(add);
    EXPECT_EQ(lastBox(), "Not Connected: You are not currently connected to this service.");
    online();
    ok(add);
    EXPECT_EQ(lastBox(), "Add Contact: You did not enter a username.");
    ASSERT_TRUE(taken_.empty());

    type(add, AddContactScreen::kUserName, "bob");
    ok(add);
    ASSERT_EQ(taken_.size(), 1u);
    EXPECT_EQ(taken_[0].name, "bob");
    EXPECT_EQ(taken_[0].password, "I'd like to add you to my contact list.");
    EXPECT_TRUE(shows("Please Wait..."));
    EXPECT_FALSE(isEnabled(childById(add, AddContactScreen::kUserName)));

    taken_[0].answer(2);
    pump();
    EXPECT_TRUE(shows("No such user"));
    EXPECT_TRUE(isEnabled(childById(add, AddContactScreen::kUserName)));
    EXPECT_EQ(windowText(childById(add, AddContactScreen::kUserName)), "bob") << "the input stays";
    ok(add);
    taken_[1].answer(12);
    pump();
    EXPECT_TRUE(shows("Contact Already Exists"));
    ok(add);
    taken_[2].answer(0);
    pump();
    EXPECT_TRUE(shows("Contact Added"));
    EXPECT_EQ(nextKey(add), "Finish");
    EXPECT_FALSE(cancelShown(add));
    ok(add);
    EXPECT_FALSE(isWindow(add));

    // An answer for a screen that has gone touches nothing.
    taken_[1].answer(0);
    pump();
    EXPECT_FALSE(screen("Add a Contact"));
}

TEST_F(AccountDialogsTest, JoiningAGroupWithAPasswordTakesASecondStepThatSendsBoth) {
    offerGroups();
    ASSERT_EQ(bus::call(names::kConnectionOpenJoinGroup), 1);
    HWND join = screen("Join a Group");
    ASSERT_TRUE(join);
    ok(join);
    EXPECT_EQ(lastBox(), "Join Group: You did not enter a group name.");
    type(join, JoinGroupScreen::kName, "hikers");
    ok(join);
    EXPECT_EQ(lastBox(), "Not Connected: You are not currently connected to this service.");

    online();
    ok(join);
    ASSERT_EQ(taken_.size(), 1u);
    EXPECT_EQ(taken_[0].name, "hikers");
    EXPECT_EQ(taken_[0].password, "");
    EXPECT_FALSE(childById(join, JoinGroupScreen::kPassword));
    taken_[0].answer(13);
    pump();
    EXPECT_TRUE(shows("Access Denied"));
    HWND name = childById(join, JoinGroupScreen::kName);
    EXPECT_EQ(windowText(name), "hikers");
    EXPECT_FALSE(isEnabled(name));
    ASSERT_TRUE(childById(join, JoinGroupScreen::kPassword));

    type(join, JoinGroupScreen::kPassword, "s3cret");
    ok(join);
    ASSERT_EQ(taken_.size(), 2u);
    EXPECT_EQ(taken_[1].name, "hikers");
    EXPECT_EQ(taken_[1].password, "s3cret");
    taken_[1].answer(0);
    pump();
    EXPECT_TRUE(shows("Group Joined"));
    EXPECT_EQ(nextKey(join), "Finish");
    ok(join);
    EXPECT_FALSE(isWindow(join));
}

TEST_F(AccountDialogsTest, JoiningFailuresOtherThanAccessGoBackToTheNameAlone) {
    offerGroups();
    online();
    bus::call(names::kConnectionOpenJoinGroup);
    HWND join = screen("Join a Group");
    type(join, JoinGroupScreen::kName, "nowhere");
    ok(join);
    taken_[0].answer(2);
    pump();
    EXPECT_TRUE(shows("There is no such group"));
    EXPECT_TRUE(isEnabled(childById(join, JoinGroupScreen::kName)));
    EXPECT_FALSE(childById(join, JoinGroupScreen::kPassword));
    ok(join);
    taken_[1].answer(55);
    pump();
    EXPECT_TRUE(shows("Please Wait...")) << "an answer without words of its own leaves the header";
}

TEST_F(AccountDialogsTest, CreatingAGroupTellsAReservedNameAndTheGroupMade) {
    offerGroups();
    bus::call(names::kConnectionOpenCreateGroup);
    HWND create = screen("Create a Group");
    ASSERT_TRUE(create);
    ok(create);
    EXPECT_EQ(lastBox(), "Create Group: You did not enter a group name.");
    online();
    type(create, CreateGroupScreen::kName, "admin");
    ok(create);
    EXPECT_TRUE(shows("The group is being created."));
    taken_[0].answer(11);
    pump();
    EXPECT_TRUE(shows("Group in use or reserved."));
    type(create, CreateGroupScreen::kName, "walkers");
    ok(create);
    taken_[1].answer(0);
    pump();
    EXPECT_TRUE(shows("The group has been created."));
    EXPECT_FALSE(cancelShown(create));
    ok(create);
    EXPECT_FALSE(isWindow(create));
    EXPECT_EQ(bus::call(names::kConnectionOpenCreateGroup), 1) << "a closed screen is made anew";
    EXPECT_TRUE(shows("Enter a name for your group"));
}

TEST(AccountFields, TheRegisterRecordLeavesOutDefaultsAndNamesWhatANetworkNeeds) {
    auto text = [](const RY_ServiceTypeRegistration& r) {
        std::string out;
        for (int i = 0; i < r.fieldCount; ++i)
            out += std::string(r.fields[i].key) + "=" + r.fields[i].value + ";";
        return out;
    };
    auto xmpp = accountFieldsFor("XMPP");
    ASSERT_EQ(xmpp.size(), 6u);
    EXPECT_EQ(xmpp[3].preset, kDefaultXmppServer);
    auto record =
        registrationRecord(nullptr, "XMPP", xmpp, {"ann", "pw", "", "example.org", "5222", "Kestrova"});
    ASSERT_TRUE(record);
    EXPECT_EQ(text(*record), "Username=ann;Password=pw;Server=example.org;Resource=Kestrova;");
    record = registrationRecord(nullptr, "XMPP", xmpp, {"ann", "pw", "Ann", "example.org", "5223", ""});
    EXPECT_EQ(text(*record), "Username=ann;Password=pw;Nickname=Ann;Server=example.org;Port=5223;");
    EXPECT_FALSE(registrationRecord(nullptr, "XMPP", xmpp, {"ann", "pw", "", "", "5222", ""}));

    auto gtalk = accountFieldsFor("GTalk");
    ASSERT_EQ(gtalk.size(), 3u);
    record = registrationRecord(nullptr, "GTalk", gtalk, {"ann", "pw", ""});
    EXPECT_EQ(text(*record),
              std::string("Username=ann;Password=pw;Server=") + kDefaultXmppServer + ";Resource=Kestrova;");
    EXPECT_FALSE(registrationRecord(nullptr, "GTalk", gtalk, {"ann", "", ""}));

    std::string longValue(100, 'x');
    record = registrationRecord(nullptr, "AIM", accountFieldsFor("AIM"), {longValue, "pw", ""});
    EXPECT_EQ(std::strlen(record->fields[0].value), 64u) << "a value never runs past its field";
}

TEST_F(AccountDialogsTest, AddAServiceChoosesTheNetworkThenRegistersTheAccountWhileSignedIn) {
    RY_ServiceTypeData data{sizeof data,
                            RY_SERVICETYPE_DISPLAY_NAME | RY_SERVICETYPE_SHORT_NAME,
                            "XMPP / Jabber",
                            "XMPP",
                            6,
                            nullptr,
                            0};
    kit::OwnedServiceType xmpp(RY_CreateServiceType(&data));
    std::vector<std::string> registered;
    functions_.push_back(
        kit::registerFunction(names::kServiceTypeRegister, xmpp.get(), [&](RY_ServiceTypeRegistration* r) {
            for (int i = 0; i < r->fieldCount; ++i)
                registered.push_back(std::string(r->fields[i].key) + "=" + r->fields[i].value);
            return 1;
        }));
    bus::call(names::kConnectionOpenAddService);
    HWND add = screen("Add a Service");
    ASSERT_TRUE(add);
    HWND list = childById(add, AddServiceScreen::kTypeList);
    ASSERT_EQ(itemTexts(list), std::vector<std::string>{"XMPP\nXMPP / Jabber"}) << "two lines a row";
    ok(add);
    EXPECT_TRUE(shows("Select a service type")) << "nothing chosen, nothing happens";
    sendMessage(list, LB_SETCURSEL, 0, 0);
    ok(add);
    EXPECT_TRUE(shows("Enter your account details"));
    EXPECT_EQ(nextKey(add), "Finish");
    HWND first = childById(add, AddServiceScreen::kFirstField);
    EXPECT_EQ(focusWindow(), first);
    EXPECT_EQ(windowText(childById(add, AddServiceScreen::kFirstField + 3)), kDefaultXmppServer);
    EXPECT_EQ(windowText(childById(add, AddServiceScreen::kFirstField + 4)), "5222");

    ok(add);
    EXPECT_EQ(lastBox(), "Missing Field: A required field is missing");
    type(add, AddServiceScreen::kFirstField, "ann");
    type(add, AddServiceScreen::kFirstField + 1, "pw");
    ok(add);
    EXPECT_EQ(lastBox(), "Can't add service: You are not signed in.");
    EXPECT_TRUE(registered.empty());
    online();
    ok(add);
    EXPECT_EQ(registered, (std::vector<std::string>{"Username=ann", "Password=pw", "Server=jabber.org",
                                                    "Resource=Kestrova"}));
    EXPECT_FALSE(isWindow(add));
}

TEST_F(AccountDialogsTest, ContactPropertiesShowEachContactOnOneScreen) {
    RY_ContactData data{};
    data.size = sizeof data;
    data.flags = RY_CONTACT_ID | RY_CONTACT_SERVICE | RY_CONTACT_NICKNAME;
    data.service = primary_.get();
    data.contactId = (uint64_t{7} << 32) | 1234;
    data.nickname = "Bob";
    kit::OwnedContact bob(RY_CreateContact(&data));
    ASSERT_EQ(bus::call(names::kConnectionOpenContactProperties, bob.get()), 1);
    HWND shown = screen("Kestrova: 1234");
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shows("Bob"));
    EXPECT_TRUE(shows("None"));
    EXPECT_TRUE(shows("Unknown"));

    data.flags = RY_CONTACT_ID | RY_CONTACT_SERVICE | RY_CONTACT_NAME | RY_CONTACT_STATUS_TEXT;
    data.contactId = 99;
    data.name = "carol@example.org";
    data.statusText = "out walking";
    kit::OwnedContact carol(RY_CreateContact(&data));
    bus::call(names::kConnectionOpenContactProperties, carol.get());
    EXPECT_EQ(screen("Kestrova: carol@example.org"), shown) << "the same screen, now about Carol";
    EXPECT_TRUE(shows("out walking"));
    bob.reset();
    carol.reset();
    // The screen holds its own reference to Carol.
    destroyWindow(shown);
}

TEST(LocationText, PlaceOrPositionThenTheDistanceInMetresOrKilometres) {
    RY_LocationData place{};
    place.flags = RY_LOCATION_NAME | RY_LOCATION_AREA | RY_LOCATION_COUNTRY | RY_LOCATION_LAT |
                  RY_LOCATION_LON | RY_LOCATION_SOURCE;
    std::strcpy(place.name, "Bergen");
    std::strcpy(place.country, "Norway");
    place.source = RY_LOCATION_MANUAL;
    EXPECT_EQ(locationText(place, 999.0f), "*Bergen, Norway (999 m)");
    EXPECT_EQ(locationText(place, 1500.0f), "*Bergen, Norway (1.5 km)");

    RY_LocationData position{};
    position.flags = RY_LOCATION_LAT | RY_LOCATION_LON;
    position.lat = 60.5f;
    position.lon = 5.25f;
    EXPECT_EQ(locationText(position, std::nullopt), "Lat:60.500000 Lng:5.250000");

    RY_LocationData nameOnly{};
    nameOnly.flags = RY_LOCATION_NAME;
    std::memset(nameOnly.name, 'a', sizeof nameOnly.name); // no terminator within the field
    EXPECT_EQ(locationText(nameOnly, 10.0f), std::string(sizeof nameOnly.name, 'a'))
        << "no distance without a position";
    EXPECT_EQ(locationText(RY_LocationData{}, 10.0f), "");
}
