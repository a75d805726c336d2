#include "kestrova/platform/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace kestrova::platform;

namespace {

// Each test gets its own home folder.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrova-registry-XXXXXX";
        home_ = ::mkdtemp(pattern);
        ::setenv("KESTROVA_HOME", home_.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(home_); }
    std::filesystem::path home_;
};

constexpr const char* kKey = "SOFTWARE\\Kestorva\\Settings";

}  // namespace

TEST_F(RegistryTest, MissingKeyIsAbsentAndCreatedOnCommit) {
    EXPECT_FALSE(RegistryKey::open(Hive::CurrentUser, kKey));
    auto key = RegistryKey::create(Hive::CurrentUser, kKey);
    key.setValue("Connection/Servers", "host:1\tsecond\nthird\\");
    ASSERT_TRUE(key.commit());
    auto read = RegistryKey::open(Hive::CurrentUser, kKey);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->value("Connection/Servers"), "host:1\tsecond\nthird\\");
    EXPECT_FALSE(read->value("other"));
    EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, kKey));
}

TEST_F(RegistryTest, DamagedLinesAreSkippedAndTheRestIsRead) {
    std::ofstream(home_ / "user.reg", std::ios::binary)
        << "kestrova-registry 1\n"
        << "K\ta\t1\n"
        << "garbage without tabs\n"
        << "K\tbad\tescape \\q\n"
        << "K\tbinary\t\xff\xfe\n"
        << "K\tb\t2";  // cut short: no final newline
    auto key = RegistryKey::open(Hive::CurrentUser, "K");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->value("a"), "1");
    EXPECT_EQ(key->value("b"), "2");
    EXPECT_EQ(key->value("binary"), "\xff\xfe");
    EXPECT_FALSE(key->value("bad"));
}

TEST_F(RegistryTest, TwoWritersKeepEachOthersValues) {
    constexpr int kWriters = 4, kValuesEach = 25;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = ::fork();
        if (pid == 0) {
            for (int i = 0; i < kValuesEach; ++i) {
                auto key = RegistryKey::create(Hive::CurrentUser, kKey);
                key.setValue("w" + std::to_string(w) + "." + std::to_string(i), std::string(200, 'a' + w));
                if (!key.commit()) ::_exit(1);
            }
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto key = RegistryKey::open(Hive::CurrentUser, kKey);
    ASSERT_TRUE(key);
    for (int w = 0; w < kWriters; ++w)
        for (int i = 0; i < kValuesEach; ++i)
            EXPECT_EQ(key->value("w" + std::to_string(w) + "." + std::to_string(i)), std::string(200, 'a' + w));
    for (const auto& entry : std::filesystem::directory_iterator(home_))
        EXPECT_EQ(entry.path().string().find(".tmp."), std::string::npos) << entry.path();
}

TEST_F(RegistryTest, TheSettingsAndTheirFolderAreTheOwnersAloneAndLeftOversOfKilledSavesGo) {
    // The settings hold the password; a permissive umask must not show them.
    std::filesystem::path home = home_ / "made-here";
    ::setenv("KESTROVA_HOME", home.c_str(), 1);
    mode_t previous = ::umask(0);
    auto key = RegistryKey::create(Hive::CurrentUser, kKey);
    key.setValue("connection.pass", "secret");
    bool committed = key.commit();
    ::umask(previous);
    ASSERT_TRUE(committed);
    auto mode = [](const std::filesystem::path& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_mode & 0777;
    };
    EXPECT_EQ(mode(home), 0700u);
    EXPECT_EQ(mode(home / "user.reg"), 0600u);

    // A save killed before its rename left its temporary file.
    std::ofstream(home / "user.reg.tmp.999999") << "kestrova-registry 1\nhalf a sa";
    std::ofstream(home / "machine.reg.tmp.999999") << "of the other hive";
    auto read = RegistryKey::open(Hive::CurrentUser, kKey);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->value("connection.pass"), "secret");
    EXPECT_FALSE(std::filesystem::exists(home / "user.reg.tmp.999999"));
    EXPECT_TRUE(std::filesystem::exists(home / "machine.reg.tmp.999999")) << "cleaned when that hive is loaded";
}

TEST(RegistryText, FormatAndParseRoundTrip) {
    RegistryTree tree{{"A\\B", {{"x", "1"}, {"tab\tname", "line\r\nbreak"}}}, {"C", {{"", ""}}}};
    EXPECT_EQ(parseRegistryText(formatRegistryText(tree)), tree);
}
