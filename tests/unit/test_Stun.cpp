#include "logic/internet/ExternalAddress.h"
#include "logic/internet/Stun.h"
#include "tests/support/FakeDatagrams.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>

using namespace std::chrono_literals;
using fakes::StunAnswer;
using fakes::XorMapped;
using platform::Ipv4Address;

namespace {

// Bytes above 0x7F too: they must compare as bytes, not as signed characters.
const Stun::TransactionId kId = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0x8B, 0xFC};
const Ipv4Address kOutside = {198, 51, 100, 1};

std::string WithByte(std::string message, std::size_t at, char value) {
    message[at] = value;
    return message;
}

} // namespace

TEST(Stun, TheRequestIsABareBindingHeader) {
    EXPECT_EQ(Stun::BindingRequest(kId),
              std::string("\x00\x01\x00\x00\x21\x12\xA4\x42", 8) +
                  std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x8B\xFC", 12));
    EXPECT_EQ(Stun::Crc32("123456789"), 0xCBF43926U);
}

// Whoever can reach the socket can send anything: only a well-formed answer to our own request
// gives an address.
TEST(Stun, OnlyAWellFormedAnswerToOurRequestGivesAnAddress) {
    const Stun::TransactionId otherId = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    const std::string xorAnswer = StunAnswer(kId, {XorMapped(kOutside)});
    const std::string software = std::string("Coturn-4.6.1 'Gorst'");
    const struct {
        const char* what;
        std::string answer;
        std::optional<Ipv4Address> address;
    } cases[] = {
        {"XOR-MAPPED-ADDRESS", xorAnswer, kOutside},
        {"MAPPED-ADDRESS of an older server", StunAnswer(kId, {fakes::Mapped(kOutside)}), kOutside},
        {"XOR-MAPPED-ADDRESS wins over MAPPED-ADDRESS",
         StunAnswer(kId, {fakes::Mapped({10, 0, 0, 2}), XorMapped(kOutside)}), kOutside},
        {"the first of two XOR-MAPPED-ADDRESS",
         StunAnswer(kId, {XorMapped(kOutside), XorMapped({1, 2, 3, 4})}), kOutside},
        {"optional attributes and a FINGERPRINT, as a real server sends them",
         StunAnswer(kId,
                    {XorMapped(kOutside),
                     {0x802B, std::string("\0\x01\x0D\x96\xC6\x33\x64\x02", 8)},
                     {0x8022, software}},
                    true),
         kOutside},
        {"a FINGERPRINT that does not match",
         WithByte(StunAnswer(kId, {XorMapped(kOutside)}, true), 39, '\x00'), std::nullopt},
        {"a FINGERPRINT before the last attribute",
         StunAnswer(kId, {{0x8028, "\0\0\0\0"}, XorMapped(kOutside)}), std::nullopt},
        {"another transaction", StunAnswer(otherId, {XorMapped(kOutside)}), std::nullopt},
        {"an error answer", StunAnswer(kId, {XorMapped(kOutside)}, false, 0x0111), std::nullopt},
        {"a request", StunAnswer(kId, {XorMapped(kOutside)}, false, 0x0001), std::nullopt},
        {"another magic cookie", WithByte(xorAnswer, 4, '\x22'), std::nullopt},
        {"a length that is not the datagram's", WithByte(xorAnswer, 3, '\x10'), std::nullopt},
        {"an attribute that overruns the message", WithByte(xorAnswer, 23, '\x20'), std::nullopt},
        {"a cut message", xorAnswer.substr(0, 26), std::nullopt},
        {"the header alone", StunAnswer(kId, {}), std::nullopt},
        {"nothing", "", std::nullopt},
        {"an unknown attribute we are required to understand",
         StunAnswer(kId, {XorMapped(kOutside), {0x0030, "abcd"}}), std::nullopt},
        {"an IPv6 address",
         StunAnswer(kId, {{0x0020, std::string(4, '\0') + std::string(16, 'x')}}), std::nullopt},
        {"an address of the wrong length",
         StunAnswer(kId, {{0x0020, std::string("\0\x01\0\0", 4)}}), std::nullopt},
        {"the unspecified address", StunAnswer(kId, {fakes::Mapped({0, 0, 0, 0})}), std::nullopt},
        {"more than a Binding answer can need",
         StunAnswer(kId, {XorMapped(kOutside), {0x8022, std::string(1400, 'x')}}), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Stun::MappedAddress(c.answer, kId), c.address) << c.what;
    }
}

TEST(ExternalAddress, ServerListsAreReadAsTheBuildWritesThem) {
    using ExternalAddress::StunServer;
    const struct {
        const char* list;
        std::vector<StunServer> servers;
    } cases[] = {
        {"stun.example.net:3478;192.0.2.1:19302",
         {{"stun.example.net", 3478}, {"192.0.2.1", 19302}}},
        {";a:1;;b:65535;", {{"a", 1}, {"b", 65535}}},
        {"", {}},
        {"noport;:80;c:0;d:65536;e:x;f:80", {{"f", 80}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExternalAddress::ParseServers(c.list), c.servers) << c.list;
    }
}

class AskStun : public ::testing::Test {
protected:
    fakes::FakeDatagrams datagrams;
    const ExternalAddress::Bounds bounds{300ms, 50ms};
    const std::vector<ExternalAddress::StunServer> servers{{"slow.test", 3478},
                                                           {"stun.test", 3478}};
    const platform::UdpEndpoint stunEndpoint{{192, 0, 2, 1}, 3478};

    AskStun() {
        datagrams.hosts = {{"slow.test", {{192, 0, 2, 9}}}, {"stun.test", {{192, 0, 2, 1}}}};
        datagrams.mapped = kOutside;
    }
    std::optional<Ipv4Address> Ask() {
        return ExternalAddress::AskStun(datagrams, servers, bounds);
    }
};

// A server whose name takes long to resolve, or that never answers, does not hold up the one
// that does.
TEST_F(AskStun, TheFirstValidAnswerWinsWhateverTheOthersDo) {
    datagrams.resolveTime["slow.test"] = 1s;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Ask(), kOutside);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms);
}

