#include "section_list.h"

#include <algorithm>

#include "item_queries.h"
#include "kestrova/platform/list_box.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/scroll.h"
#include "section_header_row.h"

namespace kestrova::shell {

using namespace kestrova::platform;

void ListRow::paintSelection(DeviceContext& dc, const Rect& rect, bool focused) {
    if (focused) dc.fillRect(rect.inset(1, 1), Colour(187, 206, 225));
}

SectionList::~SectionList() {
    // The rows may reach back into the list while they go.
    placed_.clear();
    sections_.clear();
    retired_.clear();
}

bool SectionList::createList(HWND parent, std::string_view title) {
    return create(std::string(title), WS_CHILD | WS_TABSTOP, Rect{}, parent);
}

RowMetrics SectionList::metrics() const {
    return RowMetrics{screenDpi()};
}

std::shared_ptr<ListSection> SectionList::section(std::string_view key, std::string_view title,
                                                  bool collapsed, bool atTop) {
    for (auto& existing : sections_)
        if (existing->key == key) return existing;
    auto made = std::make_shared<ListSection>(std::string(key), std::string(title), collapsed);
    made->header = std::make_unique<SectionHeaderRow>(*this, *made);
    sections_.insert(atTop ? sections_.begin() : sections_.end(), made);
    return made;
}

ListSection* SectionList::findSection(std::string_view key) const {
    for (auto& existing : sections_)
        if (existing->key == key) return existing.get();
    return nullptr;
}

void SectionList::retire(std::unique_ptr<ListRow> row) {
    if (acting()) {
        // The acting row may be this one, or may still use it.
        retired_.push_back(std::move(row));
        layOutAfterAction_ = true;
        return;
    }
    placed_.clear(); // the caller lays out again before anything paints
}

void SectionList::clearRows(ListSection& section) {
    std::vector<std::unique_ptr<ListRow>> rows = std::move(section.rows);
    section.rows.clear();
    for (auto& row : rows)
        retire(std::move(row));
    if (!acting()) placed_.clear();
}

bool SectionList::removeRow(ListSection& section, const ListRow* row) {
    auto found = std::find_if(section.rows.begin(), section.rows.end(),
                              [row](const std::unique_ptr<ListRow>& r) { return r.get() == row; });
    if (found == section.rows.end()) return false;
    std::unique_ptr<ListRow> taken = std::move(*found);
    section.rows.erase(found);
    retire(std::move(taken));
    return true;
}

void SectionList::act(const std::function<void()>& action) {
    ++actionDepth_;
    action();
    if (--actionDepth_ > 0) return;
    std::vector<std::unique_ptr<ListRow>> done = std::move(retired_);
    retired_.clear();
    // Lay out first, so that nothing points at the rows that go now.
    if (std::exchange(layOutAfterAction_, false)) layOut();
}

void SectionList::layOut() {
    ListRow* selected = selectedRow();
    int oldSelected = selected_;
    placed_.clear();
    int top = 0;
    for (auto& section : sections_) {
        if (section->rows.empty()) continue;
        placed_.push_back({section->header.get(), top, section->header->height()});
        top += placed_.back().height;
        if (section->collapsed) continue;
        for (auto& row : section->rows) {
            placed_.push_back({row.get(), top, row->height()});
            top += placed_.back().height;
        }
    }
    totalHeight_ = top;
    // The selection stays on its row when the row is still there.
    auto same =
        std::find_if(placed_.begin(), placed_.end(), [&](const Placed& p) { return p.row == selected; });
    int last = static_cast<int>(placed_.size()) - 1;
    selected_ = same != placed_.end() ? static_cast<int>(same - placed_.begin())
                                      : std::clamp(oldSelected, 0, std::max(0, last));
    if (!hwnd()) return;
    updateScrollBar();
    invalidateRect(hwnd(), nullptr, true);
}

void SectionList::toggle(ListSection& section) {
    section.collapsed = !section.collapsed;
    layOut();
}

void SectionList::updateScrollBar() {
    if (updatingBar_) return;
    updatingBar_ = true;
    int viewHeight = windowRect(hwnd()).height();
    bool needsBar = totalHeight_ > viewHeight;
    uint32_t style = windowStyle(hwnd());
    if (needsBar != ((style & WS_VSCROLL) != 0))
        setWindowStyle(hwnd(), needsBar ? (style | WS_VSCROLL) : (style & ~WS_VSCROLL));
    ScrollInfo info;
    info.mask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.min = 0;
    info.max = std::max(0, totalHeight_ - 1);
    info.page = static_cast<unsigned>(std::max(0, clientRect(hwnd()).height()));
    info.pos = scroll_;
    scroll_ = setScrollInfo(hwnd(), SB_VERT, info);
    updatingBar_ = false;
}

Rect SectionList::rowRect(size_t index) const {
    if (index >= placed_.size()) return {};
    int width = hwnd() ? clientRect(hwnd()).width() : 0;
    return Rect::ofSize(0, placed_[index].top - scroll_, width, placed_[index].height);
}

int SectionList::rowIndexAt(int y) const {
    int content = y + scroll_;
    for (size_t i = 0; i < placed_.size(); ++i)
        if (content >= placed_[i].top && content < placed_[i].top + placed_[i].height)
            return static_cast<int>(i);
    return -1;
}

void SectionList::scrollTo(int position) {
    int maxScroll = std::max(0, totalHeight_ - clientRect(hwnd()).height());
    position = std::clamp(position, 0, maxScroll);
    if (position == scroll_) return;
    scroll_ = position;
    setScrollPos(hwnd(), SB_VERT, scroll_);
    invalidateRect(hwnd(), nullptr, true);
}

void SectionList::scrollIntoView(size_t index) {
    if (index >= placed_.size()) return;
    int viewHeight = clientRect(hwnd()).height();
    const Placed& row = placed_[index];
    if (row.top < scroll_)
        scrollTo(row.top);
    else if (row.top + row.height > scroll_ + viewHeight)
        scrollTo(row.top + row.height - viewHeight);
}

void SectionList::select(int index) {
    if (placed_.empty()) return;
    selected_ = std::clamp(index, 0, static_cast<int>(placed_.size()) - 1);
    if (!hwnd()) return;
    scrollIntoView(static_cast<size_t>(selected_));
    invalidateRect(hwnd(), nullptr, true);
}

void SectionList::moveBy(int rows) {
    select(selected_ + rows);
}

// How many rows from the selected one fit on a page, less one (at least one).
int SectionList::pageStep(bool down) const {
    int viewHeight = clientRect(hwnd()).height();
    int used = 0, fitting = 0;
    for (int i = selected_; i >= 0 && i < static_cast<int>(placed_.size()); i += down ? 1 : -1) {
        used += placed_[static_cast<size_t>(i)].height;
        if (used > viewHeight) break;
        ++fitting;
    }
    return std::max(1, fitting - 1);
}

void SectionList::openContextMenu(size_t index, Point screenPoint) {
    ListRow* row = rowAt(index);
    if (!row) return;
    act([&] { row->contextMenu(screenPoint.x, screenPoint.y); });
}

void SectionList::onSideKey(uint32_t key) {
    if (sideKeyTarget_) sendMessage(sideKeyTarget_, WM_KEYDOWN, key, 0);
}

void SectionList::onKey(HWND hwnd, uint32_t key, bool down, int, uint32_t) {
    if (!down) return;
    int last = static_cast<int>(placed_.size()) - 1;
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
        onSideKey(key);
        break;
    case VK_UP:
        if (selected_ <= 0)
            postMessage(parentOf(hwnd), WM_NEXTDLGCTL, 1, 0);
        else
            moveBy(-1);
        break;
    case VK_DOWN:
        if (selected_ >= last)
            postMessage(parentOf(hwnd), WM_NEXTDLGCTL, 0, 0);
        else
            moveBy(1);
        break;
    case VK_PRIOR:
        moveBy(-pageStep(false));
        break;
    case VK_NEXT:
        moveBy(pageStep(true));
        break;
    case VK_HOME:
        select(0);
        break;
    case VK_END:
        select(last);
        break;
    case VK_APPS:
        if (selectedRow()) {
            Rect rect = rowRect(static_cast<size_t>(selected_));
            openContextMenu(static_cast<size_t>(selected_),
                            clientToScreen(hwnd, {rect.left + 5, rect.top + 5}));
        }
        break;
    case VK_RETURN:
        if (ListRow* row = selectedRow()) act([row] { row->activate(); });
        break;
    default:
        break;
    }
}

