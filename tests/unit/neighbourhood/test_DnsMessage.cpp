#include "neighbourhood/mdns/DnsMessage.h"
#include "neighbourhood/mdns/MdnsCollector.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace mdns = neighbourhood::mdns;

namespace {

// Answers of avahi-daemon 0.8 to one-shot queries from an ephemeral port (ID 0x5a3c), captured
// in network namespaces. The browse answers reply to PTR questions for the workstation, smb and
// device-info services.
// mdnshost1: workstation, smb and device-info, with an AAAA record.
const std::vector<std::uint8_t> kWithEverything = {
    0x5a, 0x3c, 0x84, 0x00, 0x00, 0x03, 0x00, 0x0b, 0x00, 0x00, 0x00, 0x00, 0x0c, 0x5f, 0x77, 0x6f,
    0x72, 0x6b, 0x73, 0x74, 0x61, 0x74, 0x69, 0x6f, 0x6e, 0x04, 0x5f, 0x74, 0x63, 0x70, 0x05, 0x6c,
    0x6f, 0x63, 0x61, 0x6c, 0x00, 0x00, 0x0c, 0x00, 0x01, 0x04, 0x5f, 0x73, 0x6d, 0x62, 0xc0, 0x19,
    0x00, 0x0c, 0x00, 0x01, 0x0c, 0x5f, 0x64, 0x65, 0x76, 0x69, 0x63, 0x65, 0x2d, 0x69, 0x6e, 0x66,
    0x6f, 0xc0, 0x19, 0x00, 0x0c, 0x00, 0x01, 0xc0, 0x34, 0x00, 0x0c, 0x00, 0x01, 0x00, 0x00, 0x00,
    0x0a, 0x00, 0x0c, 0x09, 0x6d, 0x64, 0x6e, 0x73, 0x68, 0x6f, 0x73, 0x74, 0x31, 0xc0, 0x34, 0xc0,
    0x53, 0x00, 0x10, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x0d, 0x0c, 0x6d, 0x6f, 0x64, 0x65,
    0x6c, 0x3d, 0x58, 0x73, 0x65, 0x72, 0x76, 0x65, 0xc0, 0x53, 0x00, 0x21, 0x00, 0x01, 0x00, 0x00,
    0x00, 0x0a, 0x00, 0x12, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0x6d, 0x64, 0x6e, 0x73, 0x68,
    0x6f, 0x73, 0x74, 0x31, 0xc0, 0x1e, 0xc0, 0x8a, 0x00, 0x1c, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a,
    0x00, 0x10, 0xfe, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x88, 0x25, 0x72, 0xff, 0xfe, 0x1c,
    0xfb, 0xaa, 0xc0, 0x8a, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x04, 0x0a, 0xef,
    0x00, 0x0b, 0xc0, 0x29, 0x00, 0x0c, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x0c, 0x09, 0x6d,
    0x64, 0x6e, 0x73, 0x68, 0x6f, 0x73, 0x74, 0x31, 0xc0, 0x29, 0xc0, 0xce, 0x00, 0x10, 0x00, 0x01,
    0x00, 0x00, 0x00, 0x0a, 0x00, 0x01, 0x00, 0xc0, 0xce, 0x00, 0x21, 0x00, 0x01, 0x00, 0x00, 0x00,
    0x0a, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x01, 0xbd, 0xc0, 0x8a, 0xc0, 0x0c, 0x00, 0x0c, 0x00,
    0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x20, 0x1d, 0x6d, 0x64, 0x6e, 0x73, 0x68, 0x6f, 0x73, 0x74,
    0x31, 0x20, 0x5b, 0x38, 0x61, 0x3a, 0x32, 0x35, 0x3a, 0x37, 0x32, 0x3a, 0x31, 0x63, 0x3a, 0x66,
    0x62, 0x3a, 0x61, 0x61, 0x5d, 0xc0, 0x0c, 0xc1, 0x07, 0x00, 0x10, 0x00, 0x01, 0x00, 0x00, 0x00,
    0x0a, 0x00, 0x01, 0x00, 0xc1, 0x07, 0x00, 0x21, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x08,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0xc0, 0x8a,
};

// mdnshost2: smb and device-info as "Office NAS", no workstation.
const std::vector<std::uint8_t> kOfficeNas = {
    0x5a, 0x3c, 0x84, 0x00, 0x00, 0x03, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x0c, 0x5f, 0x77,
    0x6f, 0x72, 0x6b, 0x73, 0x74, 0x61, 0x74, 0x69, 0x6f, 0x6e, 0x04, 0x5f, 0x74, 0x63, 0x70,
    0x05, 0x6c, 0x6f, 0x63, 0x61, 0x6c, 0x00, 0x00, 0x0c, 0x00, 0x01, 0x04, 0x5f, 0x73, 0x6d,
    0x62, 0xc0, 0x19, 0x00, 0x0c, 0x00, 0x01, 0x0c, 0x5f, 0x64, 0x65, 0x76, 0x69, 0x63, 0x65,
    0x2d, 0x69, 0x6e, 0x66, 0x6f, 0xc0, 0x19, 0x00, 0x0c, 0x00, 0x01, 0xc0, 0x34, 0x00, 0x0c,
    0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x0d, 0x0a, 0x4f, 0x66, 0x66, 0x69, 0x63, 0x65,
    0x20, 0x4e, 0x41, 0x53, 0xc0, 0x34, 0xc0, 0x53, 0x00, 0x10, 0x00, 0x01, 0x00, 0x00, 0x00,
    0x0a, 0x00, 0x0d, 0x0c, 0x6d, 0x6f, 0x64, 0x65, 0x6c, 0x3d, 0x58, 0x73, 0x65, 0x72, 0x76,
    0x65, 0xc0, 0x53, 0x00, 0x21, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x12, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x09, 0x6d, 0x64, 0x6e, 0x73, 0x68, 0x6f, 0x73, 0x74, 0x32, 0xc0,
    0x1e, 0xc0, 0x8b, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x04, 0x0a, 0xef,
    0x00, 0x0c, 0xc0, 0x29, 0x00, 0x0c, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x0d, 0x0a,
    0x4f, 0x66, 0x66, 0x69, 0x63, 0x65, 0x20, 0x4e, 0x41, 0x53, 0xc0, 0x29, 0xc0, 0xb3, 0x00,
    0x10, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x01, 0x00, 0xc0, 0xb3, 0x00, 0x21, 0x00,
    0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x01, 0xbd, 0xc0, 0x8b,
};

// MdnsHost3: workstation only.
const std::vector<std::uint8_t> kWorkstationOnly = {
    0x5a, 0x3c, 0x84, 0x00, 0x00, 0x03, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x0c, 0x5f, 0x77, 0x6f,
    0x72, 0x6b, 0x73, 0x74, 0x61, 0x74, 0x69, 0x6f, 0x6e, 0x04, 0x5f, 0x74, 0x63, 0x70, 0x05, 0x6c,
    0x6f, 0x63, 0x61, 0x6c, 0x00, 0x00, 0x0c, 0x00, 0x01, 0x04, 0x5f, 0x73, 0x6d, 0x62, 0xc0, 0x19,
    0x00, 0x0c, 0x00, 0x01, 0x0c, 0x5f, 0x64, 0x65, 0x76, 0x69, 0x63, 0x65, 0x2d, 0x69, 0x6e, 0x66,
    0x6f, 0xc0, 0x19, 0x00, 0x0c, 0x00, 0x01, 0xc0, 0x0c, 0x00, 0x0c, 0x00, 0x01, 0x00, 0x00, 0x00,
    0x0a, 0x00, 0x20, 0x1d, 0x4d, 0x64, 0x6e, 0x73, 0x48, 0x6f, 0x73, 0x74, 0x33, 0x20, 0x5b, 0x30,
    0x32, 0x3a, 0x39, 0x62, 0x3a, 0x34, 0x61, 0x3a, 0x39, 0x65, 0x3a, 0x65, 0x63, 0x3a, 0x34, 0x35,
    0x5d, 0xc0, 0x0c, 0xc0, 0x53, 0x00, 0x10, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x01, 0x00,
    0xc0, 0x53, 0x00, 0x21, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x12, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x09, 0x09, 0x4d, 0x64, 0x6e, 0x73, 0x48, 0x6f, 0x73, 0x74, 0x33, 0xc0, 0x1e, 0xc0, 0x92,
    0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x04, 0x0a, 0xef, 0x00, 0x0d,
};

// mdnshost4: device-info only.
const std::vector<std::uint8_t> kDeviceOnly = {
    0x5a, 0x3c, 0x84, 0x00, 0x00, 0x03, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x0c, 0x5f, 0x77, 0x6f,
    0x72, 0x6b, 0x73, 0x74, 0x61, 0x74, 0x69, 0x6f, 0x6e, 0x04, 0x5f, 0x74, 0x63, 0x70, 0x05, 0x6c,
    0x6f, 0x63, 0x61, 0x6c, 0x00, 0x00, 0x0c, 0x00, 0x01, 0x04, 0x5f, 0x73, 0x6d, 0x62, 0xc0, 0x19,
    0x00, 0x0c, 0x00, 0x01, 0x0c, 0x5f, 0x64, 0x65, 0x76, 0x69, 0x63, 0x65, 0x2d, 0x69, 0x6e, 0x66,
    0x6f, 0xc0, 0x19, 0x00, 0x0c, 0x00, 0x01, 0xc0, 0x34, 0x00, 0x0c, 0x00, 0x01, 0x00, 0x00, 0x00,
    0x0a, 0x00, 0x10, 0x0d, 0x4c, 0x6f, 0x6e, 0x65, 0x6c, 0x79, 0x20, 0x44, 0x65, 0x76, 0x69, 0x63,
    0x65, 0xc0, 0x34, 0xc0, 0x53, 0x00, 0x10, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x0d, 0x0c,
    0x6d, 0x6f, 0x64, 0x65, 0x6c, 0x3d, 0x58, 0x73, 0x65, 0x72, 0x76, 0x65, 0xc0, 0x53, 0x00, 0x21,
    0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x12, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0x6d,
    0x64, 0x6e, 0x73, 0x68, 0x6f, 0x73, 0x74, 0x34, 0xc0, 0x1e, 0xc0, 0x8e, 0x00, 0x01, 0x00, 0x01,
    0x00, 0x00, 0x00, 0x0a, 0x00, 0x04, 0x0a, 0xef, 0x00, 0x0e,
};

// mdnshost2 to SRV and TXT of "Office NAS._smb._tcp.local" and A of mdnshost2.local.
const std::vector<std::uint8_t> kOfficeNasFollowUp = {
    0x5a, 0x3c, 0x84, 0x00, 0x00, 0x03, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x0a, 0x4f, 0x66,
    0x66, 0x69, 0x63, 0x65, 0x20, 0x4e, 0x41, 0x53, 0x04, 0x5f, 0x73, 0x6d, 0x62, 0x04, 0x5f,
    0x74, 0x63, 0x70, 0x05, 0x6c, 0x6f, 0x63, 0x61, 0x6c, 0x00, 0x00, 0x21, 0x00, 0x01, 0xc0,
    0x0c, 0x00, 0x10, 0x00, 0x01, 0x09, 0x6d, 0x64, 0x6e, 0x73, 0x68, 0x6f, 0x73, 0x74, 0x32,
    0xc0, 0x21, 0x00, 0x01, 0x00, 0x01, 0xc0, 0x32, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00,
    0x0a, 0x00, 0x04, 0x0a, 0xef, 0x00, 0x0c, 0xc0, 0x0c, 0x00, 0x10, 0x00, 0x01, 0x00, 0x00,
    0x00, 0x0a, 0x00, 0x01, 0x00, 0xc0, 0x0c, 0x00, 0x21, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a,
    0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x01, 0xbd, 0xc0, 0x32,
};

// MdnsHost3 to A of "mdnshost3.local".
const std::vector<std::uint8_t> kHost3Address = {
    0x5a, 0x3c, 0x84, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x09, 0x6d, 0x64,
    0x6e, 0x73, 0x68, 0x6f, 0x73, 0x74, 0x33, 0x05, 0x6c, 0x6f, 0x63, 0x61, 0x6c, 0x00, 0x00,
    0x01, 0x00, 0x01, 0x09, 0x4d, 0x64, 0x6e, 0x73, 0x48, 0x6f, 0x73, 0x74, 0x33, 0xc0, 0x16,
    0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x04, 0x0a, 0xef, 0x00, 0x0d,
};

mdns::Message Parse(const std::vector<std::uint8_t>& bytes) {
    auto message = mdns::Decode(bytes.data(), bytes.size());
    EXPECT_TRUE(message);
    return message.value_or(mdns::Message{});
}

// A response that carries the records, as a peer would send them.
mdns::Message Answer(std::vector<mdns::Record> records) {
    mdns::Message message;
    message.flags = 0x8400;
    message.records = std::move(records);
    return message;
}

template <typename Data> std::vector<Data> DataOf(const mdns::Message& message) {
    std::vector<Data> found;
    for (const auto& record : message.records) {
        if (const auto* data = std::get_if<Data>(&record.data)) {
            found.push_back(*data);
        }
    }
    return found;
}

void DropRecords(mdns::Message& message, std::uint16_t type) {
    std::erase_if(message.records, [&](const mdns::Record& r) { return r.type == type; });
}

// Hand-made messages, for what no peer sends.
class Bytes {
public:
    explicit Bytes(std::uint16_t questions = 0, std::uint16_t answers = 0,
                   std::uint16_t flags = 0x8400) {
        U16(0x5a3c).U16(flags).U16(questions).U16(answers).U16(0).U16(0);
    }
    Bytes& U8(std::uint8_t value) {
        bytes.push_back(value);
        return *this;
    }
    Bytes& U16(std::uint16_t value) {
        return U8(static_cast<std::uint8_t>(value >> 8)).U8(static_cast<std::uint8_t>(value));
    }
    Bytes& Label(std::string_view text) {
        U8(static_cast<std::uint8_t>(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }
    Bytes& Name(std::initializer_list<std::string_view> labels) {
        for (const auto label : labels) {
            Label(label);
        }
        return U8(0);
    }
    Bytes& Pointer(std::uint16_t offset) {
        return U16(static_cast<std::uint16_t>(0xC000 | offset));
    }
    // Type, class IN, TTL 120 and the data's length, after the owner name.
    Bytes& RecordHeader(std::uint16_t type, std::uint16_t length) {
        return U16(type).U16(mdns::kClassIn).U16(0).U16(120).U16(length);
    }
    Bytes& Question(std::uint16_t type) { return U16(type).U16(mdns::kClassIn); }
    // A PTR or SRV record's header and data, after the owner name; `target` is where the
    // target name starts.
    Bytes& Ptr(std::initializer_list<std::string_view> name) {
        return RecordHeader(mdns::kTypePtr, NameSize(name)).Target(name);
    }
    Bytes& Srv(std::uint16_t port, std::initializer_list<std::string_view> name) {
        RecordHeader(mdns::kTypeSrv, static_cast<std::uint16_t>(6 + NameSize(name)));
        return U16(0).U16(0).U16(port).Target(name);
    }
    std::optional<mdns::Message> Decode() const { return mdns::Decode(bytes.data(), bytes.size()); }

    std::vector<std::uint8_t> bytes;
    std::uint16_t target = 0;

private:
    static std::uint16_t NameSize(std::initializer_list<std::string_view> name) {
        std::size_t size = 1;
        for (const auto label : name) {
            size += 1 + label.size();
        }
        return static_cast<std::uint16_t>(size);
    }
    Bytes& Target(std::initializer_list<std::string_view> name) {
        target = static_cast<std::uint16_t>(bytes.size());
        return Name(name);
    }
};

} // namespace

// ---- encoding ---------------------------------------------------------------------------------

TEST(DnsMessage, EncodesAQueryByteForByte) {
    const auto packet = mdns::EncodeQuery(
        0x5a3c, {{"_smb._tcp.local", mdns::kTypePtr, mdns::kClassIn},
                 {"Office NAS._smb._tcp.local", mdns::kTypeSrv, 0x8001}}); // QU asked: dropped
    Bytes expected(2, 0, 0x0000);
    expected.Name({"_smb", "_tcp", "local"}).Question(mdns::kTypePtr);
    expected.Name({"Office NAS", "_smb", "_tcp", "local"}).Question(mdns::kTypeSrv);
    EXPECT_EQ(packet, expected.bytes);
}

TEST(DnsMessage, EncodesLabelsWithDotsAndRefusesWhatCannotBeAName) {
    Bytes dotted(1, 0, 0x0000);
    dotted.Name({"My.Mac", "a\\b", "local"}).Question(mdns::kTypeA);
    EXPECT_EQ(mdns::EncodeQuery(0x5a3c, {{"My\\.Mac.a\\\\b.local.", mdns::kTypeA}}), dotted.bytes);

    const std::string label63(63, 'x');
    const std::string name255 =
        label63 + "." + label63 + "." + label63 + "." + std::string(61, 'y');
    EXPECT_EQ(mdns::EncodeQuery(1, {{name255, mdns::kTypeA}}).size(), 12u + 255u + 4u);
    EXPECT_TRUE(mdns::EncodeQuery(1, {{name255 + "y", mdns::kTypeA}}).empty());
    EXPECT_TRUE(mdns::EncodeQuery(1, {{std::string(64, 'x') + ".local", mdns::kTypeA}}).empty());
    EXPECT_TRUE(mdns::EncodeQuery(1, {{"a..local", mdns::kTypeA}}).empty());
}

// ---- decoding real answers ----------------------------------------------------------------------

TEST(DnsMessage, DecodesEveryRecordOfARealAnswer) {
    const auto message = Parse(kWithEverything);
    EXPECT_EQ(message.id, 0x5a3c);
    EXPECT_TRUE(message.IsResponse());
    ASSERT_EQ(message.questions.size(), 3u);
    EXPECT_EQ(message.questions[0], (mdns::Question{"_workstation._tcp.local", mdns::kTypePtr}));
    EXPECT_EQ(message.questions[2], (mdns::Question{"_device-info._tcp.local", mdns::kTypePtr}));
    ASSERT_EQ(message.records.size(), 11u);

    const auto& srvRecord = message.records[7];
    EXPECT_EQ(srvRecord.name, "mdnshost1._smb._tcp.local");
    EXPECT_EQ(srvRecord.type, mdns::kTypeSrv);
    EXPECT_EQ(srvRecord.klass, mdns::kClassIn);
    EXPECT_EQ(srvRecord.ttl, 10u);
    const auto& srv = std::get<mdns::Srv>(srvRecord.data);
    EXPECT_EQ(srv.port, 445);
    EXPECT_EQ(srv.target, "mdnshost1.local");

    const auto ptrs = DataOf<mdns::Ptr>(message);
    ASSERT_EQ(ptrs.size(), 3u);
    EXPECT_EQ(ptrs[1].target, "mdnshost1._smb._tcp.local");
    EXPECT_EQ(ptrs[2].target.rfind("mdnshost1 [", 0), 0u) << ptrs[2].target;

    const auto addresses = DataOf<mdns::A>(message);
    ASSERT_EQ(addresses.size(), 1u);
    EXPECT_EQ(addresses[0].address, (platform::Ipv4Address{10, 239, 0, 11}));

    const auto texts = DataOf<mdns::Txt>(message);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].strings, std::vector<std::string>{"model=Xserve"});
    EXPECT_EQ(texts[1].strings, std::vector<std::string>{""});

