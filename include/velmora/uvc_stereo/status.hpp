// Error codes, Status and Result<T>: every fallible operation returns one of these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "velmora/uvc_stereo/export.hpp"

namespace velmora::uvc_stereo {

// The numbers are part of the external interface: they are also the return
// codes of the C library. Never renumber.
enum class ErrorCode : std::int32_t {
    Ok = 0,
    InvalidArgument = 1,
    BackendError = 2,
    DeviceUnavailable = 3,
    ReadFailed = 4,
    WriteFailed = 5,
    EraseFailed = 6,
    BadMagic = 7,
    UnsupportedVersion = 8,
    InvalidHeader = 9,
    InvalidLength = 10,
    CrcMismatch = 11,
    InvalidJson = 12,
    InternalError = 13,
    NotSupported = 14,
};

// An ErrorCode and a message. A success has code Ok and an empty message;
// every failure carries a non-empty message built at its failure site.
class [[nodiscard]] VELMORA_UVC_STEREO_API Status {
public:
    Status();
    Status(ErrorCode code, std::string message);
    Status(const Status& other);
    // Moves take the message over and leave the source's message empty; the
    // source keeps its code.
    Status(Status&& other) noexcept;
    Status& operator=(const Status& other);
    Status& operator=(Status&& other) noexcept;
    ~Status();

    ErrorCode code() const noexcept { return code_; }
    const std::string& message() const noexcept { return message_; }
    bool ok() const noexcept { return code_ == ErrorCode::Ok; }

private:
    ErrorCode code_;
    std::string message_;
};

// Thrown by Result<T>::value() when no value is held. Its text is the same on
// every standard library, so callers and the C layer see one message.
class BadOptionalAccess : public std::bad_optional_access {
public:
    const char* what() const noexcept override { return "Bad optional access"; }
};

// A Status and, on success, a value. value() on a result without a value
// throws a std::bad_optional_access ("Bad optional access").
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T&& value) : value_(std::move(value)) {}             // NOLINT: implicit by design
    Result(const T& value) : value_(value) {}                   // NOLINT: implicit by design
    Result(Status&& status) : status_(std::move(status)) {}     // NOLINT: implicit by design
    Result(const Status& status) : status_(status) {}           // NOLINT: implicit by design

    Result(Result&&) = default;
    Result& operator=(Result&&) = default;
    Result(const Result&) = default;
    Result& operator=(const Result&) = default;
    ~Result() = default;

    const Status& status() const noexcept { return status_; }
    bool ok() const noexcept { return status_.ok(); }
    bool has_value() const noexcept { return value_.has_value(); }

    T& value() & {
        require_value();
        return *value_;
    }
    const T& value() const& {
        require_value();
        return *value_;
    }
    T&& value() && {
        require_value();
        return std::move(*value_);
    }

private:
    void require_value() const {
        if (!value_.has_value()) throw BadOptionalAccess();
    }

    Status status_;
    std::optional<T> value_;
};

}  // namespace velmora::uvc_stereo
