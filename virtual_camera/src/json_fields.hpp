// Typed, validated access to scenario JSON values; failures name the offending path.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace sonix_virtual {

using Json = nlohmann::json;

// Raised while reading a scenario; caught at the parser's entry and turned into text.
class ScenarioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail_at(const std::string& path, const std::string& what);

std::string child_path(const std::string& path, const std::string& key);
std::string index_path(const std::string& path, std::size_t index);

// Refuses keys outside the allowed list, so a misspelt key never passes silently.
void require_object(const Json& value, const std::string& path, std::initializer_list<const char*> allowed);

// A JSON number or a text such as "0x0C45" / "4096", no larger than max.
std::uint64_t read_unsigned(const Json& value, const std::string& path, std::uint64_t max);
// A JSON integer or a text such as "-100", inside [min, max].
std::int64_t read_signed(const Json& value, const std::string& path, std::int64_t min, std::int64_t max);
bool read_bool(const Json& value, const std::string& path);
std::string read_string(const Json& value, const std::string& path);
// Hex bytes as a text ("5A 4F 56 4B").
std::vector<std::uint8_t> read_hex(const Json& value, const std::string& path);

template <typename T>
T read_unsigned_as(const Json& value, const std::string& path) {
    return static_cast<T>(read_unsigned(value, path, static_cast<std::uint64_t>(static_cast<T>(-1))));
}

}  // namespace sonix_virtual
