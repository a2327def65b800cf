// The UTF-16 texts of the 1126-byte vendor device record (the name at byte 2,
// the device path at byte 514), of any content, terminated or not. Each field
// is read through the record and through a heap copy of exactly its size, so
// the address sanitizer catches a read past the field; the text must be the
// field up to its first zero unit, decoded as UTF-16 with U+FFFD for every
// surrogate that stands alone; the result is valid UTF-8 that the virtual
// camera's encoder turns back into the same units, U+FFFD where a surrogate
// stood alone.
//
// Input: a fill byte for the record bytes the input does not cover, then the
// record's bytes from offset 0.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "platform/utf16.hpp"
#include "property_check.hpp"
#include "vendor/device_record.hpp"
#include "text_codec.hpp"
#include "utf8_check.hpp"

namespace {

namespace uvc = velmora::uvc_stereo;
using SonixLib::scWideChar;
using uvc::fuzzing::require;

// The units before the first zero unit, or the whole field.
std::u16string bounded_units(const scWideChar* field, std::size_t capacity) {
    std::u16string units;
    for (std::size_t i = 0; i < capacity && field[i] != 0; ++i) units.push_back(static_cast<char16_t>(field[i]));
    return units;
}

void append_utf8(std::string& out, char32_t code_point) {
    if (code_point < 0x80) {
        out += static_cast<char>(code_point);
        return;
    }
    const int continuation = code_point < 0x800 ? 1 : code_point < 0x10000 ? 2 : 3;
    static const unsigned char kLeadMarks[] = {0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLeadMarks[continuation] | (code_point >> (6 * continuation)));
    for (int shift = 6 * (continuation - 1); shift >= 0; shift -= 6) {
        out += static_cast<char>(0x80 | ((code_point >> shift) & 0x3F));
    }
}

bool is_high(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The units with every surrogate that is not half of a pair replaced by
// U+FFFD, as the converter replaces it.
std::u16string mended_units(const std::u16string& units) {
    std::u16string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (is_high(units[i]) && i + 1 < units.size() && is_low(units[i + 1])) {
            out += units.substr(i, 2);
            ++i;
        } else {
            out += is_high(units[i]) || is_low(units[i]) ? u'\uFFFD' : units[i];
        }
    }
    return out;
}

// UTF-16 decoding of well-formed units.
std::string expected_text(const std::u16string& units) {
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (is_high(units[i])) {
            append_utf8(out, 0x10000 + ((static_cast<char32_t>(units[i]) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            append_utf8(out, units[i]);
        }
    }
    return out;
}

template <std::size_t N>
void check_field(const std::string& through_record, const scWideChar (&field)[N], const char* name) {
    // A heap block of exactly the field's size: any read past it is caught.
    const auto exact = std::make_unique<scWideChar[]>(N);
    std::memcpy(exact.get(), field, sizeof(field));
    const std::string through_copy = uvc::platform::utf16_to_utf8(exact.get(), N);

    const std::u16string units = mended_units(bounded_units(field, N));
    const std::string expected = expected_text(units);
    require(through_record == expected && through_copy == expected, "a record text is its units decoded", name);
    require(uvc::fuzzing::is_valid_utf8(through_record), "a record text is valid UTF-8", name);
    require(sonix_virtual::utf8_to_utf16(through_record) == units, "a record text encodes back to its units", name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    SonixLib::scDevice_t record;
    auto* bytes = reinterpret_cast<std::uint8_t*>(&record);
    std::memset(bytes, data[0], sizeof(record));
    std::memcpy(bytes, data + 1, std::min(size - 1, sizeof(record)));

    check_field(uvc::vendor::record_name(record), record.name, "name");
    check_field(uvc::vendor::record_path(record), record.device_path, "device_path");
    return 0;
}
