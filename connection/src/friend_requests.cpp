#include "friend_requests.h"

#include "texts.h"

#include "kestrova/bus.h"

#include "kestrova/bus_records.h"
#include "kestrova/kit/handles.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/message_box.h"

namespace kestrova::connection {
namespace {

constexpr uint64_t kContactListGroup = 0;

// The overview section's key and the items' icon (of this module).
constexpr const char kSectionKey[] = "AWAITING_ACCEPTANCE";
constexpr const char kItemIcon[] = "CONTACT";

enum MenuCommand : uintptr_t { kCommandAccept = 1, kCommandDecline = 2, kCommandChat = 3 };

struct ContactTexts {
    std::string name;
    std::string nickname;
};

ContactTexts textsOf(HCONTACT contact) {
    RY_ContactData data{};
    data.size = sizeof data;
    RY_GetContactData(contact, &data);
    return {data.name ? data.name : "", data.nickname ? data.nickname : ""};
}

bool onContactList(HCONTACT contact) {
    HGROUP contactList = RY_GetGroup(kContactListGroup);
    bool listed = RY_GroupContainsMember(contactList, contact) != 0;
    RY_ReleaseGroup(contactList);
    return listed;
}

platform::HWND mainWindow() { return bus::get(names::kCoreWindowHwnd); }

}  // namespace

struct FriendRequests::Request {
    Request(FriendRequests& owner, HSERVICE service, HCONTACT contact, uint64_t id, std::string text)
        : owner(owner),
          service(kit::OwnedService::share(service)),
          contact(kit::OwnedContact::share(contact)),
          id(id),
          text(std::move(text)),
          contextMenu(
              kit::subscribe(names::kOverviewItemOnContextMenu, [this](const RY_OverviewContextMenu* asked) {
                  this->owner.onContextMenu(*this, asked);
              })) {}
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    FriendRequests& owner;
    kit::OwnedService service;
    kit::OwnedContact contact;
    uint64_t id;  // the contact's, or the bridge's request id
    std::string text;
    void* item = nullptr;  // the overview item, once it exists
    Answer answer = kNoAnswer;
    kit::Subscription contextMenu;

