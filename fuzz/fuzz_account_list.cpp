// The list of accounts for "--add-accounts": whatever the bytes, the reader
// never crashes, and a list it takes holds only accounts the store can
// create: usable names, each once, usable nicknames, no line break in any
// field.
#include "account_list.h"
#include "kestrova/wire/packet.h"

#include <cstdlib>
#include <set>

using namespace kestrova;
using namespace kestrova::server;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 256 * 1024) return 0;
    AccountList list = parseAccountList(std::string_view(reinterpret_cast<const char*>(data), size));
    if (list.error && !list.accounts.empty()) std::abort();
    std::set<std::string> names;
    for (const NewAccount& account : list.accounts) {
        if (!AccountStore::usableName(account.name) || !AccountStore::usableNickname(account.nickname)) std::abort();
        if (account.password.find_first_of("\t\n") != std::string::npos) std::abort();
        if (!names.insert(wire::foldHeaderName(account.name)).second) std::abort();
    }
    return 0;
}
