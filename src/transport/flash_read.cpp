// Reading the flash: the reachability probe and the flash record read.
#include <vector>

#include "formats/flash_record_layout.hpp"
#include "transport/flash_session.hpp"
#include "transport/flash_user_space.hpp"
#include "velmora/uvc_stereo/flash_record.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"

namespace velmora::uvc_stereo {

namespace {

using detail::FlashSession;

constexpr std::uint64_t kProbeLength = 1;

// A bad header cannot be mended by reading more of the record.
bool header_itself_is_bad(ErrorCode code) {
    return code == ErrorCode::BadMagic || code == ErrorCode::UnsupportedVersion || code == ErrorCode::InvalidHeader;
}

Result<FlashBlob> read_record(FlashSession& session) {
    const FlashConfig& config = session.config;
    std::vector<std::uint8_t> preview;
    Status read = detail::read_flash_range(session, config.flash_user_space_address, preview, config.min_header_size);
    if (!read.ok()) return read;

    Result<FlashBlob> parsed = parse_and_validate_raw_blob(preview, config);
    if (parsed.ok() || header_itself_is_bad(parsed.status().code())) return parsed;

    if (preview.size() < detail::kRecordHeaderFieldsSize) {
        return Status(ErrorCode::InvalidHeader, "header preview is too short");
    }
    const std::uint64_t total = detail::declared_record_length(preview.data());
    if (total > config.flash_user_space_size) {
        return Status(ErrorCode::InvalidLength, "flash header total length is invalid");
    }
    std::vector<std::uint8_t> full;
    read = detail::read_flash_range(session, config.flash_user_space_address, full, total);
    if (!read.ok()) return read;
    return parse_and_validate_raw_blob(full, config);
}

}  // namespace

Status probe_flash_transport(const FlashConfig& config) {
    return detail::read_user_space(config, kProbeLength).status();
}

Result<FlashBlob> read_blob_from_device(const FlashConfig& config) {
    FlashSession session(config);
    Status opened = detail::open_flash_session(session);
    if (!opened.ok()) return opened;
    return read_record(session);
}

}  // namespace velmora::uvc_stereo