void SectionList::onLeftButtonDown(HWND hwnd, bool doubleClick, int, int y, uint32_t) {
    if (focusWindow() != hwnd) setFocus(hwnd);
    int index = rowIndexAt(y);
    if (index < 0) return;
    select(index);
    if (!doubleClick) return;
    ListRow* row = rowAt(static_cast<size_t>(index));
    act([row] { row->click(true); });
}

void SectionList::onContextMenu(HWND hwnd, HWND, int x, int y) {
    int index = rowIndexAt(screenToClient(hwnd, {x, y}).y);
    if (index < 0) return;
    select(index);
    openContextMenu(static_cast<size_t>(index), {x, y});
}

LResult SectionList::onGetDialogCode(HWND, const Msg*) {
    return DLGC_WANTALLKEYS;
}

void SectionList::onSetFocus(HWND hwnd, HWND) {
    invalidateRect(hwnd, nullptr, false);
}

void SectionList::onKillFocus(HWND hwnd, HWND) {
    invalidateRect(hwnd, nullptr, false);
}

void SectionList::onSize(HWND, int, int, int) {
    updateScrollBar();
    scrollTo(scroll_);
}

void SectionList::onVerticalScroll(HWND, HWND, int code, int position) {
    int line = metrics().unit() * 2;
    int page = std::max(line, clientRect(hwnd()).height() - line);
    if (auto target = scrollTarget(makeWParam(code, position), scroll_, line, page)) scrollTo(*target);
}

