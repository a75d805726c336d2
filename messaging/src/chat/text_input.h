// The text input of a chat window: the platform's capitalising multi-line
// edit ("CAPEDIT"), taken over for what a chat needs. Enter sends;
// Shift+Enter breaks the line; Ctrl+Enter does nothing. Left and Right change
// the input mode while the field is empty, Up on the first line goes to the
// messages, Back in an empty field closes the chat. A sentence's end makes
// the next word start with a capital. Empty and without the focus, it shows
// "Type Message Here" in light grey.
#pragma once

#include <string>

#include "kestrova/platform/dc.h"
#include "kestrova/platform/window.h"

namespace kestrova::messaging {

class TextInput {
  public:
    // What the chat window hears: command 102, "send what was typed".
    static constexpr int kSendCommand = 102;

    TextInput() = default;
    ~TextInput();
    TextInput(const TextInput&) = delete;
    TextInput& operator=(const TextInput&) = delete;

    bool create(platform::HWND parent, const platform::Rect& rect, uintptr_t controlId,
                const platform::Font& cueFont);
    platform::HWND hwnd() const { return hwnd_; }

    std::string text() const;
    void clear();
    bool empty() const;

  private:
    static platform::LResult proc(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                  platform::LParam lParam);
    platform::LResult handle(uint32_t message, platform::WParam wParam, platform::LParam lParam);
    platform::LResult passOn(uint32_t message, platform::WParam wParam, platform::LParam lParam);
    bool onKey(uint32_t key, platform::WParam wParam, platform::LParam lParam);
    void paintCue();

    platform::HWND hwnd_ = nullptr;
    platform::WindowProc original_ = nullptr;
    const platform::Font* cueFont_ = nullptr;
};

// The body of a text message as typed; the system's fixed text when it is
// not valid UTF-8.
std::string textMessageBody(const std::string& typed);

} // namespace kestrova::messaging
