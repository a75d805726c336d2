// The edit control's undo: one step back, and undoing again redoes it.
// Typing on at the place where the last letter went, or deleting on from
// where the last deletion stopped, adds to the same step, so one undo takes
// back the word just typed rather than its last letter.
#pragma once

#include <optional>
#include <string>

namespace kestrova::platform::detail {

struct EditSnapshot {
    std::u32string text;
    int anchor = 0;
    int caret = 0;
};

enum class EditChange { kTyping, kDeleting, kOther };

// A change about to replace [from, to) of the text, leaving the caret at
// caretAfter.
struct EditReplacement {
    EditChange kind = EditChange::kOther;
    int from = 0;
    int to = 0;
    int caretAfter = 0;
};

class EditUndo {
  public:
    // Before each change, with the text as it still is.
    void remember(const std::u32string& text, int anchor, int caret, const EditReplacement& change);
    // The text to go back to, keeping `now` as the step that redoes;
    // nothing when there is no step.
    std::optional<EditSnapshot> swap(EditSnapshot now);
    bool canUndo() const { return step_.has_value(); }
    void clear();

  private:
    bool continuesRun(const EditReplacement& change) const;

    std::optional<EditSnapshot> step_;
    EditChange runKind_ = EditChange::kOther;
    int runEnd_ = -1; // where the caret stood after the last change
};

} // namespace kestrova::platform::detail
