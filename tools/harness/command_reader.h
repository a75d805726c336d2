// Reads command lines from standard input on the user-interface thread: the
// message loop watches the descriptor and wakes for it, so a command is
// carried out as soon as its line is there, in order, on the thread that owns
// the core API's objects. End of input is handed over as "quit".
#pragma once

#include <functional>
#include <string>

#include "kestrova/platform/window.h"

namespace kestrova::harness {

class CommandReader {
public:
    using LineHandler = std::function<void(const std::string& line)>;

    // Create on the user-interface thread; `handler` runs there.
    explicit CommandReader(LineHandler handler, int input = 0);
    ~CommandReader();
    CommandReader(const CommandReader&) = delete;
    CommandReader& operator=(const CommandReader&) = delete;

private:
    void readAvailable();
    // False once "quit" or the end was handed over: nothing more is read.
    bool handOver(std::string line);
    static platform::LResult windowProc(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                        platform::LParam lParam);

    LineHandler handler_;
    int input_;
    platform::HWND window_ = nullptr;
    std::string pending_;  // the start of a line whose end has not come yet
    bool ended_ = false;
};

}  // namespace kestrova::harness
