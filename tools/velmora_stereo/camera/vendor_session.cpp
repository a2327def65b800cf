// One session with the vendor camera library: raw descriptors, controls and flash.
#include "camera/vendor_session.hpp"

#include <algorithm>
#include <string_view>

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;
namespace vendor = velmora::uvc_stereo::vendor;

constexpr std::uint8_t kIdSelector = 0;
constexpr std::uint8_t kSerialSelector = 4;
constexpr std::uint32_t kDescriptorLength = 64;
constexpr std::uint32_t kFlashPiece = 64 * 1024;

std::string text_before_nul(const std::uint8_t* bytes, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(bytes),
                       static_cast<std::size_t>(std::find(bytes, bytes + size, 0) - bytes));
}

// The serial number as the scan stores it: trailing blanks and NULs removed.
std::string trimmed(std::string text) {
    while (!text.empty() && std::string_view(" \t\r\n", 5).find(text.back()) != std::string_view::npos) {
        text.pop_back();
    }
    return text;
}

}  // namespace

VendorSession::VendorSession() : initialised_(session_.initialize(uvc::ErrorCode::DeviceUnavailable)) {}

uvc::Status VendorSession::attach(const uvc::DeviceInfo& device) {
    if (!initialised_.ok()) return initialised_;
    auto records = vendor::enumerate(session_);
    if (!records.ok()) return records.status();
    for (auto& candidate : records.value()) {
        if (vendor::record_path(candidate) != device.device_path) continue;
        record_ = candidate;
        attached_ = true;
        const auto serial = descriptor_text(kSerialSelector);
        if (device.serial_number.empty() || (serial && trimmed(*serial) == device.serial_number)) return {};
        attached_ = false;
    }
    return uvc::Status(uvc::ErrorCode::DeviceUnavailable, "the camera is no longer attached");
}

std::string VendorSession::record_name() const { return vendor::record_name(record_); }

std::string VendorSession::record_path() const { return vendor::record_path(record_); }

std::optional<std::array<std::uint8_t, 4>> VendorSession::id_bytes() {
    std::array<std::uint8_t, 4> bytes{};
    if (!vendor::read_descriptor(session_, record_, kIdSelector, bytes.data(), bytes.size())) return std::nullopt;
    return bytes;
}

std::optional<std::string> VendorSession::descriptor_text(std::uint8_t selector) {
    std::array<std::uint8_t, kDescriptorLength> buffer{};
    if (!vendor::read_descriptor(session_, record_, selector, buffer.data(), kDescriptorLength)) return std::nullopt;
    return text_before_nul(buffer.data(), buffer.size());
}

std::optional<std::string> VendorSession::firmware_version() {
    auto version = vendor::firmware_version(session_, record_);
    if (!version.ok()) return std::nullopt;
    return std::move(version.value());
}

std::optional<std::uint32_t> VendorSession::serial_flash_type() {
    vendor::SerialFlashType type = 0;
    if (!vendor::serial_flash_type(session_, record_, type).ok()) return std::nullopt;
    return type;
}

uvc::Status VendorSession::select_unit(std::uint8_t unit) {
    if (std::find(selected_units_.begin(), selected_units_.end(), unit) != selected_units_.end()) return {};
    auto selected = vendor::set_node(session_, record_, unit, uvc::detail::kVendorXuGuid);
    if (!selected.ok()) return std::move(selected.status);
    selected_units_.push_back(unit);
    return {};
}

uvc::Result<std::vector<std::uint8_t>> VendorSession::read_control(std::uint8_t unit, std::uint8_t selector,
                                                                  std::uint8_t length) {
    if (auto selected = select_unit(unit); !selected.ok()) return selected;
    std::vector<std::uint8_t> bytes(length, 0);
    auto read = vendor::xu_read(session_, record_, bytes.data(), length, selector, unit);
    if (!read.ok()) return std::move(read.status);
    return bytes;
}

uvc::Result<std::vector<std::uint8_t>> VendorSession::read_flash(std::uint32_t address, std::uint32_t length) {
    std::vector<std::uint8_t> bytes(length, 0);
    for (std::uint32_t done = 0; done < length;) {
        const std::uint32_t piece = std::min(kFlashPiece, length - done);
        if (auto read = vendor::read_flash(session_, record_, address + done, bytes.data() + done, piece); !read.ok()) {
            return read;
        }
        done += piece;
    }
    return bytes;
}

}  // namespace velmora::stereo_tool
