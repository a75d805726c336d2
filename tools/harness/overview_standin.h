// The harness has no overview screen; these stand-ins for its named
// functions print what the plug-ins put there (friend requests), so that a
// test sees a request arrive and go.
#pragma once

#include <cstdint>

namespace kestrova::harness {

class OverviewStandIn {
public:
    OverviewStandIn();
    ~OverviewStandIn();
    OverviewStandIn(const OverviewStandIn&) = delete;
    OverviewStandIn& operator=(const OverviewStandIn&) = delete;

private:
    static intptr_t createSection(void* self, void* argument);
    static intptr_t addItem(void* self, void* argument);
    static intptr_t updateItem(void* self, void* argument);
    static intptr_t deleteItem(void* self, void* argument);

    intptr_t nextHandle_ = 1;
};

}  // namespace kestrova::harness
