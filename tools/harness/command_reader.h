// Reads command lines from standard input on a thread of its own and hands
// each one to the user-interface thread through a hidden window, waiting
// until it was handled, so commands run in order and on the thread that owns
// the core API's objects. End of input is handed over as "quit".
#pragma once

#include <functional>
#include <string>
#include <thread>

#include "kestrova/platform/window.h"

namespace kestrova::harness {

class CommandReader {
public:
    using LineHandler = std::function<void(const std::string& line)>;

    // Create on the user-interface thread; `handler` runs there.
    explicit CommandReader(LineHandler handler);
    ~CommandReader();
    CommandReader(const CommandReader&) = delete;
    CommandReader& operator=(const CommandReader&) = delete;

private:
    void readLoop();
    static platform::LResult windowProc(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                        platform::LParam lParam);

    LineHandler handler_;
    // Destroyed windows' handles are never reused: a send after the end
    // simply returns 0.
    platform::HWND window_ = nullptr;
    int stopPipe_[2] = {-1, -1};  // written to when the reader must end
    std::thread thread_;
};

}  // namespace kestrova::harness
