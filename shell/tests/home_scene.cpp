#include "home_scene.h"

#include <cstdlib>
#include <filesystem>

#include "kestrova/bus.h"
#include "kestrova/kit/service_record.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/list_box.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"

namespace kestrova::shell::testing {

using namespace kestrova::platform;

namespace {

// The settings go to a folder of this test program's own.
[[maybe_unused]] const bool kOwnSettings = [] {
    auto home =
        std::filesystem::temp_directory_path() / ("kestrova-home-screen-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home);
    ::setenv("KESTROVA_HOME", home.c_str(), 1);
    return true;
}();

HDATAMAP encodedLocation(float lat, float lon, const std::string& name) {
    HDATAMAP inner = RY_CreateDataMap();
    RY_SetDataMapString(inner, "lat", std::to_string(lat).c_str());
    RY_SetDataMapString(inner, "lon", std::to_string(lon).c_str());
    RY_SetDataMapString(inner, "name", name.c_str());
    RY_SetDataMapString(inner, "src", "PLS_IF");
    std::vector<unsigned char> bytes(RY_EncodeDataMap(inner, nullptr));
    RY_EncodeDataMap(inner, bytes.data());
    RY_ReleaseDataMap(inner);
    HDATAMAP outer = RY_CreateDataMap();
    RY_SetDataMapEntry(outer, "loc", bytes.data(), static_cast<uint32_t>(bytes.size()));
    return outer;
}

} // namespace

bool HomeScene::Host::make() {
    if (!create("Kestrova", WS_CAPTION | WS_VISIBLE, workArea(), nullptr)) return false;
    layout.setOwner(hwnd());
    return true;
}

HomeScene::HomeScene() : primary_(RY_GetPrimaryService()) {
    host_.make();
    setForegroundWindow(host_.hwnd());
    bus::set(names::kCoreWindowHwnd, host_.hwnd());
    bus::set(names::kCoreWindowLayout, &host_.layout);
    responder_ = std::make_unique<ScopedModalResponder>([this](const ModalRequest& r) { return respond(r); });
    subscriptions_.push_back(kit::subscribe(names::kMessagingChatContact, [this](HCONTACT contact) {
        calls.push_back("chat contact " + std::to_string(RY_GetContactID(contact)));
    }));
    subscriptions_.push_back(kit::subscribe(names::kMessagingChatGroup, [this](HGROUP group) {
        calls.push_back("chat group " + std::to_string(RY_GetGroupID(group)));
    }));
}

HomeScene::~HomeScene() {
    list_.reset();
    functions_.clear();
    subscriptions_.clear();
    contacts_.clear();
    me_.reset();
    primary_.reset();
    destroyWindow(host_.hwnd());
    responder_.reset();
    RY_API_Cleanup();
}

ContactList& HomeScene::open() {
    list_ = ContactList::create();
    pump();
    return *list_;
}

std::optional<int> HomeScene::respond(const ModalRequest& request) {
    if (request.kind == ModalKind::kMessageBox) {
        questions_.push_back(request.caption + ": " + request.text);
        if (boxAnswers_.empty()) return IDNO;
        int answer = boxAnswers_.front();
        boxAnswers_.erase(boxAnswers_.begin());
        return answer;
    }
    std::vector<ShownEntry> shown;
    for (int i = 0; i < menuItemCount(request.menu); ++i) {
        auto item = menuItem(request.menu, static_cast<uint32_t>(i), MF_BYPOSITION);
        if (!item || (item->flags & MF_SEPARATOR)) continue;
        shown.push_back({item->text, !(item->flags & MF_GRAYED), (item->flags & MF_CHECKED) != 0});
    }
    menus_.push_back(shown);
    if (menuChoices_.empty()) return 0;
    std::string choice = menuChoices_.front();
    menuChoices_.erase(menuChoices_.begin());
    if (choice.empty()) return 0;
    auto command = findMenuCommand(request.menu, choice);
    return command ? static_cast<int>(*command) : 0;
}

HGROUP HomeScene::group(uint64_t id, const std::string& name) {
    kit::OwnedGroup group(RY_GetGroup(id));
    RY_GroupData data{};
    data.size = sizeof data;
    data.flags = RY_GROUP_NAME | RY_GROUP_SERVICE;
    data.name = name.c_str();
    data.service = primary_.get();
    RY_SetGroupData(group.get(), &data);
    return group.get(); // the table keeps it
}

HCONTACT HomeScene::member(uint64_t groupId, uint64_t contactId, const std::string& nickname,
                           int32_t presence, uint32_t flags) {
    RY_ContactData data{};
    data.size = sizeof data;
    data.flags = RY_CONTACT_ID | RY_CONTACT_SERVICE | RY_CONTACT_NICKNAME | RY_CONTACT_PRESENCE;
    data.contactId = contactId;
    data.service = primary_.get();
    data.nickname = nickname.c_str();
    data.presence = presence;
    contacts_.emplace_back(RY_CreateContact(&data));
    kit::OwnedGroup group(RY_GetGroup(groupId));
    RY_SetGroupMember(group.get(), contacts_.back().get(), &flags);
    return contacts_.back().get();
}

void HomeScene::placeContact(HCONTACT contact, float lat, float lon, const std::string& name) {
    RY_ContactData data{};
    data.size = sizeof data;
    data.flags = RY_CONTACT_DATA_MAP;
    data.dataMap = encodedLocation(lat, lon, name);
    RY_SetContactData(contact, &data);
}

HCONTACT HomeScene::me() {
    if (!me_) {
        RY_ContactData data{};
        data.size = sizeof data;
        data.flags = RY_CONTACT_ID | RY_CONTACT_NICKNAME | RY_CONTACT_PRESENCE | RY_CONTACT_DATA_MAP;
        data.contactId = 1;
        data.nickname = "Me";
        data.presence = RY_PRESENCE_ONLINE;
        data.dataMap = encodedLocation(0, 0, "Home");
        me_.reset(RY_CreateContact(&data));
        functions_.push_back(kit::registerFunction(names::kServiceGetMyHandle, primary_.get(),
                                                   [this] { return RY_DuplicateContactHandle(me_.get()); }));
    }
    return me_.get();
}

void HomeScene::serviceOnline(bool online) {
    kit::ServiceRecord(primary_.get())
        .write(kit::ServiceChange()
                   .presence(online ? 1 : 0)
                   .desiredStatus(online ? 1 : 0)
                   .nickname("Me")
                   .userName("me"));
    if (functions_.size() <= 1) registerServiceOperations();
}

void HomeScene::registerServiceOperations() {
    HSERVICE service = primary_.get();
    functions_.push_back(
        kit::registerFunction(names::kServiceAdminContact, service, [this](const RY_AdminContactArgs* a) {
            calls.push_back("admin " + std::to_string(RY_GetContactID(a->contact)) + " in " +
                            std::to_string(RY_GetGroupID(a->group)) + " to " + std::to_string(a->action));
            return 1;
        }));
    functions_.push_back(
        kit::registerFunction(names::kServiceAddContact, service, [this](const RY_AddContactArgs* a) {
            calls.push_back(std::string("add ") + a->address + " saying " + a->message);
            return 1;
        }));
    functions_.push_back(
        kit::registerFunction(names::kServiceDeleteContact, service, [this](const HCONTACT* c) {
            calls.push_back("delete " + std::to_string(RY_GetContactID(*c)));
            return 1;
        }));
    functions_.push_back(kit::registerFunction(names::kServiceLeaveGroup, service, [this](HGROUP g) {
        calls.push_back("leave " + std::to_string(RY_GetGroupID(g)));
        return 1;
    }));
    functions_.push_back(kit::registerFunction(names::kServiceSetPresenceStatus, service,
                                               [this](const RY_PresenceStatusArgs* a) {
                                                   calls.push_back("presence " + std::to_string(a->status));
                                                   return 1;
                                               }));
}

void HomeScene::pump() {
    pumpPendingMessages();
    updateAllWindows();
    pumpPendingMessages();
}

void HomeScene::key(uint32_t virtualKey) {
    pressKey(virtualKey);
    pump();
}

void HomeScene::focus(HWND window) {
    pump();
    setFocus(window);
}

std::vector<std::string> HomeScene::rows(HWND window) {
    pump();
    return itemTexts(window);
}

HWND HomeScene::page() {
    if (GroupPage* page = list_->groupPage()) return page->hwnd();
    return list_->overview()->hwnd();
}

} // namespace kestrova::shell::testing
