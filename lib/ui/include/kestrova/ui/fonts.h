// The shared "Tahoma" fonts, sized from the screen's dots per inch and made
// once on first use.
#pragma once

#include "kestrova/platform/dc.h"

namespace kestrova::ui {

// 8.5 points: -(17 * dpi / 2) / 72 pixels; sent to every window after creation.
const platform::Font& windowFont();
// 8 points: -(8 * dpi) / 72 pixels.
const platform::Font& normalFont();
// The normal font at weight 700.
const platform::Font& boldFont();
// Pixel heights of the three, for a given dpi (integer arithmetic as the
// system has always done it).
int windowFontHeight(int dpi);
int normalFontHeight(int dpi);

}  // namespace kestrova::ui
