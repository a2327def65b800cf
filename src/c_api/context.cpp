// Contexts and the last-error getters of the C library.
#include "c_api/context.hpp"

#include <memory>
#include <mutex>

#include "c_api/boundary.hpp"
#include "c_api/last_error.hpp"

namespace velmora::uvc_stereo::c_api {

namespace {

constexpr const char* kMessageOutsNull = "out_message/out_message_len is null";

void hand_out(const std::string& text, const char** out_message, size_t* out_message_len) noexcept {
    *out_message = text.c_str();
    *out_message_len = text.size();
}

}  // namespace

FlashConfig flash_config_from_c(const velmora_uvc_stereo_ctx_config* config) {
    FlashConfig flash;
    if (config == nullptr) return flash;
    flash.flash_user_space_address = config->flash_user_space_address;
    flash.flash_sector_size = config->flash_sector_size;
    flash.flash_magic = config->flash_magic;
    flash.flash_user_space_size = config->flash_user_space_size;
    flash.min_header_size = config->min_header_size;
    flash.max_header_size = config->max_header_size;
    flash.verify_crc = config->verify_crc != 0;
    flash.verify_after_write = config->verify_after_write != 0;
    return flash;
}

}  // namespace velmora::uvc_stereo::c_api

namespace c_api = velmora::uvc_stereo::c_api;

extern "C" void velmora_uvc_stereo_ctx_config_init_default(velmora_uvc_stereo_ctx_config* config) {
    if (config == nullptr) return;
    const velmora::uvc_stereo::FlashConfig defaults;
    config->flash_user_space_address = defaults.flash_user_space_address;
    config->flash_sector_size = defaults.flash_sector_size;
    config->flash_magic = defaults.flash_magic;
    config->flash_user_space_size = defaults.flash_user_space_size;
    config->min_header_size = defaults.min_header_size;
    config->max_header_size = defaults.max_header_size;
    config->verify_crc = defaults.verify_crc ? 1 : 0;
    config->verify_after_write = defaults.verify_after_write ? 1 : 0;
}

extern "C" int velmora_uvc_stereo_ctx_create(const velmora_uvc_stereo_ctx_config* config,
                                             velmora_uvc_stereo_ctx** out_handle) {
    if (out_handle == nullptr) return c_api::fail_invalid_argument(nullptr, "out_handle is null");
    *out_handle = nullptr;
    return c_api::guarded_call(nullptr, c_api::AllocationFailureText::OutOfMemory, [&] {
        auto context = std::make_unique<velmora_uvc_stereo_ctx>();
        context->config = c_api::flash_config_from_c(config);
        *out_handle = context.release();
        return c_api::record_success(nullptr);
    });
}

extern "C" void velmora_uvc_stereo_ctx_destroy(velmora_uvc_stereo_ctx* handle) { delete handle; }

extern "C" int velmora_uvc_stereo_last_error_message(const char** out_message, size_t* out_message_len) {
    if (out_message == nullptr || out_message_len == nullptr) {
        return c_api::fail_invalid_argument(nullptr, c_api::kMessageOutsNull);
    }
    c_api::hand_out(c_api::thread_last_message(), out_message, out_message_len);
    return c_api::kCodeOk;
}

extern "C" int velmora_uvc_stereo_ctx_last_error_message(velmora_uvc_stereo_ctx* handle,
                                                         const char** out_message,
                                                         size_t* out_message_len) {
    if (out_message == nullptr || out_message_len == nullptr) {
        return c_api::fail_invalid_argument(nullptr, c_api::kMessageOutsNull);
    }
    if (handle == nullptr) return velmora_uvc_stereo_last_error_message(out_message, out_message_len);
    std::lock_guard<velmora::uvc_stereo::platform::RecursiveLock> guard(handle->lock);
    c_api::hand_out(handle->last_message, out_message, out_message_len);
    return c_api::kCodeOk;
}