    // The IPv6 address is a record of a type that is not read.
    EXPECT_EQ(message.records[3].type, mdns::kTypeAaaa);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(message.records[3].data));
}

TEST(DnsMessage, EveryPrefixOfARealAnswerIsRefused) {
    for (const auto* capture : {&kWithEverything, &kOfficeNas, &kWorkstationOnly, &kDeviceOnly,
                                &kOfficeNasFollowUp, &kHost3Address}) {
        ASSERT_TRUE(mdns::Decode(capture->data(), capture->size()));
        for (std::size_t size = 0; size < capture->size(); ++size) {
            // A copy of that size, so that a read past its end is seen by the sanitizers.
            const std::vector<std::uint8_t> prefix(capture->begin(), capture->begin() + size);
            EXPECT_FALSE(mdns::Decode(prefix.data(), prefix.size())) << size;
        }
    }
    EXPECT_FALSE(mdns::Decode(nullptr, 0));
}

TEST(DnsMessage, RecordCountsThatLieAreNotBelieved) {
    auto more = kOfficeNas;
    more[7] += 1; // one answer more than there is
    EXPECT_FALSE(mdns::Decode(more.data(), more.size()));
    more[6] = 0xFF;
    more[7] = 0xFF;
    EXPECT_FALSE(mdns::Decode(more.data(), more.size()));
    auto questions = kOfficeNas;
    questions[4] = 0xFF;
    EXPECT_FALSE(mdns::Decode(questions.data(), questions.size()));

    auto fewer = kOfficeNas;
    fewer[7] = 2; // the rest is taken for trailing bytes
    ASSERT_TRUE(mdns::Decode(fewer.data(), fewer.size()));
    EXPECT_EQ(mdns::Decode(fewer.data(), fewer.size())->records.size(), 2u);

    // More records than the limit: only the first ones are read.
    Bytes many(0, 300);
    many.Name({"h", "local"}).RecordHeader(mdns::kTypeA, 4).U16(0x0a00).U16(0x0001);
    for (int i = 1; i < 300; ++i) {
        many.Pointer(12).RecordHeader(mdns::kTypeA, 4).U16(0x0a00).U16(0x0001);
    }
    const auto decoded = many.Decode();
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->records.size(), mdns::kMaxRecords);
}

