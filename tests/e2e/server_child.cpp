#include "server_child.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kestrova::e2e {
namespace {

std::vector<char*> argvOf(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

std::string serverBinary() {
    const char* bin = std::getenv("KESTROVA_BIN");
    return std::string(bin ? bin : ".") + "/kestrova-server";
}

int runServerToEnd(const std::vector<std::string>& args) {
    std::string program = serverBinary();
    auto argv = argvOf(program, args);
    pid_t pid = ::fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ServerChild::ServerChild(const std::string& database, uint16_t port, const std::vector<std::string>& extra) {
    std::string program = serverBinary();
    std::vector<std::string> args{"--db", database, "--port", std::to_string(port)};
    args.insert(args.end(), extra.begin(), extra.end());
    auto argv = argvOf(program, args);
    int out[2];
    if (::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    output_ = out[0];
    // It prints "port N" once it listens, possibly after other lines.
    std::string pending;
    char buffer[512];
    for (int lines = 0; lines < 64;) {
        ssize_t n = ::read(output_, buffer, sizeof buffer);
        if (n <= 0) return;
        pending.append(buffer, static_cast<size_t>(n));
        for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1), ++lines) {
            unsigned value = 0;
            if (std::sscanf(pending.substr(0, end).c_str(), "port %u", &value) == 1) {
                port_ = static_cast<uint16_t>(value);
                return;
            }
        }
    }
}

ServerChild::~ServerChild() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) ::close(output_);
}

void ServerChild::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

}  // namespace kestrova::e2e
