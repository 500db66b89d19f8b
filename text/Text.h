#pragma once

#include <string>
#include <string_view>

// Text helpers that every layer may use; they depend on nothing.
namespace text {

// A-Z to a-z and nothing else, whatever the locale: how names are compared on the network.
std::string AsciiLower(std::string_view text);

// The text without leading and trailing spaces (U+0020 only: tabs and line breaks stay).
std::string TrimSpaces(std::string_view text);

} // namespace text
