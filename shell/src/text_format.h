// Filling the placeholders of a text from the string table ("%d New
// Messages", "%s: %s", " (~ %.1fkm)"). The table is a file beside the
// program, so its texts are never handed to printf as formats: each
// placeholder is replaced, in order, by an already formatted value, and a
// text with fewer placeholders than values simply drops the rest.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace kestrova::shell {

// Replaces "%d", "%s", "%u" and "%.Nf" placeholders in order; "%%" is a
// percent sign.
std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> values);
// The string table's text with its one number placeholder filled.
std::string textWithNumber(uint32_t textNumber, long number);

} // namespace kestrova::shell
