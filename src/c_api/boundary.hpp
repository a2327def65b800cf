// The C library's exception boundary: nothing thrown inside leaves a C function.
#pragma once

#include <exception>
#include <new>
#include <utility>

#include "c_api/last_error.hpp"

namespace velmora::uvc_stereo::c_api {

// How an allocation failure is reported: with the fixed text "out of memory"
// (functions that name that case) or, like any exception, with its what().
enum class AllocationFailureText { WhatText, OutOfMemory };

inline const char* exception_text(const std::exception& error) noexcept {
    const char* text = error.what();
    return text != nullptr ? text : "unknown exception";
}

// Runs body, which returns the function's code and records its own outcome;
// an exception is recorded (on ctx too, when given) as InternalError.
template <typename Body>
int guarded_call(velmora_uvc_stereo_ctx* ctx, AllocationFailureText allocation_text, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc& error) {
        return set_last_error(ctx, kCodeInternalError,
                              allocation_text == AllocationFailureText::OutOfMemory ? "out of memory" : exception_text(error));
    } catch (const std::exception& error) {
        return set_last_error(ctx, kCodeInternalError, exception_text(error));
    } catch (...) {
        return set_last_error(ctx, kCodeInternalError, "unknown exception");
    }
}

template <typename Body>
int guarded_call(velmora_uvc_stereo_ctx* ctx, Body&& body) noexcept {
    return guarded_call(ctx, AllocationFailureText::WhatText, std::forward<Body>(body));
}

}  // namespace velmora::uvc_stereo::c_api
