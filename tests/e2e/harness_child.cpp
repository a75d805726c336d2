#include "harness_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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
    reader_ = std::thread([this, fd = out[0]] { readOutput(fd); });
}

HarnessChild::~HarnessChild() {
    if (stdin_ >= 0) ::close(stdin_);
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (reader_.joinable()) reader_.join();
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

void HarnessChild::readOutput(int fd) {
    std::string partial;
    char buffer[8192];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        auto readAt = std::chrono::steady_clock::now();
        partial.append(buffer, static_cast<size_t>(n));
        std::lock_guard lock(mutex_);
        for (size_t end; (end = partial.find('\n')) != std::string::npos; partial.erase(0, end + 1)) {
            transcript_.push_back(partial.substr(0, end));
            untaken_.push_back({transcript_.back(), readAt});
        }
        arrived_.notify_all();
    }
    ::close(fd);
    std::lock_guard lock(mutex_);
    ended_ = true;
    arrived_.notify_all();
}

std::vector<std::string> HarnessChild::transcript() const {
    std::lock_guard lock(mutex_);
    return transcript_;
}

std::optional<std::string> HarnessChild::waitFor(std::string_view prefix, std::chrono::milliseconds timeout) {
    std::chrono::steady_clock::time_point readAt;
    return waitFor(prefix, timeout, readAt);
}

std::optional<std::string> HarnessChild::waitFor(std::string_view prefix, std::chrono::milliseconds timeout,
                                                 std::chrono::steady_clock::time_point& readAt) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(mutex_);
    for (bool last = false;; ) {
        auto match = std::find_if(untaken_.begin(), untaken_.end(),
                                  [prefix](const ReadLine& line) { return line.text.starts_with(prefix); });
        if (match != untaken_.end()) {
            std::string line = std::move(match->text);
            readAt = match->readAt;
            untaken_.erase(match);
            return line;
        }
        if (last) return std::nullopt;
        // After the end of the output or the deadline, one more look.
        last = ended_ || arrived_.wait_until(lock, deadline) == std::cv_status::timeout;
    }
}

int HarnessChild::quit() {
    command("quit");
    if (stdin_ >= 0) ::close(stdin_);
    stdin_ = -1;
    {
        std::unique_lock lock(mutex_);
        if (!arrived_.wait_for(lock, std::chrono::seconds(20), [this] { return ended_; })) ::kill(pid_, SIGKILL);
    }
    int status = 0;
    if (pid_ <= 0 || ::waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    if (reader_.joinable()) reader_.join();
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
