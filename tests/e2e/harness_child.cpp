#include "harness_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace kestrova::e2e {
namespace {

std::string harnessBinary() {
    const char* bin = std::getenv("KESTROVA_BIN");
    return std::string(bin ? bin : ".") + "/kestrova-harness";
}

}  // namespace

HarnessChild::HarnessChild(const std::string& home, uint16_t port, const HarnessAccount& account) {
    std::filesystem::create_directories(home);
    std::string program = harnessBinary();
    std::vector<std::string> args{program, "--server", "127.0.0.1:" + std::to_string(port), "--user", account.user,
                                  "--password", account.password};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int in[2], out[2];
    if (::pipe(in) != 0) return;
    if (::pipe(out) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1]}) ::close(fd);
        ::setenv("KESTROVA_HOME", home.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
}

HarnessChild::~HarnessChild() {
    if (stdin_ >= 0) ::close(stdin_);
    if (stdout_ >= 0) ::close(stdout_);
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void HarnessChild::command(const std::string& line) {
    if (stdin_ < 0) return;
    std::string text = line + "\n";
    for (size_t done = 0; done < text.size();) {
        ssize_t n = ::write(stdin_, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

bool HarnessChild::readSome(std::chrono::milliseconds timeout) {
    if (stdout_ < 0) return false;
    pollfd fd{stdout_, POLLIN, 0};
    int ready = ::poll(&fd, 1, static_cast<int>(timeout.count()));
    if (ready <= 0) return ready == 0;
    char buffer[8192];
    ssize_t n = ::read(stdout_, buffer, sizeof buffer);
    if (n <= 0) {
        ::close(stdout_);
        stdout_ = -1;
        return false;
    }
    partial_.append(buffer, static_cast<size_t>(n));
    for (size_t end; (end = partial_.find('\n')) != std::string::npos; partial_.erase(0, end + 1)) {
        transcript_.push_back(partial_.substr(0, end));
        untaken_.push_back(transcript_.back());
    }
    return true;
}

std::optional<std::string> HarnessChild::waitFor(std::string_view prefix, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        for (auto it = untaken_.begin(); it != untaken_.end(); ++it) {
            if (std::string_view(*it).starts_with(prefix)) {
                std::string line = *it;
                untaken_.erase(it);
                return line;
            }
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !readSome(left)) return std::nullopt;
    }
}

int HarnessChild::quit() {
    command("quit");
    if (stdin_ >= 0) ::close(stdin_);
    stdin_ = -1;
    // Drain the output until it ends so the child never blocks on a full pipe.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (stdout_ >= 0 && std::chrono::steady_clock::now() < deadline) readSome(std::chrono::milliseconds(200));
    if (stdout_ >= 0) ::kill(pid_, SIGKILL);
    int status = 0;
    if (pid_ <= 0 || ::waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string field(const std::string& line, std::string_view name) {
    std::string key = " " + std::string(name) + "=";
    size_t at = line.find(key);
    if (at == std::string::npos) return {};
    at += key.size();
    // The text is the last field and runs to the end of the line.
    size_t end = name == "text" ? std::string::npos : line.find(' ', at);
    return line.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

}  // namespace kestrova::e2e
