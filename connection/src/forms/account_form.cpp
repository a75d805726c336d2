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
    if (!createForm(kit::text(titleText), owner, kit::text(texts::kSoftKeyOk), kit::text(texts::kSoftKeyCancel)))
        return false;
    fields_ = std::make_unique<ui::FieldStack>(hwnd());
    return true;
}

void AccountForm::layOut() {
    if (!fields_) return;
    Rect client = clientRect(hwnd());
    int margin = screenDpi() / 16;
    fields_->arrange(margin, margin, client.width() - 2 * margin, client.bottom - margin,
                     [](HWND control, Rect rect) { moveWindow(control, rect); });
}

void AccountForm::sayMissing(uint32_t text) {
    messageBox(hwnd(), kit::text(text), kit::text(texts::kMissingInformation), MB_OK | MB_ICONEXCLAMATION);
}

void AccountForm::onSize(HWND, int, int, int) { layOut(); }

void AccountForm::onFormDestroyed() {
    fields_.reset();
    if (onGone_) onGone_();
}

}  // namespace kestrova::connection