// ---- hostile names ------------------------------------------------------------------------------

TEST(DnsMessage, CompressionPointersMayOnlyGoBackwards) {
    Bytes self(1); // a pointer to itself
    self.Pointer(12).Question(mdns::kTypeA);
    EXPECT_FALSE(self.Decode());

    Bytes forward(2); // to a name that comes later, though a good one
    forward.Pointer(18).Question(mdns::kTypeA).Name({"h", "local"}).Question(mdns::kTypeA);
    EXPECT_FALSE(forward.Decode());

    // Backwards, but into the labels that led to the pointer: "a.a.a..." for ever.
    Bytes intoItself(1);
    intoItself.Label("a").Pointer(12).Question(mdns::kTypeA);
    EXPECT_FALSE(intoItself.Decode());

    // Two names pointing at each other.
    Bytes pair(2);
    pair.Label("a").Pointer(20).Question(mdns::kTypeA); // 12: a, then 20
    pair.Label("b").Pointer(12).Question(mdns::kTypeA); // 20: b, then 12
    EXPECT_FALSE(pair.Decode());

    // A record whose data points at its own owner's name is fine.
    Bytes good(0, 1);
    good.Name({"_smb", "_tcp", "local"}).RecordHeader(mdns::kTypePtr, 4).Label("x").Pointer(12);
    const auto decoded = good.Decode();
    ASSERT_TRUE(decoded);
    EXPECT_EQ(std::get<mdns::Ptr>(decoded->records[0].data).target, "x._smb._tcp.local");
}

