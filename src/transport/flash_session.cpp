// The flash session: lock, vendor initialisation, device resolution, the
// serial-flash check, and the single-call range read.
#include "transport/flash_session.hpp"

#include <cstdio>

#include "discovery/device_resolution.hpp"
#include "platform/debug_output.hpp"
#include "velmora/uvc_stereo/flash_range.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

constexpr std::size_t kRangeMessageBufferSize = 224;  // at most 223 characters
constexpr std::size_t kSpanMessageBufferSize = 192;
constexpr std::uint64_t kLastFlashAddress = 0xFFFFFFFFu;

}  // namespace

FlashSession::FlashSession(const FlashConfig& caller_config) : config(caller_config) {}

Status open_flash_session(FlashSession& session) {
    Status initialized = session.vendor.initialize(ErrorCode::DeviceUnavailable);
    if (!initialized.ok()) return initialized;

    Result<win_detail::EnumeratedDevice> resolved =
        win_detail::resolve_device_with_active_runtime(session.vendor, session.config, false);
    if (!resolved.ok()) return resolved.status();
    session.device = resolved.value().device;
    session.device_ready = true;

    Status flash_type = vendor::serial_flash_type(session.vendor, session.device, session.flash_type);
    if (!flash_type.ok()) return flash_type;
    if (session.flash_type == vendor::kNoSerialFlash) {
        return Status(ErrorCode::DeviceUnavailable, vendor::kUnknownSerialFlashMessage);
    }
    return Status();
}

Status check_flash_address_span(std::uint32_t address, std::uint64_t length, const char* what) {
    if (length == 0 || address + (length - 1) <= kLastFlashAddress) return Status();
    char buffer[kSpanMessageBufferSize] = {};
    std::snprintf(buffer, sizeof(buffer), "%s range exceeds 32-bit Flash address space (address=0x%08X, length=%llu)",
                  what, static_cast<unsigned>(address), static_cast<unsigned long long>(length));
    return Status(ErrorCode::InvalidArgument, buffer);
}

Status read_flash_range(FlashSession& session, std::uint32_t address, std::vector<std::uint8_t>& out,
                        std::uint64_t length) {
    static constexpr const char* kWhat = "Flash read";
    Status range = validate_flash_transfer_range(session.config, address, length, kWhat);
    if (!range.ok()) return range;
    Status span = check_flash_address_span(address, length, kWhat);
    if (!span.ok()) return span;

    out.assign(static_cast<std::size_t>(length), 0);
    if (length == 0) return Status();

    // The range check keeps length within the 32-bit user-space size.
    const Status read = vendor::read_flash(session.vendor, session.device, address, out.data(),
                                           static_cast<std::uint32_t>(length));
    if (read.ok()) return read;
    std::string text = format_flash_range_message(read.message(), address, length);
    report_to_debugger(text);
    return Status(read.code(), std::move(text));
}

std::string format_flash_range_message(const std::string& text, std::uint32_t address, std::uint64_t length) {
    char buffer[kRangeMessageBufferSize] = {};
    std::snprintf(buffer, sizeof(buffer), "%s (address=0x%08X, length=%llu)", text.c_str(),
                  static_cast<unsigned>(address), static_cast<unsigned long long>(length));
    return std::string(buffer);
}

void report_to_debugger(const std::string& text) {
    platform::write_debugger_output(text.c_str());
    platform::write_debugger_output("\n");
}

}  // namespace velmora::uvc_stereo::detail
