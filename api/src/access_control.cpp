// Access-control entries of the user's profile, kept in "my_profile/user_acl"
// as small encoded maps ("a" permission bits, "b" and "t" booleans, "u" the
// users joined by commas) and sent to the server as profile updates.
#include "core_state.h"
#include "data_map.h"
#include "number_text.h"
#include "server_packet.h"

#include <cstdlib>

namespace kestrova::api {
namespace {

DataMap* userAclMap() {
    auto* handle = static_cast<HandleRecord*>(variant(names::kMyProfileUserAcl.name).getPointer());
    return handle ? static_cast<DataMap*>(handle->body) : nullptr;
}

uint32_t permissionValue(const RY_ACLData& d) {
    return (d.permission0 ? 0x1u : 0) | (d.permission1 ? 0x2u : 0) | (d.permission2 ? 0x4u : 0) |
           (d.permission3 ? 0x8u : 0);
}

std::string joinedUsers(const RY_ACLData& d) {
    std::string text;
    for (int32_t k = 0; d.users && k < d.count; ++k) {
        if (k) text += ',';
        text += std::to_string(d.users[k]);
    }
    return text;
}

std::string encodeEntry(const RY_ACLData& d) {
    kestrova::wire::DataMapEntries entry;
    entry["a"] = std::to_string(permissionValue(d));
    entry["b"] = d.optionB ? "1" : "0";
    entry["t"] = d.optionT ? "1" : "0";
    if (d.users || d.count == 0) entry["u"] = joinedUsers(d);
    return wire::encodeDataMap(entry);
}

void writeEntry(DataMap& acl, const std::string& name, const RY_ACLData& d) {
    const std::string encoded = encodeEntry(d);
    acl.entries.insert_or_assign(name, encoded);
    sendServerPacket(kProfileUpdateCommand, encodeSingleEntry("user_acl." + name, encoded));
}

std::vector<std::string_view> splitAtCommas(std::string_view text) {
    std::vector<std::string_view> pieces;
    if (text.empty()) return pieces;
    for (size_t start = 0;;) {
        const size_t comma = text.find(',', start);
        pieces.push_back(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) return pieces;
        start = comma + 1;
    }
}

uint64_t readUnsigned(std::string_view piece) { return std::strtoull(std::string(piece).c_str(), nullptr, 10); }

void readUsers(const std::string& text, RY_ACLData& d) {
    const auto pieces = splitAtCommas(text);
    if (!d.users) {
        d.count = int32_t(pieces.size());
        return;
    }
    for (size_t k = 0; k < pieces.size() && int64_t(k) < d.count; ++k) d.users[k] = readUnsigned(pieces[k]);
    d.flags |= RY_ACL_USERS;
}

void readEntry(const wire::DataMapEntries& entry, RY_ACLData& d) {
    if (auto a = entry.find("a"); a != entry.end()) {
        const int32_t bits = readInt32(a->second);
        d.permission0 = (bits & 0x1) != 0;
        d.permission1 = (bits & 0x2) != 0;
        d.permission2 = (bits & 0x4) != 0;
        d.permission3 = (bits & 0x8) != 0;
        d.flags |= RY_ACL_PERMISSIONS;
    }
    if (auto b = entry.find("b"); b != entry.end()) {
        d.optionB = readInt32(b->second) != 0;
        d.flags |= RY_ACL_OPTION_B;
    }
    if (auto t = entry.find("t"); t != entry.end()) {
        d.optionT = readInt32(t->second) != 0;
        d.flags |= RY_ACL_OPTION_T;
    }
    if (auto u = entry.find("u"); u != entry.end()) readUsers(u->second, d);
}

}  // namespace
}  // namespace kestrova::api

using namespace kestrova::api;

extern "C" {

void RY_SetACLData(const char* entryName, const RY_ACLData* data) {
    if (DataMap* acl = userAclMap()) writeEntry(*acl, entryName, *data);
}

int32_t RY_GetACLData(const char* entryName, RY_ACLData* data) {
    DataMap* acl = userAclMap();
    if (!acl) return 0;
    auto it = acl->entries.find(std::string_view(entryName));
    if (it == acl->entries.end() || it->second.empty()) {
        // The caller's record is the default, and is published as such.
        writeEntry(*acl, entryName, *data);
        return 0;
    }
    kestrova::wire::DataMapEntries entry;
    const std::string& encoded = it->second;
    kestrova::wire::parseDataMap({reinterpret_cast<const uint8_t*>(encoded.data()), encoded.size()}, entry);
    readEntry(entry, *data);
    return data->flags != 0 ? 1 : 0;
}

}  // extern "C"
