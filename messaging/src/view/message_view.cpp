#include "message_view.h"

#include <algorithm>

#include "kestrova/platform/scroll.h"
#include "kestrova/platform/window.h"
#include "line_items.h"
#include "message_item.h"

namespace kestrova::messaging {

using platform::HWND;
using platform::Rect;

namespace {
// Scroll-bar requests move the view by these many pixels.
constexpr int kLineStep = 15;
constexpr int kPageStep = 150;
// The menu of an item opens this far inside its top-left corner.
constexpr int kMenuOffset = 5;
} // namespace

MessageView::MessageView(ViewHost& host, ViewMetrics metrics, const ItemFactory& factory)
    : host_(host), metrics_(std::move(metrics)), factory_(factory) {}

MessageView::~MessageView() {
    // Items unsubscribe from their messages as they go; the window goes first
    // so that nothing paints half-destroyed items.
    if (HWND h = hwnd(); platform::isWindow(h)) platform::destroyWindow(h);
    items_.clear();
}

bool MessageView::create(HWND parent, const Rect& rect, uintptr_t controlId) {
    width_ = rect.width();
    page_ = rect.height();
    return WindowBase::create("", platform::WS_CHILD | platform::WS_VISIBLE | platform::WS_TABSTOP, rect,
                              parent, nullptr, controlId);
}

// --- Content ----------------------------------------------------------------------------

void MessageView::append(HMESSAGE message) {
    std::shared_ptr<ChatItem> item = factory_.make(*this, message);
    if (MessageItem* fresh = item->asMessage()) {
        std::shared_ptr<MessageItem> last = lastMessage_.lock();
        if (last && last->sender() == fresh->sender()) {
            last->setTail(false);
            fresh->setHeader(false);
            // The previous item lost its bottom edge and gap.
            if (auto index = indexOf(*last)) {
                int delta = itemHeight(*last) - (extents_[*index].bottom - extents_[*index].top);
                extents_[*index].bottom += delta;
            }
        }
        std::shared_ptr<MessageItem> shared(item, fresh);
        lastMessage_ = shared;
        if (firstMessage_.expired()) firstMessage_ = shared;
    } else {
        lastMessage_.reset();
    }
    add(std::move(item));
}

void MessageView::appendStatusLine(std::string text) {
    lastMessage_.reset();
    add(std::make_shared<StatusLineItem>(*this, std::move(text)));
}

void MessageView::add(std::shared_ptr<ChatItem> item) {
    bool followEnd = items_.empty() || selection_ + 1 == items_.size() || platform::focusWindow() != hwnd();
    int top = extents_.empty() ? 0 : extents_.back().bottom;
    int height = itemHeight(*item);
    items_.push_back(std::move(item));
    extents_.push_back({top, top + height});
    if (followEnd) selection_ = items_.size() - 1;
    if (selection_ + 1 == items_.size()) scroll_ = maxScroll();
    updateScrollBar();
    repaint();
}

void MessageView::insertAt(size_t index, std::shared_ptr<ChatItem> item) {
    index = std::min(index, items_.size());
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
    extents_.insert(extents_.begin() + static_cast<std::ptrdiff_t>(index), Extent{});
    if (!items_.empty() && index <= selection_ && items_.size() > 1) ++selection_;
    relayout();
}

void MessageView::prepend(std::shared_ptr<ChatItem> item) {
    insertAt(0, std::move(item));
    selection_ = 0;
    scrollTo(selection_);
}

void MessageView::popFront() {
    if (items_.empty()) return;
    items_.pop_front();
    extents_.pop_front();
    if (selection_ > 0) --selection_;
    relayout();
}

void MessageView::replace(size_t index, std::shared_ptr<ChatItem> item) {
    if (index >= items_.size()) return;
    items_[index] = std::move(item);
    relayout();
}

void MessageView::placeHistoryMessage(HMESSAGE message, size_t index) {
    std::shared_ptr<ChatItem> item = factory_.make(*this, message);
    if (MessageItem* fresh = item->asMessage()) {
        std::shared_ptr<MessageItem> first = firstMessage_.lock();
        if (first && first->sender() == fresh->sender()) {
            fresh->setTail(false);
            first->setHeader(false);
        }
        firstMessage_ = std::shared_ptr<MessageItem>(item, fresh);
        if (lastMessage_.expired()) lastMessage_ = firstMessage_;
    }
    if (index < items_.size() && items_[index]->isHistoryPlaceholder()) {
        items_[index] = std::move(item);
        relayout();
    } else {
        // NOTE: more history than placeholders: the surplus is older than
        // everything shown, so it goes just below the history items.
        size_t top = 0;
        while (top < items_.size() && (items_[top]->isHistoryMarker() || items_[top]->isHistoryPlaceholder()))
            ++top;
        insertAt(top, std::move(item));
    }
    scrollTo(selection_);
}

void MessageView::relayout() {
    int top = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
        int height = itemHeight(*items_[i]);
        extents_[i] = {top, top + height};
        top += height;
    }
    if (selection_ >= items_.size()) selection_ = items_.empty() ? 0 : items_.size() - 1;
    setScroll(scroll_);
    updateScrollBar();
    repaint();
}

