// The program's start-up, message loop and shutdown.
#pragma once

#include <string>
#include <vector>

namespace kestrova::shell {

// Runs the program with its arguments (without the program name); returns
// the process's exit code.
int runShell(const std::vector<std::string>& arguments);

}  // namespace kestrova::shell
