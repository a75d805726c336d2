#include "session_driver.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <sstream>

#include "harness_output.h"
#include "service_commands.h"

#include "kestrova/bus.h"
#include "kestrova/platform/message_loop.h"

namespace kestrova::harness {
namespace {

constexpr const char kTextPlain[] = "text/plain";
constexpr const char kAdminNotice[] = "kestrova/x-admin";
// Bodies up to this size are printed; larger ones only by length and digest.
constexpr int32_t kPrintedBody = 1024;

std::vector<std::string> splitWords(const std::string& line, size_t maxWords) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < line.size() && words.size() + 1 < maxWords) {
        size_t start = line.find_first_not_of(' ', at);
        if (start == std::string::npos) return words;
        size_t end = line.find(' ', start);
        if (end == std::string::npos) end = line.size();
        words.push_back(line.substr(start, end - start));
        at = end;
    }
    size_t rest = line.find_first_not_of(' ', at);
    if (rest != std::string::npos) words.push_back(line.substr(rest));
    return words;
}

bool parseId(const std::string& text, uint64_t& out) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 19) return false;
    out = std::stoull(text);
    return true;
}

std::string orEmpty(const char* text) { return text ? escapeText(text) : std::string(); }

uint32_t readLe32(const uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

uint64_t readLe64(const uint8_t* bytes) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

// The payload of a group administration notice: action, target id, nickname.
std::string describeAdminNotice(const uint8_t* body, int32_t length) {
    if (length < 12) return " notice=short";
    return " action=" + std::to_string(readLe32(body)) + " target=" + std::to_string(readLe64(body + 4)) +
           " nickname=" + escapeText(std::string_view(reinterpret_cast<const char*>(body + 12), length - 12));
}

}  // namespace

std::string describeMessage(HMESSAGE message) {
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message, &data);
    const auto* body = static_cast<const uint8_t*>(data.data);
    std::string type = data.contentType ? data.contentType : "";
    std::string line = "message id=" + std::to_string(data.messageId) + " from=" + std::to_string(RY_GetContactID(data.contact));
    line += " group=" + std::to_string(data.isGroup ? RY_GetGroupID(static_cast<HGROUP>(data.target)) : 0);
    line += " origin=" + std::to_string(data.origin) + " type=" + escapeText(type) +
            " length=" + std::to_string(data.dataLength) + " md5=" + digestHex(body, static_cast<size_t>(data.dataLength));
    if (type == kAdminNotice) return line + describeAdminNotice(body, data.dataLength);
    if (data.dataLength <= kPrintedBody)
        line += " text=" + escapeText(std::string_view(reinterpret_cast<const char*>(body), data.dataLength));
    return line;
}

SessionDriver::SessionDriver()
    : stateWatch_(kit::subscribe(names::kConnectionState, [this](int32_t) { printState(); })),
      messageWatch_(kit::subscribe(names::kMessagesNewComplete,
                                   [](HMESSAGE message) { emit(describeMessage(message)); })) {
    printState();
}

SessionDriver::~SessionDriver() = default;

void SessionDriver::printState() {
    int32_t state = bus::get(names::kConnectionState);
    if (state == lastState_) return;
    lastState_ = state;
    emit("state " + std::to_string(state));
}

void SessionDriver::handle(const std::string& line) {
    std::vector<std::string> words = splitWords(line, 3);
    const std::string& command = words.empty() ? line : words[0];
    // A command that comes while the program ends (a sent line is served
    // while the plug-in stops) is not carried out.
    if (quitting_) return;
    if (command == "quit") {
        quitting_ = true;
        emit("bye");
        platform::postQuitMessage(0);
    } else if (command == "state") {
        lastState_ = -1;
        printState();
    } else if (command == "whoami") {
        emit("me id=" + bus::get(names::kConnectionSubId));
    } else if (command == "contacts") {
        printContacts();
    } else if (command == "groups") {
        printGroups();
    } else if (command == "send" || command == "send-group" || command == "send-size" || command == "send-group-size") {
        send(words, command.starts_with("send-group"), command.ends_with("-size"));
    } else if (command == "send-part") {
        send(words, false, true, false);
    } else if (command == "finish") {
        finish(words);
    } else if (command == "history" || command == "history-group") {
        requestHistory(words, command == "history-group");
    } else if (runServiceCommand(words)) {
    } else if (command == "pending") {
        emit("pending " + std::to_string(outgoing_.watching()));
    } else {
        emit("error unknown command " + escapeText(command));
    }
}

HCONTACT SessionDriver::findContact(uint64_t contactId) {
    HCONTACT found = nullptr;
    HGROUP list = RY_GetGroup(0);
    uint32_t count = 0;
    RY_GetGroupMembers(list, nullptr, nullptr, &count);
    std::vector<HCONTACT> members(count);
    if (count) RY_GetGroupMembers(list, members.data(), nullptr, &count);
    for (uint32_t i = 0; i < count && !found; ++i)
        if (RY_GetContactID(members[i]) == contactId) found = RY_DuplicateContactHandle(members[i]);
    RY_ReleaseGroup(list);
    return found;
}

