// The fields of a form, one under the other, as the phone's forms show
// them: a label above each field, a check box on a line of its own. The
// stack makes the controls as children of its window and knows their
// heights (from the screen's dpi); where the column stands is the form's
// choice: arrange() gives every control its rectangle.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "kestrova/platform/geometry.h"
#include "kestrova/platform/messages.h"

namespace kestrova::ui {

class FieldStack {
  public:
    explicit FieldStack(platform::HWND parent) : parent_(parent) {}
    ~FieldStack();
    FieldStack(const FieldStack&) = delete;
    FieldStack& operator=(const FieldStack&) = delete;

    // A single-line edit below its label; limit in characters (0: none).
    platform::HWND addEdit(const std::string& label, uint32_t style, int limit, uintptr_t id);
    // An automatic check box.
    platform::HWND addCheckBox(const std::string& text, uintptr_t id);
    // A drop-down list below its label.
    platform::HWND addDropDownList(const std::string& label, uintptr_t id);
    // A list box of rows of two lines, as tall as the room left (arrange).
    platform::HWND addListBox(uintptr_t id);

    // Places the controls from top down in a column; the list box, if any,
    // takes the height down to `bottom`. Returns where the column ends.
    int arrange(int left, int top, int width, int bottom,
                const std::function<void(platform::HWND, platform::Rect)>& place) const;

    // Destroys every control of the stack.
    void clear();
    bool empty() const { return lines_.empty(); }
    // Enables or disables every field (labels stay as they are).
    void enable(bool enabled);
    // The control that stands below the label of that text, or null.
    platform::HWND fieldOf(const std::string& label) const;
    std::vector<platform::HWND> fields() const;
    std::vector<platform::HWND> windows() const;

    // Heights at a dpi: a label line, an edit or drop-down line, a check box
    // line, and the gap after each field.
    static int labelHeight(int dpi);
    static int fieldHeight(int dpi);
    static int gap(int dpi);

  private:
    struct Line {
        platform::HWND label = nullptr; // may be null
        platform::HWND field = nullptr;
        bool fillsRest = false;
    };
    platform::HWND addLabel(const std::string& text);

    platform::HWND parent_;
    std::vector<Line> lines_;
};

// A field's text as the program reads it (a password edit's too), at most
// maxCharacters of it.
std::string fieldText(platform::HWND field, size_t maxCharacters);
// Text cut to at most maxBytes, never inside a character.
std::string cutToBytes(std::string_view text, size_t maxBytes);

} // namespace kestrova::ui
