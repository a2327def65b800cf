// One flash operation's vendor session and the transfer steps shared by the
// flash read and write paths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vendor/vendor_calls.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

// Holds the vendor lock from construction to destruction (the vendor
// session); on destruction the vendor library is uninitialised first (only
// when its Init succeeded), then the lock is released. Never shared or
// copied.
struct FlashSession {
    explicit FlashSession(const FlashConfig& caller_config);
    FlashSession(const FlashSession&) = delete;
    FlashSession& operator=(const FlashSession&) = delete;
    FlashSession(FlashSession&&) = delete;
    FlashSession& operator=(FlashSession&&) = delete;

    FlashConfig config;
    win_detail::VendorSession vendor;  // after config: the lock is taken once the configuration is copied
    bool device_ready = false;
    vendor::DeviceRecord device;
    vendor::SerialFlashType flash_type = vendor::kNoSerialFlash;
};

// The vendor library's Init, device resolution and the serial-flash check.
Status open_flash_session(FlashSession& session);

// Reads length bytes at address into out (resized to exactly length, zeroed
// first). One vendor call for the whole range; none for length 0.
Status read_flash_range(FlashSession& session, std::uint32_t address, std::vector<std::uint8_t>& out,
                        std::uint64_t length);

// The trimmed firmware version text of the session's device.
Result<std::string> read_firmware_version(FlashSession& session);

// "<text> (address=0x%08X, length=%llu)", cut to 223 characters.
std::string format_flash_range_message(const std::string& text, std::uint32_t address, std::uint64_t length);

// Refuses a span whose last byte lies beyond the 32-bit flash address space:
// the vendor library takes 32-bit addresses, so such a span would wrap round
// to the start of the flash. what names the operation ("Flash read").
Status check_flash_address_span(std::uint32_t address, std::uint64_t length, const char* what);

// Writes text, then a separate "\n", to the debugger output.
void report_to_debugger(const std::string& text);

}  // namespace velmora::uvc_stereo::detail
