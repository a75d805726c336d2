#include "message_item.h"

#include <algorithm>

#include "conversation_facts.h"
#include "displayable_text.h"
#include "kestrova/platform/clipboard.h"
#include "kestrova/platform/menu.h"
#include "kestrova/platform/shell_open.h"
#include "kestrova/platform/sound.h"
#include "link_finder.h"
#include "message_view.h"
#include "module_resources.h"
#include "picture_file.h"
#include "texts.h"

namespace kestrova::messaging {
namespace {

using platform::Colour;
using platform::Rect;
using platform::rgb;

// The look of a bubble: the user's own messages warm, the others' cool.
struct BubbleColours {
    Colour fill;
    Colour border;
    Colour bandTop;
    Colour bandBottom;
    Colour selectedBandTop;
    Colour run; // state text, progress bar, names of stored and history messages
};
constexpr BubbleColours kOwn{rgb(255, 236, 179), rgb(255, 191, 0),  rgb(255, 239, 187),
                             rgb(255, 220, 113), rgb(255, 198, 28), rgb(125, 95, 0)};
constexpr BubbleColours kOthers{rgb(226, 235, 242), rgb(128, 161, 200), rgb(223, 234, 241),
                                rgb(193, 208, 230), rgb(144, 180, 208), rgb(43, 67, 104)};
constexpr Colour kActionText = rgb(235, 0, 16);

constexpr std::string_view kActionPrefix = "/me ";
constexpr uint32_t kIconPhoto = 101;
constexpr uint32_t kIconText = 102;
constexpr uint32_t kIconVoice = 103;

bool isVoice(const std::string& type) {
    return type.size() > 5 && type.starts_with("audio/");
}
bool isPicture(const std::string& type) {
    return type.starts_with("image/");
}

// The whole body as the message holds it now (the snapshot keeps only the
// beginning of a long text).
std::string_view wholeBody(HMESSAGE message) {
    RY_MessageData data{};
    data.size = sizeof data;
    RY_GetMessageData(message, &data);
    if (!data.data || data.dataLength <= 0) return {};
    return {static_cast<const char*>(data.data), static_cast<size_t>(data.dataLength)};
}

} // namespace

MessageItem::MessageItem(MessageView& view, HMESSAGE message)
    : ChatItem(view), message_(kit::OwnedMessage::share(message)), snapshot_(readMessage(message)) {
    own_ = !snapshot_.contact || (snapshot_.origin == RY_ORIGIN_HISTORY && isOwnContact(snapshot_.contact));
    onChange_ = kit::subscribe(message, [this](HMESSAGE) { refresh(); });
}

MessageItem::~MessageItem() = default;

void MessageItem::refresh() {
    MessageSnapshot before = std::move(snapshot_);
    snapshot_ = readMessage(message_.get());
    bool resized = before.dataLength != snapshot_.dataLength || before.contentType != snapshot_.contentType ||
                   before.complete != snapshot_.complete;
    view().itemChanged(*this, resized);
}

void MessageItem::setHeader(bool header) {
    header_ = header;
}

void MessageItem::setTail(bool tail) {
    tail_ = tail;
}

bool MessageItem::shownAsAction() const {
    return snapshot_.body.starts_with(kActionPrefix);
}

std::string MessageItem::shownText() const {
    if (!textShown()) return "";
    std::string_view body = snapshot_.body;
    if (body.size() > kMaxShownTextBytes) body = body.substr(0, kMaxShownTextBytes);
    if (shownAsAction()) return "* " + displayableText(body.substr(kActionPrefix.size())) + " *";
    return displayableText(body);
}

const WrappedText& MessageItem::layoutFor(const ViewMetrics& m, int width) {
    int textWidth = std::max(1, m.contentRight(width) - m.contentLeft());
    if (!layout_ || layout_->width() != textWidth || measuredLength_ != snapshot_.dataLength ||
        layoutShown_ != textShown()) {
        layout_ = std::make_unique<WrappedText>(m.normalFont, shownText(), textWidth);
        measuredLength_ = snapshot_.dataLength;
        layoutShown_ = textShown();
    }
    return *layout_;
}

int MessageItem::height(const ViewMetrics& m, int width) {
    int h = (header_ ? 1 : 0) + 4 * (tail_ ? 1 : 0);
    if (!snapshot_.isText()) return h + m.headerHeight;
    if (width != measuredWidth_ || measuredLength_ != snapshot_.dataLength || measuredShown_ != textShown()) {
        measuredTextHeight_ = layoutFor(m, width).height();
        measuredWidth_ = width;
        measuredShown_ = textShown();
        // Nothing painted yet needs the layout; the next paint makes it again
        // if the item comes into sight.
        layout_.reset();
    }
    return h + m.headerHeight / 2 + measuredTextHeight_ + 2;
}

bool MessageItem::serviceOnline() const {
    return serviceState(serviceOfConversation(snapshot_.target, snapshot_.isGroup)) != 0;
}

std::string MessageItem::senderName() const {
    if (snapshot_.contact) return contactName(snapshot_.contact);
    HSERVICE service = snapshot_.isGroup ? nullptr : serviceOfConversation(snapshot_.target, false);
    if (service) return ownName(service);
    HSERVICE primary = RY_GetPrimaryService();
    std::string name = ownName(primary);
    RY_ReleaseService(primary);
    return name;
}

std::string MessageItem::contentLabel() const {
    if (snapshot_.contentType.starts_with("audio/")) return text(texts::kVoiceMessage);
    if (isPicture(snapshot_.contentType)) return text(texts::kPhotoMessage);
    return displayableText(snapshot_.contentType);
}

uint32_t MessageItem::contentIcon() const {
    const std::string& type = snapshot_.contentType;
    if (type.starts_with("text/")) return kIconText;
    if (type.starts_with("audio/")) return kIconVoice;
    if (type.starts_with("image/")) return kIconPhoto;
    return 0;
}

MessageItem::MenuEntry MessageItem::contentMenuEntry() const {
    const std::string& type = snapshot_.contentType;
    if (type.starts_with("audio/"))
        return {kCommandPlay, text(snapshot_.complete ? texts::kPlay : texts::kStream)};
    if (isPicture(type)) return {kCommandView, text(texts::kView)};
    return {kCommandCopy, text(texts::kCopyToClipboard)};
}

// --- Painting -------------------------------------------------------------------------

void MessageItem::paint(const ItemPaint& p) {
    const ViewMetrics& m = p.metrics;
    int width = p.rect.width();
    int top = p.rect.top + (header_ ? 1 : 0);
    Rect headerLine{p.rect.left + m.leftColumn, top, p.rect.left + width - m.rightMargin,
                    top + m.headerHeight / 2};
    paintBubble(p, headerLine.bottom);
    if (uint32_t icon = contentIcon()) {
        if (const platform::Icon* picture = messagingIcon({"", icon}, m.iconSize))
            p.dc.drawIcon(*picture, {p.rect.left + (m.leftColumn - m.iconSize) / 2, p.rect.top});
    }
    paintHeader(p, headerLine);
    Rect content{p.rect.left + m.contentLeft(), headerLine.bottom, p.rect.left + m.contentRight(width),
                 p.rect.bottom - (tail_ ? 4 : 0)};
    paintContent(p, content);
    if (auto progress = messageProgress(snapshot_)) paintProgress(p, *progress);
}

void MessageItem::paintBubble(const ItemPaint& p, int headerBottom) {
    const BubbleColours& c = own_ ? kOwn : kOthers;
    const ViewMetrics& m = p.metrics;
    Rect bubble{p.rect.left + m.leftColumn, p.rect.top, p.rect.right - m.rightMargin,
                p.rect.bottom - (tail_ ? 4 : 0)};
    p.dc.fillRect(bubble, c.fill);
    bool highlighted = p.selected && p.viewFocused;
    if (header_ || highlighted) {
        Rect band{bubble.left, bubble.top, bubble.right, headerBottom};
        p.dc.fillGradient(band, highlighted ? c.selectedBandTop : c.bandTop, c.bandBottom,
                          platform::GradientDirection::kVertical);
    }
    // A run draws as one bubble: the top edge on its first item only, the
    // bottom edge on its last.
    p.dc.drawLine({bubble.left, bubble.top}, {bubble.left, bubble.bottom}, c.border);
    p.dc.drawLine({bubble.right - 1, bubble.top}, {bubble.right - 1, bubble.bottom}, c.border);
    if (header_) p.dc.drawLine({bubble.left, bubble.top}, {bubble.right, bubble.top}, c.border);
    if (tail_) p.dc.drawLine({bubble.left, bubble.bottom - 1}, {bubble.right, bubble.bottom - 1}, c.border);
}

void MessageItem::paintHeader(const ItemPaint& p, const Rect& line) {
    const BubbleColours& c = own_ ? kOwn : kOthers;
    const ViewMetrics& m = p.metrics;
    uint32_t single = platform::DT_SINGLELINE | platform::DT_VCENTER | platform::DT_NOPREFIX;
    Rect inner{line.left + 3, line.top, line.right - 3, line.bottom};
    std::string state = messageStateText(snapshot_, serviceOnline(), p.now);
    p.dc.selectFont(m.normalFont);
    p.dc.setTextColour(c.run);
    int stateWidth = p.dc.measureText(state).width;
    p.dc.drawText(state, inner, single | platform::DT_RIGHT);
    if (!header_) return;
    Rect nameArea = inner;
    nameArea.right = std::max(nameArea.left, inner.right - stateWidth - 4);
    bool kept = snapshot_.origin == RY_ORIGIN_WHILE_CONNECTING || snapshot_.origin == RY_ORIGIN_HISTORY;
    p.dc.selectFont(m.boldFont);
    p.dc.setTextColour(kept ? c.run : platform::colours::kWindowText);
    p.dc.drawText(displayableText(senderName()), nameArea, single | platform::DT_END_ELLIPSIS);
}

void MessageItem::paintContent(const ItemPaint& p, const Rect& area) {
    const ViewMetrics& m = p.metrics;
    if (!snapshot_.isText()) {
        Rect line{area.left, area.top, area.right, area.top + m.headerHeight / 2};
        p.dc.selectFont(m.normalFont);
        p.dc.setTextColour(platform::colours::kWindowText);
        p.dc.drawText(contentLabel(), line,
                      platform::DT_SINGLELINE | platform::DT_VCENTER | platform::DT_NOPREFIX |
                          platform::DT_END_ELLIPSIS);
        return;
    }
    const WrappedText& layout = layoutFor(m, p.rect.width());
    Rect visible = p.visible.intersect(area);
    if (visible.empty()) return;
    platform::DeviceContext::ClipGuard clip(p.dc, visible);
    layout.draw(p.dc, {area.left, area.top}, visible,
                shownAsAction() ? kActionText : platform::colours::kWindowText);
}

void MessageItem::paintProgress(const ItemPaint& p, const Progress& progress) {
    if (progress.total <= 0) return;
    const BubbleColours& c = own_ ? kOwn : kOthers;
    const ViewMetrics& m = p.metrics;
    int right = p.rect.left + m.contentRight(p.rect.width());
    int top = p.rect.top + m.headerHeight / 2;
    Rect bar = Rect{right - m.progressWidth, top, right, top + m.progressHeight}.inset(2, 2);
    p.dc.frameRect(bar, c.run);
    int64_t done = std::clamp<int64_t>(progress.done, 0, progress.total);
    Rect filled = bar;
    filled.right = bar.left + static_cast<int>(bar.width() * done / progress.total);
    p.dc.fillRect(filled, c.run);
}

// --- Actions ----------------------------------------------------------------------------

void MessageItem::activate() {
    const std::string& type = snapshot_.contentType;
    if (isVoice(type))
        view().host().queueForPlayback(message_.get());
    else if (isPicture(type))
        viewPicture();
}

void MessageItem::click(bool doubleTap, platform::Point) {
    if (doubleTap) activate();
}

std::vector<MessageItem::MenuEntry> MessageItem::menuEntries() const {
    std::vector<MenuEntry> entries{contentMenuEntry()};
    if (snapshot_.contentType.starts_with("text/") && textShown()) {
        int command = kCommandFirstLink;
        for (std::string_view link : findLinks(wholeBody(message_.get())))
            entries.push_back({command++, displayableText(link)});
    }
    return entries;
}

void MessageItem::contextMenu(platform::Point screenAt) {
    platform::UniqueMenu menu(platform::createPopupMenu());
    for (const MenuEntry& entry : menuEntries())
        platform::appendMenu(menu.get(), platform::MF_STRING, static_cast<uintptr_t>(entry.command),
                             entry.text);
    platform::HWND owner = view().hwnd();
    int chosen = platform::trackPopupMenu(menu.get(), platform::TPM_RETURNCMD, screenAt, owner);
    if (chosen) runCommand(chosen);
}

void MessageItem::runCommand(int command) {
    switch (command) {
    case kCommandCopy:
        copyToClipboard();
        return;
    case kCommandPlay:
        activate();
        return;
    case kCommandView:
        viewPicture();
        return;
    default:
        if (command >= kCommandFirstLink) openLink(static_cast<size_t>(command - kCommandFirstLink));
    }
}

void MessageItem::copyToClipboard() const {
    if (textShown()) platform::setClipboardText(displayableText(wholeBody(message_.get())));
}

void MessageItem::openLink(size_t index) const {
    std::vector<std::string_view> links = findLinks(wholeBody(message_.get()));
    if (index < links.size()) platform::openWithShell(links[index], view().hwnd());
}

void MessageItem::viewPicture() const {
    std::optional<std::filesystem::path> file = writePictureFile(wholeBody(message_.get()));
    if (!file) {
        platform::playDefaultBeep();
        return;
    }
    platform::openWithShell(file->string(), view().hwnd());
}

} // namespace kestrova::messaging