TEST(DnsMessage, NamesAndLabelsHaveTheirLimitsEvenThroughPointers) {
    const std::string label63(63, 'x');
    Bytes longest(1); // 3 * 64 + 62 + 1 = 255 bytes
    longest.Name({label63, label63, label63, std::string(61, 'y')}).Question(mdns::kTypeA);
    ASSERT_TRUE(longest.Decode());
    EXPECT_EQ(longest.Decode()->questions[0].name.size(), 253u);

    Bytes tooLong(1);
    tooLong.Name({label63, label63, label63, std::string(62, 'y')}).Question(mdns::kTypeA);
    EXPECT_FALSE(tooLong.Decode());

    // Label lengths of 64 and more are the reserved label types.
    Bytes label64(1);
    label64.Name({std::string(64, 'x')}).Question(mdns::kTypeA);
    EXPECT_FALSE(label64.Decode());

    // Each name short, but each points at the one before: the fourth is 4 * 64 + 1 bytes long.
    Bytes chained(4);
    std::uint16_t previous = 12;
    chained.Name({label63}).Question(mdns::kTypeA);
    for (int i = 1; i < 4; ++i) {
        const auto here = static_cast<std::uint16_t>(chained.bytes.size());
        chained.Label(label63).Pointer(previous).Question(mdns::kTypeA);
        previous = here;
    }
    EXPECT_FALSE(chained.Decode());
    chained.bytes[5] = 3; // the first three still fit, the fourth is now trailing bytes
    EXPECT_TRUE(chained.Decode());
}

