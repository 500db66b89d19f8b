#include "neighbourhood/netbios/NetbiosMessage.h"
#include "neighbourhood/netbios/QueryBatch.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace netbios = neighbourhood::netbios;

namespace {

std::string EncodedName(const std::vector<std::uint8_t>& packet) {
    return std::string(packet.begin() + 13, packet.begin() + 45);
}

// An answer as a name server sends it: the question's name, then one NB record.
std::vector<std::uint8_t> Answer(std::uint16_t id, std::vector<std::uint8_t> address,
                                 std::uint16_t flags = 0x8500, const std::string& name = "ALPHA",
                                 std::uint8_t suffix = netbios::kServer) {
    std::vector<std::uint8_t> packet = *netbios::EncodeQuery(id, name, suffix);
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

// Twenty names asked together wait once: their queries go out at once and again half way, each
// answer is taken for the name and transaction id it carries, and what is left unanswered ends
// together. A name that joins later keeps a wait of its own.
TEST(NetbiosQueryBatch, ManyNamesShareOneWait) {
    using std::chrono::milliseconds;
    netbios::QueryBatch batch(milliseconds{500});
    const auto id = [](std::size_t key) { return static_cast<std::uint16_t>(1000 + key * 64); };
    const auto name = [](std::size_t key) { return "PC" + std::to_string(key); };
    std::size_t sent = 0;
    for (std::size_t key = 0; key < 20; ++key) {
        sent += batch.Add(key, name(key), id(key), milliseconds{0}).size();
    }
    EXPECT_EQ(sent, 40u) << "a server and a workstation query for each name";
    EXPECT_TRUE(batch.Add(99, "*", 1, milliseconds{0}).empty()) << "no NetBIOS name";
    EXPECT_EQ(batch.Next(), milliseconds{250});
    EXPECT_TRUE(batch.Resend(milliseconds{249}).empty());
    EXPECT_EQ(batch.Resend(milliseconds{250}).size(), 40u);
    EXPECT_TRUE(batch.Resend(milliseconds{251}).empty());
    EXPECT_EQ(batch.Next(), milliseconds{500});

    using Answered = std::optional<std::pair<std::size_t, std::vector<std::uint8_t>>>;
    const auto answer = [&](const std::vector<std::uint8_t>& packet) {
        return batch.Answer(packet.data(), packet.size());
    };
    // The server name's query goes under the name's id + 0x20, the workstation's under its id.
    const auto server = [&](std::size_t key) { return static_cast<std::uint16_t>(id(key) + 0x20); };
    const std::vector<std::uint8_t> address{10, 0, 0, 3};
    EXPECT_EQ(answer(Answer(server(3), address, 0x8500, "PC3")), (Answered{{3, address}}));
    EXPECT_EQ(answer(Answer(id(7), {10, 0, 0, 7}, 0x8500, "PC7", netbios::kWorkstation)),
              (Answered{{7, {10, 0, 0, 7}}}));
    // Answered before; a name not asked under an asked id; an asked name under another id.
    EXPECT_EQ(answer(Answer(server(3), address, 0x8500, "PC3")), Answered{});
    EXPECT_EQ(answer(Answer(server(5), address, 0x8500, "ALPHA")), Answered{});
    EXPECT_EQ(answer(Answer(server(6), address, 0x8500, "PC5")), Answered{});
    EXPECT_EQ(answer({0x03}), Answered{});

    batch.Add(20, "LATE", 7, milliseconds{300});
    EXPECT_TRUE(batch.Expired(milliseconds{499}).empty());
    const std::vector<std::size_t> expired = batch.Expired(milliseconds{500});
    EXPECT_EQ(expired.size(), 18u);
    EXPECT_EQ(std::count(expired.begin(), expired.end(), 3), 0);
    EXPECT_EQ(batch.Next(), milliseconds{550});
    EXPECT_EQ(batch.Resend(milliseconds{550}).size(), 2u);
    EXPECT_EQ(batch.Expired(milliseconds{800}), (std::vector<std::size_t>{20}));
    EXPECT_TRUE(batch.empty());
}
