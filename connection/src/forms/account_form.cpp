#include "forms/account_form.h"

#include "texts.h"

#include "kestrova/bus.h"
#include "kestrova/kit/texts.h"
#include "kestrova/platform/message_box.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"

namespace kestrova::connection {

using namespace kestrova::platform;

bool AccountForm::createAccountForm(uint32_t titleText) {
    HWND owner = bus::get(names::kCoreWindowHwnd);
    if (!createForm(kit::text(titleText), owner, kit::text(texts::kSoftKeyOk),
                    kit::text(texts::kSoftKeyCancel)))
        return false;
    fields_ = std::make_unique<ui::FieldStack>(hwnd());
    return true;
}

int AccountForm::margin() const {
    return screenDpi() / 16;
}

void AccountForm::layOut() {
    arrangeFields(margin());
}

int AccountForm::arrangeFields(int top) {
    if (!fields_) return top;
    Rect client = clientRect(hwnd());
    return fields_->arrange(margin(), top, client.width() - 2 * margin(), client.bottom - margin(),
                            [](HWND control, Rect rect) { moveWindow(control, rect); });
}

void AccountForm::sayMissing(uint32_t text) {
    say(text, texts::kMissingInformation, true);
}

void AccountForm::say(uint32_t text, uint32_t caption, bool exclamation) {
    messageBox(hwnd(), kit::text(text), kit::text(caption), MB_OK | (exclamation ? MB_ICONEXCLAMATION : 0));
}

void AccountForm::onSize(HWND, int, int, int) {
    layOut();
}

void AccountForm::onFormDestroyed() {
    fields_.reset();
    if (onGone_) onGone_();
}

} // namespace kestrova::connection
