// Writing the flash: write protection, sector erase, the record write and
// the read-back comparison.
#include "transport/flash_write.hpp"

#include <algorithm>
#include <cstdio>

#include "formats/flash_sectors.hpp"
#include "transport/vendor/vendor_status.hpp"
#include "velmora/uvc_stereo/flash_range.hpp"
#include "velmora/uvc_stereo/flash_record.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

constexpr std::uint8_t kSectorEraseCommand = 0x20;

// The vendor's constant arguments that release the write protection.
constexpr std::uint8_t kStatusRegWpArgs[6] = {2, 5, 1, 6, 2, 3};
constexpr std::uint8_t kWriteProtectArgs[2] = {1, 1};

Status release_write_protection(FlashSession& session) {
    const std::uint8_t* wp = kStatusRegWpArgs;
    if (!SonixCam_SetStatusRegBitWP(&session.device, wp[0], wp[1], wp[2], wp[3], wp[4], wp[5])) {
        return win_detail::make_vendor_status(ErrorCode::WriteFailed, "SonixCam_SetStatusRegBitWP", &session.device);
    }
    if (!SonixCam_SetWriteProtectedSF(&session.device, kWriteProtectArgs[0], kWriteProtectArgs[1])) {
        return win_detail::make_vendor_status(ErrorCode::WriteFailed, "SonixCam_SetWriteProtectedSF",
                                              &session.device);
    }
    return Status();
}

}  // namespace

Status erase_flash_range(FlashSession& session, std::uint32_t address, std::uint64_t length) {
    Status range = validate_flash_erase_range(session.config, address, length);
    if (!range.ok()) return range;
    if (length == 0) return Status();

    const std::uint32_t sector = effective_sector_size(session.config);
    const SectorSpan sectors = sectors_covering(sector, address, length);
    const auto first = static_cast<std::uint32_t>(sectors.first_start);  // never above address
    const std::uint64_t last = sectors.last_start;
    // A sector beyond 32 bits would be erased at its wrapped-round address.
    Status span = check_flash_address_span(first, last - first + 1, "Flash erase");
    if (!span.ok()) return span;

    for (std::uint64_t start = first; start <= last; start += sector) {
        const auto sector_address = static_cast<std::uint32_t>(start);
        if (SonixCam_SectorEraseSF(&session.device, sector_address, kSectorEraseCommand)) continue;
        const Status vendor =
            win_detail::make_vendor_status(ErrorCode::EraseFailed, "SonixCam_SectorEraseSF", &session.device);
        std::string text = format_flash_range_message(vendor.message(), sector_address, sector);
        report_to_debugger(text);
        return Status(vendor.code(), std::move(text));
    }
    return Status();
}

Status write_flash_range(FlashSession& session, std::uint32_t address, const std::vector<std::uint8_t>& data) {
    static constexpr const char* kWhat = "Flash write";
    if (data.empty()) return Status(ErrorCode::InvalidArgument, "write payload is empty");
    Status range = validate_flash_transfer_range(session.config, address, data.size(), kWhat);
    if (!range.ok()) return range;
    Status span = check_flash_address_span(address, data.size(), kWhat);
    if (!span.ok()) return span;
    if (!session.device_ready) return Status(ErrorCode::InternalError, "device handle is not ready");

    Status released = release_write_protection(session);
    if (!released.ok()) return released;
    Status erased = erase_flash_range(session, address, data.size());
    if (!erased.ok()) return erased;

    // The range check keeps the size within the 32-bit user-space size.
    const auto length = static_cast<std::uint32_t>(data.size());
    if (SonixCam_WriteToSF(&session.device, address, data.data(), length)) return Status();
    const Status vendor = win_detail::make_vendor_status(ErrorCode::WriteFailed, "SonixCam_WriteToSF", &session.device);
    std::string text = format_flash_range_message(vendor.message(), address, data.size());
    report_to_debugger(text);
    return Status(vendor.code(), std::move(text));
}

}  // namespace velmora::uvc_stereo::detail

namespace velmora::uvc_stereo {

namespace {

constexpr std::size_t kMismatchMessageBufferSize = 192;  // at most 191 characters

Result<FlashBlob> choose_record(const FlashConfig& config, const FlashBlob& blob) {
    if (!blob.raw.empty()) return parse_and_validate_raw_blob(blob.raw, config);
    if (blob.payload.empty()) return Status(ErrorCode::InvalidArgument, "blob is missing raw and payload for write");
    return build_blob(blob.version, blob.payload, config);
}

Status compare_readback(const std::vector<std::uint8_t>& written, const std::vector<std::uint8_t>& readback) {
    if (written == readback) return Status();
    const std::size_t common = std::min(written.size(), readback.size());
    const auto differ = std::mismatch(written.begin(), written.begin() + static_cast<std::ptrdiff_t>(common),
                                      readback.begin());
    if (differ.first == written.begin() + static_cast<std::ptrdiff_t>(common)) {
        return Status(ErrorCode::WriteFailed, "verify_after_write failed: readback size mismatch");
    }
    const auto offset = static_cast<unsigned long long>(differ.first - written.begin());
    char buffer[kMismatchMessageBufferSize] = {};
    std::snprintf(buffer, sizeof(buffer),
                  "verify_after_write failed: readback mismatch at offset 0x%llX (expected=0x%02X, actual=0x%02X)",
                  offset, static_cast<unsigned>(*differ.first), static_cast<unsigned>(*differ.second));
    std::string text(buffer);
    detail::report_to_debugger(text);
    return Status(ErrorCode::WriteFailed, std::move(text));
}

}  // namespace

Status write_blob_to_device(const FlashConfig& config, const FlashBlob& blob) {
    Result<FlashBlob> record = choose_record(config, blob);
    if (!record.ok()) return record.status();
    const std::vector<std::uint8_t>& raw = record.value().raw;

    detail::FlashSession session(config);
    Status opened = detail::open_flash_session(session);
    if (!opened.ok()) return opened;
    Status written = detail::write_flash_range(session, config.flash_user_space_address, raw);
    if (!written.ok()) return written;
    if (!config.verify_after_write) return Status();

    std::vector<std::uint8_t> readback;
    Status read = detail::read_flash_range(session, config.flash_user_space_address, readback, raw.size());
    if (!read.ok()) return read;
    return compare_readback(raw, readback);
}

}  // namespace velmora::uvc_stereo
