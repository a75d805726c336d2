#include "program_child.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace kestrova::e2e {
namespace {

using namespace std::chrono_literals;

std::filesystem::path binFolder() {
    const char* bin = std::getenv("KESTROVA_BIN");
    return bin ? std::filesystem::path(bin) : std::filesystem::current_path();
}

// The settings that sign the program in by itself (docs/SIGN_IN.md). Written
// only when the folder is new: a restarted program keeps what it saved.
void writeSignInSettings(const std::filesystem::path& home, uint16_t port, const HarnessAccount& account) {
    std::filesystem::path file = home / "user.reg";
    if (std::filesystem::exists(file)) return;
    std::ofstream out(file);
    out << "kestrova-registry 1\n";
    auto value = [&](const std::string& name, const std::string& text) {
        out << "SOFTWARE\\\\Kestorva\\\\Settings\t" << name << "\t" << text << "\n";
    };
    value("connection.user", account.user);
    value("connection.pass", account.password);
    value("Connection/AutoSignIn", "1");
    value("Connection/Servers/List", "127.0.0.1:" + std::to_string(port));
}

// One request on a fresh connection: the program serves one client at a time
// per command, and a connection per request survives the program's restarts.
std::string exchange(const std::filesystem::path& socket, const std::string& line) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return "";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    std::string reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        std::string request = line + "\n";
        if (::write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
            char buffer[4096];
            for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
                reply.append(buffer, static_cast<size_t>(n));
                if (reply.back() == '\n') break;
            }
        }
    }
    ::close(fd);
    if (!reply.empty() && reply.back() == '\n') reply.pop_back();
    return reply;
}

} // namespace

ProgramChild::ProgramChild(const std::filesystem::path& root, uint16_t port, const HarnessAccount& account,
                           ProgramOptions options) {
    std::filesystem::path home = root / "home", runtime = root / "run";
    std::filesystem::create_directories(home);
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    writeSignInSettings(home, port, account);
    socket_ = runtime / "automation.socket";
    std::filesystem::remove(socket_);

    std::filesystem::path folder = options.folder.empty() ? binFolder() : options.folder;
    std::vector<std::string> args{(folder / "kestrova").string(), "--display", "headless"};
    if (!options.screen.empty()) {
        args.push_back("--screen");
        args.push_back(options.screen);
    }
    args.insert(args.end(), options.extraArguments.begin(), options.extraArguments.end());
    args.push_back("--automation");
    args.push_back(socket_.string());
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setenv("KESTROVA_HOME", home.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        ::unsetenv("KESTROVA_AUTOMATION");
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        if (!options.waveOut.empty()) {
            ::setenv("KESTROVA_AUDIO", "wav", 1);
            ::setenv("KESTROVA_WAVE_OUT", options.waveOut.c_str(), 1);
        } else {
            ::setenv("KESTROVA_AUDIO", "null", 1);
        }
        for (auto& [name, value] : options.environment)
            ::setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    auto until = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < until) {
        if (exchange(socket_, "ping") == "OK pong") {
            ready_ = true;
            break;
        }
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
}

ProgramChild::~ProgramChild() {
    kill();
}

std::string ProgramChild::request(const std::string& line) {
    return pid_ > 0 ? exchange(socket_, line) : "";
}

std::string ProgramChild::waitFor(const std::string& line,
                                  const std::function<bool(const std::string&)>& check,
                                  std::chrono::milliseconds timeout) {
    auto until = std::chrono::steady_clock::now() + timeout;
    std::string reply;
    do {
        reply = request(line);
        if (check(reply)) return reply;
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < until);
    return reply;
}

bool ProgramChild::waitUntilContains(const std::string& line, const std::string& expected,
                                     std::chrono::milliseconds timeout) {
    std::string reply = waitFor(
        line, [&](const std::string& r) { return r.find(expected) != std::string::npos; }, timeout);
    return reply.find(expected) != std::string::npos;
}

int ProgramChild::quit() {
    if (pid_ <= 0) return -1;
    std::string main = okValue(request("find title=Kestrova"));
    // Signed in, the program asks before it exits.
    request("answer yes");
    if (!main.empty()) request("close " + main);
    auto until = std::chrono::steady_clock::now() + 60s;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > until) {
            kill();
            return -1;
        }
        std::this_thread::sleep_for(20ms);
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ProgramChild::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::filesystem::path makeProgramFolder(const std::filesystem::path& at,
                                        const std::vector<std::filesystem::path>& extraPlugins) {
    std::filesystem::create_directories(at);
    std::filesystem::path bin = binFolder();
    for (const char* name :
         {"kestrova", "libapi.so", "libkestrova-platform.so", "connection.so", "messaging.so"})
        std::filesystem::copy_file(bin / name, at / name, std::filesystem::copy_options::overwrite_existing);
    if (!std::filesystem::exists(at / "resources"))
        std::filesystem::create_directory_symlink(bin / "resources", at / "resources");
    for (const std::filesystem::path& plugin : extraPlugins)
        std::filesystem::copy_file(plugin, at / plugin.filename(),
                                   std::filesystem::copy_options::overwrite_existing);
    return at;
}

std::string okValue(const std::string& reply) {
    return reply.starts_with("OK ") ? reply.substr(3) : "";
}

std::vector<std::string> quotedWords(const std::string& reply) {
    std::vector<std::string> words;
    for (size_t i = 0; i < reply.size(); ++i) {
        if (reply[i] != '"') continue;
        std::string word;
        for (++i; i < reply.size() && reply[i] != '"'; ++i) {
            if (reply[i] == '\\' && i + 1 < reply.size()) {
                ++i;
                word += reply[i] == 'n' ? '\n' : reply[i];
            } else {
                word += reply[i];
            }
        }
        words.push_back(word);
    }
    return words;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

} // namespace kestrova::e2e