void MessageView::itemChanged(ChatItem& item, bool resized) {
    if (resized) {
        if (auto index = indexOf(item)) {
            bool atEnd = scroll_ >= maxScroll();
            int delta = itemHeight(item) - (extents_[*index].bottom - extents_[*index].top);
            if (delta != 0) {
                extents_[*index].bottom += delta;
                for (size_t i = *index + 1; i < extents_.size(); ++i) {
                    extents_[i].top += delta;
                    extents_[i].bottom += delta;
                }
                updateScrollBar();
                // A growing message at the end stays in sight as it grows.
                if (atEnd && selection_ + 1 == items_.size())
                    setScroll(maxScroll());
                else
                    ensureVisible(selection_, false);
            }
        }
    }
    repaint();
}

// --- Geometry ---------------------------------------------------------------------------

int MessageView::width() const {
    return width_;
}

int MessageView::itemHeight(ChatItem& item) const {
    return item.height(metrics_, width());
}

Rect MessageView::extent(size_t index) const {
    const Extent& e = extents_.at(index);
    return {0, e.top, width(), e.bottom};
}

int MessageView::maxScroll() const {
    return std::max(0, contentHeight() - page_);
}

void MessageView::setScroll(int position) {
    int clamped = std::clamp(position, 0, maxScroll());
    if (clamped != scroll_) {
        scroll_ = clamped;
        repaint();
    }
    updateScrollBar();
}

void MessageView::updateScrollBar() {
    HWND h = hwnd();
    if (!platform::isWindow(h)) return;
    // The bar takes width from the messages, so it is there only when there
    // is something to scroll; showing or hiding it lays the items out again.
    bool needed = contentHeight() > page_;
    uint32_t style = platform::windowStyle(h);
    if (needed != ((style & platform::WS_VSCROLL) != 0)) {
        platform::setWindowStyle(h, needed ? style | platform::WS_VSCROLL : style & ~platform::WS_VSCROLL);
        return; // the resize came back here with the new width
    }
    platform::ScrollInfo info;
    info.mask = platform::SIF_RANGE | platform::SIF_PAGE | platform::SIF_POS;
    info.max = std::max(0, contentHeight() - 1);
    info.page = static_cast<unsigned>(std::max(0, page_));
    info.pos = scroll_;
    platform::setScrollInfo(h, platform::SB_VERT, info, true);
}

void MessageView::scrollTo(size_t index) {
    ensureVisible(index, false);
}

void MessageView::ensureVisible(size_t index, bool showBottom) {
    if (index >= extents_.size()) return;
    const Extent& e = extents_[index];
    bool tall = e.bottom - e.top > page_;
    if (tall) {
        // Whichever end the user comes from is shown first.
        setScroll(showBottom ? e.bottom - page_ : e.top);
    } else if (e.top < scroll_) {
        setScroll(e.top);
    } else if (e.bottom > scroll_ + page_) {
        setScroll(e.bottom - page_);
    }
}

