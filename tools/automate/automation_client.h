// The client side of the automation line protocol (docs/AUTOMATION.md): one
// request, one reply line, over the Unix socket of a running program. Tests,
// tools/demo.sh (through kestrova-automate) and scripts use it.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace kestrova::automation {

// Sends one command line and returns the reply without its line end; empty
// when nobody answered (no program, or no reply within `patience`).
std::string request(const std::filesystem::path& socket, std::string_view line,
                    std::chrono::milliseconds patience = std::chrono::seconds(60));
// Waits until the program answers "ping"; false when it did not within `patience`.
bool waitUntilServing(const std::filesystem::path& socket,
                      std::chrono::milliseconds patience = std::chrono::seconds(60));

} // namespace kestrova::automation
