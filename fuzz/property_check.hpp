// Properties checked inside the fuzz targets: a broken one prints what broke
// and aborts, so libFuzzer keeps the input as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::fuzzing {

[[noreturn]] inline void property_failed(const char* property, const std::string& detail = std::string()) {
    std::fprintf(stderr, "property broken: %s\n", property);
    if (!detail.empty()) std::fprintf(stderr, "  %s\n", detail.c_str());
    std::abort();
}

inline void require(bool holds, const char* property, const std::string& detail = std::string()) {
    if (!holds) property_failed(property, detail);
}

inline std::string describe(const Status& status) {
    return "code " + std::to_string(static_cast<int>(status.code())) + ": " + status.message();
}

// The status is exactly this failure (or success, for ErrorCode::Ok).
inline void require_status(const Status& actual, ErrorCode code, const std::string& message, const char* property) {
    if (actual.code() != code || actual.message() != message) {
        property_failed(property, "expected code " + std::to_string(static_cast<int>(code)) + ": " + message +
                                      "\n  got " + describe(actual));
    }
}

}  // namespace velmora::uvc_stereo::fuzzing
