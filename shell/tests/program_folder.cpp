#include "program_folder.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace shell_testing {
namespace {

// NOTE: safety limits only, so that a broken start-up fails instead of hanging
// the test run; no assertion depends on how fast anything is.
constexpr auto kPatience = std::chrono::seconds(60);

std::filesystem::path uniqueTemp(const std::string& base) {
    static int counter = 0;
    auto dir = std::filesystem::temp_directory_path() /
               (base + "-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace

std::filesystem::path binFolder() {
    const char* bin = std::getenv("KESTROVA_BIN");
    return bin ? std::filesystem::path(bin) : std::filesystem::current_path();
}

std::filesystem::path buildFolder() {
    return binFolder().parent_path();
}

ProgramFolder::ProgramFolder(const std::vector<std::string>& plugins) {
    folder_ = uniqueTemp("kestrova-program");
    runtime_ = uniqueTemp("kestrova-runtime");
    home_ = uniqueTemp("kestrova-home");
    logPath_ = runtime_ / "plugins.log";
    auto bin = binFolder();
    for (auto name : {"kestrova", "libapi.so", "libkestrova-platform.so"})
        std::filesystem::copy_file(bin / name, folder_ / name);
    // The program's own resources (texts, icons) come with it, as installed.
    std::filesystem::create_directories(folder_ / "resources");
    std::filesystem::copy(bin / "resources" / "kestrova", folder_ / "resources" / "kestrova",
                          std::filesystem::copy_options::recursive);
    for (auto& plugin : plugins)
        std::filesystem::copy_file(buildFolder() / "tests" / "shell-plugins" / (plugin + ".so"),
                                   folder_ / (plugin + ".so"));
}

void ProgramFolder::addBuiltPlugin(const std::string& name) {
    auto bin = binFolder();
    std::filesystem::copy_file(bin / (name + ".so"), folder_ / (name + ".so"));
    if (std::filesystem::exists(bin / "resources" / name))
        std::filesystem::copy(bin / "resources" / name, folder_ / "resources" / name,
                              std::filesystem::copy_options::recursive);
}

void ProgramFolder::storeSetting(const std::string& name, const std::string& value) {
    // docs/REGISTRY.md: one "key TAB name TAB value" line each, after the header.
    auto file = home_ / "user.reg";
    bool fresh = !std::filesystem::exists(file);
    std::ofstream out(file, std::ios::app);
    if (fresh) out << "kestrova-registry 1\n";
    out << "SOFTWARE\\\\Kestorva\\\\Settings\t" << name << "\t" << value << "\n";
    out.close();
    std::filesystem::permissions(file,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

ProgramFolder::~ProgramFolder() {
    std::error_code ec;
    for (auto& dir : {folder_, runtime_, home_})
        std::filesystem::remove_all(dir, ec);
}

pid_t ProgramFolder::start(const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env) {
    std::vector<std::string> argv = launcher_;
    argv.push_back((folder_ / "kestrova").string());
    argv.insert(argv.end(), args.begin(), args.end());
    pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        setenv("KESTROVA_HOME", home_.c_str(), 1);
        setenv("KESTROVA_TEST_LOG", logPath_.c_str(), 1);
        unsetenv("KESTROVA_AUTOMATION");
        unsetenv("KESTROVA_TEST_EXIT");
        for (auto& [k, v] : env)
            setenv(k.c_str(), v.c_str(), 1);
        std::vector<char*> raw;
        for (auto& a : argv)
            raw.push_back(a.data());
        raw.push_back(nullptr);
        execvp(raw[0], raw.data());
        _exit(127);
    }
    return pid;
}

int ProgramFolder::wait(pid_t pid) {
    auto until = std::chrono::steady_clock::now() + kPatience;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > until) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int ProgramFolder::run(const std::vector<std::string>& args, const std::map<std::string, std::string>& env) {
    return wait(start(args, env));
}

std::vector<std::string> ProgramFolder::log(std::optional<pid_t> of) const {
    std::ifstream in(logPath_);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        auto space = line.find(' ');
        if (space == std::string::npos) continue;
        if (of && std::stoi(line.substr(0, space)) != *of) continue;
        lines.push_back(line.substr(space + 1));
    }
    return lines;
}

bool ProgramFolder::waitForLogLine(const std::string& text) {
    auto until = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < until) {
        for (auto& line : log())
            if (line.find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string automationRequest(const std::filesystem::path& socket, const std::string& line) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    std::string reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        std::string request = line + "\n";
        if (::write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
            char c;
            while (::read(fd, &c, 1) == 1 && c != '\n')
                reply += c;
        }
    }
    ::close(fd);
    return reply;
}

bool waitForAutomation(const std::filesystem::path& socket) {
    auto until = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < until) {
        if (automationRequest(socket, "ping") == "OK pong") return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

} // namespace shell_testing
