#include "about_screen.h"

#include "about_pages.h"
#include "kestrova/kit/texts.h"
#include "screen_texts.h"
#include "screens/single_screen.h"

namespace kestrova::shell {

using namespace kestrova::platform;

AboutScreen* AboutScreen::create(HWND owner, const std::filesystem::path& program) {
    auto pages = [&program](HWND window) { return makeAboutPages(window, program); };
    return make<AboutScreen>(owner, kit::text(texts::kAboutCaption), {kit::text(texts::kDone), {}}, pages);
}

void AboutScreen::closing() {
    SingleScreen<AboutScreen>::vacate(this);
}

void openAbout(HWND mainWindow) {
    SingleScreen<AboutScreen>::open(mainWindow);
}

} // namespace kestrova::shell
