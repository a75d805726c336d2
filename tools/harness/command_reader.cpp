#include "command_reader.h"

#include <unistd.h>

#include <cerrno>

#include "kestrova/platform/message_loop.h"

namespace kestrova::harness {
namespace {

constexpr uint32_t kInputReadable = 0x8100;
constexpr const char kClassName[] = "KESTROVA_HARNESS_INPUT";
// A line longer than this is not a command; it is cut off.
constexpr size_t kMaxLine = 1 << 20;

}  // namespace

CommandReader::CommandReader(LineHandler handler, int input) : handler_(std::move(handler)), input_(input) {
    if (!platform::isClassRegistered(kClassName)) platform::registerClass({kClassName, &windowProc, 0, std::nullopt});
    platform::CreateParams params;
    params.className = kClassName;
    params.style = platform::WS_POPUP;
    window_ = platform::createWindow(params);
    platform::setUserData(window_, reinterpret_cast<intptr_t>(this));
    platform::watchReadable(window_, input_, kInputReadable);
}

CommandReader::~CommandReader() { platform::destroyWindow(window_); }

platform::LResult CommandReader::windowProc(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                           platform::LParam lParam) {
    auto* self = reinterpret_cast<CommandReader*>(platform::userData(hwnd));
    if (message != kInputReadable || !self) return platform::defWindowProc(hwnd, message, wParam, lParam);
    self->readAvailable();
    return 1;
}

void CommandReader::readAvailable() {
    // NOTE: a command may run a loop of its own; the input is not looked at
    // again until this read's lines were all carried out, so commands never
    // overtake or nest in each other.
    platform::unwatchReadable(window_, input_);
    char buffer[4096];
    ssize_t got = ::read(input_, buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
        platform::watchReadable(window_, input_, kInputReadable);
        return;
    }
    if (got <= 0) {
        if (!pending_.empty() && !handOver(std::move(pending_))) return;
        handOver("quit");
        return;
    }
    pending_.append(buffer, static_cast<size_t>(got));
    size_t start = 0;
    for (size_t end; (end = pending_.find('\n', start)) != std::string::npos; start = end + 1)
        if (!handOver(pending_.substr(start, end - start))) return;
    pending_.erase(0, start);
    if (pending_.size() > kMaxLine) pending_.resize(kMaxLine);
    platform::watchReadable(window_, input_, kInputReadable);
}

bool CommandReader::handOver(std::string line) {
    if (ended_) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) return true;
    // Nothing after "quit" is read: the program is ending.
    ended_ = line == "quit";
    handler_(line);
    return !ended_;
}

}  // namespace kestrova::harness