LResult SectionList::onEraseBackground(HWND, DeviceContext*) {
    return 1;
}

void SectionList::onPaint(HWND hwnd) {
    if (!acting()) prepareRows();
    PaintScope paint(hwnd);
    DeviceContext& dc = paint.dc();
    Rect client = clientRect(hwnd);
    dc.fillRect(client, colours::kWindow);
    bool focused = focusWindow() == hwnd;
    for (size_t i = 0; i < placed_.size(); ++i) {
        Rect rect = rowRect(i);
        if (rect.bottom <= paint.area().top || rect.top >= paint.area().bottom) continue;
        DeviceContext::ClipGuard clip(dc, rect);
        if (static_cast<int>(i) == selected_) placed_[i].row->paintSelection(dc, rect, focused);
        placed_[i].row->paint(dc, rect);
    }
}

LResult SectionList::answerItemQuery(uint32_t message, WParam wParam, LParam lParam) {
    ListRow* row = rowAt(wParam);
    switch (message) {
    case LB_GETCOUNT:
        return static_cast<LResult>(placed_.size());
    case LB_GETCURSEL:
        return placed_.empty() ? LB_ERR : selected_;
    case LB_SETCURSEL:
        if (!row) return LB_ERR;
        select(static_cast<int>(wParam));
        return selected_;
    case LB_GETTEXTLEN:
    case LB_GETTEXT:
        return answerTextQuery(message, row ? std::optional(row->text()) : std::nullopt, lParam);
    case LB_GETITEMRECT:
        if (!row || !lParam) return LB_ERR;
        *reinterpret_cast<Rect*>(lParam) = rowRect(wParam);
        return 1;
    default:
        return LB_ERR;
    }
}

LResult SectionList::handleMessage(HWND hwnd, uint32_t message, WParam wParam, LParam lParam) {
    switch (message) {
    case LB_GETCOUNT:
    case LB_GETCURSEL:
    case LB_SETCURSEL:
    case LB_GETTEXTLEN:
    case LB_GETTEXT:
    case LB_GETITEMRECT:
        return answerItemQuery(message, wParam, lParam);
    default:
        return WindowBase::handleMessage(hwnd, message, wParam, lParam);
    }
}

} // namespace kestrova::shell
