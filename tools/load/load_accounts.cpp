#include "load_accounts.h"

#include "server_child.h"

#include <cstdio>
#include <fstream>
#include <map>

namespace kestrova::load {

std::vector<LoadAccount> numberedAccounts(const std::string& prefix, size_t count) {
    std::vector<LoadAccount> accounts;
    for (size_t i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%04zu@example.org", prefix.c_str(), i);
        accounts.push_back({name, "secret " + std::to_string(i * 7919 % 10007), 0});
    }
    return accounts;
}

bool addAccounts(const std::string& database, const std::string& folder, std::vector<LoadAccount>& accounts,
                 std::string& error) {
    std::string listPath = folder + "/accounts.txt";
    {
        std::ofstream list(listPath);
        for (const LoadAccount& account : accounts)
            list << account.name << '\t' << account.password << '\n';
        if (!list) {
            error = "cannot write " + listPath;
            return false;
        }
    }
    // NOTE: the paths come from mkdtemp and our own names, so quoting them
    // in single quotes is enough for the shell.
    std::string command =
        "'" + e2e::serverBinary() + "' --db '" + database + "' --add-accounts '" + listPath + "'";
    FILE* output = ::popen(command.c_str(), "r");
    if (!output) {
        error = "cannot run " + e2e::serverBinary();
        return false;
    }
    std::map<std::string, uint64_t> ids;
    char line[512], name[256];
    unsigned long long id = 0;
    while (std::fgets(line, sizeof line, output))
        if (std::sscanf(line, "created %255s with Sub-Id %llu", name, &id) == 2) ids[name] = id;
    int status = ::pclose(output);
    for (LoadAccount& account : accounts) {
        auto found = ids.find(account.name);
        if (found == ids.end()) {
            error =
                "the server did not create " + account.name + " (exit status " + std::to_string(status) + ")";
            return false;
        }
        account.id = found->second;
    }
    return true;
}

} // namespace kestrova::load