TEST(DnsMessage, BrokenRecordDataIsDroppedAndTheRestRead) {
    Bytes message(0, 5);
    message.Name({"h", "local"}).RecordHeader(mdns::kTypeA, 3).U8(10).U8(0).U8(0);
    // SRV whose target runs past the record's data into the next record.
    message.Pointer(12).RecordHeader(mdns::kTypeSrv, 8).U16(0).U16(0).U16(445).Label("h");
    message.Pointer(12).RecordHeader(mdns::kTypeTxt, 3).U8(5).U8('a').U8('b');
    message.Pointer(12).RecordHeader(mdns::kTypePtr, 3).Pointer(12).U8(0); // a byte too many
    message.Pointer(12).RecordHeader(mdns::kTypeA, 4).U16(0x0a00).U16(0x0007);
    const auto decoded = message.Decode();
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->records.size(), 5u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(std::holds_alternative<std::monostate>(decoded->records[i].data)) << i;
    }
    EXPECT_EQ(std::get<mdns::A>(decoded->records[4].data).address,
              (platform::Ipv4Address{10, 0, 0, 7}));
}

TEST(DnsMessage, NamesComeAsTheyAreAndGoBackUnchanged) {
    Bytes message(0, 1);
    message.Name({"a|b\x07.c", "_smb", "_tcp", "local"}).RecordHeader(mdns::kTypeTxt, 0);
    const auto decoded = message.Decode();
    ASSERT_TRUE(decoded);
    const std::string& name = decoded->records[0].name;
    EXPECT_EQ(name, "a|b\x07\\.c._smb._tcp.local");
    EXPECT_EQ(mdns::SplitName(name)[0], "a|b\x07.c");
    EXPECT_EQ(mdns::NameKey(name), "a|b\x07\\.c._smb._tcp.local");
    EXPECT_EQ(mdns::NameKey("Host.LOCAL."), "host.local");
    // The decoder's text goes back into a question unchanged.
    const auto again = mdns::EncodeQuery(1, {{name, mdns::kTypeSrv}});
    EXPECT_EQ(mdns::Decode(again.data(), again.size())->questions[0].name, name);
}

