#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

// Text helpers that every layer may use; they depend on nothing.
namespace text {

// A-Z to a-z and nothing else, whatever the locale: how names are compared on the network.
std::string AsciiLower(std::string_view text);
// a-z to A-Z and nothing else: a host name in capitals.
std::string AsciiUpper(std::string_view text);

// The text without leading and trailing spaces (U+0020 only: tabs and line breaks stay).
std::string TrimSpaces(std::string_view text);

// True when a socket library would read the text as an IPv4 address rather than a name: one
// to four numbers joined by ".", each decimal, octal (a leading 0) or hexadecimal ("0x"),
// within range ("10.0.0.1", "0x7f.1", "3405803777").
bool IsNumericAddress(std::string_view text);

// The UTF-8 character that starts at `at`: its code point and its length in bytes; length 0
// when the bytes there are no well-formed UTF-8 (overlong forms, surrogates, values past
// U+10FFFF, a character cut off by the end).
std::pair<char32_t, std::size_t> DecodeUtf8(std::string_view text, std::size_t at);
// A code point (at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// The text cut to at most `bytes` bytes, never inside a UTF-8 character.
std::string CapUtf8(std::string_view text, std::size_t bytes);

// Text that a peer sent, fit to show on one line and to save in a report: valid UTF-8 (each
// byte that starts no well-formed character becomes U+FFFD), without control characters (C0,
// DEL, C1, the line and paragraph separators) or the invisible characters that reorder or hide
// text (bidirectional marks, embeddings, overrides and isolates; zero-width spaces and joiners;
// the soft hyphen; the byte-order mark; tags), cut to at most `bytes` bytes, never inside a
// character.
std::string CleanText(std::string_view text, std::size_t bytes);

// True for a plain DNS host name: labels of ASCII letters, digits and hyphens, 1 to 63 bytes
// each, joined by single dots, at most 253 bytes in all, and not what a socket library would
// read as a numeric address.
bool IsPlainHostName(std::string_view text);

} // namespace text
