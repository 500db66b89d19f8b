#include "neighbourhood/mdns/DnsMessage.h"

#include "base/text/Text.h"

#include <algorithm>

namespace neighbourhood::mdns {

namespace {

constexpr std::size_t kHeaderSize = 12;
// Real names take a pointer or two; the limit only stops crafted chains early.
constexpr int kMaxPointerHops = 16;

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

std::uint16_t Get16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>((at[0] << 8) | at[1]);
}

std::uint32_t Get32(const std::uint8_t* at) {
    return (std::uint32_t{Get16(at)} << 16) | Get16(at + 2);
}

bool PutName(std::vector<std::uint8_t>& out, std::string_view name) {
    std::size_t length = 1;
    for (const std::string& label : SplitName(name)) {
        length += 1 + label.size();
        if (label.empty() || label.size() > kMaxLabelLength || length > kMaxNameLength) {
            return false;
        }
        out.push_back(static_cast<std::uint8_t>(label.size()));
        out.insert(out.end(), label.begin(), label.end());
    }
    out.push_back(0);
    return true;
}

// A reader over the whole message: names may point anywhere before themselves.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Has(std::size_t at, std::size_t count) const { return at <= size_ && count <= size_ - at; }
    std::uint16_t U16(std::size_t at) const { return Get16(data_ + at); }
    std::uint32_t U32(std::size_t at) const { return Get32(data_ + at); }
    const std::uint8_t* At(std::size_t at) const { return data_ + at; }

