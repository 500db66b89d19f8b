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

// The answer to the query with this id for ALPHA<20>, or nothing.
std::optional<std::vector<std::uint8_t>> Decoded(const std::vector<std::uint8_t>& packet,
                                                 std::size_t size, std::uint16_t id = 7) {
    return netbios::DecodeAnswer(packet.data(), size, id, "alpha", netbios::kServer);
}

TEST(NetbiosMessage, ReadsOnlyAPositiveAnswerToTheQuery) {
    const std::vector<std::uint8_t> address{10, 231, 0, 1};
    const auto answer = Answer(7, address);
    EXPECT_EQ(Decoded(answer, answer.size()), address);
    // Someone else's answer, a negative answer, a query, an answer for another name or suffix.
    auto other = Answer(7, address);
    other[14] = 'F'; // the first letter's high half: not "A"
    const auto query = *netbios::EncodeQuery(7, "ALPHA", netbios::kServer);
    const std::vector<std::uint8_t> refused[] = {Answer(8, address), Answer(7, address, 0x8503),
                                                 query, other};
    for (const auto& packet : refused) {
        EXPECT_FALSE(Decoded(packet, packet.size()));
    }
    EXPECT_FALSE(
        netbios::DecodeAnswer(answer.data(), answer.size(), 7, "ALPHA", netbios::kWorkstation));
    EXPECT_FALSE(netbios::DecodeAnswer(answer.data(), answer.size(), 7, "BRAVO", netbios::kServer));
}

TEST(NetbiosMessage, BrokenAnswersAreIgnored) {
    const auto packet = Answer(7, {10, 0, 0, 1});
    for (std::size_t size = 0; size < packet.size(); ++size) {
        EXPECT_FALSE(Decoded(packet, size)) << size;
    }
    // A label that claims to run past the end, and an address record that is too short.
    auto overlong = packet;
    overlong[12] = 200;
    EXPECT_FALSE(Decoded(overlong, overlong.size()));
    auto shortRecord = packet;
    shortRecord[shortRecord.size() - 7] = 3;
    EXPECT_FALSE(Decoded(shortRecord, shortRecord.size()));
    // A compression pointer to the question's name names it; one to itself names nothing.
    auto question = *netbios::EncodeQuery(7, "ALPHA", netbios::kServer);
    question[2] = 0x85; // an answer, with its question
    question[7] = 1;
    const std::vector<std::uint8_t> record{0x00, 0x20, 0x00, 0x01, 0,   0,   0, 0,
                                           0,    6,    0,    0,    192, 168, 1, 2};
    auto pointing = question;
    pointing.insert(pointing.end(), {0xC0, 0x0C});
    pointing.insert(pointing.end(), record.begin(), record.end());
    EXPECT_EQ(Decoded(pointing, pointing.size()), (std::vector<std::uint8_t>{192, 168, 1, 2}));
    std::vector<std::uint8_t> itself(packet.begin(), packet.begin() + 12);
    itself.insert(itself.end(), {0xC0, 0x0C});
    itself.insert(itself.end(), record.begin(), record.end());
    EXPECT_FALSE(Decoded(itself, itself.size()));
}
