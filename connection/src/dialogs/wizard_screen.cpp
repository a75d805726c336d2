#include "dialogs/wizard_screen.h"

#include "texts.h"

#include "kestrova/kit/texts.h"
#include "kestrova/platform/busy_indicator.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/dc.h"
#include "kestrova/platform/menu_bar.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"

#include <map>

namespace kestrova::connection {

using namespace kestrova::platform;

namespace {

// The screens that exist, by the number their requests carry. Numbers are
// never reused, so a late answer cannot reach a newer screen.
std::map<uintptr_t, WizardScreen*>& liveScreens() {
    static std::map<uintptr_t, WizardScreen*> screens;
    return screens;
}

// The header's bold 11 points.
const Font& headerFont() {
    static const Font font("Tahoma", -11 * screenDpi() / 72, kBoldWeight);
    return font;
}

uintptr_t nextNumber() {
    static uintptr_t last = 0;
    return ++last;
}

} // namespace

WizardScreen::WizardScreen() : number_(nextNumber()) {
    liveScreens()[number_] = this;
}

WizardScreen::~WizardScreen() {
    liveScreens().erase(number_);
}

bool WizardScreen::createWizard(uint32_t caption, uint32_t header) {
    if (!createAccountForm(caption)) return false;
    header_ =
        createControl(kStaticClass, kit::text(header), WS_VISIBLE | SS_LEFT | SS_NOPREFIX, {}, hwnd(), 0);
    sendMessage(header_, WM_SETFONT, reinterpret_cast<WParam>(&headerFont()), 1);
    body_ = createControl(kStaticClass, "", SS_LEFT | SS_NOPREFIX, {}, hwnd(), 0);
    busy_ = createControl(kBusyIndicatorClass, "", 0, {}, hwnd(), 0);
    return true;
}

void WizardScreen::setHeader(uint32_t text) {
    setWindowText(header_, kit::text(text));
}

void WizardScreen::setBody(uint32_t text) {
    setWindowText(body_, kit::text(text));
    showWindow(body_, SW_SHOW);
    layOut();
}

void WizardScreen::setBusy(bool busy) {
    showWindow(busy_, busy ? SW_SHOW : SW_HIDE);
}

void WizardScreen::showPending(uint32_t header, int pendingStep) {
    setHeader(header);
    fields().enable(false);
    setBusy(true);
    step = pendingStep;
}

void WizardScreen::showFinish() {
    setSoftKeyLabel(hwnd(), 0, kit::text(texts::kSoftKeyFinish));
    setSoftKeyVisible(hwnd(), 1, false);
}

void WizardScreen::layOut() {
    if (!header_) return;
    Rect client = clientRect(hwnd());
    int dpi = screenDpi();
    int width = client.width() - 2 * margin();
    // The header area: two fifths of an inch.
    int headerHeight = 2 * dpi / 5;
    moveWindow(header_, Rect{margin(), 0, margin() + width, headerHeight});
    int bottom = arrangeFields(headerHeight);
    moveWindow(body_, Rect{margin(), bottom, margin() + width, client.bottom - margin()});
    int side = dpi / 3;
    moveWindow(busy_,
               Rect{client.width() / 2 - side / 2, bottom, client.width() / 2 + side / 2, bottom + side});
}

RY_ResponseCallback WizardScreen::completion() {
    return &WizardScreen::complete;
}

void* WizardScreen::completionContext() const {
    return reinterpret_cast<void*>(number_);
}

void WizardScreen::complete(void* context, const int64_t* result, uint32_t) {
    auto found = liveScreens().find(reinterpret_cast<uintptr_t>(context));
    if (found == liveScreens().end() || !result) return;
    WizardScreen* screen = found->second;
    if (!isWindow(screen->hwnd())) return;
    screen->setBusy(false);
    screen->onCompleted(*result);
}

} // namespace kestrova::connection
