// The items of the history mechanism at the top of a view: the marker that
// asks for older messages when it is activated (tap, Enter, menu key, or Up
// while it is selected), and the placeholders that stand for messages asked
// for and not yet arrived.
#pragma once

#include "chat_item.h"

namespace kestrova::messaging {

class HistoryMarkerItem : public ChatItem {
  public:
    using ChatItem::ChatItem;

    void paint(const ItemPaint& paint) override;
    int height(const ViewMetrics& metrics, int width) override;
    void activate() override;
    void click(bool doubleTap, platform::Point at) override { activate(); }
    void contextMenu(platform::Point screenAt) override { activate(); }
    bool isHistoryMarker() const override { return true; }
};

class HistoryPlaceholderItem : public ChatItem {
  public:
    using ChatItem::ChatItem;

    void paint(const ItemPaint& paint) override;
    void paintSelection(const ItemPaint& paint) override;
    int height(const ViewMetrics& metrics, int width) override;
    bool isHistoryPlaceholder() const override { return true; }
};

} // namespace kestrova::messaging
