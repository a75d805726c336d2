#include "control_page.h"

#include <algorithm>

#include "kestrova/platform/controls.h"
#include "kestrova/platform/screen.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

// The controls' first id; each new control takes the next.
constexpr uintptr_t kFirstControlId = 2000;

int rowHeight() {
    return 22 * screenDpi() / 96;
}

int margin() {
    return 4 * screenDpi() / 96;
}

} // namespace

bool isChecked(HWND checkBox) {
    return sendMessage(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

HWND ControlPage::add(std::string_view className, std::string_view text, uint32_t style) {
    HWND control = createControl(className, text, style, Rect{}, screen_, kFirstControlId + controls_.size());
    if (control) controls_.push_back(control);
    return control;
}

HWND ControlPage::addCheckBox(std::string_view label, bool checked) {
    HWND box = add(kButtonClass, label, BS_AUTOCHECKBOX | WS_TABSTOP);
    if (box) sendMessage(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return box;
}

HWND ControlPage::addLabel(std::string_view text) {
    return add(kStaticClass, text, SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE);
}

HWND ControlPage::addEdit(std::string_view text, int limit) {
    HWND edit = add(kEditClass, text, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP);
    if (edit) sendMessage(edit, EM_LIMITTEXT, static_cast<WParam>(limit), 0);
    return edit;
}

void ControlPage::place(const Rect& area) {
    int top = area.top + margin();
    for (HWND control : controls_) {
        moveWindow(control, {area.left + margin(), top, area.right - margin(), top + rowHeight()});
        top += rowHeight() + margin() / 2;
    }
}

void ControlPage::show() {
    shown_ = true;
    refreshVisibility();
}

void ControlPage::hide() {
    shown_ = false;
    refreshVisibility();
}

void ControlPage::refreshVisibility() {
    std::vector<HWND> visible = shown_ ? visibleControls() : std::vector<HWND>{};
    for (HWND control : controls_) {
        bool show = std::find(visible.begin(), visible.end(), control) != visible.end();
        showWindow(control, show ? SW_SHOW : SW_HIDE);
    }
}

} // namespace kestrova::shell
