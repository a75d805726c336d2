#include "tool_child.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace kestrova::e2e {

ToolChild::ToolChild(const std::vector<std::string>& args, std::string* firstLine) {
    int out[2];
    if (::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        std::vector<char*> argv;
        for (const auto& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    output_ = ::fdopen(out[0], "r");
    if (firstLine && output_) {
        char line[512] = {};
        if (std::fgets(line, sizeof line, output_)) *firstLine = line;
    }
}

ToolChild::~ToolChild() {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
    wait();
    if (output_) std::fclose(output_);
}

int ToolChild::wait() {
    if (pid_ <= 0) return exitCode_;
    int status = 0;
    if (::waitpid(pid_, &status, 0) == pid_) {
        pid_ = -1;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return exitCode_;
}

int listeningPort(const std::string& line) {
    size_t colon = line.rfind(':');
    return colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
}

} // namespace kestrova::e2e
