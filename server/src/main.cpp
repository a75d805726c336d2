// kestrova-server: the reference server the client, the end-to-end tests and
// the demo talk to.
#include "account_list.h"
#include "account_store.h"
#include "demo_data.h"
#include "messaging_store.h"
#include "options.h"
#include "server.h"

#include <cstdio>
#include <fstream>
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
    case CreateResult::InvalidNickname:
        std::fprintf(stderr, "kestrova-server: not a usable nickname (at most 256 bytes, no line break)\n");
        return 1;
    case CreateResult::StorageFailed: std::fprintf(stderr, "kestrova-server: the database refused the account\n"); return 1;
    }
    return 1;
}

// Reads at most one byte beyond the list's bound, so that a larger list is
// refused without being read whole.
bool readBounded(std::istream& in, std::string& text) {
    text.assign(kMaxAccountListBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return !in.bad();
}

int addAccounts(AccountStore& accounts, const std::string& source) {
    std::string text;
    bool read = false;
    if (source == "-") {
        read = readBounded(std::cin, text);
    } else if (std::ifstream file(source, std::ios::binary); file) {
        read = readBounded(file, text);
    }
    if (!read) {
        std::fprintf(stderr, "kestrova-server: cannot read %s\n", source.c_str());
        return 1;
    }
    AccountList list = parseAccountList(text);
    if (list.error) {
        std::fprintf(stderr, "kestrova-server: %s, line %zu: %s; no account was created\n", source.c_str(),
                     list.error->line, list.error->what.c_str());
        return 1;
    }
    std::vector<uint64_t> ids;
    size_t failedAt = 0;
    CreateResult result = accounts.createAll(list.accounts, ids, failedAt);
    if (result == CreateResult::Created) {
        for (size_t i = 0; i < ids.size(); ++i)
            std::printf("created %s with Sub-Id %llu\n", list.accounts[i].name.c_str(),
                        static_cast<unsigned long long>(ids[i]));
        return 0;
    }
    std::string name = failedAt < list.accounts.size() ? list.accounts[failedAt].name : std::string("the list");
    const char* why = result == CreateResult::NameTaken ? "exists already" : "was refused by the database";
    std::fprintf(stderr, "kestrova-server: %s %s; no account was created\n", name.c_str(), why);
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
    if (options.addAccounts) return addAccounts(*accounts, *options.addAccounts);
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
