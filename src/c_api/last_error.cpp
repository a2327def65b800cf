// Last-error records of the C library: one per calling thread, one per context.
#include "c_api/last_error.hpp"

#include <mutex>
#include <new>

#include "c_api/context.hpp"
#include "platform/thread_local_slot.hpp"

namespace velmora::uvc_stereo::c_api {

namespace {

// Fits the short-string buffer of the standard libraries, so storing it
// never allocates.
constexpr std::string_view kOutOfMemory = "out of memory";

struct ThreadErrorRecord {
    std::int32_t code = 0;
    std::string message;
};

void destroy_record(void* record) { delete static_cast<ThreadErrorRecord*>(record); }

platform::ThreadLocalSlot& record_slot() {
    static platform::ThreadLocalSlot slot(&destroy_record);
    return slot;
}

// The calling thread's record, created on first use; null only when it could
// not be allocated or stored.
ThreadErrorRecord* thread_record() noexcept {
    platform::ThreadLocalSlot& slot = record_slot();
    auto* record = static_cast<ThreadErrorRecord*>(slot.get());
    if (record != nullptr) return record;
    record = new (std::nothrow) ThreadErrorRecord();
    if (record != nullptr && !slot.set(record)) {
        delete record;
        record = nullptr;
    }
    return record;
}

void store(std::int32_t& code_field, std::string& message_field, int code, std::string_view message) noexcept {
    code_field = code;
    try {
        message_field.assign(message.data(), message.size());
    } catch (...) {
        message_field.assign(kOutOfMemory.data(), kOutOfMemory.size());
    }
}

}  // namespace

int map_code(ErrorCode code) noexcept {
    switch (code) {
        case ErrorCode::Ok:
        case ErrorCode::InvalidArgument:
        case ErrorCode::BackendError:
        case ErrorCode::DeviceUnavailable:
        case ErrorCode::ReadFailed:
        case ErrorCode::WriteFailed:
        case ErrorCode::EraseFailed:
        case ErrorCode::BadMagic:
        case ErrorCode::UnsupportedVersion:
        case ErrorCode::InvalidHeader:
        case ErrorCode::InvalidLength:
        case ErrorCode::CrcMismatch:
        case ErrorCode::InvalidJson:
        case ErrorCode::NotSupported:
            return static_cast<int>(code);
        case ErrorCode::InternalError:
            break;
    }
    return kCodeInternalError;
}

int set_last_error(velmora_uvc_stereo_ctx* ctx, int code, std::string_view message) noexcept {
    if (ThreadErrorRecord* record = thread_record()) store(record->code, record->message, code, message);
    if (ctx != nullptr) {
        std::lock_guard<platform::RecursiveLock> guard(ctx->lock);
        store(ctx->last_code, ctx->last_message, code, message);
    }
    return code;
}

int record_status(velmora_uvc_stereo_ctx* ctx, const Status& status) noexcept {
    if (status.ok()) return record_success(ctx);
    return set_last_error(ctx, map_code(status.code()), status.message());
}

int record_success(velmora_uvc_stereo_ctx* ctx) noexcept { return set_last_error(ctx, kCodeOk, {}); }

int fail_invalid_argument(velmora_uvc_stereo_ctx* ctx, const char* text) noexcept {
    return set_last_error(ctx, kCodeInvalidArgument, text != nullptr ? text : "invalid argument");
}

const std::string& thread_last_message() noexcept {
    static const std::string kNothingRecorded;
    const ThreadErrorRecord* record = thread_record();
    return record != nullptr ? record->message : kNothingRecorded;
}

std::int32_t thread_last_code() noexcept {
    const ThreadErrorRecord* record = thread_record();
    return record != nullptr ? record->code : kCodeOk;
}

}  // namespace velmora::uvc_stereo::c_api
