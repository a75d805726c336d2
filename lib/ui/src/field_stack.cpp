#include "kestrova/ui/field_stack.h"

#include "kestrova/platform/controls.h"
#include "kestrova/platform/message_loop.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/text.h"
#include "kestrova/platform/window.h"
#include "kestrova/ui/fonts.h"

namespace kestrova::ui {

using namespace kestrova::platform;

FieldStack::~FieldStack() {
    clear();
}

int FieldStack::labelHeight(int dpi) {
    return (-normalFontHeight(dpi)) * 4 / 3 + 2;
}
int FieldStack::fieldHeight(int dpi) {
    return (-normalFontHeight(dpi)) * 4 / 3 + dpi / 16;
}
int FieldStack::gap(int dpi) {
    return dpi / 24;
}

HWND FieldStack::addLabel(const std::string& text) {
    return createControl(kStaticClass, text, WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, {}, parent_, 0);
}

HWND FieldStack::addEdit(const std::string& label, uint32_t style, int limit, uintptr_t id) {
    Line line{addLabel(label), nullptr, false};
    line.field =
        createControl(kEditClass, "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | style, {}, parent_, id);
    if (limit > 0) sendMessage(line.field, EM_LIMITTEXT, static_cast<WParam>(limit), 0);
    lines_.push_back(line);
    return line.field;
}

HWND FieldStack::addCheckBox(const std::string& text, uintptr_t id) {
    Line line{nullptr,
              createControl(kButtonClass, text, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, {}, parent_, id),
              false};
    lines_.push_back(line);
    return line.field;
}

HWND FieldStack::addDropDownList(const std::string& label, uintptr_t id) {
    Line line{addLabel(label), nullptr, false};
    line.field =
        createControl(kComboBoxClass, "", WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, {}, parent_, id);
    lines_.push_back(line);
    return line.field;
}

HWND FieldStack::addListBox(uintptr_t id) {
    Line line{nullptr,
              createControl(kListBoxClass, "",
                            WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, {},
                            parent_, id),
              true};
    sendMessage(line.field, LB_SETITEMHEIGHT, 0, static_cast<LParam>(labelHeight(screenDpi()) * 2 + 4));
    lines_.push_back(line);
    return line.field;
}

int FieldStack::arrange(int left, int top, int width, int bottom,
                        const std::function<void(HWND, Rect)>& place) const {
    int dpi = screenDpi();
    int y = top;
    for (const Line& line : lines_) {
        if (line.label) {
            place(line.label, Rect{left, y, left + width, y + labelHeight(dpi)});
            y += labelHeight(dpi);
        }
        int height = line.fillsRest ? std::max(fieldHeight(dpi), bottom - y) : fieldHeight(dpi);
        place(line.field, Rect{left, y, left + width, y + height});
        y += height + gap(dpi);
    }
    return y;
}

void FieldStack::clear() {
    auto lines = std::move(lines_);
    lines_.clear();
    for (const Line& line : lines) {
        if (line.label && isWindow(line.label)) destroyWindow(line.label);
        if (line.field && isWindow(line.field)) destroyWindow(line.field);
    }
}

void FieldStack::enable(bool enabled) {
    for (const Line& line : lines_)
        enableWindow(line.field, enabled);
}

HWND FieldStack::fieldOf(const std::string& label) const {
    for (const Line& line : lines_)
        if (line.label && windowText(line.label) == label) return line.field;
    return nullptr;
}

std::vector<HWND> FieldStack::fields() const {
    std::vector<HWND> out;
    for (const Line& line : lines_)
        out.push_back(line.field);
    return out;
}

std::vector<HWND> FieldStack::windows() const {
    std::vector<HWND> out;
    for (const Line& line : lines_) {
        if (line.label) out.push_back(line.label);
        out.push_back(line.field);
    }
    return out;
}

std::string fieldText(HWND field, size_t maxCharacters) {
    std::u32string characters = toCodePoints(windowText(field));
    if (characters.size() > maxCharacters) characters.resize(maxCharacters);
    return toUtf8(characters);
}

std::string cutToBytes(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return std::string(text);
    size_t end = maxBytes;
    // Back to the first byte of the character that would be cut.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

} // namespace kestrova::ui
