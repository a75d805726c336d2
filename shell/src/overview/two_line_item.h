// The overview's two-line items: an icon, a title in bold and a line of
// text under it. Plug-ins' static items and the unread conversations are
// drawn this way.
#pragma once

#include "kestrova/platform/icon.h"
#include "section_list/list_row.h"

namespace kestrova::shell {

class SectionList;

class TwoLineItem : public ListRow {
  public:
    explicit TwoLineItem(SectionList& list) : list_(list) {}

    void paint(platform::DeviceContext& dc, const platform::Rect& rect) override;
    int height() const override;
    std::string text() const override { return title() + "\n" + line(); }

  protected:
    virtual std::string title() const = 0;
    virtual std::string line() const = 0;
    virtual const platform::Icon* icon() const = 0;
    // The icon's size on this screen.
    int iconSize() const;

    SectionList& list_;
};

// The one-entry menu of an unread conversation; true when "View Messages"
// was chosen.
bool chooseViewMessages(SectionList& list, int x, int y);

} // namespace kestrova::shell
