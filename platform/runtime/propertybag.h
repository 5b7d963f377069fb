#pragma once
// A keyed bag of values that travels as bytes (the payload of a path-list WM_COPYDATA).
//
// Byte format, version 1; all integers little-endian:
//   4 bytes   magic "QSPB"
//   2 bytes   version (1)
//   4 bytes   entry count
//   entries, each:
//     4 bytes   name length L, then L bytes of name (UTF-8)
//     1 byte    type tag: 1 = 32-bit signed integer, 2 = text
//     tag 1:    4 bytes value
//     tag 2:    4 bytes length T, then T bytes of text (UTF-8)
// Nothing may follow the last entry. Names are unique within a bag and compared exactly.
//
// The decoder is strict: a wrong magic or version, an unknown tag, a length running past the end, a count
// the bytes cannot hold, a repeated name or bytes left over make the whole payload invalid. It never
// allocates more than the payload's own size calls for.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

namespace qs::rt {

class PropertyBag {
public:
    using Value = std::variant<int32_t, std::string>;

    // Sets the property, replacing a value stored under the same name before.
    void WriteProperty(const std::string& name, Value value);
    std::optional<Value> ReadProperty(const std::string& name) const;
    size_t size() const { return entries_.size(); }

    std::vector<uint8_t> Contents() const;
    static std::optional<PropertyBag> FromContents(std::span<const uint8_t> bytes);

private:
    std::vector<std::pair<std::string, Value>> entries_;  // in the order first written
    std::unordered_map<std::string, size_t> index_;       // name -> position in entries_
};

// The path list of a WM_COPYDATA with dwData 2: integer "NumEls" = N, the highest index, and texts "0" to
// "N". Decoding gives N + 1 paths; an element whose property is missing or not a text stays "". Invalid:
// not a bag, "NumEls" missing, not an integer or negative, or N + 1 more elements than the payload could
// carry (at least 10 bytes each, an element's smallest entry).
std::optional<std::vector<std::string>> decodePathList(std::span<const uint8_t> payload);
// An empty list is written with NumEls -1, which decodes as invalid.
std::vector<uint8_t> encodePathList(const std::vector<std::string>& paths);

}  // namespace qs::rt
