#include "kestrova/platform/instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/paths.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform {
namespace {

constexpr char kClass[] = "KestrovaInstance";
constexpr uint32_t kDeliver = WM_APP + 0x7A1;
constexpr size_t kMaxLine = 4096;

bool fillAddress(const std::filesystem::path& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address.sun_path) return false;
    std::strcpy(address.sun_path, path.c_str());
    return true;
}

std::filesystem::path socketPathOf(const std::string& name) {
    return runtimeFolder() / (name + ".socket");
}

} // namespace

struct InstanceLock::Listener {
    int socket = -1;
    int stopPipe[2] = {-1, -1};
    UniqueWindow window;
    std::function<void(const std::string&)> onMessage;
    std::thread thread;
    std::mutex mutex;
    std::deque<std::string> lines;

    static LResult proc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
        if (message != kDeliver) return defWindowProc(hwnd, message, wParam, lParam);
        auto* self = reinterpret_cast<Listener*>(userData(hwnd));
        if (!self) return 0;
        std::deque<std::string> lines;
        {
            std::lock_guard lock(self->mutex);
            lines.swap(self->lines);
        }
        for (auto& line : lines)
            if (self->onMessage) self->onMessage(line);
        return 0;
    }

    void readClient(int client) {
        std::string line;
        char c;
        while (line.size() < kMaxLine && ::read(client, &c, 1) == 1 && c != '\n')
            line += c;
        {
            std::lock_guard lock(mutex);
            lines.push_back(std::move(line));
        }
        postMessage(window.get(), kDeliver);
    }

    void run() {
        for (;;) {
            pollfd fds[2] = {{socket, POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 || fds[1].revents) return;
            int client = ::accept(socket, nullptr, nullptr);
            if (client < 0) continue;
            // A stuck peer must not hold up the next start.
            timeval timeout{2, 0};
            ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
            readClient(client);
            ::close(client);
        }
    }

    ~Listener() {
        if (thread.joinable()) {
            if (::write(stopPipe[1], "x", 1) < 0) {
            }
            thread.join();
        }
        if (socket >= 0) ::close(socket);
        if (stopPipe[0] >= 0) ::close(stopPipe[0]);
        if (stopPipe[1] >= 0) ::close(stopPipe[1]);
    }
};

InstanceLock::InstanceLock(const std::string& name)
    : lockPath_(runtimeFolder() / (name + ".lock")), socketPath_(socketPathOf(name)) {
    std::filesystem::path folder = runtimeFolder();
    std::error_code ec;
    if (std::filesystem::create_directories(folder, ec)) ::chmod(folder.c_str(), 0700);
    struct stat info {};
    // NOTE: a folder someone else owns could hold a lock or a socket of theirs
    // that we would take for a running copy of ours.
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        failure_ = "the runtime folder " + folder.string() + " cannot be used";
        return;
    }
    if (info.st_uid != ::getuid()) {
        failure_ = "the runtime folder " + folder.string() + " belongs to another user";
        return;
    }
    fd_ = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        failure_ = "cannot create " + lockPath_.string() + ": " + std::strerror(errno);
        return;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        owner_ = true;
        return;
    }
    if (errno != EWOULDBLOCK) failure_ = "cannot lock " + lockPath_.string() + ": " + std::strerror(errno);
}

InstanceLock::~InstanceLock() {
    listener_.reset();
    if (owner_) {
        std::error_code ec;
        std::filesystem::remove(socketPath_, ec);
    }
    if (fd_ >= 0) ::close(fd_);
}

bool InstanceLock::listen(std::function<void(const std::string&)> onMessage) {
    if (!owner_ || listener_) return false;
    sockaddr_un address;
    if (!fillAddress(socketPath_, address)) return false;
    auto l = std::make_unique<Listener>();
    std::error_code ec;
    std::filesystem::remove(socketPath_, ec); // left by a copy that crashed
    l->socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (l->socket < 0 || ::bind(l->socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(l->socket, 4) != 0 || ::pipe(l->stopPipe) != 0)
        return false;
    registerClass({kClass, &Listener::proc, 0, std::nullopt});
    l->window.reset(createWindow({kClass, "", 0, {}, nullptr, nullptr, 0, nullptr}));
    setUserData(l->window.get(), reinterpret_cast<intptr_t>(l.get()));
    l->onMessage = std::move(onMessage);
    l->thread = std::thread([raw = l.get()] { raw->run(); });
    listener_ = std::move(l);
    return true;
}

bool sendToRunningInstance(const std::string& name, const std::string& line) {
    sockaddr_un address;
    if (!fillAddress(socketPathOf(name), address)) return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    std::string data = line + "\n";
    ok = ok && ::write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
    ::close(fd);
    return ok;
}

} // namespace kestrova::platform
