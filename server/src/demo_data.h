// The demo database: a few accounts that are each other's contacts, a group
// they share, and the echo robot, which says back every text it is sent.
#pragma once

#include "account_store.h"
#include "messaging_store.h"

#include <string>
#include <vector>

namespace kestrova::server {

// Adds whatever of the demo is missing (an existing database keeps its
// passwords and contacts) and returns the lines that describe it.
std::vector<std::string> seedDemo(AccountStore& accounts, MessagingStore& store);

}  // namespace kestrova::server
