/* A caller written in C: the header compiles as C and its functions link. */
#include "kestrova/api.h"

int32_t cCallerStoresAndReadsASetting(void) {
    RY_SetSettingLong("c.caller", 42);
    return RY_GetSettingLong("c.caller", 0);
}

size_t cCallerMessageRecordSize(void) { return sizeof(RY_MessageData); }

uint32_t cCallerMessageFlags(void) { return RY_MESSAGE_ID | RY_MESSAGE_DATA; }
