// Command identifiers of the shell's menus and soft keys.
#pragma once

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

}  // namespace kestrova::shell
