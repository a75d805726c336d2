#include "overview_standin.h"

#include <cstdint>
#include <string>

#include "harness_output.h"

namespace kestrova::harness {
namespace {

std::string textOf(const char* text) { return text ? escapeText(text) : std::string(); }

}  // namespace

OverviewStandIn::OverviewStandIn() {
    functions_.push_back(kit::registerFunction(
        names::kOverviewCreateSection, [this](const RY_OverviewSectionArgs* a) { return createSection(a); }));
    functions_.push_back(kit::registerFunction(names::kOverviewAddStaticItem,
                                               [this](const RY_OverviewItemArgs* a) { return addItem(a); }));
    functions_.push_back(kit::registerFunction(
        names::kOverviewUpdateStaticItem, [this](const RY_OverviewItemArgs* a) { return updateItem(a); }));
    functions_.push_back(
        kit::registerFunction(names::kOverviewDeleteItem, [this](void* item) { return deleteItem(item); }));
}

void* OverviewStandIn::createSection(const RY_OverviewSectionArgs* args) {
    if (!args) return nullptr;
    intptr_t handle = nextHandle_++;
    emit("overview section=" + std::to_string(handle) + " title=" + textOf(args->title));
    return reinterpret_cast<void*>(handle);
}

void* OverviewStandIn::addItem(const RY_OverviewItemArgs* args) {
    if (!args) return nullptr;
    intptr_t handle = nextHandle_++;
    emit("overview add item=" + std::to_string(handle) + " title=" + textOf(args->title) + " text=" + textOf(args->text));
    return reinterpret_cast<void*>(handle);
}

int32_t OverviewStandIn::updateItem(const RY_OverviewItemArgs* args) {
    if (!args) return 0;
    emit("overview update item=" + std::to_string(reinterpret_cast<intptr_t>(args->item)) +
         " title=" + textOf(args->title) + " text=" + textOf(args->text));
    return 1;
}

int32_t OverviewStandIn::deleteItem(void* item) {
    emit("overview delete item=" + std::to_string(reinterpret_cast<intptr_t>(item)));
    return 1;
}

}  // namespace kestrova::harness