std::optional<size_t> MessageView::itemAt(int viewY) const {
    auto it = std::upper_bound(extents_.begin(), extents_.end(), viewY,
                               [](int y, const Extent& e) { return y < e.bottom; });
    if (it == extents_.end() || viewY < it->top) return std::nullopt;
    return static_cast<size_t>(it - extents_.begin());
}

std::optional<size_t> MessageView::indexOf(const ChatItem& item) const {
    // Changes come mostly from the newest messages: search from the end.
    for (size_t i = items_.size(); i-- > 0;)
        if (items_[i].get() == &item) return i;
    return std::nullopt;
}

size_t MessageView::itemsPerPage() const {
    size_t n = 0;
    for (size_t i = itemAt(scroll_).value_or(0); i < extents_.size(); ++i) {
        if (extents_[i].bottom > scroll_ + page_) break;
        if (extents_[i].top >= scroll_) ++n;
    }
    return std::max<size_t>(n, 1);
}

// --- Selection and keys -----------------------------------------------------------------

void MessageView::setSelection(size_t index) {
    if (items_.empty()) return;
    selection_ = std::min(index, items_.size() - 1);
    repaint();
}

void MessageView::moveSelection(int by, bool showBottom) {
    if (items_.empty()) return;
    int target = std::clamp(static_cast<int>(selection_) + by, 0, static_cast<int>(items_.size()) - 1);
    selection_ = static_cast<size_t>(target);
    ensureVisible(selection_, showBottom);
    repaint();
}

bool MessageView::scrollWithinSelection(bool up) {
    if (selection_ >= extents_.size()) return false;
    const Extent& e = extents_[selection_];
    int step = std::max(kLineStep, page_ - metrics_.normalLineHeight);
    if (up && e.top < scroll_) {
        setScroll(std::max(e.top, scroll_ - step));
        return true;
    }
    if (!up && e.bottom > scroll_ + page_) {
        setScroll(std::min(e.bottom - page_, scroll_ + step));
        return true;
    }
    return false;
}

void MessageView::openMenuOfSelection() {
    if (selection_ >= items_.size()) return;
    ensureVisible(selection_, false);
    Rect at = extent(selection_).offset(0, -scroll_);
    platform::Point screen =
        platform::clientToScreen(hwnd(), {at.left + kMenuOffset, std::max(0, at.top) + kMenuOffset});
    std::shared_ptr<ChatItem> keep = items_[selection_];
    keep->contextMenu(screen);
}

void MessageView::onKey(HWND hwnd, uint32_t key, bool down, int repeat, uint32_t flags) {
    using namespace platform;
    if (!down) return;
    bool autoRepeat = (flags & kKeyWasDown) != 0;
    if (key == VK_ESCAPE || key == VK_BACK || key == VK_LEFT || key == VK_UP || key == VK_RIGHT) {
        host_.viewKey(key, autoRepeat);
        // The chat window may have closed, and this view with it.
        if (!isWindow(hwnd)) return;
    }
    switch (key) {
    case VK_UP:
        if (scrollWithinSelection(true)) return;
        if (selection_ == 0)
            host_.leaveView(true);
        else
            moveSelection(-1, true);
        return;
    case VK_DOWN:
        if (scrollWithinSelection(false)) return;
        if (items_.empty() || selection_ + 1 >= items_.size())
            host_.leaveView(false);
        else
            moveSelection(1, false);
        return;
    case VK_PRIOR:
        moveSelection(-static_cast<int>(std::max<size_t>(1, itemsPerPage() - 1)), false);
        return;
    case VK_NEXT:
        moveSelection(static_cast<int>(std::max<size_t>(1, itemsPerPage() - 1)), false);
        return;
    case VK_HOME:
        moveSelection(-static_cast<int>(items_.size()), false);
        return;
    case VK_END:
        moveSelection(static_cast<int>(items_.size()), true);
        return;
    case VK_RETURN:
    case VK_APPS:
        openMenuOfSelection();
        return;
    default:
        return;
    }
}

