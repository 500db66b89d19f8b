#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The messages of the NetBIOS name service (UDP 137): how Windows finds the names of its network
// neighbourhood that DNS does not know.
namespace neighbourhood::netbios {

inline constexpr std::uint8_t kWorkstation = 0x00;
inline constexpr std::uint8_t kServer = 0x20;
inline constexpr std::size_t kMaxNameLength = 15;

// A broadcast name query packet; nothing when the name cannot be a NetBIOS name.
std::optional<std::vector<std::uint8_t>> EncodeQuery(std::uint16_t id, const std::string& name,
                                                     std::uint8_t suffix);

// The first IPv4 address of a positive answer to the query with this id for this name and
// suffix, in network order.
std::optional<std::vector<std::uint8_t>> DecodeAnswer(const std::uint8_t* data, std::size_t size,
                                                      std::uint16_t id, const std::string& name,
                                                      std::uint8_t suffix);

} // namespace neighbourhood::netbios