// ---- what the answers tell ----------------------------------------------------------------------

// The peers of the captures, each answering from its own address.
const platform::Ipv4Address kHost1{10, 239, 0, 11};
const platform::Ipv4Address kHost2{10, 239, 0, 12};
const platform::Ipv4Address kHost3{10, 239, 0, 13};
const platform::Ipv4Address kHost4{10, 239, 0, 14};

TEST(MdnsCollector, AHostWithEveryServiceIsListedOnce) {
    mdns::Collector collector;
    collector.Add(Parse(kWithEverything), kHost1);
    const std::vector<mdns::Computer> expected{{"mdnshost1", "local", "", {10, 239, 0, 11}}};
    EXPECT_EQ(collector.Computers(), expected);
    EXPECT_TRUE(collector.Missing().empty());
    collector.Add(Parse(kWithEverything), kHost1); // the answer to a re-query
    EXPECT_EQ(collector.Computers(), expected);
}

TEST(MdnsCollector, AWorkstationAloneIsListedUnderItsHostName) {
    mdns::Collector collector;
    collector.Add(Parse(kWorkstationOnly), kHost3);
    // Not the instance name "MdnsHost3 [02:9b:...]".
    EXPECT_EQ(collector.Computers(),
              (std::vector<mdns::Computer>{{"MdnsHost3", "local", "", {10, 239, 0, 13}}}));
}

