#include "kestrova/platform/message_box.h"

#include "devices/display_internal.h"
#include "kestrova/platform/dc.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/modal.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"

namespace kestrova::platform {
namespace {

constexpr char kClass[] = "KestrovaMessageBox";

struct BoxSession {
    std::string text;
    uint32_t style;
    int result = 0;
    bool done = false;
};

uint32_t buttonsOf(uint32_t style) { return style & 0xF; }

int backAnswer(uint32_t style) {
    switch (buttonsOf(style)) {
    case MB_OK: return IDOK;
    case MB_YESNO: return IDNO;
    default: return IDCANCEL;
    }
}

int enterAnswer(uint32_t style) {
    bool second = style & MB_DEFBUTTON2;
    switch (buttonsOf(style)) {
    case MB_OK: return IDOK;
    case MB_OKCANCEL: return second ? IDCANCEL : IDOK;
    default: return second ? IDNO : IDYES;
    }
}

SoftKeyBar barFor(uint32_t style) {
    switch (buttonsOf(style)) {
    case MB_OK: return {{"OK", IDOK}, {"", 0, nullptr, false, false}};
    case MB_OKCANCEL: return {{"OK", IDOK}, {"Cancel", IDCANCEL}};
    default: return {{"Yes", IDYES}, {"No", IDNO}};
    }
}

// Our own artwork: a coloured disc with a sign.
void drawIcon(DeviceContext& dc, uint32_t style, const Rect& r) {
    uint32_t icon = style & 0xF0;
    if (!icon) return;
    Colour colour = icon == MB_ICONERROR ? rgb(200, 30, 30) : icon == MB_ICONEXCLAMATION ? rgb(230, 170, 0) : rgb(40, 90, 200);
    const char* sign = icon == MB_ICONERROR ? "\u00D7" : icon == MB_ICONEXCLAMATION ? "!" : icon == MB_ICONQUESTION ? "?" : "i";
    dc.fillEllipse(r, colour);
    dc.setTextColour(rgb(255, 255, 255));
    dc.selectFont(Font("Tahoma", -(r.height() * 3 / 4), kBoldWeight));
    dc.drawText(sign, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void paint(HWND hwnd, BoxSession& s) {
    PaintScope scope(hwnd);
    DeviceContext& dc = scope.dc();
    Rect client = clientRect(hwnd);
    dc.fillRect(client, colours::kWindow);
    int icon = screenDpi() / 4;
    int margin = screenDpi() / 16;
    drawIcon(dc, s.style, Rect::ofSize(margin, margin, icon, icon));
    dc.selectFont(detail::chromeFont());
    dc.setTextColour(colours::kWindowText);
    int left = (s.style & 0xF0) ? icon + 2 * margin : margin;
    dc.drawText(s.text, Rect{left, margin, client.right - margin, client.bottom - margin}, DT_WORDBREAK | DT_NOPREFIX);
}

LResult boxProc(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    if (message == WM_CREATE) {
        setUserData(hwnd, reinterpret_cast<intptr_t>(reinterpret_cast<CreateParams*>(lParam)->createParam));
        return 0;
    }
    auto* s = reinterpret_cast<BoxSession*>(userData(hwnd));
    if (!s) return defWindowProc(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        paint(hwnd, *s);
        return 0;
    case WM_COMMAND: {
        int id = loWord(wParam);
        s->result = id == IDOK && buttonsOf(s->style) >= MB_YESNOCANCEL ? enterAnswer(s->style)
                    : id == IDCANCEL                                   ? backAnswer(s->style)
                                                                       : id;
        s->done = true;
        return 0;
    }
    case WM_CLOSE:
        s->result = backAnswer(s->style);
        s->done = true;
        return 0;
    default:
        return defWindowProc(hwnd, message, wParam, lParam);
    }
}

int runMessageBox(HWND owner, std::string_view text, std::string_view caption, uint32_t style) {
    registerClass({kClass, boxProc, 0, std::nullopt});
    BoxSession session{std::string(text), style};
    bool ownerWasEnabled = owner && isEnabled(owner);
    if (ownerWasEnabled) enableWindow(owner, false);
    HWND previousFocus = focusWindow();
    UniqueWindow window(createWindow({kClass, std::string(caption), WS_POPUP | WS_CAPTION, workArea(), nullptr, owner, 0, &session}));
    if (!window) return 0;
    createMenuBar(window.get(), barFor(style));
    showWindow(window.get(), SW_SHOW);
    runModalLoop(session.done);
    setUserData(window.get(), 0);
    if (ownerWasEnabled) enableWindow(owner, true);
    window.reset();
    if (isWindow(previousFocus)) setFocus(previousFocus);
    return session.result;
}

}  // namespace

int messageBox(HWND owner, std::string_view text, std::string_view caption, uint32_t style) {
    ModalRequest request;
    request.kind = ModalKind::kMessageBox;
    request.owner = owner;
    request.caption = std::string(caption);
    request.text = std::string(text);
    request.style = style;
    return resolveModal(request, [&] { return runMessageBox(owner, text, caption, style); });
}

}  // namespace kestrova::platform
