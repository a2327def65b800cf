/// @file
/// Error codes, Status and Result<T>: every fallible operation returns one of these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "velmora/uvc_stereo/export.hpp"

/// The C++ interface of the Velmora UVC stereo camera SDK.
namespace velmora::uvc_stereo {

/// The outcome of an operation. The numbers are part of the external
/// interface: they are also the return codes of the C library. Never renumber.
enum class ErrorCode : std::int32_t {
    Ok = 0,                  ///< success
    InvalidArgument = 1,     ///< a caller's value or the object's state does not allow the call
    /// a vendor call failed (the extension-unit reads of the capability report
    /// and of IMU samples among them), or a video back-end failed
    BackendError = 2,
    /// no matching camera, or the camera went away; also the vendor library
    /// not starting, a camera without serial flash, and an IMU that reported
    /// it could not start
    DeviceUnavailable = 3,
    /// a flash read failed, the firmware version could not be read, or the IMU
    /// reported a failed read
    ReadFailed = 4,
    WriteFailed = 5,         ///< a flash write failed, or read back differently
    EraseFailed = 6,         ///< a flash sector erase failed
    BadMagic = 7,            ///< the flash record does not start with the expected magic (a blank flash, for example)
    /// a capability report of a major version this SDK does not read, which
    /// open_device takes as no report; flash record versions are never refused
    UnsupportedVersion = 8,
    InvalidHeader = 9,       ///< the flash record header is inconsistent
    /// a flash record's payload or total length does not fit its user space, or
    /// fewer bytes were given than its header declares
    InvalidLength = 10,
    /// a stored checksum does not match its data: a flash record's CRC-32, or
    /// the CRC-32C of a capability report read after a failed read
    CrcMismatch = 11,
    InvalidJson = 12,        ///< the text is not one valid JSON value
    InternalError = 13,      ///< an unexpected failure inside the SDK (an exception, for example)
    /// the camera lacks what the call needs (flash, an IMU, firmware that
    /// allows its IMU), or it is not one of the supported models
    NotSupported = 14,
};

/// An ErrorCode and a message. A success has code Ok and an empty message;
/// every failure carries a non-empty message built at its failure site.
class [[nodiscard]] VELMORA_UVC_STEREO_API Status {
public:
    /// A success.
    Status();
    /// A status with this code and message.
    Status(ErrorCode code, std::string message);
    /// Copies code and message.
    Status(const Status& other);
    /// Moves take the message over and leave the source's message empty; the
    /// source keeps its code.
    Status(Status&& other) noexcept;
    /// Copies code and message.
    Status& operator=(const Status& other);
    /// Takes the message over, as the move constructor does.
    Status& operator=(Status&& other) noexcept;
    /// Destroys the message.
    ~Status();

    /// The outcome's code; ErrorCode::Ok for a success.
    ErrorCode code() const noexcept { return code_; }
    /// What failed, in a short English phrase; empty for a success.
    const std::string& message() const noexcept { return message_; }
    /// True for a success.
    bool ok() const noexcept { return code_ == ErrorCode::Ok; }

private:
    ErrorCode code_;
    std::string message_;
};

/// Thrown by Result<T>::value() when no value is held. Its text is the same on
/// every standard library, so callers and the C layer see one message.
class BadOptionalAccess : public std::bad_optional_access {
public:
    /// "Bad optional access".
    const char* what() const noexcept override { return "Bad optional access"; }
};

/// A Status and, on success, a value. Test ok() before reading value():
/// value() on a result without a value throws a std::bad_optional_access
/// ("Bad optional access").
template <typename T>
class [[nodiscard]] Result {
public:
    /// A success holding this value.
    Result(T&& value) : value_(std::move(value)) {}             // NOLINT: implicit by design
    /// A success holding a copy of this value.
    Result(const T& value) : value_(value) {}                   // NOLINT: implicit by design
    /// A failure (or, for a successful status, a success without a value).
    Result(Status&& status) : status_(std::move(status)) {}     // NOLINT: implicit by design
    /// A failure (or, for a successful status, a success without a value).
    Result(const Status& status) : status_(status) {}           // NOLINT: implicit by design

    ///@{
    /// Copies and moves carry both the status and the value.
    Result(Result&&) = default;
    Result& operator=(Result&&) = default;
    Result(const Result&) = default;
    Result& operator=(const Result&) = default;
    ~Result() = default;
    ///@}

    /// The outcome.
    const Status& status() const noexcept { return status_; }
    /// True for a success.
    bool ok() const noexcept { return status_.ok(); }
    /// True when a value is held (every success returned by the SDK holds one).
    bool has_value() const noexcept { return value_.has_value(); }

    /// The value; throws BadOptionalAccess when none is held.
    T& value() & {
        require_value();
        return *value_;
    }
    /// The value; throws BadOptionalAccess when none is held.
    const T& value() const& {
        require_value();
        return *value_;
    }
    /// The value, moved out; throws BadOptionalAccess when none is held.
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
