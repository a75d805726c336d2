// The one-line items of the view: status lines ("You were disconnected.")
// and group administration notices. Both show their text and the clock
// time at which they were made.
#pragma once

#include <string>

#include "chat_item.h"

namespace kestrova::messaging {

class LineItem : public ChatItem {
  public:
    LineItem(MessageView& view, std::string text, platform::Colour colour);

    void paint(const ItemPaint& paint) override;
    void paintSelection(const ItemPaint& paint) override;
    int height(const ViewMetrics& metrics, int width) override;

    const std::string& text() const { return text_; }

  private:
    std::string text_;
    platform::Colour colour_;
    platform::UnixTime made_;
};

class StatusLineItem : public LineItem {
  public:
    StatusLineItem(MessageView& view, std::string text);
};

// "<actor> <action> <member>" in blue, made from a "kestrova/x-admin" message.
class AdminItem : public LineItem {
  public:
    AdminItem(MessageView& view, std::string text);
};

// Fills the rectangle, one pixel in, with the selection colour of line items.
void paintLineSelection(const ItemPaint& paint);

} // namespace kestrova::messaging
