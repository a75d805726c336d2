// The api from C: what a C caller compiles against is what the library is.
#include "core_fixture.h"

extern "C" {
int32_t cCallerStoresAndReadsASetting(void);
size_t cCallerMessageRecordSize(void);
uint32_t cCallerMessageFlags(void);
}

TEST_F(CoreTest, ACallerInCSeesTheSameRecordsAndFunctions) {
    EXPECT_EQ(cCallerStoresAndReadsASetting(), 42);
    EXPECT_EQ(RY_GetSettingLong("c.caller", 0), 42);
    EXPECT_EQ(cCallerMessageRecordSize(), sizeof(RY_MessageData));
    EXPECT_EQ(cCallerMessageFlags(), uint32_t{RY_MESSAGE_ID | RY_MESSAGE_DATA});
}