TEST(MdnsCollector, AFileServerIsNamedAfterItsHostNotItsInstance) {
    mdns::Collector collector;
    collector.Add(Parse(kOfficeNas), kHost2);
    collector.Add(Parse(kDeviceOnly), kHost4);
    // "Office NAS" is listed as mdnshost2; mdnshost4 has only device information.
    EXPECT_EQ(collector.Computers(),
              (std::vector<mdns::Computer>{{"mdnshost2", "local", "", {10, 239, 0, 12}}}));
    EXPECT_TRUE(collector.Missing().empty());
}

TEST(MdnsCollector, AsksForTheMissingSrvAndThenForTheMissingAddress) {
    mdns::Collector collector;
    auto ptrOnly = Parse(kOfficeNas);
    DropRecords(ptrOnly, mdns::kTypeSrv);
    DropRecords(ptrOnly, mdns::kTypeA);
    collector.Add(ptrOnly, kHost2);
    // Device-info instances have no SRV to ask for.
    EXPECT_EQ(collector.Missing(),
              (std::vector<mdns::Question>{{"Office NAS._smb._tcp.local", mdns::kTypeSrv},
                                           {"Office NAS._smb._tcp.local", mdns::kTypeTxt}}));
    EXPECT_TRUE(collector.Computers().empty());

    auto srvOnly = Parse(kOfficeNasFollowUp);
    DropRecords(srvOnly, mdns::kTypeA);
    collector.Add(srvOnly, kHost2);
    EXPECT_EQ(collector.Missing(),
              (std::vector<mdns::Question>{{"mdnshost2.local", mdns::kTypeA}}));
    EXPECT_TRUE(collector.Computers().empty());

    collector.Add(Parse(kOfficeNasFollowUp), kHost2);
    EXPECT_TRUE(collector.Missing().empty());
    EXPECT_EQ(collector.Computers(),
              (std::vector<mdns::Computer>{{"mdnshost2", "local", "", {10, 239, 0, 12}}}));
}

TEST(MdnsCollector, HostNamesMatchWithoutRegardToCase) {
    mdns::Collector collector;
    auto noAddress = Parse(kWorkstationOnly);
    DropRecords(noAddress, mdns::kTypeA);
    collector.Add(noAddress, kHost3);
    ASSERT_EQ(collector.Missing().size(), 1u);
    collector.Add(Parse(kHost3Address), kHost3); // asked as "mdnshost3.local"
    EXPECT_EQ(collector.Computers(),
              (std::vector<mdns::Computer>{{"MdnsHost3", "local", "", {10, 239, 0, 13}}}));

    // Two services whose SRV targets differ only in case: one computer.
    Bytes twice(0, 3);
    twice.Name({"a", "_smb", "_tcp", "local"}).Srv(445, {"HOST", "local"});
    const std::uint16_t host = twice.target;
    twice.Name({"b", "_workstation", "_tcp", "local"}).Srv(9, {"host", "LOCAL"});
    twice.Pointer(host).RecordHeader(mdns::kTypeA, 4).U16(0x0a00).U16(0x0009);
    mdns::Collector other;
    other.Add(Parse(twice.bytes), {10, 0, 0, 9});
    EXPECT_EQ(other.Computers(),
              (std::vector<mdns::Computer>{{"HOST", "local", "", {10, 0, 0, 9}}}));
}

TEST(MdnsCollector, TrustsOnlyAnswersThatFitWhatWasAsked) {
    mdns::Collector collector;
    auto query = Parse(kWithEverything);
    query.flags = 0; // a query that carries records, as another asker's known answers
    collector.Add(query, kHost1);
    auto refused = Parse(kWithEverything);
    refused.flags |= 5;
    collector.Add(refused, kHost1);
    auto otherClass = Parse(kWithEverything);
    for (auto& record : otherClass.records) {
        record.klass = 3;
    }
    collector.Add(otherClass, kHost1);
    EXPECT_TRUE(collector.Computers().empty());
    EXPECT_TRUE(collector.Missing().empty());

    // A PTR of a service type to an instance of another one asks nothing.
    Bytes stray(0, 2);
    stray.Name({"_smb", "_tcp", "local"}).Ptr({"x", "_workstation", "_tcp", "local"});
    stray.Pointer(12).Ptr({"y", "_smb", "_tcp", "local"});
    collector.Add(Parse(stray.bytes), kHost1);
    EXPECT_EQ(collector.Missing(),
              (std::vector<mdns::Question>{{"y._smb._tcp.local", mdns::kTypeSrv},
                                           {"y._smb._tcp.local", mdns::kTypeTxt}}));
}

