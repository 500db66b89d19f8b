#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace neighbourhood::wsd {

// POSTs a SOAP 1.2 request to an http:// URL, over a direct connection whatever proxies the
// system names: the body of a 200 answer, when it came whole within `limit` and holds at most
// `maxBytes`; nothing otherwise. Blocks for at most about `limit`.
std::optional<std::string> PostSoap(const std::string& url, const std::string& request,
                                    std::chrono::milliseconds limit, std::size_t maxBytes);

} // namespace neighbourhood::wsd
