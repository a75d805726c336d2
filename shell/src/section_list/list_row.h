// A row of a section list (list_section.h): a contact, a group's chat, an
// overview item or a section's header. The list lays rows out one under the
// other, paints the visible ones, and hands them the user's actions.
#pragma once

#include <string>

#include "kestrova/platform/dc.h"

namespace kestrova::shell {

class ListRow {
  public:
    virtual ~ListRow() = default;

    // Draws the row in rect on a background the list has painted already.
    virtual void paint(platform::DeviceContext& dc, const platform::Rect& rect) = 0;
    // Marks the selected row: light blue, inside a one-pixel margin, while
    // the list has the focus.
    virtual void paintSelection(platform::DeviceContext& dc, const platform::Rect& rect, bool focused);
    virtual int height() const = 0;
    // Enter, or a double tap (through click).
    virtual void activate() = 0;
    // A tap; activateIt is set for a double tap.
    virtual void click(bool activateIt) {
        if (activateIt) activate();
    }
    // The context menu, at a screen point.
    virtual void contextMenu(int x, int y) = 0;
    // The row as automation reads it: its lines, separated by "\n".
    virtual std::string text() const = 0;
};

} // namespace kestrova::shell
