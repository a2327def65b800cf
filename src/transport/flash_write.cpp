// Writing the flash: write protection, sector erase and the single write of
// a flash session, and the record writer over the user-space write.
#include "transport/flash_write.hpp"

#include "formats/flash_sectors.hpp"
#include "transport/flash_user_space.hpp"
#include "velmora/uvc_stereo/flash_range.hpp"
#include "velmora/uvc_stereo/flash_record.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"

namespace velmora::uvc_stereo::detail {

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
        const Status erased = vendor::erase_sector(session.vendor, session.device, sector_address);
        if (erased.ok()) continue;
        std::string text = format_flash_range_message(erased.message(), sector_address, sector);
        report_to_debugger(text);
        return Status(erased.code(), std::move(text));
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

    Status released = vendor::release_write_protection(session.vendor, session.device);
    if (!released.ok()) return released;
    Status erased = erase_flash_range(session, address, data.size());
    if (!erased.ok()) return erased;

    // The range check keeps the size within the 32-bit user-space size.
    const auto length = static_cast<std::uint32_t>(data.size());
    const Status written = vendor::write_flash(session.vendor, session.device, address, data.data(), length);
    if (written.ok()) return written;
    std::string text = format_flash_range_message(written.message(), address, data.size());
    report_to_debugger(text);
    return Status(written.code(), std::move(text));
}

}  // namespace velmora::uvc_stereo::detail

namespace velmora::uvc_stereo {

namespace {

Result<FlashBlob> choose_record(const FlashConfig& config, const FlashBlob& blob) {
    if (!blob.raw.empty()) return parse_and_validate_raw_blob(blob.raw, config);
    if (blob.payload.empty()) return Status(ErrorCode::InvalidArgument, "blob is missing raw and payload for write");
    return build_blob(blob.version, blob.payload, config);
}

}  // namespace

Status write_blob_to_device(const FlashConfig& config, const FlashBlob& blob) {
    Result<FlashBlob> record = choose_record(config, blob);
    if (!record.ok()) return record.status();
    return detail::write_user_space(config, record.value().raw);
}

}  // namespace velmora::uvc_stereo
