#include "kestrova/platform/system_info.h"
#include "kestrova/platform/text.h"

#include <gtest/gtest.h>
#include <stdlib.h>

using namespace kestrova::platform;

TEST(Utf8, AcceptsWellFormedTextAndRejectsMalformedSequences) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain ASCII"));
    EXPECT_TRUE(isValidUtf8("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80"));
    EXPECT_FALSE(isValidUtf8("\xFF"));
    EXPECT_FALSE(isValidUtf8("\xC3"));              // cut short
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_EQ(utf16Length("a\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80"), 5u);
}

TEST(Language, TheUsersLocaleGivesItsLanguageIdentifier) {
    setenv("LC_ALL", "en_GB.UTF-8", 1);
    EXPECT_EQ(userLanguageId(), 0x0809);
    setenv("LC_ALL", "de_AT.UTF-8", 1);
    EXPECT_EQ(userLanguageId(), 0x0407);  // the language without the country
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(userLanguageId(), 0x0409);
    unsetenv("LC_ALL");
}