TEST(MdnsCollector, NamesAreCleanedAndEverythingIsBounded) {
    Bytes odd(0, 2);
    odd.Name({"x", "_smb", "_tcp", "local"}).Srv(445, {"bad|name\x07", "local"});
    odd.Pointer(odd.target).RecordHeader(mdns::kTypeA, 4).U16(0x0a00).U16(0x0001);
    mdns::Collector collector;
    collector.Add(Parse(odd.bytes), {10, 0, 0, 1});
    ASSERT_EQ(collector.Computers().size(), 1u);
    EXPECT_EQ(collector.Computers()[0].name, "bad_name");

    // Many peers, each with its host: the list stops at its limit, and so do the questions for
    // their addresses.
    mdns::Collector crowded;
    const auto peer = [](int i) {
        return platform::Ipv4Address{10, static_cast<std::uint8_t>(i / 256),
                                     static_cast<std::uint8_t>(i % 256), 1};
    };
    const auto host = [](int i) { return "h" + std::to_string(i) + ".local"; };
    for (int i = 0; i < 1100; ++i) {
        crowded.Add(Answer({{"i" + std::to_string(i) + "._smb._tcp.local", mdns::kTypeSrv,
                             mdns::kClassIn, false, 120, mdns::Srv{0, 0, 445, host(i)}}}),
                    peer(i));
    }
    EXPECT_EQ(crowded.Missing().size(), mdns::kMaxFollowUps);
    EXPECT_TRUE(crowded.Computers().empty());
    for (int i = 0; i < 1100; ++i) {
        crowded.Add(Answer({{host(i), mdns::kTypeA, mdns::kClassIn, false, 120, mdns::A{peer(i)}}}),
                    peer(i));
    }
    EXPECT_EQ(crowded.Computers().size(), mdns::kMaxComputers);
    EXPECT_TRUE(crowded.Missing().empty());
}

TEST(MdnsCollector, EveryPeerSpeaksForItselfAndFillsOnlyItsShare) {
    const platform::Ipv4Address real{10, 0, 0, 5};
    const platform::Ipv4Address rogue{10, 0, 0, 66};
    const auto service = [](const std::string& instance, const std::string& target) {
        return mdns::Record{
            instance + "._workstation._tcp.local", mdns::kTypeSrv, mdns::kClassIn, false, 120,
            mdns::Srv{0, 0, 9, target + ".local"}};
    };
    const auto address = [](const std::string& target, const platform::Ipv4Address& ip) {
        return mdns::Record{target + ".local", mdns::kTypeA, mdns::kClassIn, false, 120,
                            mdns::A{ip}};
    };
    // What the rogue says, and what the collector lists after the real peer has answered.
    const std::pair<std::vector<mdns::Record>, std::vector<mdns::Computer>> cases[] = {
        // An address for the real peer's host: not its own.
        {{address("real", rogue)}, {{"real", "local", "", real}}},
        // Its own address for the real peer's host, or for the real peer's instance.
        {{address("real", {10, 0, 0, 66})}, {{"real", "local", "", real}}},
        {{service("real", "rogue"), address("rogue", rogue)}, {{"real", "local", "", real}}},
        // Its own host under its own name: listed, after the real one.
        {{service("rogue", "rogue"), address("rogue", rogue)},
         {{"real", "local", "", real}, {"rogue", "local", "", rogue}}},
    };
    for (const auto& [lies, listed] : cases) {
        mdns::Collector collector;
        collector.Add(Answer({service("real", "real")}), real);
        collector.Add(Answer(lies), rogue);
        collector.Add(Answer({address("real", real)}), real);
        EXPECT_EQ(collector.Computers(), listed) << lies.size();
    }

    // One peer that announces a thousand hosts fills only its share; the next is still heard.
    mdns::Collector flooded;
    std::vector<mdns::Record> flood;
    for (int i = 0; i < 1000; ++i) {
        flood.push_back(service("x" + std::to_string(i), "x" + std::to_string(i)));
        flood.push_back(address("x" + std::to_string(i), rogue));
    }
    flooded.Add(Answer(flood), rogue);
    flooded.Add(Answer({service("real", "real"), address("real", real)}), real);
    const auto computers = flooded.Computers();
    EXPECT_EQ(computers.size(), mdns::kMaxHostsPerPeer + 1);
    EXPECT_EQ(computers.back(), (mdns::Computer{"real", "local", "", real}));
}