    Key key() const { return {service.get(), id}; }
};

FriendRequests::FriendRequests(void* iconModule)
    : iconModule_(iconModule),
      sessionEnded_(kit::subscribe(names::kConnectionSessionEnded, [this] { dropFriendRequests(); })) {}

FriendRequests::~FriendRequests() {
    sessionEnded_.reset();
    dropFriendRequests();
    // NOTE: the overview offers no way to give a section handle back; the
    // empty section stays hidden until the next run.
}

void FriendRequests::addFriendRequest(HSERVICE service, HCONTACT contact, uint64_t id, const std::string& text) {
    if (!service || !contact) return;
    auto found = requests_.find(Key{service, id});
    if (found != requests_.end()) {
        found->second->text = text;
        showItem(*found->second);
        return;
    }
    auto request = std::make_shared<Request>(*this, service, contact, id, text);
    requests_.emplace(request->key(), request);
    showItem(*request);
}

void FriendRequests::dropFriendRequests() {
    drop([](const Key&) { return true; });
}

void FriendRequests::dropFriendRequests(HSERVICE service) {
    drop([service](const Key& key) { return key.first == service; });
}

void FriendRequests::drop(const std::function<bool(const Key&)>& picked) {
    // Removing items calls into the shell; take them off the list first so
    // nothing that happens meanwhile sees half of it.
    std::vector<std::shared_ptr<Request>> dropped;
    for (auto it = requests_.begin(); it != requests_.end();) {
        if (picked(it->first)) {
            dropped.push_back(it->second);
            it = requests_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& request : dropped) removeItem(*request);
}

bool FriendRequests::contains(uint64_t id) const {
    for (const auto& [key, request] : requests_)
        if (key.second == id) return true;
    return false;
}

void FriendRequests::answered(HSERVICE service, uint64_t id, int64_t code) {
    auto found = requests_.find(Key{service, id});
    if (found == requests_.end()) return;
    std::shared_ptr<Request> request = found->second;
    if (code == 0) {
        requests_.erase(found);
        removeItem(*request);
        return;
    }
    // NOTE: the request stays, but no longer claims to be on its way: the
    // user sees it again and can answer once more.
    if (request->answer != kNoAnswer) {
        request->answer = kNoAnswer;
        showItem(*request);
    }
}

bool FriendRequests::alive(const std::shared_ptr<Request>& request) const {
    auto found = requests_.find(request->key());
    return found != requests_.end() && found->second == request;
}

void FriendRequests::showItem(Request& request) {
    if (!section_) {
        RY_OverviewSectionArgs section{sizeof(RY_OverviewSectionArgs), kSectionKey,
                                       kit::text(texts::kFriendRequestsTitle).c_str(), 1};
        section_ = bus::call(names::kOverviewCreateSection, &section);
    }
    ContactTexts contact = textsOf(request.contact.get());
    std::string text;
    if (request.answer == kAccepting)
        text = kit::text(texts::kAcceptingContact);
    else if (request.answer == kDeclining)
        text = kit::text(texts::kDecliningContact);
    else
        text = request.text.empty() ? contact.nickname : request.text;
    RY_OverviewItemArgs item{sizeof(RY_OverviewItemArgs),
                             section_,
                             request.item,
                             contact.name.c_str(),
                             text.c_str(),
                             iconModule_,
                             kItemIcon};
    if (request.item)
        bus::call(names::kOverviewUpdateStaticItem, &item);
    else
        request.item = bus::call(names::kOverviewAddStaticItem, &item);
}

void FriendRequests::removeItem(Request& request) {
    if (!request.item) return;
    void* item = std::exchange(request.item, nullptr);
    bus::call(names::kOverviewDeleteItem, item);
}
void FriendRequests::onContextMenu(Request& request, const RY_OverviewContextMenu* asked) {
    if (!asked || !request.item || asked->item != request.item) return;
    auto found = requests_.find(request.key());
    if (found == requests_.end() || found->second.get() != &request) return;
    // Hold it: the menu and the question run nested message loops, during
    // which the server's answer may remove the request.
    std::shared_ptr<Request> held = found->second;
    showMenu(held, asked->x, asked->y);
}

void FriendRequests::showMenu(const std::shared_ptr<Request>& request, int32_t x, int32_t y) {
    using namespace platform;
    UniqueMenu menu(createPopupMenu());
    appendMenu(menu.get(), MF_STRING, kCommandAccept, kit::text(texts::kMenuAccept));
    appendMenu(menu.get(), MF_STRING, kCommandDecline, kit::text(texts::kMenuDecline));
    appendMenu(menu.get(), MF_SEPARATOR, 0);
    appendMenu(menu.get(), MF_STRING, kCommandChat, kit::text(texts::kMenuChat));
    int command = trackPopupMenu(menu.get(), TPM_RETURNCMD, Point{x, y}, mainWindow());
    if (!alive(request)) return;
    switch (command) {
    case kCommandAccept:
        accept(request);
        break;
    case kCommandDecline:
        answer(request, false);
        break;
    case kCommandChat:
        bus::raise(names::kMessagingChatContact, request->contact.get());
        break;
    default:
        break;
    }
}

void FriendRequests::accept(const std::shared_ptr<Request>& request) {
    if (!onContactList(request->contact.get())) {
        int choice = platform::messageBox(mainWindow(), kit::text(texts::kContactAcceptedQuestion),
                                          kit::text(texts::kContactAcceptedCaption),
                                          platform::MB_YESNO | platform::MB_ICONQUESTION);
        if (!alive(request)) return;
        if (choice == platform::IDYES) {
            std::string name = textsOf(request->contact.get()).name;
            RY_AddContactArgs add{sizeof(RY_AddContactArgs), name.c_str(),
                                  kit::text(texts::kAddBackMessage).c_str(), nullptr, nullptr};
            bus::call(names::kServiceAddContact, request->service.get(), &add);
        }
    }
    answer(request, true);
}

void FriendRequests::answer(const std::shared_ptr<Request>& request, bool accepted) {
    request->answer = accepted ? kAccepting : kDeclining;
    RY_AcceptContactArgs args{request->id, static_cast<uint8_t>(accepted ? 1 : 0)};
    bus::call(names::kServiceAcceptContact, request->service.get(), &args);
    // An answer that came at once (offline) may have reset or removed it.
    if (alive(request)) showItem(*request);
}

}  // namespace kestrova::connection
