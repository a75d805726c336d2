// A tab of a tab strip: it measures and paints its content, may take keys
// and taps while it is selected, and reads as a text for automation. A
// text tab is the common kind: a page's title.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "kestrova/platform/dc.h"

namespace kestrova::shell {

class TabStrip;

// How the strip draws: its font and the icon sizes that follow from its height.
struct TabLook {
    const platform::Font* font;
    int overviewIconSize;
    int chooserIconSize;
};

class Tab {
  public:
    virtual ~Tab() = default;
    virtual int contentWidth(const TabLook& look) const = 0;
    virtual void paintContent(platform::DeviceContext& dc, const platform::Rect& content,
                              const TabLook& look) const = 0;
    // The tab as automation reads it.
    virtual std::string text() const { return {}; }
    // A key or a tap while the tab is selected; true when the tab took it.
    virtual bool onKey(TabStrip&, uint32_t) { return false; }
    virtual bool onTap(TabStrip&, const platform::Rect&, platform::Point) { return false; }
};

// A tab's text as every tab draws it: the strip's font, left, in the middle.
void paintTabText(platform::DeviceContext& dc, const std::string& text, const platform::Rect& area,
                  const TabLook& look);

class TextTab : public Tab {
  public:
    explicit TextTab(std::string text) : text_(std::move(text)) {}
    int contentWidth(const TabLook& look) const override;
    void paintContent(platform::DeviceContext& dc, const platform::Rect& content,
                      const TabLook& look) const override;
    std::string text() const override { return text_; }

  private:
    std::string text_;
};

} // namespace kestrova::shell
