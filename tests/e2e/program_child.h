// The real program, kestrova, as a child process: headless, with its own
// settings folder and runtime folder, signing in to a loopback server by
// itself, and driven only through its automation socket, as a person would
// drive it (docs/AUTOMATION.md).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "harness_child.h"

namespace kestrova::e2e {

struct ProgramOptions {
    std::filesystem::path folder;            // the program's folder; empty: build/bin
    std::string screen;                      // "480x640@192"; empty: the default screen
    std::filesystem::path waveOut;           // where sounds are played to; empty: no sound device
    std::vector<std::string> extraArguments; // before the automation option
    std::map<std::string, std::string> environment;
};

class ProgramChild {
  public:
    // Starts build/bin/kestrova with settings under `root` (kept across
    // restarts with the same root) that sign it in as `account`.
    ProgramChild(const std::filesystem::path& root, uint16_t port, const HarnessAccount& account,
                 ProgramOptions options = {});
    ~ProgramChild();
    ProgramChild(const ProgramChild&) = delete;
    ProgramChild& operator=(const ProgramChild&) = delete;

    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // True once the automation socket answers.
    bool ready() const { return ready_; }

    // One automation command; its reply line ("OK ...", "ERR ...").
    std::string request(const std::string& line);
    // Repeats the command until check(reply) holds (bounded); the last reply.
    std::string waitFor(const std::string& line, const std::function<bool(const std::string&)>& check,
                        std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Waits until the reply contains `expected`; whether it did.
    bool waitUntilContains(const std::string& line, const std::string& expected,
                           std::chrono::milliseconds timeout = std::chrono::seconds(30));

    // Closes the main window (the program signs off and exits); its exit status or -1.
    int quit();
    // Ends it at once, as a crash or a pulled battery would.
    void kill();

  private:
    std::filesystem::path socket_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

// A program folder as an installed copy has it (the program, its libraries,
// connection.so, messaging.so and the resources) plus the given extra
// plug-ins, made under `at`.
std::filesystem::path makeProgramFolder(const std::filesystem::path& at,
                                        const std::vector<std::filesystem::path>& extraPlugins);

// "OK 0x10004" -> "0x10004"; "" for an error reply.
std::string okValue(const std::string& reply);
// The quoted words of a reply: `OK "a" "b\nc"` gives {"a", "b\nc"} (escapes
// \", \\ and \n undone).
std::vector<std::string> quotedWords(const std::string& reply);
// Quotes a text as one word of the automation protocol.
std::string quoted(const std::string& text);

} // namespace kestrova::e2e
