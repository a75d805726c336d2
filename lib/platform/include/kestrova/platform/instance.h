// One running copy per user session: a lock file in the runtime folder and a
// Unix socket on which the running copy hears from later starts.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace kestrova::platform {

class InstanceLock {
public:
    // Opens (or creates) the named lock. alreadyExisted() tells whether
    // another process holds it. The holder listens for activation messages.
    explicit InstanceLock(const std::string& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True only when another process holds the lock; a lock that could not
    // be made at all is a failure(), never a running copy.
    bool alreadyExisted() const { return !owner_ && failure_.empty(); }
    // Why the lock could not be made (an unusable runtime folder, one owned
    // by another user); empty when it was.
    const std::string& failure() const { return failure_; }
    // The holder: each line received is handed to onMessage on the thread
    // that calls listen (as a posted message; the platform window system
    // carries it). Call once, on the user-interface thread.
    bool listen(std::function<void(const std::string&)> onMessage);

    struct Listener;

private:
    std::filesystem::path lockPath_;
    std::filesystem::path socketPath_;
    int fd_ = -1;
    bool owner_ = false;
    std::string failure_;
    std::unique_ptr<Listener> listener_;
};

// Sends one line to the holder of the named lock; false when nobody listens.
bool sendToRunningInstance(const std::string& name, const std::string& line);

}  // namespace kestrova::platform
