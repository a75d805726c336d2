#include "command_reader.h"

#include <poll.h>
#include <unistd.h>

#include "kestrova/platform/message_loop.h"

namespace kestrova::harness {
namespace {

constexpr uint32_t kCommandLine = 0x8100;
constexpr const char kClassName[] = "KESTROVA_HARNESS_INPUT";
// A line longer than this is not a command; it is cut off.
constexpr size_t kMaxLine = 1 << 20;

}  // namespace

CommandReader::CommandReader(LineHandler handler) : handler_(std::move(handler)) {
    if (!platform::isClassRegistered(kClassName)) platform::registerClass({kClassName, &windowProc, 0, std::nullopt});
    platform::CreateParams params;
    params.className = kClassName;
    params.style = platform::WS_POPUP;
    window_ = platform::createWindow(params);
    platform::setUserData(window_, reinterpret_cast<intptr_t>(this));
    if (::pipe(stopPipe_) != 0) stopPipe_[0] = stopPipe_[1] = -1;
    thread_ = std::thread([this] { readLoop(); });
}

platform::LResult CommandReader::windowProc(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                           platform::LParam lParam) {
    auto* self = reinterpret_cast<CommandReader*>(platform::userData(hwnd));
    if (message != kCommandLine || !self) return platform::defWindowProc(hwnd, message, wParam, lParam);
    self->handler_(*reinterpret_cast<const std::string*>(lParam));
    return 1;
}

CommandReader::~CommandReader() {
    platform::destroyWindow(window_);
    if (stopPipe_[1] >= 0) (void)!::write(stopPipe_[1], "x", 1);
    // Looking at the queue answers a send that is waiting (with 0, the window
    // being gone), so the reader can be joined.
    platform::Msg msg;
    platform::peekMessage(msg, false);
    if (thread_.joinable()) thread_.join();
    for (int fd : stopPipe_)
        if (fd >= 0) ::close(fd);
}

void CommandReader::readLoop() {
    std::string pending;
    auto handOver = [this](std::string line) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) return true;
        return platform::sendMessage(window_, kCommandLine, 0, reinterpret_cast<intptr_t>(&line)) != 0;
    };
    char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (::poll(fds, stopPipe_[0] >= 0 ? 2 : 1, -1) < 0) continue;
        if (fds[1].revents) return;
        ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) break;
        pending.append(buffer, static_cast<size_t>(got));
        size_t start = 0;
        for (size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string line = pending.substr(start, end - start);
            // Nothing after "quit" is read: the program is ending.
            if (!handOver(line) || line == "quit") return;
        }
        pending.erase(0, start);
        if (pending.size() > kMaxLine) pending.resize(kMaxLine);
    }
    if (!pending.empty() && !handOver(pending)) return;
    handOver("quit");
}

}  // namespace kestrova::harness
