#include "core_fixture.h"

#include "kestrova/platform/registry.h"
#include "kestrova/setting_names.h"

#include <sys/wait.h>
#include <unistd.h>

using kestrova::platform::Hive;
using kestrova::platform::RegistryKey;

namespace {

constexpr const char* kKey = "SOFTWARE\\Kestorva\\Settings";

std::string settingText(const char* name, const char* defaultValue = nullptr) {
    char buf[70000];
    RY_GetSettingString(name, defaultValue, buf);
    return buf;
}

void writeRegistry(const char* name, const std::string& value) {
    auto key = RegistryKey::create(Hive::CurrentUser, kKey);
    key.setValue(name, value);
    ASSERT_TRUE(key.commit());
}

std::optional<std::string> registryValue(const char* name) {
    auto key = RegistryKey::open(Hive::CurrentUser, kKey);
    return key ? key->value(name) : std::nullopt;
}

}  // namespace

using Settings = CoreTest;

TEST_F(Settings, TheFirstDefaultStaysForTheRun) {
    using namespace kestrova::settings;
    EXPECT_EQ(RY_GetSettingLong(kPowerSave.name, 7), 7);
    EXPECT_EQ(RY_GetSettingLong(kPowerSave.name, 9), 7);
    EXPECT_EQ(settingText(kProxyHost.name, nullptr), "");
    EXPECT_EQ(settingText(kProxyHost.name, "proxy"), "");
}

TEST_F(Settings, ASetWinsAndTheRegistryIsNotConsulted) {
    writeRegistry("name", "from registry");
    RY_SetSettingString("name", "set");
    EXPECT_EQ(settingText("name", "default"), "set");
    EXPECT_EQ(settingText("other", "default"), "default");
}

TEST_F(Settings, NullOutputDoesNothingAndCreatesNothing) {
    RY_GetSettingString("lazy", "x", nullptr);
    writeRegistry("lazy", "stored");
    EXPECT_EQ(settingText("lazy", "x"), "stored");
}

TEST_F(Settings, SavedNumbersAreDecimalTextAndEverythingConsultedIsWritten) {
    RY_SetSettingLong("Connection/Timeout", 300);
    RY_GetSettingLong("only.read", 42);
    RY_SetSettingString("", "never saved");
    RY_SaveSettings();
    EXPECT_EQ(registryValue("Connection/Timeout"), "300");
    EXPECT_EQ(registryValue("only.read"), "42");
    EXPECT_FALSE(registryValue(""));
}

TEST_F(Settings, ValuesThatAreNotNumbersOrNotUtf8) {
    writeRegistry("word", "abc");
    writeRegistry("bytes", "\xff\xfe\x41");
    EXPECT_EQ(RY_GetSettingLong("word", 5), 0);
    EXPECT_EQ(settingText("bytes"), "** could not convert to multi-byte **");
}

TEST_F(Settings, LongValuesSurviveARestart) {
    std::string servers(2000, 's');
    RY_SetSettingString("Connection/Servers", servers.c_str());
    RY_API_Cleanup();
    EXPECT_EQ(settingText("Connection/Servers"), servers);
}

TEST_F(Settings, ValuesSurviveIntoANewProcess) {
    std::string unicode = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC";
    pid_t child = ::fork();
    if (child == 0) {
        RY_SetSettingLong("count", 300);
        RY_SetSettingString("status", unicode.c_str());
        RY_API_Cleanup();  // saves
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(RY_GetSettingLong("count", 0), 300);
    EXPECT_EQ(settingText("count"), "300");
    EXPECT_EQ(settingText("status"), unicode);
}

TEST_F(Settings, ADamagedSettingsFileLosesOnlyWhatIsDamaged) {
    std::filesystem::create_directories(home_);
    FILE* f = std::fopen((home_ / "user.reg").c_str(), "wb");
    const std::string key = "SOFTWARE\\\\Kestorva\\\\Settings";  // escaped as the file stores it
    std::string text = "kestrova-registry 1\n" + key + "\tgood\t1\n\x01\x02garbage\n" + key + "\tcut\t\\";
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    EXPECT_EQ(RY_GetSettingLong("good", 0), 1);
    EXPECT_EQ(RY_GetSettingLong("cut", 77), 77);
}

TEST_F(Settings, PlatformAndOperatorNames) {
    char name[32];
    ::unsetenv("KESTROVA_PLATFORM");
    EXPECT_EQ(RY_GetPlatformName(nullptr), 10);
    EXPECT_EQ(RY_GetPlatformName(name), 10);
    EXPECT_STREQ(name, "SmartPhone");
    ::setenv("KESTROVA_PLATFORM", "PocketPC", 1);
    EXPECT_EQ(RY_GetPlatformName(name), 8);
    EXPECT_STREQ(name, "PocketPC");
    ::unsetenv("KESTROVA_PLATFORM");

    char op[64];
    EXPECT_EQ(RY_GetOperatorName(op, sizeof op), 0);
    EXPECT_STREQ(op, "Unknown");
    auto key = RegistryKey::create(Hive::LocalMachine, "System\\State\\Phone");
    key.setValue("Current Operator Name", "Telco Long Name");
    ASSERT_TRUE(key.commit());
    EXPECT_EQ(RY_GetOperatorName(op, sizeof op), 1);
    EXPECT_STREQ(op, "Telco Long Name");
    // A name that does not fit is unknown, never cut.
    EXPECT_EQ(RY_GetOperatorName(op, 15), 0);
    EXPECT_STREQ(op, "Unknown");
    EXPECT_EQ(RY_GetOperatorName(op, 16), 1);
}

TEST_F(Settings, AnOperatorNameLongerThanThePhoneReadsIsUnknown) {
    auto key = RegistryKey::create(Hive::LocalMachine, "System\\State\\Phone");
    key.setValue("Current Operator Name", std::string(31, 'x'));
    ASSERT_TRUE(key.commit());
    char op[64];
    EXPECT_EQ(RY_GetOperatorName(op, sizeof op), 1);
    key.setValue("Current Operator Name", std::string(32, 'x'));
    ASSERT_TRUE(key.commit());
    EXPECT_EQ(RY_GetOperatorName(op, sizeof op), 0);
    EXPECT_STREQ(op, "Unknown");
}
