// The accounts of a load run, created in one go with
// `kestrova-server --add-accounts` on the run's database; their subscriber
// ids come from what it prints.
#pragma once

#include "load_client.h"

#include <string>
#include <vector>

namespace kestrova::load {

// "<prefix>0000@example.org" and so on, each with a password of its own.
std::vector<LoadAccount> numberedAccounts(const std::string& prefix, size_t count);

// Writes the list into `folder`, runs the server binary on `database` and
// fills in the ids; false (with `error`) when any account was not created.
bool addAccounts(const std::string& database, const std::string& folder, std::vector<LoadAccount>& accounts,
                 std::string& error);

} // namespace kestrova::load
