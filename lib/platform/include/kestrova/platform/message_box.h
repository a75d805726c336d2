// Message boxes with their icons and OK / Yes-No buttons.
#pragma once

#include <cstdint>
#include <string_view>

#include "kestrova/platform/messages.h"

namespace kestrova::platform {

enum MessageBoxStyle : uint32_t {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
    MB_SETFOREGROUND = 0x10000,
    MB_TOPMOST = 0x40000,
};

// Shows the box over its owner and returns the button chosen (IDOK, IDYES,
// IDNO, IDCANCEL).
int messageBox(HWND owner, std::string_view text, std::string_view caption, uint32_t style);

}  // namespace kestrova::platform