// Answers from elsewhere, for other transactions or malformed, are passed over; a valid one
// after them still counts, and without one there is no address.
TEST_F(AskStun, AnswersFromStrangersAreIgnored) {
    for (const bool validLast : {true, false}) {
        datagrams.server = [&](const platform::UdpEndpoint& to, std::string_view request) {
            const Stun::TransactionId id = fakes::IdOf(request);
            platform::UdpEndpoint otherPort = to;
            otherPort.port = 3479;
            std::vector<platform::Datagram> arriving = {
                {{{192, 0, 2, 66}, to.port}, StunAnswer(id, {XorMapped({6, 6, 6, 6})})},
                {otherPort, StunAnswer(id, {XorMapped({6, 6, 6, 6})})},
                {to, StunAnswer({}, {XorMapped({6, 6, 6, 6})})},
                {to, "garbage"},
            };
            if (validLast) {
                arriving.push_back({to, StunAnswer(id, {XorMapped(kOutside)})});
            }
            return to == stunEndpoint ? arriving : std::vector<platform::Datagram>{};
        };
        EXPECT_EQ(Ask(), validLast ? std::optional(kOutside) : std::nullopt) << validLast;
    }
}

// Silence: the request goes again after the time-out, which doubles, until the bound.
TEST_F(AskStun, SilentServersAreAskedAgainUntilTheBound) {
    datagrams.server = [](const platform::UdpEndpoint&, std::string_view) {
        return std::vector<platform::Datagram>{};
    };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Ask(), std::nullopt);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 400ms);
    std::map<std::uint16_t, std::vector<std::chrono::milliseconds>> sends;
    std::map<platform::Ipv4Address, std::set<std::string>> requests;
    for (const auto& sent : datagrams.sent()) {
        sends[sent.to.address[3]].push_back(
            std::chrono::duration_cast<std::chrono::milliseconds>(sent.at - start));
        requests[sent.to.address].insert(sent.bytes);
    }
    for (const auto& [server, times] : sends) {
        ASSERT_EQ(times.size(), 3U) << "sends at 0, 50 and 150 ms";
        EXPECT_GE(times[1] - times[0], 45ms);
        EXPECT_GE(times[2] - times[1], 95ms);
    }
    // Each server its own transaction, the same for each retransmission.
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests.begin()->second.size(), 1U);
    EXPECT_NE(*requests.begin()->second.begin(), *requests.rbegin()->second.begin());
}

TEST_F(AskStun, NoServerToAskEndsAtOnce) {
    datagrams.hosts.clear();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Ask(), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    datagrams.socketFails = true;
    datagrams.hosts = {{"stun.test", {{192, 0, 2, 1}}}};
    EXPECT_EQ(Ask(), std::nullopt);
    EXPECT_TRUE(datagrams.sent().empty());
}

// The name comes from whoever serves the reverse zone.
TEST(ExternalAddress, TheReverseNameIsShownOnlyWhenPlainAndInTime) {
    fakes::FakeDatagrams datagrams;
    const std::string label(63, 'a');
    const std::string kLongest = label + "." + label + "." + label + "." + label.substr(2);
    const struct {
        std::string registered;
        std::string shown;
    } cases[] = {
        {"nat-outside.example.net", "nat-outside.example.net"},
        {"", ""},
        {"evil.example\r\nInternet IP: 1.2.3.4", ""},
        {"two words", ""},
        {kLongest, kLongest},
        {kLongest + "a", ""},
        // What glibc's DNS filters out, but /etc/hosts, other name services or Windows pass.
        {"evil\xE2\x80\xAEmoc.example", ""},
        {"<b>x</b>.example", ""},
        {"a..b", ""},
        {"203.0.113.9", ""},
    };
    for (const auto& c : cases) {
        datagrams.names[kOutside] = c.registered;
        EXPECT_EQ(ExternalAddress::NameOf(datagrams, kOutside, 1s), c.shown) << c.registered;
    }
    datagrams.nameGate.shut();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ExternalAddress::NameOf(datagrams, kOutside, 100ms), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(platform::DottedText(kOutside), "198.51.100.1");
}
