// The harness has no overview screen; these stand-ins for its named
// functions print what the plug-ins put there (friend requests), so that a
// test sees a request arrive and go.
#pragma once

#include "kestrova/bus_records.h"
#include "kestrova/kit/bindings.h"

#include <cstdint>
#include <vector>

namespace kestrova::harness {

class OverviewStandIn {
public:
    OverviewStandIn();
    OverviewStandIn(const OverviewStandIn&) = delete;
    OverviewStandIn& operator=(const OverviewStandIn&) = delete;

private:
    void* createSection(const RY_OverviewSectionArgs* args);
    void* addItem(const RY_OverviewItemArgs* args);
    int32_t updateItem(const RY_OverviewItemArgs* args);
    int32_t deleteItem(void* item);

    intptr_t nextHandle_ = 1;
    std::vector<kit::RegisteredFunction> functions_;
};

}  // namespace kestrova::harness
