#include "neighbourhood/netbios/NetbiosMessage.h"

#include <gtest/gtest.h>

namespace netbios = neighbourhood::netbios;

namespace {

std::string EncodedName(const std::vector<std::uint8_t>& packet) {
    return std::string(packet.begin() + 13, packet.begin() + 45);
}

// An answer as a name server sends it: the question's name, then one NB record.
std::vector<std::uint8_t> Answer(std::uint16_t id, std::vector<std::uint8_t> address,
                                 std::uint16_t flags = 0x8500) {
    std::vector<std::uint8_t> packet = *netbios::EncodeQuery(id, "ALPHA", netbios::kServer);
    packet[2] = static_cast<std::uint8_t>(flags >> 8);
    packet[3] = static_cast<std::uint8_t>(flags & 0xFF);
    packet[4] = 0; // no question section in the answer
    packet[5] = 0;
    packet[7] = 1;                             // one answer
    packet.insert(packet.end(), {0, 0, 0, 0}); // TTL
    packet.insert(packet.end(), {0, 6, 0, 0}); // length 6, NB flags
    packet.insert(packet.end(), address.begin(), address.end());
    return packet;
}

} // namespace

TEST(NetbiosMessage, EncodesABroadcastQueryForTheName) {
    const auto packet = netbios::EncodeQuery(0x1234, "alpha", netbios::kServer);
    ASSERT_TRUE(packet);
    ASSERT_EQ(packet->size(), 50u);
    EXPECT_EQ((*packet)[0], 0x12);
    EXPECT_EQ((*packet)[1], 0x34);
    EXPECT_EQ((*packet)[2], 0x01); // recursion desired
    EXPECT_EQ((*packet)[3], 0x10); // broadcast
    EXPECT_EQ((*packet)[12], 32);
    EXPECT_EQ(EncodedName(*packet), "EBEMFAEIEBCACACACACACACACACACACA");
    EXPECT_EQ(EncodedName(*netbios::EncodeQuery(1, "A", netbios::kWorkstation)),
              "EBCACACACACACACACACACACACACACAAA");
    EXPECT_FALSE(netbios::EncodeQuery(1, "", netbios::kServer));
    EXPECT_FALSE(netbios::EncodeQuery(1, "SIXTEEN-LETTERS!", netbios::kServer));
    EXPECT_FALSE(netbios::EncodeQuery(1, "*", netbios::kServer));
}

TEST(NetbiosMessage, ReadsTheFirstAddressOfAPositiveAnswer) {
    const auto packet = Answer(0x4242, {10, 231, 0, 1});
    EXPECT_EQ(netbios::DecodeAnswer(packet.data(), packet.size(), 0x4242),
              (std::vector<std::uint8_t>{10, 231, 0, 1}));
    // Someone else's answer, a negative answer, a query.
    EXPECT_FALSE(netbios::DecodeAnswer(packet.data(), packet.size(), 0x4243));
    const auto negative = Answer(0x4242, {10, 231, 0, 1}, 0x8503);
    EXPECT_FALSE(netbios::DecodeAnswer(negative.data(), negative.size(), 0x4242));
    const auto query = *netbios::EncodeQuery(0x4242, "ALPHA", netbios::kServer);
    EXPECT_FALSE(netbios::DecodeAnswer(query.data(), query.size(), 0x4242));
}

TEST(NetbiosMessage, BrokenAnswersAreIgnored) {
    const auto packet = Answer(7, {10, 0, 0, 1});
    for (std::size_t size = 0; size < packet.size(); ++size) {
        EXPECT_FALSE(netbios::DecodeAnswer(packet.data(), size, 7)) << size;
    }
    // A label that claims to run past the end, and an address record that is too short.
    auto overlong = packet;
    overlong[12] = 200;
    EXPECT_FALSE(netbios::DecodeAnswer(overlong.data(), overlong.size(), 7));
    auto shortRecord = packet;
    shortRecord[shortRecord.size() - 7] = 3;
    EXPECT_FALSE(netbios::DecodeAnswer(shortRecord.data(), shortRecord.size(), 7));
    // A compression pointer in place of the name is taken as the name's end.
    std::vector<std::uint8_t> pointer(packet.begin(), packet.begin() + 12);
    pointer.insert(pointer.end(),
                   {0xC0, 0x0C, 0x00, 0x20, 0x00, 0x01, 0, 0, 0, 0, 0, 6, 0, 0, 192, 168, 1, 2});
    EXPECT_EQ(netbios::DecodeAnswer(pointer.data(), pointer.size(), 7),
              (std::vector<std::uint8_t>{192, 168, 1, 2}));
}
