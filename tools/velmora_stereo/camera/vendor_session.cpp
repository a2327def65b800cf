// One session with the vendor camera library: raw descriptors, controls and flash.
#include "camera/vendor_session.hpp"

#include <algorithm>

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr std::uint8_t kIdSelector = 0;
constexpr std::uint8_t kSerialSelector = 4;
constexpr std::uint32_t kDescriptorLength = 64;
constexpr std::uint32_t kVersionLength = 256;
constexpr std::uint32_t kFlashPiece = 64 * 1024;
constexpr std::size_t kNameUnits = 256;
constexpr std::size_t kPathUnits = 306;

// The vendor extension unit {DDDF7394-973E-4727-BED9-04ED6426DC67}, in the
// byte order of a Windows GUID.
constexpr std::uint8_t kExtensionUnitGuid[16] = {0x94, 0x73, 0xDF, 0xDD, 0x3E, 0x97, 0x27, 0x47,
                                                 0xBE, 0xD9, 0x04, 0xED, 0x64, 0x26, 0xDC, 0x67};

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kHighSurrogateFirst = 0xD800;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kSurrogateEnd = 0xE000;
constexpr char32_t kSupplementaryFirst = 0x10000;
constexpr unsigned kSurrogateBits = 10;

void append_utf8(char32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string text_before_nul(const char* bytes, std::size_t size) {
    return std::string(bytes, std::find(bytes, bytes + size, '\0'));
}

// The serial number as the scan stores it: trailing blanks and NULs removed.
std::string trimmed(std::string text) {
    while (!text.empty() && std::string_view(" \t\r\n", 5).find(text.back()) != std::string_view::npos) {
        text.pop_back();
    }
    return text;
}

}  // namespace

std::string utf16_to_utf8(const SonixLib::scWideChar* text, std::size_t capacity) {
    std::string out;
    for (std::size_t i = 0; i < capacity && text[i] != 0; ++i) {
        const auto unit = static_cast<char32_t>(static_cast<std::uint16_t>(text[i]));
        const bool high = unit >= kHighSurrogateFirst && unit < kLowSurrogateFirst;
        const bool low = unit >= kLowSurrogateFirst && unit < kSurrogateEnd;
        if (high && i + 1 < capacity) {
            const auto next = static_cast<char32_t>(static_cast<std::uint16_t>(text[i + 1]));
            if (next >= kLowSurrogateFirst && next < kSurrogateEnd) {
                append_utf8(kSupplementaryFirst + ((unit - kHighSurrogateFirst) << kSurrogateBits) +
                                (next - kLowSurrogateFirst),
                            out);
                ++i;
                continue;
            }
        }
        append_utf8(high || low ? kReplacement : unit, out);
    }
    return out;
}

VendorSession::VendorSession() : initialised_(SonixCam_Init()) {}

VendorSession::~VendorSession() {
    if (initialised_) SonixCam_UnInit();
}

uvc::Status VendorSession::vendor_failure(const char* function, uvc::ErrorCode code) {
    SonixLib::scErrorCode_t vendor_code = SonixLib::ecUnknow;
    if (!SonixCam_GetErrorCode(attached_ ? &record_ : nullptr, &vendor_code)) vendor_code = SonixLib::ecUnknow;
    return uvc::Status(code, std::string(function) + " failed (vendor code " +
                                 std::to_string(static_cast<int>(vendor_code)) + ")");
}

uvc::Status VendorSession::attach(const uvc::DeviceInfo& device) {
    if (!initialised_) return vendor_failure("SonixCam_Init", uvc::ErrorCode::DeviceUnavailable);
    std::vector<SonixLib::scDevice_t> records(SonixLib::kMaxEnumeratedCameras);
    std::uint32_t count = 0;
    if (!SonixCam_EnumCameras(&count, records.data(), SonixLib::kMaxEnumeratedCameras)) count = 0;
    records.resize(std::min<std::uint32_t>(count, SonixLib::kMaxEnumeratedCameras));
    for (auto& candidate : records) {
        if (utf16_to_utf8(candidate.device_path, kPathUnits) != device.device_path) continue;
        record_ = candidate;
        attached_ = true;
        const auto serial = descriptor_text(kSerialSelector);
        if (device.serial_number.empty() || (serial && trimmed(*serial) == device.serial_number)) return {};
        attached_ = false;
    }
    return uvc::Status(uvc::ErrorCode::DeviceUnavailable, "the camera is no longer attached");
}

std::string VendorSession::record_name() const { return utf16_to_utf8(record_.name, kNameUnits); }

std::string VendorSession::record_path() const { return utf16_to_utf8(record_.device_path, kPathUnits); }

std::optional<std::array<std::uint8_t, 4>> VendorSession::id_bytes() {
    std::array<std::uint8_t, 4> bytes{};
    if (!SonixCam_GetDevDescriptor(&record_, kIdSelector, bytes.data(), bytes.size(), 0, 0)) return std::nullopt;
    return bytes;
}

std::optional<std::string> VendorSession::descriptor_text(std::uint8_t selector) {
    char buffer[kDescriptorLength] = {};
    if (!SonixCam_GetDevDescriptor(&record_, selector, reinterpret_cast<std::uint8_t*>(buffer), kDescriptorLength, 0,
                                   0)) {
        return std::nullopt;
    }
    return text_before_nul(buffer, sizeof buffer);
}

std::optional<std::string> VendorSession::firmware_version() {
    char buffer[kVersionLength] = {};
    if (!SonixCam_GetVersion(&record_, buffer, kVersionLength, 0)) return std::nullopt;
    return text_before_nul(buffer, sizeof buffer);
}

std::optional<std::uint32_t> VendorSession::serial_flash_type() {
    SonixLib::scSerialFlashType_t type = 0;
    if (!SonixCam_GetSerialFlashType(&record_, &type)) return std::nullopt;
    return type;
}

uvc::Status VendorSession::select_unit(std::uint8_t unit) {
    if (std::find(selected_units_.begin(), selected_units_.end(), unit) != selected_units_.end()) return {};
    if (!SonixCam_SetNodeID(&record_, unit, kExtensionUnitGuid)) {
        return vendor_failure("SonixCam_SetNodeID", uvc::ErrorCode::BackendError);
    }
    selected_units_.push_back(unit);
    return {};
}

uvc::Result<std::vector<std::uint8_t>> VendorSession::read_control(std::uint8_t unit, std::uint8_t selector,
                                                                  std::uint8_t length) {
    if (auto selected = select_unit(unit); !selected.ok()) return selected;
    std::vector<std::uint8_t> bytes(length, 0);
    if (!SonixCam_XuRead(&record_, bytes.data(), length, selector, unit)) {
        return vendor_failure("SonixCam_XuRead", uvc::ErrorCode::BackendError);
    }
    return bytes;
}

uvc::Result<std::vector<std::uint8_t>> VendorSession::read_flash(std::uint32_t address, std::uint32_t length) {
    std::vector<std::uint8_t> bytes(length, 0);
    for (std::uint32_t done = 0; done < length;) {
        const std::uint32_t piece = std::min(kFlashPiece, length - done);
        if (!SonixCam_CstmReadFromSF(&record_, address + done, bytes.data() + done, piece)) {
            return vendor_failure("SonixCam_CstmReadFromSF", uvc::ErrorCode::ReadFailed);
        }
        done += piece;
    }
    return bytes;
}

}  // namespace velmora::stereo_tool
