// The server's command line.
#pragma once

#include "server_config.h"

#include <optional>
#include <string>

namespace kestrova::server {

struct NewAccount {
    std::string name;
    std::string password;  // "-" reads it from the first line of standard input
    std::string nickname;
};

struct Options {
    ServerConfig config;
    std::string database = "kestrova-server.db";
    bool demo = false;
    std::optional<NewAccount> createAccount;
    bool help = false;
};

// False with a message in `error` when the command line cannot be used.
bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error);
const char* usageText();

}  // namespace kestrova::server
