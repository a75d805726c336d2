// The service functions, the status menu and the friend requests of one
// connection against the scripted server, with the shell's overview played
// by stand-in functions on the bus.
#pragma once

#include "recorded_account_screens.h"
#include "contact_lookup.h"
#include "friend_requests.h"
#include "service_functions.h"
#include "sign_in_scene.h"
#include "status_menu.h"

#include "kestrova/bus_records.h"
#include "kestrova/kit/bindings.h"

#include <map>

namespace kestrova::testing {

// The overview's four functions, keeping what they were asked.
class StubOverview {
public:
    struct Item {
        void* section = nullptr;
        std::string title;
        std::string text;
        std::string iconName;
    };
    StubOverview() {
        functions_.push_back(
            kit::registerFunction(names::kOverviewCreateSection,
                                  [this](const RY_OverviewSectionArgs* a) { return createSection(a); }));
        functions_.push_back(kit::registerFunction(
            names::kOverviewAddStaticItem, [this](const RY_OverviewItemArgs* a) { return addItem(a); }));
        functions_.push_back(
            kit::registerFunction(names::kOverviewUpdateStaticItem,
                                  [this](const RY_OverviewItemArgs* a) { return updateItem(a); }));
        functions_.push_back(kit::registerFunction(names::kOverviewDeleteItem,
                                                   [this](void* item) { return deleteItem(item); }));
    }

    std::vector<std::string> sectionKeys;
    std::vector<uint8_t> sectionsAtTop;
    std::vector<std::string> sectionTitles;
    std::map<void*, Item> items;
    std::vector<void*> deleted;

    Item& only() {
        EXPECT_EQ(items.size(), 1u);
        return items.begin()->second;
    }

private:
    static void* sectionHandle() { return reinterpret_cast<void*>(0x5ec); }
    void* createSection(const RY_OverviewSectionArgs* args) {
        sectionsAtTop.push_back(args->atTop);
        sectionKeys.emplace_back(args->key);
        sectionTitles.emplace_back(args->title);
        return sectionHandle();
    }
    void* addItem(const RY_OverviewItemArgs* args) {
        if (!args->section) return nullptr;
        void* handle = reinterpret_cast<void*>(0x1000 + nextItem_++);
        items[handle] = {args->section, args->title, args->text, args->iconName ? args->iconName : ""};
        return handle;
    }
    int32_t updateItem(const RY_OverviewItemArgs* args) {
        Item& item = items.at(args->item);
        if (args->title) item.title = args->title;
        if (args->text) item.text = args->text;
        return 1;
    }
    int32_t deleteItem(void* item) {
        deleted.push_back(item);
        return static_cast<int32_t>(items.erase(item));
    }
    int nextItem_ = 0;
    std::vector<kit::RegisteredFunction> functions_;
};

class FakeContacts {
public:
    ~FakeContacts() {
        for (auto& [id, contact] : contacts_) RY_ReleaseContact(contact);
    }
    // As contact synchronisation answers: a new reference, or null.
    HCONTACT find(uint64_t id) const {
        auto found = contacts_.find(id);
        return found == contacts_.end() ? nullptr : RY_DuplicateContactHandle(found->second);
    }
    HCONTACT add(uint64_t id, const char* name, const char* nickname = "") {
        HSERVICE service = RY_GetPrimaryService();
        RY_ContactData data{};
        data.size = sizeof data;
        data.flags = RY_CONTACT_ID | RY_CONTACT_SERVICE | RY_CONTACT_NAME | RY_CONTACT_NICKNAME;
        data.service = service;
        data.contactId = id;
        data.name = name;
        data.nickname = nickname;
        HCONTACT contact = RY_CreateContact(&data);
        RY_ReleaseService(service);
        contacts_[id] = contact;
        return contact;
    }

private:
    std::map<uint64_t, HCONTACT> contacts_;
};

// The packet with its "mesg-id" value replaced by '#'; the id goes to *id.
inline std::string maskedMesgId(const std::string& packet, std::string* id = nullptr) {
    const std::string name = "\nmesg-id: ";
    size_t start = packet.find(name);
    if (start == std::string::npos) return packet;
    start += name.size();
    size_t end = packet.find('\n', start);
    if (id) *id = packet.substr(start, end - start);
    return packet.substr(0, start) + "#" + packet.substr(end);
}

// What a request's callback was told.
struct Answers {
    struct Answer {
        int64_t code;
        uint32_t high;
    };
    static void record(void* user, const int64_t* code, uint32_t high) {
        static_cast<Answers*>(user)->got.push_back({*code, high});
    }
    std::vector<Answer> got;
};

class ServiceScene : public SignInScene {
protected:
    static constexpr uint64_t kOwnId = 4294967301u;  // the Sub-Id of the scene's profile

    void TearDown() override {
        menu_.reset();
        functions_.reset();
        connection_.reset();
        friendRequests_.reset();
        contacts_.reset();
        overview_.reset();
        SignInScene::TearDown();
    }

    // The plug-in's objects around the connection that start() made.
    void startServices() {
        overview_ = std::make_unique<StubOverview>();
        contacts_ = std::make_unique<FakeContacts>();
        friendRequests_ = std::make_unique<connection::FriendRequests>(nullptr);
        functions_ = std::make_unique<connection::ServiceFunctions>(
            connection::ServiceFunctionsEnvironment{*connection_, [this](uint64_t id) { return contacts_->find(id); },
                                                    *friendRequests_, screens_});
        menu_ = std::make_unique<connection::StatusMenu>(functions_->service(), screens_);
    }
    void goOnline() {
        signInOnline();
        startServices();
    }
    void startOffline() {
        start();
        startServices();
    }

    template <typename Arg, typename Result>
    Result callService(bus::ServiceOperation<Arg, Result> operation, std::type_identity_t<Arg> argument) {
        return bus::call(operation, functions_->service(), argument);
    }
    template <typename Result>
    Result callService(bus::ServiceOperation<void, Result> operation) {
        return bus::call(operation, functions_->service());
    }

    static std::string masked(const std::string& packet, std::string* id = nullptr) {
        return maskedMesgId(packet, id);
    }
    std::string takeMasked(std::string* id = nullptr) { return masked(takePacket(), id); }

    void respond(const std::string& id, uint32_t code) {
        std::string body = {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
        serverSends("RESPONSE\ncontent-length: 4\nmesg-id: " + id + "\n\n" + body);
    }

    connection::RecordedAccountScreens screens_;
    // Outlives the connection, which answers what is still pending when it stops.
    Answers answers_;
    std::unique_ptr<StubOverview> overview_;
    std::unique_ptr<FakeContacts> contacts_;
    std::unique_ptr<connection::FriendRequests> friendRequests_;
    std::unique_ptr<connection::ServiceFunctions> functions_;
    std::unique_ptr<connection::StatusMenu> menu_;
};

}  // namespace kestrova::testing
