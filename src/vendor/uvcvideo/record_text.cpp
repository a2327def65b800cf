// The record's texts: UTF-8 into its UTF-16 fields, and back with the
// SDK's own UTF-16 decoding (a lone surrogate becomes U+FFFD).
#include "record_text.hpp"

#include <algorithm>
#include <cstring>

#include "platform/utf16.hpp"

namespace sonix_uvcvideo {
namespace {

constexpr std::size_t kMaxDescriptorText = 64;
constexpr char32_t kReplacement = 0xFFFD;

// One code point from UTF-8 at `i`, which advances past it; a malformed
// sequence gives U+FFFD and skips one byte.
char32_t next_code_point(const std::string& text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        value = lead & 0x07;
    }
    if (extra == 0 || i + extra >= text.size()) {
        ++i;
        return kReplacement;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        value = (value << 6) | (next & 0x3F);
    }
    i += extra + 1;
    return value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF) ? kReplacement : value;
}

template <std::size_t N>
void write_utf16(SonixLib::scWideChar (&out)[N], const std::string& text) {
    std::size_t used = 0;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = next_code_point(text, i);
        const std::size_t needed = c > 0xFFFF ? 2 : 1;
        if (used + needed > N - 1) break;
        if (c > 0xFFFF) {
            out[used++] = static_cast<SonixLib::scWideChar>(0xD800 + ((c - 0x10000) >> 10));
            out[used++] = static_cast<SonixLib::scWideChar>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out[used++] = static_cast<SonixLib::scWideChar>(c);
        }
    }
    out[used] = 0;
}

}  // namespace

void fill_record(SonixLib::scDevice_t& record, const std::string& name, const std::string& device_path) {
    record = SonixLib::scDevice_t{};
    write_utf16(record.name, name);
    write_utf16(record.device_path, device_path);
}

std::string record_device_path(const SonixLib::scDevice_t& record) {
    constexpr std::size_t kUnits = sizeof(record.device_path) / sizeof(record.device_path[0]);
    return velmora::uvc_stereo::platform::utf16_to_utf8(record.device_path, kUnits);
}

void copy_descriptor_text(const std::string& text, std::uint8_t* buffer, std::size_t length) {
    const std::size_t room = std::min(length, kMaxDescriptorText);
    std::size_t copied = std::min(text.size(), room);
    // Back off to the start of a UTF-8 sequence that would be cut.
    if (copied < text.size()) {
        while (copied > 0 && (static_cast<unsigned char>(text[copied]) & 0xC0) == 0x80) --copied;
    }
    std::memcpy(buffer, text.data(), copied);
    if (copied < room) buffer[copied] = 0;
}

}  // namespace sonix_uvcvideo
