#include "options.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kestrova::server;

namespace {

bool parse(std::vector<const char*> args, Options& options, std::string& error) {
    args.insert(args.begin(), "kestrova-server");
    return parseOptions(static_cast<int>(args.size()), args.data(), options, error);
}

}  // namespace

TEST(ServerOptions, DefaultsListenOnLoopbackAtTheFirstDefaultPort) {
    Options options;
    std::string error;
    ASSERT_TRUE(parse({}, options, error));
    EXPECT_EQ(options.config.address, "127.0.0.1");
    EXPECT_EQ(options.config.port, 38535);
    EXPECT_FALSE(options.demo);
    EXPECT_FALSE(options.createAccount);
    EXPECT_EQ(options.config.bridges.keyFile, "kestrova-server.db.bridge-key");
}

TEST(ServerOptions, EveryOptionIsTaken) {
    Options options;
    std::string error;
    ASSERT_TRUE(parse({"--listen", "0.0.0.0", "--port", "0", "--db", "/tmp/x.db", "--demo", "--plain-auth",
                       "--setting", "advanced.powersave=1", "--setting", "a=b=c", "--logon-timeout-ms", "5",
                       "--idle-timeout-ms", "6", "--write-timeout-ms", "7", "--resume-window-ms", "8", "--max-body",
                       "1024", "--bridge-key-file", "/tmp/k"},
                      options, error))
        << error;
    EXPECT_EQ(options.config.address, "0.0.0.0");
    EXPECT_EQ(options.config.port, 0);
    EXPECT_EQ(options.database, "/tmp/x.db");
    EXPECT_TRUE(options.demo);
    EXPECT_TRUE(options.config.plainAuth);
    ASSERT_EQ(options.config.settings.size(), 2u);
    EXPECT_EQ(options.config.settings[1], std::make_pair(std::string("a"), std::string("b=c")));
    EXPECT_EQ(options.config.logonTimeout.count(), 5);
    EXPECT_EQ(options.config.idleTimeout.count(), 6);
    EXPECT_EQ(options.config.writeTimeout.count(), 7);
    EXPECT_EQ(options.config.resumeWindow.count(), 8);
    EXPECT_EQ(options.config.maxBody, 1024u);
    EXPECT_EQ(options.config.bridges.keyFile, "/tmp/k");
}

TEST(ServerOptions, AccountCreationTakesNameAndPasswordInEitherOrderWithTheNickname) {
    Options options;
    std::string error;
    ASSERT_TRUE(parse({"--nickname", "Ann", "--create-account", "ann@example.org", "pw"}, options, error));
    ASSERT_TRUE(options.createAccount);
    EXPECT_EQ(options.createAccount->name, "ann@example.org");
    EXPECT_EQ(options.createAccount->password, "pw");
    EXPECT_EQ(options.createAccount->nickname, "Ann");
}

TEST(ServerOptions, BadCommandLinesAreRefused) {
    const std::vector<std::vector<const char*>> bad = {
        {"--port"}, {"--port", "65536"}, {"--port", "12x"}, {"--setting", "novalue"}, {"--setting", "=v"},
        {"--create-account", "only-a-name"}, {"--logon-timeout-ms", "0"}, {"--nickname", "Ann"}, {"--bogus"},
    };
    for (const auto& args : bad) {
        Options options;
        std::string error;
        EXPECT_FALSE(parse(args, options, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}
