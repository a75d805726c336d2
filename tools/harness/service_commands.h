// The harness's commands that go through the own service's named functions
// ("Service/%p/..."): contacts, friend requests, groups and the online
// status. Each answer of the server is printed as
// "answer op=OPERATION code=N".
#pragma once

#include <string>
#include <vector>

namespace kestrova::harness {

// True when `words[0]` is one of these commands (then it was carried out).
bool runServiceCommand(const std::vector<std::string>& words);

}  // namespace kestrova::harness
