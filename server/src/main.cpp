// kestrova-server: the reference server the client, the end-to-end tests and
// the demo talk to.
#include "account_store.h"
#include "demo_data.h"
#include "messaging_store.h"
#include "options.h"
#include "server.h"

#include <cstdio>
#include <iostream>
#include <string>

using namespace kestrova::server;

namespace {

int createAccount(AccountStore& accounts, NewAccount account) {
    if (account.password == "-" && !std::getline(std::cin, account.password)) {
        std::fprintf(stderr, "kestrova-server: no password on standard input\n");
        return 1;
    }
    uint64_t id = 0;
    switch (accounts.create(account.name, account.password, account.nickname, &id)) {
    case CreateResult::Created:
        std::printf("created %s with Sub-Id %llu\n", account.name.c_str(), static_cast<unsigned long long>(id));
        return 0;
    case CreateResult::NameTaken: std::fprintf(stderr, "kestrova-server: %s exists already\n", account.name.c_str()); return 1;
    case CreateResult::InvalidName: std::fprintf(stderr, "kestrova-server: not a usable account name\n"); return 1;
    case CreateResult::StorageFailed: std::fprintf(stderr, "kestrova-server: the database refused the account\n"); return 1;
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "kestrova-server: %s\n%s", error.c_str(), usageText());
        return 2;
    }
    if (options.help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    std::unique_ptr<AccountStore> accounts = AccountStore::open(options.database, error);
    if (!accounts) {
        std::fprintf(stderr, "kestrova-server: cannot open %s: %s\n", options.database.c_str(), error.c_str());
        return 1;
    }
    if (options.createAccount) return createAccount(*accounts, *options.createAccount);
    if (!MessagingStore::prepare(accounts->database(), error)) {
        std::fprintf(stderr, "kestrova-server: cannot use %s: %s\n", options.database.c_str(), error.c_str());
        return 1;
    }
    std::vector<std::string> demo;
    if (options.demo) {
        MessagingStore store(accounts->database());
        demo = seedDemo(*accounts, store);
    }

    asio::io_context io;
    Server server(io, *accounts, options.config);
    if (!server.listen(error)) {
        std::fprintf(stderr, "kestrova-server: cannot listen on %s port %u: %s\n", options.config.address.c_str(),
                     options.config.port, error.c_str());
        return 1;
    }
    std::printf("port %u\n", server.port());
    // The port line comes first: tests and scripts read it.
    for (const std::string& line : demo) std::printf("demo: %s\n", line.c_str());
    std::fflush(stdout);

    asio::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&](asio::error_code, int) {
        server.stop();
        io.stop();
    });
    io.run();
    return 0;
}
