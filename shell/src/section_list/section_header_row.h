// The header row of a section: its toggle icon and its title on a band.
// Every action on it (Enter, a double tap, a context-menu request)
// collapses or expands the section.
#pragma once

#include "list_row.h"
#include "list_section.h"

namespace kestrova::shell {

class SectionList;

class SectionHeaderRow final : public ListRow {
  public:
    SectionHeaderRow(SectionList& list, ListSection& section) : list_(list), section_(section) {}

    void paint(platform::DeviceContext& dc, const platform::Rect& rect) override;
    int height() const override;
    void activate() override;
    void click(bool) override { activate(); }
    void contextMenu(int, int) override { activate(); }
    std::string text() const override { return section_.title; }

  private:
    SectionList& list_;
    ListSection& section_;
};

} // namespace kestrova::shell
