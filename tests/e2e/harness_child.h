// kestrova-harness as a child process: a headless client that a test drives
// with command lines and whose event lines it waits for.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kestrova::e2e {

struct HarnessAccount {
    std::string user;
    std::string password;
};

// The demo database (kestrova-server --demo): ann, bob and cat are each
// other's contacts and members of "Demo group", which ann administers.
inline const HarnessAccount kAnn{"ann@example.org", "ann"};
inline const HarnessAccount kBob{"bob@example.org", "bob"};
inline const HarnessAccount kCat{"cat@example.org", "cat"};

class HarnessChild {
public:
    // Starts a client with its own settings folder under `home`, signing in
    // to the server on this loopback port with the account.
    HarnessChild(const std::string& home, uint16_t port, const HarnessAccount& account);
    ~HarnessChild();
    HarnessChild(const HarnessChild&) = delete;
    HarnessChild& operator=(const HarnessChild&) = delete;

    bool running() const { return pid_ > 0; }
    void command(const std::string& line);
    // Takes the first not yet taken line that starts with `prefix`, waiting
    // for it up to `timeout`; nullopt when none came.
    std::optional<std::string> waitFor(std::string_view prefix,
                                       std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // The same, also telling when the line was read from the client's output
    // (before the waiting thread was woken for it).
    std::optional<std::string> waitFor(std::string_view prefix, std::chrono::milliseconds timeout,
                                       std::chrono::steady_clock::time_point& readAt);
    // Every line received so far, taken or not.
    std::vector<std::string> transcript() const;
    // Sends "quit" and waits for the exit; the exit status, or -1.
    int quit();

private:
    // Collects the output as it comes, so the client never waits on a full
    // pipe while the test is busy elsewhere.
    void readOutput(int fd);

    pid_t pid_ = -1;
    int stdin_ = -1;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    bool ended_ = false;
    struct ReadLine {
        std::string text;
        std::chrono::steady_clock::time_point readAt;
    };
    std::deque<ReadLine> untaken_;
    std::vector<std::string> transcript_;
};

// The value of `name=` in an event line (up to the next blank; "text" to
// the end of the line), or "".
std::string field(const std::string& line, std::string_view name);

}  // namespace kestrova::e2e
