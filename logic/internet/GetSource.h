#pragma once

#include "platform/Internet.h"

#include <cstdint>
#include <string>

// The address page query: connectivity test, page fetch and the cutting of a value out of it.
namespace GetSource {

inline constexpr char kUserAgent[] = "vb wininet";
inline constexpr std::size_t kReadSize = 256;

bool CheckConnection(platform::Internet& internet, const std::string& url);

// The body of the page as text, or the empty text when nothing could be opened.
std::string GetPageText(platform::Internet& internet, const std::string& url);

// The text between the first startMarker at or after the 1-based startPosition and the next
// endMarker after it, with surrounding spaces (and only spaces) removed; empty when either
// marker is missing or startPosition is not positive.
std::string ExtractBetween(const std::string& text, const std::string& startMarker,
                           const std::string& endMarker, std::int32_t startPosition);

// The most a value of the page may take, in bytes: a host name's longest text.
inline constexpr std::size_t kMaxValueBytes = 255;

// The value that the page shows in bold after the marker ("<b>Your IP: ", "<b>Host: "), cut
// out as ExtractBetween does from the first character, and cleaned where it comes in: whoever
// serves the page decides these bytes, and they go into labels, the report and a terminal.
std::string PageValue(const std::string& page, const std::string& startMarker);

} // namespace GetSource
