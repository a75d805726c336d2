// One entry of the message view: a message, a status line, a group notice,
// or one of the history items at the top. The view owns its items (shared,
// so that a history reply can hold on to one while it is replaced), lays
// them out one below the other by their heights, and paints those in sight.
#pragma once

#include "kestrova/platform/clock.h"
#include "kestrova/platform/dc.h"
#include "kestrova/platform/geometry.h"
#include "view_metrics.h"

namespace kestrova::messaging {

class MessageView;
class MessageItem;

// What an item is painted with: the item's place in the view's client area,
// and the part of it that is being painted.
struct ItemPaint {
    platform::DeviceContext& dc;
    const ViewMetrics& metrics;
    platform::Rect rect;
    platform::Rect visible;
    bool selected = false;
    bool viewFocused = false;
    platform::UnixTime now;
};

class ChatItem {
  public:
    explicit ChatItem(MessageView& view) : view_(view) {}
    virtual ~ChatItem() = default;
    ChatItem(const ChatItem&) = delete;
    ChatItem& operator=(const ChatItem&) = delete;

    virtual void paint(const ItemPaint& paint) = 0;
    // Most items show their selection in paint(); the line items fill
    // their rectangle first.
    virtual void paintSelection(const ItemPaint& paint) {}
    // The item's height in a view of that width.
    virtual int height(const ViewMetrics& metrics, int width) = 0;
    virtual void activate() {}
    virtual void click(bool doubleTap, platform::Point at) {}
    // The item's menu, shown at a screen point.
    virtual void contextMenu(platform::Point screenAt) {}
    // Memory that only painting needs (text layouts), dropped when the item
    // scrolls out of sight.
    virtual void dropPaintCache() {}

    virtual MessageItem* asMessage() { return nullptr; }
    virtual bool isHistoryMarker() const { return false; }
    virtual bool isHistoryPlaceholder() const { return false; }

    MessageView& view() const { return view_; }

  private:
    MessageView& view_;
};

} // namespace kestrova::messaging