    // The name at `at`; `at` moves past the name's own bytes (not the ones pointed to).
    std::optional<std::string> Name(std::size_t& at) const {
        std::vector<std::string> labels;
        std::size_t length = 1;
        std::size_t pos = at;
        std::optional<std::size_t> end;
        // Each pointer has to go before the stretch of labels that led to it, so the
        // reading only ever moves backwards and cannot loop.
        std::size_t floor = at;
        for (int hops = 0;;) {
            if (!Has(pos, 1)) {
                return std::nullopt;
            }
            const std::uint8_t byte = data_[pos];
            if ((byte & 0xC0) == 0xC0) {
                if (!Has(pos, 2) || ++hops > kMaxPointerHops) {
                    return std::nullopt;
                }
                const std::size_t target = U16(pos) & 0x3FFF;
                if (target >= floor) {
                    return std::nullopt;
                }
                if (!end) {
                    end = pos + 2;
                }
                pos = floor = target;
                continue;
            }
            if ((byte & 0xC0) != 0) {
                return std::nullopt; // extended label types: never used
            }
            if (byte == 0) {
                at = end ? *end : pos + 1;
                return JoinName(labels);
            }
            length += 1 + byte;
            if (length > kMaxNameLength || !Has(pos + 1, byte)) {
                return std::nullopt;
            }
            labels.emplace_back(reinterpret_cast<const char*>(data_ + pos + 1), byte);
            pos += 1 + byte;
        }
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// The data of a record of a type we read; monostate when it does not fit the type.
std::variant<std::monostate, Ptr, Srv, A, Txt> RecordData(const Reader& reader, std::uint16_t type,
                                                          std::size_t at, std::size_t length) {
    const std::size_t end = at + length;
    switch (type) {
    case kTypePtr: {
        auto target = reader.Name(at);
        if (target && at == end) {
            return Ptr{std::move(*target)};
        }
        break;
    }
    case kTypeSrv: {
        if (length < 7) {
            break;
        }
        Srv srv{reader.U16(at), reader.U16(at + 2), reader.U16(at + 4), {}};
        at += 6;
        auto target = reader.Name(at);
        if (target && at == end) {
            srv.target = std::move(*target);
            return srv;
        }
        break;
    }
    case kTypeA:
        if (length == 4) {
            A a;
            std::copy(reader.At(at), reader.At(end), a.address.begin());
            return a;
        }
        break;
    case kTypeTxt: {
        Txt txt;
        while (at < end) {
            const std::size_t size = *reader.At(at);
            if (size > end - at - 1) {
                return std::monostate{};
            }
            txt.strings.emplace_back(reinterpret_cast<const char*>(reader.At(at + 1)), size);
            at += 1 + size;
        }
        return txt;
    }
    default:
        break;
    }
    return std::monostate{};
}

} // namespace

std::vector<std::uint8_t> EncodeQuery(std::uint16_t id, const std::vector<Question>& questions) {
    std::vector<std::uint8_t> packet;
    if (questions.size() > kMaxRecords) {
        return packet;
    }
    Put16(packet, id);
    Put16(packet, 0); // a standard query: no flags
    Put16(packet, static_cast<std::uint16_t>(questions.size()));
    Put16(packet, 0);
    Put16(packet, 0);
    Put16(packet, 0);
    for (const Question& question : questions) {
        if (!PutName(packet, question.name)) {
            return {};
        }
        Put16(packet, question.type);
        Put16(packet, static_cast<std::uint16_t>(question.klass & 0x7FFF)); // QU bit off
    }
    return packet;
}

std::optional<Message> Decode(const std::uint8_t* data, std::size_t size) {
    const Reader reader(data, size);
    if (data == nullptr || !reader.Has(0, kHeaderSize)) {
        return std::nullopt;
    }
    Message message;
    message.id = reader.U16(0);
    message.flags = reader.U16(2);
    const std::size_t questions = reader.U16(4);
    const std::size_t records =
        std::size_t{reader.U16(6)} + std::size_t{reader.U16(8)} + std::size_t{reader.U16(10)};
    if (questions > kMaxRecords) {
        return std::nullopt;
    }
    std::size_t at = kHeaderSize;
    for (std::size_t i = 0; i < questions; ++i) {
        auto name = reader.Name(at);
        if (!name || !reader.Has(at, 4)) {
            return std::nullopt;
        }
        message.questions.push_back(
            {std::move(*name), reader.U16(at), static_cast<std::uint16_t>(reader.U16(at + 2))});
        at += 4;
    }
    for (std::size_t i = 0; i < records && i < kMaxRecords; ++i) {
        auto name = reader.Name(at);
        if (!name || !reader.Has(at, 10)) {
            return std::nullopt;
        }
        Record record;
        record.name = std::move(*name);
        record.type = reader.U16(at);
        record.klass = reader.U16(at + 2) & 0x7FFF;
        record.cacheFlush = (reader.U16(at + 2) & 0x8000) != 0;
        record.ttl = reader.U32(at + 4);
        const std::size_t length = reader.U16(at + 8);
        at += 10;
        if (!reader.Has(at, length)) {
            return std::nullopt;
        }
        record.data = RecordData(reader, record.type, at, length);
        message.records.push_back(std::move(record));
        at += length;
    }
    return message;
}

std::vector<std::string> SplitName(std::string_view name) {
    std::vector<std::string> labels;
    if (name.empty()) {
        return labels;
    }
    labels.emplace_back();
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 1 < name.size()) {
            labels.back() += name[++i];
        } else if (name[i] == '.') {
            labels.emplace_back();
        } else {
            labels.back() += name[i];
        }
    }
    if (labels.size() > 1 && labels.back().empty() && name.back() == '.') {
        labels.pop_back(); // "host.local." names the same as "host.local"
    }
    return labels;
}

std::string JoinName(const std::vector<std::string>& labels) {
    std::string name;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (i > 0) {
            name += '.';
        }
        const std::string& label = labels[i];
        for (const char c : label) {
            if (c == '.' || c == '\\') {
                name += '\\';
            }
            name += c;
        }
    }
    return name;
}

std::string NameKey(std::string_view name) {
    return text::AsciiLower(JoinName(SplitName(name)));
}

} // namespace neighbourhood::mdns
