#include "prosody.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace kestrova::server::testing {
namespace {

std::string findProgram(const char* name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= dirs.size();) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::filesystem::path candidate = std::filesystem::path(dirs.substr(start, end - start)) / name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
        start = end + 1;
    }
    return {};
}

pid_t spawn(const std::vector<std::string>& argv, const std::string& log) {
    pid_t pid = ::fork();
    if (pid != 0) return pid;
    int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (out >= 0) {
        ::dup2(out, 1);
        ::dup2(out, 2);
    }
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
}

std::string tail(const std::string& file) {
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.size() > 2000 ? text.substr(text.size() - 2000) : text;
}

bool accepts(uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

std::string config(const std::string& folder, uint16_t port) {
    return "run_as_root = true\n" // a CI machine may run the tests as root
           "daemonize = false\n"
           "pidfile = \"" +
           folder +
           "/prosody.pid\"\n"
           "data_path = \"" +
           folder +
           "/data\"\n"
           "log = { debug = \"" +
           folder +
           "/prosody.log\" }\n"
           "plugin_paths = {}\n"
           "modules_enabled = { \"roster\"; \"saslauth\"; \"disco\"; \"presence\"; \"message\"; \"iq\"; "
           "\"offline\"; \"ping\"; \"posix\" }\n"
           "modules_disabled = { \"s2s\"; \"tls\" }\n"
           "c2s_ports = { " +
           std::to_string(port) +
           " }\n"
           "c2s_interfaces = { \"127.0.0.1\" }\n"
           "s2s_ports = {}\nhttp_ports = {}\nhttps_ports = {}\ncomponent_ports = {}\n"
           "c2s_require_encryption = false\n"
           "allow_unencrypted_plain_auth = true\n"
           "authentication = \"internal_plain\"\n"
           "storage = \"internal\"\n"
           "VirtualHost \"localhost\"\n"
           "Component \"conference.localhost\" \"muc\"\n"
           "    muc_room_locking = false\n";
}

} // namespace

uint16_t unusedLoopbackPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

std::unique_ptr<Prosody> Prosody::start(const std::vector<std::pair<std::string, std::string>>& accounts,
                                        std::string& why) {
    std::string prosody = findProgram("prosody");
    std::string prosodyctl = findProgram("prosodyctl");
    if (prosody.empty() || prosodyctl.empty()) {
        why = "prosody is not installed (Debian package prosody)";
        return nullptr;
    }
    std::unique_ptr<Prosody> server(new Prosody);
    char folder[] = "/tmp/kestrova-prosody-XXXXXX";
    if (!::mkdtemp(folder)) {
        why = "no temporary folder";
        return nullptr;
    }
    server->folder_ = folder;
    std::filesystem::create_directories(server->folder_ + "/data");
    server->port_ = unusedLoopbackPort();
    std::string configFile = server->folder_ + "/prosody.cfg.lua";
    std::ofstream(configFile) << config(server->folder_, server->port_);
    std::string log = server->folder_ + "/prosody.out";
    for (const auto& [user, password] : accounts) {
        pid_t pid = spawn({prosodyctl, "--config", configFile, "register", user, kDomain, password}, log);
        int status = 0;
        if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            why = "prosodyctl could not create the account " + user + ": " + tail(log);
            return nullptr;
        }
    }
    server->pid_ = spawn({prosody, "--config", configFile, "-F"}, log);
    // Ready when it accepts connections; a prosody that dies says so at once.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!accepts(server->port_)) {
        int status = 0;
        bool exited = ::waitpid(server->pid_, &status, WNOHANG) == server->pid_;
        if (exited || std::chrono::steady_clock::now() > deadline) {
            if (!exited) {
                ::kill(server->pid_, SIGTERM);
                ::waitpid(server->pid_, &status, 0);
            }
            server->pid_ = -1;
            why = "prosody did not start: " + tail(log);
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return server;
}

Prosody::~Prosody() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

} // namespace kestrova::server::testing
