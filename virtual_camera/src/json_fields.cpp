// Scenario value readers with path-qualified error texts.
#include "json_fields.hpp"

#include "text_codec.hpp"

namespace sonix_virtual {

void fail_at(const std::string& path, const std::string& what) { throw ScenarioError(path + ": " + what); }

std::string child_path(const std::string& path, const std::string& key) {
    return path.empty() ? key : path + "." + key;
}

std::string index_path(const std::string& path, std::size_t index) {
    return path + "[" + std::to_string(index) + "]";
}

void require_object(const Json& value, const std::string& path, std::initializer_list<const char*> allowed) {
    if (!value.is_object()) fail_at(path.empty() ? "scenario" : path, "expected an object");
    for (auto it = value.begin(); it != value.end(); ++it) {
        bool known = false;
        for (const char* key : allowed) known = known || it.key() == key;
        if (!known) fail_at(child_path(path, it.key()), "unknown key");
    }
}

std::uint64_t read_unsigned(const Json& value, const std::string& path, std::uint64_t max) {
    std::uint64_t number = 0;
    if (value.is_number_unsigned()) {
        number = value.get<std::uint64_t>();
    } else if (value.is_string()) {
        const auto parsed = parse_unsigned_text(value.get<std::string>());
        if (!parsed) fail_at(path, "expected a number such as 4096 or a hex text such as \"0x0C45\"");
        number = *parsed;
    } else {
        fail_at(path, "expected a non-negative number or a hex text such as \"0x0C45\"");
    }
    if (number > max) fail_at(path, "value " + std::to_string(number) + " is larger than " + std::to_string(max));
    return number;
}

std::int64_t read_signed(const Json& value, const std::string& path, std::int64_t min, std::int64_t max) {
    std::int64_t number = 0;
    if (value.is_number_integer()) {
        number = value.get<std::int64_t>();
    } else if (value.is_string()) {
        std::string text = value.get<std::string>();
        const bool negative = !text.empty() && text[0] == '-';
        const auto magnitude = parse_unsigned_text(negative ? text.substr(1) : text);
        if (!magnitude || *magnitude > static_cast<std::uint64_t>(INT64_MAX)) fail_at(path, "expected an integer");
        number = negative ? -static_cast<std::int64_t>(*magnitude) : static_cast<std::int64_t>(*magnitude);
    } else {
        fail_at(path, "expected an integer");
    }
    if (number < min || number > max) {
        fail_at(path, "value " + std::to_string(number) + " is outside [" + std::to_string(min) + ", " +
                          std::to_string(max) + "]");
    }
    return number;
}

bool read_bool(const Json& value, const std::string& path) {
    if (!value.is_boolean()) fail_at(path, "expected true or false");
    return value.get<bool>();
}

std::string read_string(const Json& value, const std::string& path) {
    if (!value.is_string()) fail_at(path, "expected a text");
    return value.get<std::string>();
}

std::vector<std::uint8_t> read_hex(const Json& value, const std::string& path) {
    const auto bytes = parse_hex_bytes(read_string(value, path));
    if (!bytes) fail_at(path, "expected hex bytes such as \"5A 4F 56 4B\"");
    return *bytes;
}

}  // namespace sonix_virtual
