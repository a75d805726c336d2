#include "account_record.h"

namespace kestrova::connection {
namespace {

std::string textOf(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

RY_ServiceData AccountRecord::blank(uint32_t flags) const {
    RY_ServiceData data{};
    data.size = sizeof data;
    data.flags = flags;
    return data;
}

AccountSnapshot AccountRecord::read() const {
    RY_ServiceData data = blank(0);
    RY_GetServiceData(service_, &data);
    AccountSnapshot account;
    account.name = textOf(data.text1);
    account.password = textOf(data.text2);
    account.desiredStatus = data.connectionState;
    account.presence = data.presence;
    account.message = textOf(data.text6);
    account.reason = data.value1;
    return account;
}

void AccountRecord::setCredentials(const std::string& name, const std::string& password) {
    RY_ServiceData data = blank(RY_SERVICE_TEXT1 | RY_SERVICE_TEXT2);
    data.text1 = name.c_str();
    data.text2 = password.c_str();
    RY_SetServiceData(service_, &data);
}

void AccountRecord::setPassword(const std::string& password) {
    RY_ServiceData data = blank(RY_SERVICE_TEXT2);
    data.text2 = password.c_str();
    RY_SetServiceData(service_, &data);
}

void AccountRecord::setDesiredStatus(int32_t status) {
    RY_ServiceData data = blank(RY_SERVICE_CONNECTION_STATE);
    data.connectionState = status;
    RY_SetServiceData(service_, &data);
}

void AccountRecord::setPresence(int32_t status) {
    RY_ServiceData data = blank(RY_SERVICE_PRESENCE);
    data.presence = status;
    RY_SetServiceData(service_, &data);
}

void AccountRecord::setFailure(const std::string& message, int32_t reason) {
    RY_ServiceData data = blank(RY_SERVICE_TEXT6 | RY_SERVICE_VALUE1);
    data.text6 = message.c_str();
    data.value1 = reason;
    RY_SetServiceData(service_, &data);
}

void AccountRecord::setProfile(const std::string& nickname, const std::string& statusLine) {
    RY_ServiceData data = blank(RY_SERVICE_TEXT3 | RY_SERVICE_TEXT4);
    data.text3 = nickname.c_str();
    data.text4 = statusLine.c_str();
    RY_SetServiceData(service_, &data);
}

}  // namespace kestrova::connection
