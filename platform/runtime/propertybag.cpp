#include "platform/runtime/propertybag.h"

#include <cstring>
#include <limits>

namespace qs::rt {
namespace {

constexpr uint8_t magic[4] = {'Q', 'S', 'P', 'B'};
constexpr uint16_t formatVersion = 1;
constexpr uint8_t tagInteger = 1;
constexpr uint8_t tagText = 2;
constexpr size_t smallestEntry = 4 + 1 + 4;  // empty name, tag, a 32-bit value or text length

void putU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void putBytes(std::vector<uint8_t>& out, const std::string& s) {
    putU32(out, uint32_t(s.size()));
    out.insert(out.end(), s.begin(), s.end());
}

// Reads from a span and says no as soon as a read would run past its end.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t remaining() const { return bytes_.size() - pos_; }

    bool u8(uint8_t& v) {
        if (remaining() < 1) return false;
        v = bytes_[pos_++];
        return true;
    }
    bool u16(uint16_t& v) {
        if (remaining() < 2) return false;
        v = uint16_t(bytes_[pos_] | bytes_[pos_ + 1] << 8);
        pos_ += 2;
        return true;
    }
    bool u32(uint32_t& v) {
        if (remaining() < 4) return false;
        v = uint32_t(bytes_[pos_]) | uint32_t(bytes_[pos_ + 1]) << 8 | uint32_t(bytes_[pos_ + 2]) << 16 |
            uint32_t(bytes_[pos_ + 3]) << 24;
        pos_ += 4;
        return true;
    }
    // A length-prefixed text; the length is checked against what is left before anything is allocated.
    bool text(std::string& s) {
        uint32_t n = 0;
        if (!u32(n) || n > remaining()) return false;
        s.assign(reinterpret_cast<const char*>(bytes_.data() + pos_), n);
        pos_ += n;
        return true;
    }
    bool prefix(const uint8_t (&expected)[4]) {
        if (remaining() < 4 || std::memcmp(bytes_.data() + pos_, expected, 4) != 0) return false;
        pos_ += 4;
        return true;
    }

private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

std::string decimal(size_t i) { return std::to_string(i); }

}  // namespace

void PropertyBag::WriteProperty(const std::string& name, Value value) {
    auto [it, added] = index_.try_emplace(name, entries_.size());
    if (added)
        entries_.emplace_back(name, std::move(value));
    else
        entries_[it->second].second = std::move(value);
}

std::optional<PropertyBag::Value> PropertyBag::ReadProperty(const std::string& name) const {
    auto it = index_.find(name);
    if (it == index_.end()) return std::nullopt;
    return entries_[it->second].second;
}

std::vector<uint8_t> PropertyBag::Contents() const {
    std::vector<uint8_t> out(std::begin(magic), std::end(magic));
    putU16(out, formatVersion);
    putU32(out, uint32_t(entries_.size()));
    for (const auto& [name, value] : entries_) {
        putBytes(out, name);
        if (const int32_t* i = std::get_if<int32_t>(&value)) {
            out.push_back(tagInteger);
            putU32(out, uint32_t(*i));
        } else {
            out.push_back(tagText);
            putBytes(out, std::get<std::string>(value));
        }
    }
    return out;
}

std::optional<PropertyBag> PropertyBag::FromContents(std::span<const uint8_t> bytes) {
    Reader r(bytes);
    uint16_t version = 0;
    uint32_t count = 0;
    if (!r.prefix(magic) || !r.u16(version) || version != formatVersion || !r.u32(count)) return std::nullopt;
    if (count > r.remaining() / smallestEntry) return std::nullopt;
    PropertyBag bag;
    bag.entries_.reserve(count);
    for (uint32_t e = 0; e < count; ++e) {
        std::string name;
        uint8_t tag = 0;
        if (!r.text(name) || !r.u8(tag)) return std::nullopt;
        Value value;
        if (tag == tagInteger) {
            uint32_t v = 0;
            if (!r.u32(v)) return std::nullopt;
            value = int32_t(v);
        } else if (tag == tagText) {
            std::string s;
            if (!r.text(s)) return std::nullopt;
            value = std::move(s);
        } else {
            return std::nullopt;
        }
        if (!bag.index_.try_emplace(name, bag.entries_.size()).second) return std::nullopt;
        bag.entries_.emplace_back(std::move(name), std::move(value));
    }
    if (r.remaining() != 0) return std::nullopt;
    return bag;
}

std::optional<std::vector<std::string>> decodePathList(std::span<const uint8_t> payload) {
    std::optional<PropertyBag> bag = PropertyBag::FromContents(payload);
    if (!bag) return std::nullopt;
    std::optional<PropertyBag::Value> numEls = bag->ReadProperty("NumEls");
    if (!numEls || !std::holds_alternative<int32_t>(*numEls)) return std::nullopt;
    int32_t n = std::get<int32_t>(*numEls);
    // Each element would need an entry of its own of at least 10 bytes (a one-digit name).
    constexpr size_t smallestElement = smallestEntry + 1;
    if (n < 0 || size_t(n) + 1 > payload.size() / smallestElement) return std::nullopt;
    std::vector<std::string> paths(size_t(n) + 1);
    for (size_t i = 0; i < paths.size(); ++i) {
        std::optional<PropertyBag::Value> v = bag->ReadProperty(decimal(i));
        if (v && std::holds_alternative<std::string>(*v)) paths[i] = std::move(std::get<std::string>(*v));
    }
    return paths;
}

std::vector<uint8_t> encodePathList(const std::vector<std::string>& paths) {
    PropertyBag bag;
    bag.WriteProperty("NumEls", int32_t(paths.size()) - 1);
    for (size_t i = 0; i < paths.size(); ++i) bag.WriteProperty(decimal(i), paths[i]);
    return bag.Contents();
}

}  // namespace qs::rt
