#include "dialogs/account_fields.h"

#include "kestrova/ui/field_stack.h"

#include <cstring>
#include <iterator>

namespace kestrova::connection {

namespace {

constexpr char kXmpp[] = "XMPP";
constexpr char kGTalk[] = "GTalk";
constexpr char kServer[] = "Server";
constexpr char kPort[] = "Port";
constexpr char kResource[] = "Resource";

// False when the record is full.
bool addField(RY_ServiceTypeRegistration& record, const std::string& name, const std::string& value) {
    if (record.fieldCount >= static_cast<int32_t>(std::size(record.fields))) return false;
    RY_RegistrationField& field = record.fields[record.fieldCount++];
    std::string key = ui::cutToBytes(name, sizeof field.key - 1);
    // NOTE: the record holds 64 bytes of a value; the screen's fields take
    // no more than 64 characters, so only a long non-ASCII value is cut.
    std::string text = ui::cutToBytes(value, sizeof field.value - 1);
    std::memcpy(field.key, key.c_str(), key.size() + 1);
    std::memcpy(field.value, text.c_str(), text.size() + 1);
    return true;
}

} // namespace

std::vector<AccountField> accountFieldsFor(const std::string& typeShortName) {
    std::vector<AccountField> fields{
        {"Username", true, false, ""}, {"Password", true, true, ""}, {"Nickname", false, false, ""}};
    if (typeShortName == kXmpp) {
        fields.push_back({kServer, true, false, kDefaultXmppServer});
        fields.push_back({kPort, false, false, kDefaultXmppPort});
        fields.push_back({kResource, false, false, kDefaultResource});
    }
    return fields;
}

std::optional<RY_ServiceTypeRegistration> registrationRecord(HSERVICETYPE type,
                                                             const std::string& typeShortName,
                                                             const std::vector<AccountField>& fields,
                                                             const std::vector<std::string>& values) {
    RY_ServiceTypeRegistration record{};
    record.serviceType = type;
    for (size_t i = 0; i < fields.size(); ++i) {
        const std::string& value = i < values.size() ? values[i] : std::string();
        if (value.empty()) {
            if (fields[i].required) return std::nullopt;
            continue;
        }
        if (typeShortName == kXmpp && fields[i].name == kPort && value == kDefaultXmppPort) continue;
        addField(record, fields[i].name, value);
    }
    if (typeShortName == kGTalk) {
        addField(record, kServer, kDefaultXmppServer);
        addField(record, kResource, kDefaultResource);
    }
    return record;
}

} // namespace kestrova::connection
