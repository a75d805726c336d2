#include "services.h"

#include "core_state.h"

#include <algorithm>

namespace kestrova::api {
namespace {

void unlink(std::vector<HandleRecord*>& list, Object* body) {
    auto it = std::find_if(list.begin(), list.end(), [&](HandleRecord* h) { return h->body == body; });
    if (it != list.end()) list.erase(it);
}

std::string text(const char* value) { return value ? value : ""; }

void apply(Service& s, const RY_ServiceData& d) {
    if (d.flags & RY_SERVICE_TYPE) s.serviceType = d.serviceType;
    if (d.flags & RY_SERVICE_TEXT1) s.text1 = text(d.text1);
    if (d.flags & RY_SERVICE_TEXT2) s.text2 = text(d.text2);
    if (d.flags & RY_SERVICE_TEXT3) s.text3 = text(d.text3);
    if (d.flags & RY_SERVICE_TEXT4) s.text4 = text(d.text4);
    if (d.flags & RY_SERVICE_TEXT5) s.text5 = text(d.text5);
    if (d.flags & RY_SERVICE_TEXT6) s.text6 = text(d.text6);
    if (d.flags & RY_SERVICE_VALUE1) s.value1 = d.value1;
    if (d.flags & RY_SERVICE_PRESENCE) s.presence = d.presence;
    if (d.flags & RY_SERVICE_CONNECTION_STATE) s.connectionState = d.connectionState;
    if (d.flags & RY_SERVICE_ICON) {
        s.iconModule = d.iconModule;
        s.iconResource = d.iconResource;
    }
}

void apply(ServiceType& t, const RY_ServiceTypeData& d) {
    if (d.flags & RY_SERVICETYPE_DISPLAY_NAME) t.displayName = d.displayName;
    if (d.flags & RY_SERVICETYPE_SHORT_NAME) t.shortName = d.shortName;
    if (d.flags & RY_SERVICETYPE_ICON) {
        t.iconModule = d.iconModule;
        t.iconResource = d.iconResource;
    }
    t.networkType = d.networkType;
}

}  // namespace

void Service::beforeLastRelease() {
    if (CoreState* state = existingCore()) unlink(state->services, this);
}

void ServiceType::beforeLastRelease() {
    if (CoreState* state = existingCore()) unlink(state->serviceTypes, this);
}

}  // namespace kestrova::api

using namespace kestrova::api;

extern "C" {

HSERVICE RY_CreateService(const RY_ServiceData* data) {
    auto* service = new Service;
    apply(*service, *data);
    HandleRecord* handle = makeHandle(service);
    core().services.push_back(handle);
    return as<HSERVICE>(handle);
}

void RY_SetServiceData(HSERVICE service, const RY_ServiceData* data) {
    apply(*body<Service>(service), *data);
    notifySubscribers(record(service), service);
}

void RY_GetServiceData(HSERVICE service, RY_ServiceData* out) {
    const Service& s = *body<Service>(service);
    out->serviceType = s.serviceType;
    out->text1 = s.text1.c_str();
    out->text2 = s.text2.c_str();
    out->text3 = s.text3.c_str();
    out->text4 = s.text4.c_str();
    out->text5 = s.text5.c_str();
    out->text6 = s.text6.c_str();
    out->value1 = s.value1;
    out->presence = s.presence;
    out->connectionState = s.connectionState;
    out->iconModule = s.iconModule;
    out->iconResource = s.iconResource;
}

void RY_GetServices(HSERVICE* handles, uint32_t* count) {
    uint32_t written = 0;
    for (HandleRecord* handle : core().services) {
        if (written >= *count) break;
        duplicateHandle(handle);
        handles[written++] = as<HSERVICE>(handle);
    }
    *count = written;
}

HSERVICE RY_GetPrimaryService() {
    CoreState& state = core();
    if (!state.primaryService) {
        RY_ServiceData empty{};
        empty.size = sizeof empty;
        state.primaryService = record(RY_CreateService(&empty));
    }
    duplicateHandle(state.primaryService);
    return as<HSERVICE>(state.primaryService);
}

HSERVICETYPE RY_CreateServiceType(const RY_ServiceTypeData* data) {
    auto* type = new ServiceType;
    apply(*type, *data);
    HandleRecord* handle = makeHandle(type);
    core().serviceTypes.push_back(handle);
    return as<HSERVICETYPE>(handle);
}

void RY_SetServiceTypeData(HSERVICETYPE type, const RY_ServiceTypeData* data) { apply(*body<ServiceType>(type), *data); }

void RY_GetServiceTypeData(HSERVICETYPE type, RY_ServiceTypeData* out) {
    const ServiceType& t = *body<ServiceType>(type);
    out->displayName = t.displayName.c_str();
    out->shortName = t.shortName.c_str();
    out->networkType = t.networkType;
    out->iconModule = t.iconModule;
    out->iconResource = t.iconResource;
}

void RY_GetServiceTypes(HSERVICETYPE* handles, uint32_t* count) {
    uint32_t written = 0;
    for (HandleRecord* handle : core().serviceTypes) {
        if (written >= *count) break;
        handles[written++] = as<HSERVICETYPE>(handle);
    }
    *count = written;
}

}  // extern "C"
