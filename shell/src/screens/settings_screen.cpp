#include "settings_screen.h"

#include "kestrova/kit/texts.h"
#include "screen_texts.h"
#include "screens/single_screen.h"
#include "settings_pages.h"

namespace kestrova::shell {

using namespace kestrova::platform;

SettingsScreen* SettingsScreen::create(HWND owner) {
    auto* screen = new SettingsScreen;
    if (!screen->build(owner, kit::text(texts::kSettingsCaption),
                       {kit::text(texts::kOk), kit::text(texts::kCancel)}, makeSettingsPages)) {
        discard(screen);
        return nullptr;
    }
    return screen;
}

void SettingsScreen::closing() {
    SingleScreen<SettingsScreen>::vacate(this);
}

void openSettings(HWND mainWindow) {
    SingleScreen<SettingsScreen>::open(mainWindow);
}

} // namespace kestrova::shell
