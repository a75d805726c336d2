#include "settings_screen.h"

#include "kestrova/kit/texts.h"
#include "screen_texts.h"
#include "screens/single_screen.h"
#include "settings_pages.h"

namespace kestrova::shell {

using namespace kestrova::platform;

SettingsScreen* SettingsScreen::create(HWND owner) {
    return make<SettingsScreen>(owner, kit::text(texts::kSettingsCaption),
                                {kit::text(texts::kOk), kit::text(texts::kCancel)}, makeSettingsPages);
}

void SettingsScreen::closing() {
    SingleScreen<SettingsScreen>::vacate(this);
}

void openSettings(HWND mainWindow) {
    SingleScreen<SettingsScreen>::open(mainWindow);
}

} // namespace kestrova::shell
