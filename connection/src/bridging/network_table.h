// The networks a bridge can reach, one api service type each, made when the
// plug-in starts and released when it stops. Each type carries the
// registration function "ServiceType/%p/Register", through which the
// shell's account form adds an account of that network.
#pragma once

#include "kestrova/api.h"
#include "kestrova/bus_records.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/kit/handles.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace kestrova::connection {

struct Network {
    int32_t type;  // "Bridge-Type"; two rows may share one
    const char* shortName;
    const char* displayName;
    uint32_t icon;  // numbered icon of this module
};

class NetworkTable {
public:
    // Carries out a registration of an account of that network type.
    using Registrar = std::function<void(RY_ServiceTypeRegistration& form, int32_t networkType)>;

    NetworkTable(void* iconModule, Registrar registrar);
    ~NetworkTable();
    NetworkTable(const NetworkTable&) = delete;
    NetworkTable& operator=(const NetworkTable&) = delete;

    // The type of the first row with that network type (a bridge of type 3
    // is "AIM", of type 6 "XMPP"); null when no row has it.
    HSERVICETYPE typeFor(int32_t networkType) const;
    // The row of one of our service types, or null.
    const Network* networkOf(HSERVICETYPE type) const;
    void* iconModule() const { return iconModule_; }

private:
    struct Row {
        const Network* network;
        kit::OwnedServiceType type;
        kit::RegisteredFunction registerFunction;
    };
    int32_t registerAccount(const Network& network, RY_ServiceTypeRegistration* form);

    void* iconModule_;
    Registrar registrar_;
    std::vector<Row> rows_;
};

}  // namespace kestrova::connection
