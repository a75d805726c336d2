// The scrolling list of a conversation: messages, group notices and status
// lines in the order the chat window was given them, below the history
// items. Items are laid out one below the other by their heights; the view
// scrolls by pixels and paints only what is in sight, so a view of ten
// thousand messages appends and paints as fast as one of ten.
//
// The selection follows new messages unless the user moved it away from the
// end. Keys: Up/Down move it by one (and scroll through a message taller
// than the screen), Page Up/Down by a screen, Home/End to the ends, Enter
// and the menu key open the selected item's menu. Back, Left, Up and Right
// reach the chat window first (ViewHost::viewKey).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "chat_item.h"
#include "item_factory.h"
#include "kestrova/api.h"
#include "kestrova/ui/window_base.h"
#include "view_metrics.h"

namespace kestrova::messaging {

// What the view needs of the chat window around it.
class ViewHost {
  public:
    virtual ~ViewHost() = default;
    // Back, Left, Up and Right, before the view moves its selection.
    virtual void viewKey(uint32_t key, bool repeat) {}
    // Up on the first item, Down on the last: the focus may move on.
    virtual void leaveView(bool upwards) {}
    // The history marker was tapped or chosen.
    virtual void historyMarkerActivated() {}
    // A voice message asks to be played.
    virtual void queueForPlayback(HMESSAGE message) {}
};

class MessageView : public ui::WindowBase {
  public:
    MessageView(ViewHost& host, ViewMetrics metrics, const ItemFactory& factory = ItemFactory::standard());
    ~MessageView() override;

    bool create(platform::HWND parent, const platform::Rect& rect, uintptr_t controlId);

    // --- Content ---------------------------------------------------------------------
    // A message at the end (a MessageItem, or an AdminItem for a notice).
    void append(HMESSAGE message);
    // A grey status line at the end.
    void appendStatusLine(std::string text);
    // An item at the top, selected and scrolled to.
    void prepend(std::shared_ptr<ChatItem> item);
    void popFront();
    void replace(size_t index, std::shared_ptr<ChatItem> item);
    // A message fetched from history, in place of the placeholder at index.
    // It joins the bubble of the first message below it when both have the
    // same sender. With no placeholder there (a reply holding more messages
    // than were asked for) it goes in above every message instead.
    void placeHistoryMessage(HMESSAGE message, size_t index);

    void relayout();
    void scrollTo(size_t index);

    // --- State -----------------------------------------------------------------------
    size_t count() const { return items_.size(); }
    size_t selection() const { return selection_; }
    ChatItem& item(size_t index) const { return *items_.at(index); }
    // The item's rectangle in view pixels (before scrolling).
    platform::Rect extent(size_t index) const;
    bool hasHistoryMarker() const { return !items_.empty() && items_.front()->isHistoryMarker(); }
    int scrollPosition() const { return scroll_; }
    int contentHeight() const { return extents_.empty() ? 0 : extents_.back().bottom; }
    int pageHeight() const { return page_; }
    void setSelection(size_t index);

    ViewHost& host() const { return host_; }
    const ViewMetrics& metrics() const { return metrics_; }

    // An item's message changed; resized when its height may have changed.
    void itemChanged(ChatItem& item, bool resized);

    // --- Window ----------------------------------------------------------------------
    platform::LResult handleMessage(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                    platform::LParam lParam) override;
    void onPaint(platform::HWND hwnd) override;
    platform::LResult onEraseBackground(platform::HWND hwnd, platform::DeviceContext* dc) override {
        return 1;
    }
    void onSize(platform::HWND hwnd, int type, int width, int height) override;
    void onKey(platform::HWND hwnd, uint32_t key, bool down, int repeat, uint32_t flags) override;
    platform::LResult onGetDialogCode(platform::HWND hwnd, const platform::Msg* message) override;
    void onLeftButtonDown(platform::HWND hwnd, bool doubleClick, int x, int y, uint32_t keys) override;
    void onContextMenu(platform::HWND hwnd, platform::HWND target, int x, int y) override;
    void onVerticalScroll(platform::HWND hwnd, platform::HWND bar, int code, int position) override;
    void onSetFocus(platform::HWND hwnd, platform::HWND oldFocus) override;
    void onKillFocus(platform::HWND hwnd, platform::HWND newFocus) override;

  private:
    struct Extent {
        int top = 0;
        int bottom = 0;
    };

    void add(std::shared_ptr<ChatItem> item);
    void insertAt(size_t index, std::shared_ptr<ChatItem> item);
    int width() const;
    int itemHeight(ChatItem& item) const;
    int maxScroll() const;
    void setScroll(int position);
    void updateScrollBar();
    void ensureVisible(size_t index, bool showBottom);
    // Up or Down inside a selected item taller than the page; false when its
    // edge in that direction is in sight already.
    bool scrollWithinSelection(bool up);
    void moveSelection(int by, bool showBottom);
    size_t itemsPerPage() const;
    std::optional<size_t> itemAt(int viewY) const;
    std::optional<size_t> indexOf(const ChatItem& item) const;
    void openMenuOfSelection();
    void repaint();
    void dropCachesOutOfSight();

    ViewHost& host_;
    ViewMetrics metrics_;
    const ItemFactory& factory_;
    std::deque<std::shared_ptr<ChatItem>> items_;
    std::deque<Extent> extents_;
    size_t selection_ = 0;
    int scroll_ = 0;
    int page_ = 0;
    int width_ = 0;
    // Runs join by these: the message item a history message may join above,
    // the one a new message may join below.
    std::weak_ptr<MessageItem> firstMessage_;
    std::weak_ptr<MessageItem> lastMessage_;
    std::vector<std::weak_ptr<ChatItem>> painted_; // the items in sight at the last paint
};

} // namespace kestrova::messaging
