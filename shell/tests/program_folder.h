// A program folder for start-up tests: a copy of kestrova, the libraries it
// links and the plug-ins a test chooses, run as a separate process with its
// own settings, runtime folder and log.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace shell_testing {

class ProgramFolder {
  public:
    explicit ProgramFolder(const std::vector<std::string>& plugins);
    ~ProgramFolder();

    const std::filesystem::path& folder() const { return folder_; }
    const std::filesystem::path& runtime() const { return runtime_; }
    std::filesystem::path automationSocket() const { return runtime_ / "automation.socket"; }

    // Puts one of the build's own plug-ins (connection, ...) with its
    // resources beside the program.
    void addBuiltPlugin(const std::string& name);
    // Stores a setting, as the program's settings store keeps it, before a start.
    void storeSetting(const std::string& name, const std::string& value);

    // Runs the program to its end; returns its exit code (-1 if it had to be killed).
    int run(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {});
    // Starts it in the background.
    pid_t start(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {});
    int wait(pid_t pid);
    // The plug-ins' log lines, without their process ids, of one process or all.
    std::vector<std::string> log(std::optional<pid_t> of = std::nullopt) const;
    bool waitForLogLine(const std::string& text);
    // Runs the program through another program (such as xvfb-run -a).
    void setLauncher(std::vector<std::string> launcher) { launcher_ = std::move(launcher); }

  private:
    std::filesystem::path folder_;
    std::filesystem::path runtime_;
    std::filesystem::path home_;
    std::filesystem::path logPath_;
    std::vector<std::string> launcher_;
};

// One request on the automation socket; the reply line without its newline.
std::string automationRequest(const std::filesystem::path& socket, const std::string& line);
// Waits (bounded) until the socket answers.
bool waitForAutomation(const std::filesystem::path& socket);

std::filesystem::path binFolder();
std::filesystem::path buildFolder();

} // namespace shell_testing
