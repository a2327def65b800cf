// HRESULT failure texts.
#include "platform/hresult_status.hpp"

#include <cstdio>

namespace velmora::uvc_stereo::platform {

namespace {

constexpr std::size_t kHresultMessageSize = 128;

}  // namespace

Status make_hresult_status(const char* operation, std::uint32_t hresult) {
    char buffer[kHresultMessageSize] = {};
    std::snprintf(buffer, sizeof(buffer), "%s failed: hr=0x%08lX", operation, static_cast<unsigned long>(hresult));
    return Status(ErrorCode::BackendError, buffer);
}

}  // namespace velmora::uvc_stereo::platform
