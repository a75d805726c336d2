// A plug-in's item on the overview ("Overview/AddStaticItem"): a title, a
// line of text and an icon of the plug-in's, until the plug-in deletes it.
// Its context menu is the plug-in's: the overview raises
// "Overview/Item/OnContextMenu" and the owner answers.
#pragma once

#include <string>

#include "two_line_item.h"

namespace kestrova::shell {

class StaticItem final : public TwoLineItem {
  public:
    StaticItem(SectionList& list, std::string title, std::string text)
        : TwoLineItem(list), title_(std::move(title)), text_(std::move(text)) {}

    void setTitle(std::string title) { title_ = std::move(title); }
    void setText(std::string text) { text_ = std::move(text); }
    // The icon (null: none) named by the plug-in's module and resource name.
    void loadIcon(void* module, const char* name);
    void setIcon(platform::IconPtr icon) { icon_ = std::move(icon); }

    void activate() override {}
    void contextMenu(int x, int y) override;

  private:
    std::string title() const override { return title_; }
    std::string line() const override { return text_; }
    const platform::Icon* icon() const override { return icon_.get(); }

    std::string title_;
    std::string text_;
    platform::IconPtr icon_;
};

} // namespace kestrova::shell
