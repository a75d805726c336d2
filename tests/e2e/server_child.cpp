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

ServerChild::ServerChild(const std::string& database, uint16_t port) {
    std::string program = serverBinary();
    std::vector<std::string> args{"--db", database, "--port", std::to_string(port)};
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
    // The first line it prints is "port N".
    FILE* stream = ::fdopen(out[0], "r");
    char line[64] = {};
    unsigned value = 0;
    if (stream && std::fgets(line, sizeof line, stream) && std::sscanf(line, "port %u", &value) == 1)
        port_ = static_cast<uint16_t>(value);
    if (stream) std::fclose(stream);
}

ServerChild::~ServerChild() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
}

void ServerChild::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

}  // namespace kestrova::e2e
