// The static label ("STATIC"): text, word-wrapped unless SS_LEFTNOWORDWRAP,
// on its parent's background (asked with WM_CTLCOLORSTATIC). "&" marks a
// mnemonic unless SS_NOPREFIX. With SS_NOTIFY a tap reaches the parent as
// STN_CLICKED.
#pragma once

#include <cstdint>

namespace kestrova::platform {

inline constexpr char kStaticClass[] = "STATIC";

inline constexpr uint32_t SS_LEFT = 0x00;
inline constexpr uint32_t SS_CENTER = 0x01;
inline constexpr uint32_t SS_RIGHT = 0x02;
inline constexpr uint32_t SS_LEFTNOWORDWRAP = 0x0C;
inline constexpr uint32_t SS_TYPEMASK = 0x1F;
inline constexpr uint32_t SS_NOPREFIX = 0x80;
inline constexpr uint32_t SS_NOTIFY = 0x100;
inline constexpr uint32_t SS_CENTERIMAGE = 0x200; // the text centred vertically

inline constexpr int STN_CLICKED = 0;

} // namespace kestrova::platform
