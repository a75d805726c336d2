// Data maps: small ordered dictionaries from text keys to byte strings, lent
// out as handles. A nested map is kept as its encoding inside a value.
#pragma once

#include "handle.h"

#include "kestrova/wire/data_map.h"

namespace kestrova::api {

class DataMap : public Object {
public:
    DataMap() : Object(ObjectKind::DataMap) {}

    wire::DataMapEntries entries;
    // The entry the last enumeration step reported; shared by every holder.
    wire::DataMapEntries::iterator cursor;
    bool enumerating = false;
};

HandleRecord* createDataMap();

}  // namespace kestrova::api
