#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "kestrova/platform/automation.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform {

namespace {

constexpr char kClass[] = "KestrovaAutomation";
constexpr uint32_t kRunCommand = WM_APP + 0x7A0;
constexpr size_t kMaxLine = 64 * 1024;

struct Request {
    const std::string* line;
    std::string reply;
};

} // namespace

struct AutomationServer::Impl {
    std::filesystem::path path;
    int listener = -1;
    int stopPipe[2] = {-1, -1};
    UniqueWindow window;
    ModalAnswers answers{true};
    std::thread thread;
    std::atomic<bool> finished{false};

    static LResult proc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
        if (message == kRunCommand) {
            auto* impl = reinterpret_cast<Impl*>(userData(hwnd));
            auto* request = reinterpret_cast<Request*>(lParam);
            if (impl) request->reply = runAutomationCommand(*request->line, impl->answers);
            return 1;
        }
        return defWindowProc(hwnd, message, wParam, lParam);
    }

    void serve(int client) {
        std::string buffer;
        char chunk[4096];
        for (;;) {
            pollfd fds[2] = {{client, POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 || fds[1].revents) return;
            ssize_t n = ::read(client, chunk, sizeof chunk);
            if (n <= 0) return;
            buffer.append(chunk, static_cast<size_t>(n));
            if (buffer.size() > kMaxLine && buffer.find('\n') == std::string::npos) return;
            size_t eol;
            while ((eol = buffer.find('\n')) != std::string::npos) {
                std::string line = buffer.substr(0, eol);
                buffer.erase(0, eol + 1);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                Request request{&line, {}};
                if (!sendMessage(window.get(), kRunCommand, 0, reinterpret_cast<LParam>(&request)))
                    request.reply = "ERR program is closing";
                request.reply += "\n";
                if (::write(client, request.reply.data(), request.reply.size()) < 0) return;
            }
        }
    }

    void acceptLoop() {
        for (;;) {
            pollfd fds[2] = {{listener, POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 || fds[1].revents) return;
            int client = ::accept(listener, nullptr, nullptr);
            if (client < 0) continue;
            serve(client);
            ::close(client);
        }
    }
};

namespace {

// True when the path is free for our socket: nothing is there, or a socket
// nobody listens on any more (left by a copy that crashed), which is removed.
// Anything else is somebody's file, or a live server, and is left alone.
bool clearStaleSocket(const std::filesystem::path& path, const sockaddr_un& address) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT;
    if (!S_ISSOCK(info.st_mode)) return false;
    int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) return false;
    bool live = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    return !live && ::unlink(path.c_str()) == 0;
}

} // namespace

std::unique_ptr<AutomationServer> AutomationServer::start(const std::filesystem::path& socketPath) {
    auto impl = std::make_unique<Impl>();
    impl->path = socketPath;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.native().size() >= sizeof address.sun_path) return nullptr;
    std::strcpy(address.sun_path, socketPath.c_str());
    if (!clearStaleSocket(socketPath, address)) return nullptr;
    impl->listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (impl->listener < 0) return nullptr;
    if (::bind(impl->listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(impl->listener, 4) != 0 || ::pipe(impl->stopPipe) != 0) {
        ::close(impl->listener);
        return nullptr;
    }
    registerClass({kClass, &Impl::proc, 0, std::nullopt});
    impl->window.reset(createWindow({kClass, "", 0, {}, nullptr, nullptr, 0, nullptr}));
    setUserData(impl->window.get(), reinterpret_cast<intptr_t>(impl.get()));
    impl->thread = std::thread([raw = impl.get()] {
        raw->acceptLoop();
        raw->finished = true;
    });
    return std::unique_ptr<AutomationServer>(new AutomationServer(std::move(impl)));
}

AutomationServer::AutomationServer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

AutomationServer::~AutomationServer() {
    if (::write(impl_->stopPipe[1], "x", 1) < 0) {
    }
    // The worker may be waiting in a send to our window; destroying the
    // window first makes that send return.
    setUserData(impl_->window.get(), 0);
    impl_->window.reset();
    while (!impl_->finished) {
        pumpPendingMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (impl_->thread.joinable()) impl_->thread.join();
    ::close(impl_->listener);
    ::close(impl_->stopPipe[0]);
    ::close(impl_->stopPipe[1]);
    std::error_code ec;
    std::filesystem::remove(impl_->path, ec);
}

const std::filesystem::path& AutomationServer::path() const {
    return impl_->path;
}

} // namespace kestrova::platform
