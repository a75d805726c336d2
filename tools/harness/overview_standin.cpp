#include "overview_standin.h"

#include <cstdint>
#include <string>

#include "harness_output.h"
#include "kestrova/api.h"
#include "kestrova/bus_records.h"

namespace kestrova::harness {
namespace {

std::string textOf(const char* text) { return text ? escapeText(text) : std::string(); }

}  // namespace

OverviewStandIn::OverviewStandIn() {
    RY_RegisterFunction(names::kOverviewCreateSection, &OverviewStandIn::createSection, this);
    RY_RegisterFunction(names::kOverviewAddStaticItem, &OverviewStandIn::addItem, this);
    RY_RegisterFunction(names::kOverviewUpdateStaticItem, &OverviewStandIn::updateItem, this);
    RY_RegisterFunction(names::kOverviewDeleteItem, &OverviewStandIn::deleteItem, this);
}

OverviewStandIn::~OverviewStandIn() {
    RY_UnregisterFunction(names::kOverviewCreateSection);
    RY_UnregisterFunction(names::kOverviewAddStaticItem);
    RY_UnregisterFunction(names::kOverviewUpdateStaticItem);
    RY_UnregisterFunction(names::kOverviewDeleteItem);
}

intptr_t OverviewStandIn::createSection(void* self, void* argument) {
    auto* args = static_cast<const RY_OverviewSectionArgs*>(argument);
    if (!args) return 0;
    intptr_t handle = static_cast<OverviewStandIn*>(self)->nextHandle_++;
    emit("overview section=" + std::to_string(handle) + " title=" + textOf(args->title));
    return handle;
}

intptr_t OverviewStandIn::addItem(void* self, void* argument) {
    auto* args = static_cast<const RY_OverviewItemArgs*>(argument);
    if (!args) return 0;
    intptr_t handle = static_cast<OverviewStandIn*>(self)->nextHandle_++;
    emit("overview add item=" + std::to_string(handle) + " title=" + textOf(args->title) + " text=" + textOf(args->text));
    return handle;
}

intptr_t OverviewStandIn::updateItem(void*, void* argument) {
    auto* args = static_cast<const RY_OverviewItemArgs*>(argument);
    if (!args) return 0;
    emit("overview update item=" + std::to_string(reinterpret_cast<intptr_t>(args->item)) +
         " title=" + textOf(args->title) + " text=" + textOf(args->text));
    return 1;
}

intptr_t OverviewStandIn::deleteItem(void*, void* argument) {
    emit("overview delete item=" + std::to_string(reinterpret_cast<intptr_t>(argument)));
    return 1;
}

}  // namespace kestrova::harness
