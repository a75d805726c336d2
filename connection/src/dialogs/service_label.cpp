#include "dialogs/service_label.h"

#include "texts.h"

#include "kestrova/kit/service_record.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/icon_resources.h"

namespace kestrova::connection {

namespace {

RY_ServiceTypeData typeData(HSERVICETYPE type) {
    RY_ServiceTypeData data{};
    data.size = sizeof data;
    if (type) RY_GetServiceTypeData(type, &data);
    return data;
}

} // namespace

std::string serviceTypeShortName(HSERVICETYPE type) {
    RY_ServiceTypeData data = typeData(type);
    if (!type || !data.shortName) return kit::text(texts::kOwnServiceName);
    return data.shortName;
}

std::string serviceTypeDisplayName(HSERVICETYPE type) {
    RY_ServiceTypeData data = typeData(type);
    return data.displayName ? data.displayName : "";
}

platform::IconPtr serviceTypeIcon(HSERVICETYPE type, int size) {
    RY_ServiceTypeData data = typeData(type);
    if (!data.iconModule || !data.iconResource) return nullptr;
    return platform::loadIcon(data.iconModule, platform::ResourceName{{}, data.iconResource}, size);
}

std::string serviceLabel(HSERVICE service) {
    kit::ServiceFields fields = kit::ServiceRecord(service).read();
    return serviceTypeShortName(fields.serviceType) + " - " + fields.userName;
}

} // namespace kestrova::connection
