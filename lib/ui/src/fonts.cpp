#include "kestrova/ui/fonts.h"

#include "kestrova/platform/screen.h"

namespace kestrova::ui {

int windowFontHeight(int dpi) { return -(17 * dpi / 2) / 72; }
int normalFontHeight(int dpi) { return -(8 * dpi) / 72; }

const platform::Font& windowFont() {
    static const platform::Font font("Tahoma", windowFontHeight(platform::screenDpi()));
    return font;
}

const platform::Font& normalFont() {
    static const platform::Font font("Tahoma", normalFontHeight(platform::screenDpi()));
    return font;
}

const platform::Font& boldFont() {
    static const platform::Font font("Tahoma", normalFontHeight(platform::screenDpi()), platform::kBoldWeight);
    return font;
}

}  // namespace kestrova::ui
