#include "controls/edit_undo.h"

#include <utility>

namespace kestrova::platform::detail {

bool EditUndo::continuesRun(const EditReplacement& change) const {
    if (!step_ || change.kind != runKind_) return false;
    if (change.kind == EditChange::kTyping) return change.from == change.to && change.from == runEnd_;
    // Backspace ends its range where the last one began; Delete starts it
    // where the last one ended.
    return change.kind == EditChange::kDeleting && (change.to == runEnd_ || change.from == runEnd_);
}

void EditUndo::remember(const std::u32string& text, int anchor, int caret, const EditReplacement& change) {
    if (!continuesRun(change)) step_ = EditSnapshot{text, anchor, caret};
    runKind_ = change.kind;
    runEnd_ = change.caretAfter;
}

std::optional<EditSnapshot> EditUndo::swap(EditSnapshot now) {
    if (!step_) return std::nullopt;
    std::optional<EditSnapshot> back = std::exchange(step_, std::move(now));
    runKind_ = EditChange::kOther;
    return back;
}

void EditUndo::clear() {
    step_.reset();
    runKind_ = EditChange::kOther;
    runEnd_ = -1;
}

} // namespace kestrova::platform::detail
