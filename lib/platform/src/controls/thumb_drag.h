// Dragging a scroll bar's thumb, on the SCROLLBAR control (bar SB_CTL) or on
// a window's own bar. The bar's window holds the pointer meanwhile. Each move
// sets the bar's track position and sends SB_THUMBTRACK with it; letting go
// sends SB_THUMBPOSITION and SB_ENDSCROLL. The control reports to its parent
// with its handle in lParam, a window's own bar to the window itself.
// One pointer, so one drag at a time. User-interface thread only.
#pragma once

#include <optional>

#include "kestrova/platform/geometry.h"
#include "kestrova/platform/messages.h"

namespace kestrova::platform::detail {

// grab: how far into the thumb the pointer took it (ScrollHit::grab).
void startThumbDrag(HWND hwnd, int bar, int grab);
// Which of hwnd's bars has its thumb dragged (SB_CTL for the control), if any.
std::optional<int> draggedBar(HWND hwnd);
// The pointer moved to `client` (the bar window's client coordinates).
void dragThumbTo(Point client);
// Lets the thumb go, if hwnd's is the one dragged (also when the window
// loses the pointer to another).
void endThumbDrag(HWND hwnd);

} // namespace kestrova::platform::detail
