#include "bridging/network_table.h"

namespace kestrova::connection {
namespace {

constexpr Network kNetworks[] = {
    {1, "MSN", "Windows Live Messenger", 103},
    {2, "Yahoo", "Yahoo! Messenger", 107},
    {3, "AIM", "AOL Instant Messenger", 106},
    {4, "GG", "Gadu-Gadu", 104},
    {5, "ICQ", "AOL ICQ", 105},
    {6, "XMPP", "XMPP / Jabber", 108},
    {6, "GTalk", "Google Talk", 108},
    {3, "iChat", "iChat", 106},
};

HSERVICETYPE createType(const Network& network, void* iconModule) {
    RY_ServiceTypeData data{};
    data.size = sizeof data;
    data.flags = RY_SERVICETYPE_DISPLAY_NAME | RY_SERVICETYPE_SHORT_NAME;
    if (iconModule) data.flags |= RY_SERVICETYPE_ICON;
    data.displayName = network.displayName;
    data.shortName = network.shortName;
    data.networkType = network.type;
    data.iconModule = iconModule;
    data.iconResource = network.icon;
    return RY_CreateServiceType(&data);
}

}  // namespace

NetworkTable::NetworkTable(void* iconModule, Registrar registrar)
    : iconModule_(iconModule), registrar_(std::move(registrar)) {
    rows_.reserve(std::size(kNetworks));
    for (const Network& network : kNetworks) {
        Row& row = rows_.emplace_back(Row{&network, kit::OwnedServiceType(createType(network, iconModule_)), {}});
        row.registerFunction = kit::registerFunction(
            names::kServiceTypeRegister, row.type.get(),
            [this, &network](RY_ServiceTypeRegistration* form) { return registerAccount(network, form); });
    }
}

NetworkTable::~NetworkTable() {
    // Functions first: nobody may register through a type that is going.
    for (Row& row : rows_) row.registerFunction = {};
    rows_.clear();
}

int32_t NetworkTable::registerAccount(const Network& network, RY_ServiceTypeRegistration* form) {
    if (!form || networkOf(form->serviceType) != &network) return 0;
    if (registrar_) registrar_(*form, network.type);
    return 1;
}

HSERVICETYPE NetworkTable::typeFor(int32_t networkType) const {
    for (const Row& row : rows_)
        if (row.network->type == networkType) return row.type.get();
    return nullptr;
}

const Network* NetworkTable::networkOf(HSERVICETYPE type) const {
    if (!type) return nullptr;
    for (const Row& row : rows_)
        if (row.type.get() == type) return row.network;
    return nullptr;
}

}  // namespace kestrova::connection
