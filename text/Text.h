#pragma once

#include <string>
#include <string_view>

// Text helpers that every layer may use; they depend on nothing.
namespace text {

// A-Z to a-z and nothing else, whatever the locale: how names are compared on the network.
std::string AsciiLower(std::string_view text);

// The text without leading and trailing spaces (U+0020 only: tabs and line breaks stay).
std::string TrimSpaces(std::string_view text);

// True when a socket library would read the text as an IPv4 address rather than a name: one
// to four numbers joined by ".", each decimal, octal (a leading 0) or hexadecimal ("0x"),
// within range ("10.0.0.1", "0x7f.1", "3405803777").
bool IsNumericAddress(std::string_view text);

// The text cut to at most `bytes` bytes, never inside a UTF-8 character.
std::string CapUtf8(std::string_view text, std::size_t bytes);

} // namespace text
