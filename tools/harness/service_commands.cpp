#include "service_commands.h"

#include <cstdlib>
#include <map>

#include "harness_output.h"
#include "kestrova/api.h"
#include "kestrova/bus.h"
#include "kestrova/kit/handles.h"

namespace kestrova::harness {
namespace {

// The callbacks' user data is the operation's name, a literal that lives
// for the whole run.
void printAnswer(void* user, const int64_t* code, uint32_t) {
    emit(std::string("answer op=") + static_cast<const char*>(user) + " code=" + std::to_string(*code));
}

template <typename Arg, typename Result>
Result callService(bus::ServiceOperation<Arg, Result> operation, std::type_identity_t<Arg> argument) {
    kit::OwnedService service(RY_GetPrimaryService());
    return bus::call(operation, service.get(), argument);
}

bool parseNumber(const std::string& text, uint64_t& out) {
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    out = std::strtoull(text.c_str(), nullptr, 10);
    return true;
}

// A contact the connection knows by id, with a reference; null otherwise.
HCONTACT knownContact(uint64_t id) {
    RY_GetContactHandleArgs args{id, nullptr};
    callService(names::kServiceGetContactHandle, &args);
    return args.contact;
}

using Words = std::vector<std::string>;

void addContact(const Words& w) {
    RY_AddContactArgs args{sizeof args, w[1].c_str(), w.size() > 2 ? w[2].c_str() : "", &printAnswer,
                           const_cast<char*>("add-contact")};
    callService(names::kServiceAddContact, &args);
}

void answerRequest(const Words& w, bool accepted) {
    uint64_t id = 0;
    if (!parseNumber(w[1], id)) return emit("error not a contact id: " + escapeText(w[1]));
    RY_AcceptContactArgs args{id, accepted};
    callService(names::kServiceAcceptContact, &args);
}

void deleteContact(const Words& w) {
    uint64_t id = 0;
    HCONTACT contact = parseNumber(w[1], id) ? knownContact(id) : nullptr;
    if (!contact) return emit("error unknown contact " + escapeText(w[1]));
    callService(names::kServiceDeleteContact, &contact);
    RY_ReleaseContact(contact);
}

// The name is the rest of the line and may hold blanks.
void createGroup(const Words& w) {
    std::string name = w.size() > 2 ? w[1] + " " + w[2] : w[1];
    RY_CreateGroupArgs args{sizeof args, name.c_str(), &printAnswer, const_cast<char*>("create-group")};
    callService(names::kServiceCreateGroup, &args);
}

void joinGroup(const Words& w) {
    RY_GroupSubscribeArgs args{sizeof args, w[1].c_str(), w.size() > 2 ? w[2].c_str() : "", &printAnswer,
                               const_cast<char*>("join")};
    callService(names::kServiceGroupSubscribe, &args);
}

void leaveGroup(const Words& w) {
    uint64_t id = 0;
    if (!parseNumber(w[1], id)) return emit("error not a group id: " + escapeText(w[1]));
    HGROUP group = RY_GetGroup(id);
    callService(names::kServiceLeaveGroup, group);
    RY_ReleaseGroup(group);
}

// "admin GROUP CONTACT ACTION": sets a member's rights (or removes them, as
// the server defines the actions).
void adminContact(const Words& w) {
    uint64_t groupId = 0, contactId = 0, action = 0;
    if (w.size() < 3 || !parseNumber(w[1], groupId) || !parseNumber(w[2].substr(0, w[2].find(' ')), contactId) ||
        !parseNumber(w[2].substr(w[2].find(' ') + 1), action))
        return emit("error usage: admin GROUP CONTACT ACTION");
    HCONTACT contact = knownContact(contactId);
    if (!contact) return emit("error unknown contact " + std::to_string(contactId));
    HGROUP group = RY_GetGroup(groupId);
    RY_AdminContactArgs args{contact, group, static_cast<int32_t>(action)};
    callService(names::kServiceAdminContact, &args);
    RY_ReleaseGroup(group);
    RY_ReleaseContact(contact);
}

void setPresence(const Words& w) {
    uint64_t status = 0;
    if (!parseNumber(w[1], status)) return emit("error not a status: " + escapeText(w[1]));
    RY_PresenceStatusArgs args{static_cast<int32_t>(status)};
    emit("presence result=" + std::to_string(callService(names::kServiceSetPresenceStatus, &args)));
}

struct Command {
    void (*run)(const Words&);
    size_t minWords;
    const char* usage;
};

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table{
        {"add-contact", {&addContact, 2, "add-contact ADDRESS [MESSAGE]"}},
        {"accept", {[](const Words& w) { answerRequest(w, true); }, 2, "accept CONTACT"}},
        {"decline", {[](const Words& w) { answerRequest(w, false); }, 2, "decline CONTACT"}},
        {"delete-contact", {&deleteContact, 2, "delete-contact CONTACT"}},
        {"create-group", {&createGroup, 2, "create-group NAME"}},
        {"join", {&joinGroup, 2, "join NAME [PASSWORD]"}},
        {"leave", {&leaveGroup, 2, "leave GROUP"}},
        {"admin", {&adminContact, 3, "admin GROUP CONTACT ACTION"}},
        {"presence", {&setPresence, 2, "presence STATUS"}},
    };
    return table;
}

}  // namespace

bool runServiceCommand(const Words& words) {
    auto found = words.empty() ? commands().end() : commands().find(words[0]);
    if (found == commands().end()) return false;
    if (words.size() < found->second.minWords) emit(std::string("error usage: ") + found->second.usage);
    else found->second.run(words);
    return true;
}

}  // namespace kestrova::harness
