// Raw writes and reads of the flash user space on one flash session.
#include "transport/flash_user_space.hpp"

#include <algorithm>
#include <cstdio>

#include "transport/flash_session.hpp"
#include "transport/flash_write.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

constexpr std::size_t kMismatchMessageBufferSize = 192;  // at most 191 characters

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
    report_to_debugger(text);
    return Status(ErrorCode::WriteFailed, std::move(text));
}

}  // namespace

Status write_user_space(const FlashConfig& config, const std::vector<std::uint8_t>& bytes) {
    FlashSession session(config);
    Status opened = open_flash_session(session);
    if (!opened.ok()) return opened;
    Status written = write_flash_range(session, config.flash_user_space_address, bytes);
    if (!written.ok()) return written;
    if (!config.verify_after_write) return Status();

    std::vector<std::uint8_t> readback;
    Status read = read_flash_range(session, config.flash_user_space_address, readback, bytes.size());
    if (!read.ok()) return read;
    return compare_readback(bytes, readback);
}

Result<std::vector<std::uint8_t>> read_user_space(const FlashConfig& config, std::uint64_t length) {
    FlashSession session(config);
    Status opened = open_flash_session(session);
    if (!opened.ok()) return opened;
    std::vector<std::uint8_t> bytes;
    Status read = read_flash_range(session, config.flash_user_space_address, bytes, length);
    if (!read.ok()) return read;
    return bytes;
}

}  // namespace velmora::uvc_stereo::detail
