#include "text_input.h"

#include <map>

#include "kestrova/platform/controls.h"
#include "kestrova/platform/dc.h"
#include "kestrova/platform/input.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/text.h"
#include "texts.h"

namespace kestrova::messaging {

using namespace kestrova::platform;

namespace {

constexpr Colour kCueColour = rgb(224, 224, 224);
constexpr char kNotConverted[] = "** could not convert to multi-byte **";

// The edits taken over, by window: the edit keeps its own state in its user
// data, so this object is found here.
std::map<HWND, TextInput*>& inputs() {
    static std::map<HWND, TextInput*> map;
    return map;
}

bool endsSentence(WParam c) {
    return c == '!' || c == '.' || c == '?';
}

} // namespace

std::string textMessageBody(const std::string& typed) {
    return isValidUtf8(typed) ? typed : kNotConverted;
}

TextInput::~TextInput() {
    if (isWindow(hwnd_)) {
        setWindowProc(hwnd_, original_);
        inputs().erase(hwnd_);
        destroyWindow(hwnd_);
    }
}

bool TextInput::create(HWND parent, const Rect& rect, uintptr_t controlId, const Font& cueFont) {
    cueFont_ = &cueFont;
    hwnd_ = createControl(kCapEditClass, "", WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL, rect,
                          parent, controlId);
    if (!hwnd_) return false;
    inputs()[hwnd_] = this;
    original_ = setWindowProc(hwnd_, &TextInput::proc);
    sendMessage(hwnd_, EM_SETINPUTMODE, 0, kInputText);
    sendMessage(hwnd_, CEM_ENABLEUPCASE, 1, 0);
    return true;
}

std::string TextInput::text() const {
    return windowText(hwnd_);
}
bool TextInput::empty() const {
    return windowText(hwnd_).empty();
}
// Through the edit's own message: it keeps the text it shows.
void TextInput::clear() {
    sendMessage(hwnd_, WM_SETTEXT, 0, reinterpret_cast<LParam>(""));
}

LResult TextInput::proc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    auto it = inputs().find(hwnd);
    if (it == inputs().end()) return defWindowProc(hwnd, message, wParam, lParam);
    TextInput& input = *it->second;
    if (message == WM_NCDESTROY) {
        WindowProc original = input.original_;
        inputs().erase(it);
        input.hwnd_ = nullptr;
        return original(hwnd, message, wParam, lParam);
    }
    return input.handle(message, wParam, lParam);
}

LResult TextInput::passOn(uint32_t message, WParam wParam, LParam lParam) {
    return original_(hwnd_, message, wParam, lParam);
}

LResult TextInput::handle(uint32_t message, WParam wParam, LParam lParam) {
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (onKey(static_cast<uint32_t>(wParam), wParam, lParam)) return 0;
        break;
    case WM_CHAR: {
        // The line break comes from Shift+Enter only, never from the character.
        if (wParam == '\r' || wParam == '\n') return 0;
        HWND self = hwnd_;
        LResult result = passOn(message, wParam, lParam);
        if (!isWindow(self)) return result;
        if (endsSentence(wParam))
            sendMessage(self, CEM_UPCASENEXTWORD, 1, 0);
        else if (wParam != ' ')
            postMessage(self, CEM_UPCASENEXTWORD, 0, 0);
        return result;
    }
    case WM_PAINT: {
        LResult result = passOn(message, wParam, lParam);
        paintCue();
        return result;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        LResult result = passOn(message, wParam, lParam);
        invalidateRect(hwnd_, nullptr, true);
        return result;
    }
    default:
        break;
    }
    return passOn(message, wParam, lParam);
}

// True when the key was dealt with here.
bool TextInput::onKey(uint32_t key, WParam wParam, LParam lParam) {
    HWND parent = parentOf(hwnd_);
    switch (key) {
    case VK_RETURN:
        if (keyIsDown(VK_SHIFT))
            sendMessage(hwnd_, EM_REPLACESEL, 1, reinterpret_cast<LParam>("\r\n"));
        else if (!keyIsDown(VK_CONTROL))
            sendMessage(parent, WM_COMMAND, makeWParam(kSendCommand, 0), 0);
        return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_ESCAPE:
    case VK_BACK:
        // With text these move the caret or delete; empty, they are the chat
        // window's (another input mode; Back closes the chat).
        if (!empty()) return false;
        sendMessage(parent, WM_KEYDOWN, wParam, lParam);
        return true;
    case VK_UP:
        if (sendMessage(hwnd_, EM_LINEFROMCHAR, static_cast<WParam>(-1), 0) != 0) return false;
        sendMessage(parent, WM_NEXTDLGCTL, 1, 0);
        return true;
    case VK_DOWN: {
        LResult line = sendMessage(hwnd_, EM_LINEFROMCHAR, static_cast<WParam>(-1), 0);
        if (line + 1 < sendMessage(hwnd_, EM_GETLINECOUNT, 0, 0)) return false;
        sendMessage(parent, WM_NEXTDLGCTL, 0, 0);
        return true;
    }
    default:
        return false;
    }
}

void TextInput::paintCue() {
    if (!empty() || focusWindow() == hwnd_) return;
    WindowDC window(hwnd_);
    DeviceContext& dc = window.dc();
    dc.selectFont(*cueFont_);
    dc.setTextColour(kCueColour);
    Rect client = clientRect(hwnd_);
    dc.drawText(messaging::text(texts::kTypeMessageHere), client.inset(3, 2),
                DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
}

} // namespace kestrova::messaging
