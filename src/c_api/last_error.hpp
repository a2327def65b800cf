// Last-error records of the C library: one per calling thread, one per context.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "velmora/uvc_stereo/status.hpp"
#include "velmora_uvc_stereo_c.h"

namespace velmora::uvc_stereo::c_api {

inline constexpr int kCodeOk = static_cast<int>(ErrorCode::Ok);
inline constexpr int kCodeInvalidArgument = static_cast<int>(ErrorCode::InvalidArgument);
inline constexpr int kCodeBackendError = static_cast<int>(ErrorCode::BackendError);
inline constexpr int kCodeInternalError = static_cast<int>(ErrorCode::InternalError);

// The C return code of a core status code: the fifteen known values pass,
// anything else becomes InternalError.
int map_code(ErrorCode code) noexcept;

// Stores code and message in the calling thread's record and, when ctx is not
// null, in the context's (under its lock). Returns code. Never throws: when
// the message cannot be stored, "out of memory" stands in for it.
int set_last_error(velmora_uvc_stereo_ctx* ctx, int code, std::string_view message) noexcept;

// A failure is recorded with its mapped code and unchanged message, a success
// clears the message. Returns the mapped code.
int record_status(velmora_uvc_stereo_ctx* ctx, const Status& status) noexcept;

int record_success(velmora_uvc_stereo_ctx* ctx) noexcept;

// Records InvalidArgument with text ("invalid argument" for null); returns 1.
int fail_invalid_argument(velmora_uvc_stereo_ctx* ctx, const char* text) noexcept;

// The calling thread's last message; an empty text before the first record.
// The reference stays valid until the thread records again or ends.
const std::string& thread_last_message() noexcept;

// The calling thread's last recorded code; 0 before the first record.
std::int32_t thread_last_code() noexcept;

}  // namespace velmora::uvc_stereo::c_api
