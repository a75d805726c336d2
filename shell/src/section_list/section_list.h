// SectionList: the scrolling list of sections that the home screen's pages
// are made of (a group's members, the overview). It lays out each section
// that has rows as its header followed, unless collapsed, by its rows; it
// paints the rows in view, moves the selection with the keys, and hands
// taps, Enter and context-menu requests to the rows.
//
// Rows may go away while one of them is acting (a menu's nested loop, an
// event whose subscribers change the list): while an action runs, rows
// taken out are kept until it has returned.
//
// For automation the list answers the list box's item queries (count,
// texts, selection, item rectangles), so scripts read it as the user sees it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kestrova/ui/window_base.h"
#include "list_section.h"
#include "row_metrics.h"

namespace kestrova::shell {

class SectionList : public ui::WindowBase {
  public:
    ~SectionList() override;

    // The section of that key; a new one is appended, or put before all
    // others with atTop. An existing one keeps its title, flag and place.
    std::shared_ptr<ListSection> section(std::string_view key, std::string_view title, bool collapsed = false,
                                         bool atTop = false);
    ListSection* findSection(std::string_view key) const;
    const std::vector<std::shared_ptr<ListSection>>& sections() const { return sections_; }

    // Taking rows out: destroyed at once, or once the acting row returns.
    // The caller lays out again before returning to the message loop.
    void clearRows(ListSection& section);
    // False when the section has no such row.
    bool removeRow(ListSection& section, const ListRow* row);

    // Lays the rows out again and repaints. Call after changing sections.
    void layOut();
    // A header's action: collapses or expands its section.
    void toggle(ListSection& section);
    // Runs a row's action with the row kept alive throughout.
    void act(const std::function<void()>& action);

    // The window that hears Left and Right (the tab strip).
    void setSideKeyTarget(platform::HWND target) { sideKeyTarget_ = target; }

    RowMetrics metrics() const;
    size_t rowCount() const { return placed_.size(); }
    ListRow* rowAt(size_t index) const { return index < placed_.size() ? placed_[index].row : nullptr; }
    int selectedIndex() const { return selected_; }
    ListRow* selectedRow() const { return selected_ >= 0 ? rowAt(static_cast<size_t>(selected_)) : nullptr; }
    // Selects the row (clamped to the list), scrolls it into view, repaints.
    void select(int index);
    // The row's rectangle in client coordinates, as scrolled now.
    platform::Rect rowRect(size_t index) const;

    platform::LResult handleMessage(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                                    platform::LParam lParam) override;
    void onPaint(platform::HWND hwnd) override;
    platform::LResult onEraseBackground(platform::HWND hwnd, platform::DeviceContext* dc) override;
    platform::LResult onGetDialogCode(platform::HWND hwnd, const platform::Msg* message) override;
    void onKey(platform::HWND hwnd, uint32_t key, bool down, int repeat, uint32_t flags) override;
    void onLeftButtonDown(platform::HWND hwnd, bool doubleClick, int x, int y, uint32_t keys) override;
    void onContextMenu(platform::HWND hwnd, platform::HWND target, int x, int y) override;
    void onSetFocus(platform::HWND hwnd, platform::HWND oldFocus) override;
    void onKillFocus(platform::HWND hwnd, platform::HWND newFocus) override;
    void onSize(platform::HWND hwnd, int type, int width, int height) override;
    void onVerticalScroll(platform::HWND hwnd, platform::HWND bar, int code, int position) override;

  protected:
    // A hidden child of parent, a tab stop with a vertical bar when needed.
    bool createList(platform::HWND parent, std::string_view title);
    // Called before painting: a page brings its rows up to date here.
    virtual void prepareRows() {}
    // Left and Right: passed on to the side-key target.
    virtual void onSideKey(uint32_t key);
    bool acting() const { return actionDepth_ > 0; }

  private:
    struct Placed {
        ListRow* row;
        int top;
        int height;
    };

    void moveBy(int rows);
    int pageStep(bool down) const;
    int rowIndexAt(int y) const;
    void scrollTo(int position);
    void scrollIntoView(size_t index);
    void updateScrollBar();
    void openContextMenu(size_t index, platform::Point screenPoint);
    void retire(std::unique_ptr<ListRow> row);
    platform::LResult answerItemQuery(uint32_t message, platform::WParam wParam, platform::LParam lParam);

    std::vector<std::shared_ptr<ListSection>> sections_;
    std::vector<Placed> placed_;
    int totalHeight_ = 0;
    int selected_ = 0;
    int scroll_ = 0;
    bool updatingBar_ = false;
    int actionDepth_ = 0;
    bool layOutAfterAction_ = false;
    std::vector<std::unique_ptr<ListRow>> retired_;
    platform::HWND sideKeyTarget_ = nullptr;
};

} // namespace kestrova::shell
