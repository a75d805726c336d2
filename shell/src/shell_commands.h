// Command identifiers of the shell's menus and soft keys, and the numbers of
// its texts in its string table (resources/kestrova/strings.txt).
#pragma once

#include <cstdint>

namespace kestrova::shell {

// The registered window message a second start sends so that the running copy comes to the front.
inline constexpr char kActivateMessage[] = "KESTORVA_ACTIVATE";
// The name of the single-instance lock.
inline constexpr char kInstanceLockName[] = "Kestorva";

enum : int {
    kCommandChats = 105,
    kMenuPopupId = 103,
    kCommandAbout = 40004,
    kCommandExit = 40005,
    kCommandAddService = 40023,
    kCommandSettings = 40028,
    kCommandAddContact = 40032,
    kCommandJoinGroup = 40033,
    kCommandCreateGroup = 40034,
};

enum : uint32_t {
    kTextExitCaption = 102,
    kTextExitQuestion = 103,
    kTextMenu = 105,
    kTextOk = 106,
    kTextCancel = 107,
    kTextChats = 108,
};

}  // namespace kestrova::shell
