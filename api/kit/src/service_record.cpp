#include "kestrova/kit/service_record.h"

#include "kestrova/kit/handles.h"

namespace kestrova::kit {
namespace {

std::string textOf(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

ServiceChange& ServiceChange::text_(uint32_t flag, std::string& field, const std::string& text) {
    flags_ |= flag;
    field = text;
    return *this;
}

ServiceChange& ServiceChange::failure(const std::string& text, int32_t reason) {
    flags_ |= RY_SERVICE_TEXT6 | RY_SERVICE_VALUE1;
    failureText_ = text;
    failureReason_ = reason;
    return *this;
}

ServiceChange& ServiceChange::failureReason(int32_t reason) {
    flags_ |= RY_SERVICE_VALUE1;
    failureReason_ = reason;
    return *this;
}

ServiceChange& ServiceChange::presence(int32_t status) {
    flags_ |= RY_SERVICE_PRESENCE;
    presence_ = status;
    return *this;
}

ServiceChange& ServiceChange::desiredStatus(int32_t status) {
    flags_ |= RY_SERVICE_CONNECTION_STATE;
    desiredStatus_ = status;
    return *this;
}

ServiceChange& ServiceChange::icon(void* module, uint32_t resource) {
    flags_ |= RY_SERVICE_ICON;
    iconModule_ = module;
    iconResource_ = resource;
    return *this;
}

ServiceChange& ServiceChange::serviceType(HSERVICETYPE type) {
    flags_ |= RY_SERVICE_TYPE;
    serviceType_ = type;
    return *this;
}

void ServiceChange::applyTo(HSERVICE service) const {
    RY_ServiceData data{};
    data.size = sizeof data;
    data.flags = flags_;
    data.serviceType = serviceType_;
    data.text1 = userName_.c_str();
    data.text2 = password_.c_str();
    data.text3 = nickname_.c_str();
    data.text4 = statusText_.c_str();
    data.text5 = domain_.c_str();
    data.text6 = failureText_.c_str();
    data.value1 = failureReason_;
    data.presence = presence_;
    data.connectionState = desiredStatus_;
    data.iconModule = iconModule_;
    data.iconResource = iconResource_;
    RY_SetServiceData(service, &data);
}

ServiceFields ServiceRecord::read() const {
    RY_ServiceData data{};
    data.size = sizeof data;
    RY_GetServiceData(service_, &data);
    ServiceFields fields;
    fields.serviceType = data.serviceType;
    fields.userName = textOf(data.text1);
    fields.password = textOf(data.text2);
    fields.nickname = textOf(data.text3);
    fields.statusText = textOf(data.text4);
    fields.domain = textOf(data.text5);
    fields.failureText = textOf(data.text6);
    fields.failureReason = data.value1;
    fields.presence = data.presence;
    fields.desiredStatus = data.connectionState;
    fields.iconModule = data.iconModule;
    fields.iconResource = data.iconResource;
    return fields;
}

ServiceFields readPrimaryService() {
    OwnedService primary(RY_GetPrimaryService());
    return ServiceRecord(primary.get()).read();
}

}  // namespace kestrova::kit
