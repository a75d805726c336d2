// The server's command line.
#pragma once

#include "account_store.h"
#include "server_config.h"

#include <optional>
#include <string>

namespace kestrova::server {

struct Options {
    ServerConfig config;
    std::string database = "kestrova-server.db";
    bool demo = false;
    // A password "-" is read from the first line of standard input.
    std::optional<NewAccount> createAccount;
    // A file of accounts to create at once ("-": standard input).
    std::optional<std::string> addAccounts;
    bool help = false;
};

// False with a message in `error` when the command line cannot be used.
bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error);
const char* usageText();

}  // namespace kestrova::server
