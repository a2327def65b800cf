// Status: code and message, with moves that empty the source's message.
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo {

Status::Status() : code_(ErrorCode::Ok) {}

Status::Status(ErrorCode code, std::string message) : code_(code), message_(std::move(message)) {}

Status::Status(const Status& other) = default;

Status::Status(Status&& other) noexcept : code_(other.code_), message_(std::move(other.message_)) {
    other.message_.clear();
}

Status& Status::operator=(const Status& other) = default;

Status& Status::operator=(Status&& other) noexcept {
    if (this != &other) {
        code_ = other.code_;
        message_ = std::move(other.message_);
        other.message_.clear();
    }
    return *this;
}

Status::~Status() = default;

}  // namespace velmora::uvc_stereo
