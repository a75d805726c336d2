#include "overview_functions.h"

#include "overview_screen.h"

namespace kestrova::shell {

OverviewFunctions::OverviewFunctions(OverviewScreen& overview) {
    functions_.push_back(
        kit::registerFunction(names::kOverviewCreateSection, [&overview](const RY_OverviewSectionArgs* args) {
            return args ? overview.createSection(*args) : nullptr;
        }));
    functions_.push_back(
        kit::registerFunction(names::kOverviewAddStaticItem, [&overview](const RY_OverviewItemArgs* args) {
            return args ? overview.addStaticItem(*args) : nullptr;
        }));
    functions_.push_back(
        kit::registerFunction(names::kOverviewUpdateStaticItem, [&overview](const RY_OverviewItemArgs* args) {
            return args && overview.updateStaticItem(*args) ? 1 : 0;
        }));
    functions_.push_back(kit::registerFunction(
        names::kOverviewDeleteItem, [&overview](void* item) { return overview.deleteItem(item) ? 1 : 0; }));
}

} // namespace kestrova::shell
