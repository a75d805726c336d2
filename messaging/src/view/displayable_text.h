// Texts from the network made fit to draw: valid UTF-8, with every damaged
// sequence shown as U+FFFD, so that one bad byte never hides a whole message.
#pragma once

#include <string>
#include <string_view>

namespace kestrova::messaging {

std::string displayableText(std::string_view bytes);

} // namespace kestrova::messaging
