#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace neighbourhood {

// The most a name or a comment from the network may take, in UTF-8 bytes: a DNS name; a share
// comment of 256 characters. With these, any entry fits one read of the walk.
inline constexpr std::size_t kMaxNameBytes = 255;
inline constexpr std::size_t kMaxCommentBytes = 768;

// A name or text from the network, fit to show in the list and to save in the report: control
// characters dropped (C0, DEL, and U+0080 to U+009F in UTF-8), "|" (the separator of the name
// lists and of the report's columns) replaced with "_"; then cut to at most `cap` bytes, never
// inside a character.
std::string CleanName(std::string_view text, std::size_t cap = kMaxNameBytes);

} // namespace neighbourhood
