// The list of accounts that "--add-accounts" reads, so that administrators
// and load tests create thousands at once: one account a line,
//
//   NAME <TAB> PASSWORD [<TAB> NICKNAME]
//
// A line may end in CR LF; empty lines are skipped. Names and nicknames must
// be usable as AccountStore says, and a name may come only once (ignoring
// ASCII case, as names compare). Any line that cannot be taken makes the
// whole list unusable, so that nothing of a faulty list is created.
#pragma once

#include "account_store.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::server {

inline constexpr size_t kMaxAccountListBytes = 64 * 1024 * 1024;
inline constexpr size_t kMaxAccountLineBytes = 4096;

struct AccountListError {
    size_t line;  // from 1; 0 for the list as a whole
    std::string what;
};

struct AccountList {
    std::vector<NewAccount> accounts;
    std::optional<AccountListError> error;
};

AccountList parseAccountList(std::string_view text);

}  // namespace kestrova::server
