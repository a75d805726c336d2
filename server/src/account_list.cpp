#include "account_list.h"

#include "kestrova/wire/packet.h"

#include <set>

namespace kestrova::server {
namespace {

// The fields of one line, split at tabs.
std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) return out;
        start = tab + 1;
    }
}

std::optional<std::string> lineError(std::string_view line, std::set<std::string>& names, NewAccount& account) {
    if (line.size() > kMaxAccountLineBytes) return "longer than 4096 bytes";
    std::vector<std::string_view> parts = fields(line);
    if (parts.size() < 2 || parts.size() > 3) return "expected NAME, a tab, PASSWORD and optionally a tab and NICKNAME";
    account.name = parts[0];
    account.password = parts[1];
    account.nickname = parts.size() == 3 ? std::string(parts[2]) : std::string();
    if (!AccountStore::usableName(account.name)) return "not a usable account name";
    if (!AccountStore::usableNickname(account.nickname)) return "not a usable nickname";
    if (!names.insert(wire::foldHeaderName(account.name)).second) return "the name came before";
    return std::nullopt;
}

}  // namespace

AccountList parseAccountList(std::string_view text) {
    AccountList list;
    if (text.size() > kMaxAccountListBytes) {
        list.error = AccountListError{0, "larger than 64 MiB"};
        return list;
    }
    std::set<std::string> names;
    size_t number = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        NewAccount account;
        if (std::optional<std::string> what = lineError(line, names, account)) {
            list.accounts.clear();
            list.error = AccountListError{number, *what};
            return list;
        }
        list.accounts.push_back(std::move(account));
    }
    return list;
}

}  // namespace kestrova::server