platform::LResult MessageView::handleMessage(HWND hwnd, uint32_t message, platform::WParam wParam,
                                             platform::LParam lParam) {
    // Characters typed while the messages have the focus belong to the chat
    // window's input.
    if (message == platform::WM_CHAR) {
        HWND parent = platform::parentOf(hwnd);
        return parent ? platform::sendMessage(parent, message, wParam, lParam) : 0;
    }
    return WindowBase::handleMessage(hwnd, message, wParam, lParam);
}

platform::LResult MessageView::onGetDialogCode(HWND, const platform::Msg*) {
    return platform::DLGC_WANTARROWS | platform::DLGC_WANTALLKEYS;
}

// --- Pointer ----------------------------------------------------------------------------

void MessageView::onLeftButtonDown(HWND hwnd, bool doubleClick, int x, int y, uint32_t) {
    platform::setFocus(hwnd);
    auto index = itemAt(y + scroll_);
    if (!index) return;
    selection_ = *index;
    repaint();
    std::shared_ptr<ChatItem> keep = items_[*index];
    Rect at = extent(*index);
    keep->click(doubleClick, {x - at.left, y + scroll_ - at.top});
}

void MessageView::onContextMenu(HWND hwnd, HWND, int x, int y) {
    if (x == -1 && y == -1) {
        openMenuOfSelection();
        return;
    }
    platform::Point client = platform::screenToClient(hwnd, {x, y});
    auto index = itemAt(client.y + scroll_);
    if (!index) return;
    selection_ = *index;
    repaint();
    std::shared_ptr<ChatItem> keep = items_[*index];
    keep->contextMenu({x, y});
}

void MessageView::onVerticalScroll(HWND, HWND, int code, int position) {
    if (auto target =
            platform::scrollTarget(platform::makeWParam(code, position), scroll_, kLineStep, kPageStep))
        setScroll(*target);
}

void MessageView::onSetFocus(HWND, HWND) {
    repaint();
}
void MessageView::onKillFocus(HWND, HWND) {
    repaint();
}

// --- Painting ---------------------------------------------------------------------------

void MessageView::onSize(HWND, int, int width, int height) {
    bool atEnd = scroll_ >= maxScroll();
    bool widthChanged = width != width_;
    width_ = width;
    page_ = height;
    if (widthChanged) relayout();
    if (atEnd)
        setScroll(maxScroll());
    else
        setScroll(scroll_);
}

void MessageView::repaint() {
    if (HWND h = hwnd(); platform::isWindow(h)) platform::invalidateRect(h, nullptr, false);
}

void MessageView::onPaint(HWND hwnd) {
    platform::PaintScope scope(hwnd);
    platform::DeviceContext& dc = scope.dc();
    Rect area = scope.area();
    dc.fillRect(area, platform::colours::kWindow);
    bool focused = platform::focusWindow() == hwnd;
    platform::UnixTime now = platform::unixNow();
    for (auto index = itemAt(scroll_ + area.top); index && *index < items_.size(); ++*index) {
        Rect rect = extent(*index).offset(0, -scroll_);
        if (rect.top >= area.bottom) break;
        ItemPaint paint{dc, metrics_, rect, area.intersect(rect), *index == selection_, focused, now};
        std::shared_ptr<ChatItem> item = items_[*index];
        item->paintSelection(paint);
        item->paint(paint);
    }
    dropCachesOutOfSight();
}

void MessageView::dropCachesOutOfSight() {
    std::vector<std::weak_ptr<ChatItem>> inSight;
    for (auto index = itemAt(scroll_); index && *index < items_.size(); ++*index) {
        if (extents_[*index].top >= scroll_ + page_) break;
        inSight.push_back(items_[*index]);
    }
    for (const std::weak_ptr<ChatItem>& before : painted_) {
        std::shared_ptr<ChatItem> item = before.lock();
        if (!item) continue;
        bool still = std::any_of(inSight.begin(), inSight.end(),
                                 [&](const std::weak_ptr<ChatItem>& now) { return now.lock() == item; });
        if (!still) item->dropPaintCache();
    }
    painted_ = std::move(inSight);
}

} // namespace kestrova::messaging
