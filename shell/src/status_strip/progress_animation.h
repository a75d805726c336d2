// The status strip's progress animation: a ring of dots with a bright head
// that runs round once every kProgressFrames frames, its tail fading behind it.
#pragma once

#include "kestrova/platform/dc.h"

namespace kestrova::shell {

inline constexpr int kProgressFrames = 12;

// Draws one frame (taken modulo kProgressFrames) centred in the square cell.
void drawProgressFrame(platform::DeviceContext& dc, const platform::Rect& cell, int frame);

} // namespace kestrova::shell
