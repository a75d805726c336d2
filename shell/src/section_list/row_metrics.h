// The sizes of the home screen's rows, all derived from the screen's dots
// per inch with the integer arithmetic the system has always used.
#pragma once

namespace kestrova::shell {

struct RowMetrics {
    int dpi;

    // The unit of the list rows: one eighth of an inch.
    constexpr int unit() const { return dpi / 8; }
    // A line of text inside a row.
    constexpr int lineHeight() const { return unit() - 3; }
    constexpr int contactRow() const { return 2 * unit(); }
    // A contact row with a place line under the name.
    constexpr int contactRowWithPlace() const { return 3 * unit() - 3; }
    constexpr int groupChatRow() const { return dpi / 4; }
    constexpr int sectionHeader() const { return dpi / 5; }
    // The column the row's icon is centred in, and the icon drawn there.
    constexpr int iconCell() const { return 2 * unit(); }
    constexpr int iconSize() const {
        int cell = iconCell();
        return cell > 34 ? 32 : cell > 24 ? 22 : 16;
    }
    // The overview's two-line items (static and unread) and their icons.
    constexpr int overviewItem() const { return 2 * unit() + dpi / 16; }
    constexpr int overviewIconSize() const { return 2 * unit() > 32 ? 32 : 16; }
    // A service item of the overview with that many non-empty lines.
    constexpr int serviceItem(int lines) const { return unit() * lines + dpi / 16; }
};

} // namespace kestrova::shell
