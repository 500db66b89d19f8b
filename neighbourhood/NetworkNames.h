#pragma once

#include <string>
#include <string_view>

namespace neighbourhood {

// A name or text from the network, fit to show in the list and to save in the report: control
// characters dropped (C0, DEL, and U+0080 to U+009F in UTF-8), "|" (the separator of the name
// lists and of the report's columns) replaced with "_".
std::string CleanName(std::string_view text);

} // namespace neighbourhood
