#include "demo_data.h"

#include "random_bytes.h"
#include "sqlite_transaction.h"

namespace kestrova::server {
namespace {

struct DemoAccount {
    const char* name;
    const char* password;  // null: the account cannot be signed in to
    const char* nickname;
};

constexpr DemoAccount kPeople[] = {
    {"ann@example.org", "ann", "Ann"},
    {"bob@example.org", "bob", "Bob"},
    {"cat@example.org", "cat", "Cat"},
};
constexpr DemoAccount kEcho{"echo@example.org", nullptr, "Echo"};
constexpr const char* kGroupName = "Demo group";
constexpr int32_t kRobotDevice = 1;

std::optional<Account> ensure(AccountStore& accounts, const DemoAccount& demo) {
    if (auto existing = accounts.findByName(demo.name)) return existing;
    // The robot gets a password nobody knows: it is answered by the server.
    std::string password = demo.password ? demo.password : randomHexText(16);
    accounts.create(demo.name, password, demo.nickname);
    return accounts.findByName(demo.name);
}

}  // namespace

std::vector<std::string> seedDemo(AccountStore& accounts, MessagingStore& store) {
    Transaction unit(store.database());
    std::vector<std::string> lines;
    std::vector<Account> people;
    for (const DemoAccount& demo : kPeople) {
        if (auto account = ensure(accounts, demo)) {
            people.push_back(*account);
            lines.push_back(std::string(demo.name) + " / " + demo.password + " (Sub-Id " + std::to_string(account->id) + ")");
        }
    }
    std::optional<Account> echo = ensure(accounts, kEcho);
    if (echo) {
        accounts.setRobot(echo->id, kRobotDevice, true);
        lines.push_back(std::string(kEcho.name) + " (Sub-Id " + std::to_string(echo->id) +
                        "): a robot that sends back every text message");
    }
    for (const Account& a : people) {
        for (const Account& b : people)
            if (a.id != b.id && !store.contactState(a.id, b.id)) store.setContact(a.id, b.id, kContactAccepted);
        if (echo && !store.contactState(a.id, echo->id)) store.setContact(a.id, echo->id, kContactAccepted);
    }
    std::optional<Group> group = store.groupByName(kGroupName);
    if (!group && !people.empty()) {
        if (auto id = store.createGroup(kGroupName, "Chat group", "")) {
            for (size_t i = 0; i < people.size(); ++i)
                store.setMember(*id, people[i].id, i == 0 ? membership::kAdmin : membership::kMember);
            group = store.groupById(*id);
        }
    }
    if (group)
        lines.push_back("group \"" + group->name + "\" (Group-Id " + std::to_string(group->id) +
                        "): no password, " + (people.empty() ? "" : people[0].name) + " is its administrator");
    unit.commit();
    return lines;
}

}  // namespace kestrova::server
