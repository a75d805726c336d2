// Command identifiers of the shell's menus and soft keys, and the numbers of
// the main window's texts in the program's string table
// (resources/kestrova/strings.txt).
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

// The control identifier of the status strip among the main window's panes.
inline constexpr uintptr_t kStatusStripId = 5001;

enum : uint32_t {
    kTextExitCaption = 102,
    kTextExitQuestion = 103,
    kTextMenu = 105,
    kTextOk = 106,
    kTextCancel = 107,
    kTextChats = 108,

    kTextProductName = 1200,  // the window's title, and the label of a service without a type
    kTextMenuAddService = 1201,
    kTextMenuContacts = 1202,
    kTextMenuAddContact = 1203,
    kTextMenuGroups = 1204,
    kTextMenuJoinGroup = 1205,
    kTextMenuCreateGroup = 1206,
    kTextMenuSettings = 1207,
    kTextMenuAbout = 1208,
    kTextMenuExit = 1209,
    kTextServiceLabel = 1210,  // "%s (%s)": a service's name and its account
    kTextNameAndState = 1211,  // "%s - %s": the user's name and presence on the status strip
    kTextShortened = 1212,     // "%s...": an account text cut short
};

}  // namespace kestrova::shell
