// JSON text for hand-written virtual-camera scenarios.
#include "support/scenario_text.hpp"

#include <cstdio>

namespace velmora::uvc_stereo::test_support {

std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8] = {};
            std::snprintf(escape, sizeof(escape), "\\u%04X", static_cast<unsigned>(c));
            out += escape;
        } else {
            out.push_back(c);
        }
    }
    return out + "\"";
}

std::string json_text(const Text& text) { return text ? json_string(*text) : "null"; }

std::string json_hex_number(std::uint32_t value) {
    char text[16] = {};
    std::snprintf(text, sizeof(text), "\"0x%X\"", static_cast<unsigned>(value));
    return text;
}

std::string hex_digits(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char byte[4] = {};
    for (const std::uint8_t b : bytes) {
        std::snprintf(byte, sizeof(byte), "%02X", static_cast<unsigned>(b));
        if (!out.empty()) out += ' ';
        out += byte;
    }
    return out;
}

std::string vendor_path(std::uint16_t vid, std::uint16_t pid, const std::string& instance) {
    char buffer[64] = {};
    std::snprintf(buffer, sizeof(buffer), "\\\\?\\usb#vid_%04x&pid_%04x&mi_00#", static_cast<unsigned>(vid),
                  static_cast<unsigned>(pid));
    return buffer + instance + "#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
}

}  // namespace velmora::uvc_stereo::test_support