void SessionDriver::send(const std::vector<std::string>& words, bool toGroup, bool sized, bool complete) {
    uint64_t id = 0;
    if (words.size() < 3 || !parseId(words[1], id)) {
        emit("error usage: " + words[0] + (sized ? " ID BYTES" : " ID TEXT"));
        return;
    }
    std::string body = words[2];
    if (sized) {
        uint64_t length = 0;
        if (!parseId(words[2], length) || length == 0 || length > (64u << 20)) {
            emit("error size must be 1 to 67108864 bytes");
            return;
        }
        body = patternBody(length);
    }
    void* target = nullptr;
    if (toGroup) {
        target = RY_GetGroup(id);
    } else if (!(target = findContact(id))) {
        emit("error unknown contact " + words[1]);
        return;
    }
    HMESSAGE message = nullptr;
    RY_SendMessage(target, toGroup, kTextPlain, body.data(), static_cast<int32_t>(body.size()), complete, &message);
    if (toGroup) RY_ReleaseGroup(static_cast<HGROUP>(target));
    else RY_ReleaseContact(static_cast<HCONTACT>(target));
    if (message) outgoing_.watch(message);
}

// History before now: "history ID COUNT" asks for the COUNT newest messages
// of the conversation; they arrive as messages with origin 3, and the
// server's answers as "history code=N" lines.
void SessionDriver::requestHistory(const std::vector<std::string>& words, bool ofGroup) {
    uint64_t id = 0, count = 0;
    if (words.size() < 3 || !parseId(words[1], id) || !parseId(words[2], count) || count == 0 || count > 1000) {
        emit("error usage: " + words[0] + " ID COUNT (1 to 1000)");
        return;
    }
    void* conversation = ofGroup ? static_cast<void*>(RY_GetGroup(id)) : static_cast<void*>(findContact(id));
    if (!conversation) {
        emit("error unknown contact " + words[1]);
        return;
    }
    RY_HistoryRequest request{};
    request.count = -static_cast<int32_t>(count);
    request.conversation = conversation;
    request.isGroup = ofGroup;
    // A minute ahead of the local clock: every message the server has is older.
    request.seconds = static_cast<int32_t>(std::time(nullptr) + 60);
    request.flag = 1;
    request.callback = &SessionDriver::onHistoryAnswer;
    request.context = this;
    if (bus::call(names::kConnectionRequestMessageHistory, &request) == 0) emit("error history refused");
    if (ofGroup) RY_ReleaseGroup(static_cast<HGROUP>(conversation));
    else RY_ReleaseContact(static_cast<HCONTACT>(conversation));
}

void SessionDriver::onHistoryAnswer(void*, const int32_t* status) {
    emit("history code=" + std::to_string(status[0]));
}

// "finish REF BYTES": a message begun with send-part grows by BYTES more of
// its pattern and is complete, as a recording is when it stops.
void SessionDriver::finish(const std::vector<std::string>& words) {
    uint64_t ref = 0, more = 0;
    HMESSAGE message = words.size() == 3 && parseId(words[1], ref) && parseId(words[2], more) && more <= (64u << 20)
                           ? outgoing_.message(static_cast<uint32_t>(ref))
                           : nullptr;
    if (!message) {
        emit("error usage: finish REF BYTES (REF of a message not yet delivered)");
        return;
    }
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message, &data);
    size_t had = static_cast<size_t>(data.dataLength);
    std::string whole = patternBody(had + more);
    emit("finished ref=" + words[1] + " length=" + std::to_string(whole.size()) +
         " md5=" + digestHex(whole.data(), whole.size()));
    RY_ContinueMessage(message, whole.data() + had, static_cast<int32_t>(more), 1);
}

void SessionDriver::printContacts() {
    HGROUP list = RY_GetGroup(0);
    uint32_t count = 0;
    RY_GetGroupMembers(list, nullptr, nullptr, &count);
    std::vector<HCONTACT> members(count);
    if (count) RY_GetGroupMembers(list, members.data(), nullptr, &count);
    for (uint32_t i = 0; i < count; ++i) {
        RY_ContactData data{};
        data.size = sizeof data;
        RY_GetContactData(members[i], &data);
        emit("contact id=" + std::to_string(data.contactId) + " name=" + orEmpty(data.name) +
             " nickname=" + orEmpty(data.nickname) + " presence=" + std::to_string(data.presence) +
             " device=" + std::to_string(data.deviceType) + " status=" + orEmpty(data.statusText));
    }
    RY_ReleaseGroup(list);
    emit("contacts end");
}

void SessionDriver::printGroups() {
    uint64_t id = 0;
    for (int32_t any = RY_EnumGroupsBegin(&id); any; any = (id = RY_EnumGroupsNext(id)) != 0) {
        if (id == 0) continue;  // the contact list
        HGROUP group = RY_GetGroup(id);
        RY_GroupData data{};
        data.size = sizeof data;
        RY_GetGroupData(group, &data);
        uint32_t members = 0;
        RY_GetGroupMembers(group, nullptr, nullptr, &members);
        emit("group id=" + std::to_string(id) + " name=" + orEmpty(data.name) + " state=" +
             std::to_string(data.groupState) + " members=" + std::to_string(members));
        RY_ReleaseGroup(group);
    }
    emit("groups end");
}

}  // namespace kestrova::harness
