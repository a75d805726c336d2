// A section of a section list: a key, a title, a collapsed flag and its rows.
// The list shows a section's header only while it has rows, and its rows
// only while it is expanded.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "list_row.h"

namespace kestrova::shell {

struct ListSection {
    ListSection(std::string key, std::string title, bool collapsed)
        : key(std::move(key)), title(std::move(title)), collapsed(collapsed) {}

    std::string key;
    std::string title;
    bool collapsed = false;
    std::vector<std::unique_ptr<ListRow>> rows;
    // The header row the list shows above the rows; made by the list.
    std::unique_ptr<ListRow> header;
};

} // namespace kestrova::shell
