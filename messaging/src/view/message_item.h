// A message in the view: a bubble with a header line (the sender's name,
// the message's state or time, a progress bar while it travels) and its
// content (the text, or a label for a voice clip or a picture). Consecutive
// messages of one sender join into one bubble: only the first of a run has
// the header band and the top edge, only the last the bottom edge.
//
// The item keeps its own reference to the message and a copy of its record,
// refreshed whenever the message changes (a voice message grows while it is
// recorded; a long text arrives chunk by chunk).
//
// What the item does with its content depends on the content type; the
// voice and picture kinds (and any later one) can replace the hooks below by
// registering their own item with the ItemFactory.
#pragma once

#include <memory>
#include <string>

#include "chat_item.h"
#include "kestrova/api.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/kit/handles.h"
#include "message_snapshot.h"
#include "wrapped_text.h"

namespace kestrova::messaging {

// A text longer than this shows its beginning only (the menu still copies
// all of it): laying out megabytes of text would stall the view.
inline constexpr size_t kMaxShownTextBytes = 64 * 1024;

// Commands of a message's menu.
enum MessageCommand : int {
    kCommandCopy = 1,
    kCommandPlay = 2,
    kCommandView = 3,
    kCommandFirstLink = 100,
};

class MessageItem : public ChatItem {
  public:
    // Takes a reference of its own to the message.
    MessageItem(MessageView& view, HMESSAGE message);
    ~MessageItem() override;

    HMESSAGE message() const { return message_.get(); }
    const MessageSnapshot& snapshot() const { return snapshot_; }
    // Runs join by this: the sender, null for the user's own messages.
    HCONTACT sender() const { return snapshot_.contact; }
    bool own() const { return own_; }
    bool header() const { return header_; }
    bool tail() const { return tail_; }
    void setHeader(bool header);
    void setTail(bool tail);

    void paint(const ItemPaint& paint) override;
    int height(const ViewMetrics& metrics, int width) override;
    void activate() override;
    void click(bool doubleTap, platform::Point at) override;
    void contextMenu(platform::Point screenAt) override;
    void dropPaintCache() override { layout_.reset(); }
    MessageItem* asMessage() override { return this; }

    // The menu's entries, in order: the content's own action, then one
    // entry per link of a text.
    struct MenuEntry {
        int command = 0;
        std::string text;
    };
    std::vector<MenuEntry> menuEntries() const;
    void runCommand(int command);

    // The name in the header: the sender's, or the user's own.
    std::string senderName() const;
    // A received text is shown (copied, searched for links) only once it is
    // complete: until then it reads "Receiving", so half a message is never
    // taken for a whole one, even when its sender never finishes it.
    bool textShown() const { return snapshot_.origin == RY_ORIGIN_LOCAL || snapshot_.complete; }

  protected:
    // The content line of a message that is not text ("Voice Message").
    virtual std::string contentLabel() const;
    // The icon of the content (a resource number of the plug-in), 0 for none.
    virtual uint32_t contentIcon() const;
    // The first entry of the menu.
    virtual MenuEntry contentMenuEntry() const;

  private:
    void refresh();
    std::string shownText() const;
    bool shownAsAction() const;
    const WrappedText& layoutFor(const ViewMetrics& metrics, int width);
    bool serviceOnline() const;
    void paintBubble(const ItemPaint& paint, int headerBottom);
    void paintHeader(const ItemPaint& paint, const platform::Rect& line);
    void paintContent(const ItemPaint& paint, const platform::Rect& area);
    void paintProgress(const ItemPaint& paint, const Progress& progress);
    void copyToClipboard() const;
    void openLink(size_t index) const;
    void viewPicture() const;

    kit::OwnedMessage message_;
    kit::Subscription onChange_;
    MessageSnapshot snapshot_;
    bool own_ = false;
    bool header_ = true;
    bool tail_ = true;
    std::unique_ptr<WrappedText> layout_;
    int measuredWidth_ = -1;
    int measuredLength_ = -1;
    int measuredTextHeight_ = 0;
    bool measuredShown_ = false;
    bool layoutShown_ = false;
};

} // namespace kestrova::messaging
