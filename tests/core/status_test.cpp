// Status and Result<T>: codes, messages, moves and the empty-value access.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo {
namespace {

TEST(StatusTest, DefaultIsOkWithEmptyMessage) {
    const Status status;
    EXPECT_TRUE(status.ok());
    EXPECT_EQ(status.code(), ErrorCode::Ok);
    EXPECT_TRUE(status.message().empty());
}

TEST(StatusTest, ErrorCodesKeepTheirExternalNumbers) {
    const std::pair<ErrorCode, int> rows[] = {
        {ErrorCode::Ok, 0},           {ErrorCode::InvalidArgument, 1}, {ErrorCode::BackendError, 2},
        {ErrorCode::DeviceUnavailable, 3}, {ErrorCode::ReadFailed, 4}, {ErrorCode::WriteFailed, 5},
        {ErrorCode::EraseFailed, 6},  {ErrorCode::BadMagic, 7},        {ErrorCode::UnsupportedVersion, 8},
        {ErrorCode::InvalidHeader, 9}, {ErrorCode::InvalidLength, 10}, {ErrorCode::CrcMismatch, 11},
        {ErrorCode::InvalidJson, 12}, {ErrorCode::InternalError, 13},  {ErrorCode::NotSupported, 14},
    };
    for (const auto& [code, number] : rows) EXPECT_EQ(static_cast<int>(code), number);
    static_assert(sizeof(ErrorCode) == 4, "ErrorCode is a 32-bit value");
}

TEST(StatusTest, MoveTakesTheMessageAndKeepsTheSourceCode) {
    Status source(ErrorCode::CrcMismatch, "crc32 mismatch");
    Status moved(std::move(source));
    EXPECT_EQ(moved.code(), ErrorCode::CrcMismatch);
    EXPECT_EQ(moved.message(), "crc32 mismatch");
    EXPECT_EQ(source.code(), ErrorCode::CrcMismatch);  // NOLINT(bugprone-use-after-move)
    EXPECT_TRUE(source.message().empty());             // NOLINT(bugprone-use-after-move)

    Status assigned;
    assigned = std::move(moved);
    EXPECT_EQ(assigned.message(), "crc32 mismatch");
    EXPECT_TRUE(moved.message().empty());  // NOLINT(bugprone-use-after-move)
}

TEST(StatusTest, SelfMoveAssignmentKeepsTheMessage) {
    Status status(ErrorCode::BadMagic, "flash magic mismatch");
    Status& alias = status;
    status = std::move(alias);
    EXPECT_EQ(status.message(), "flash magic mismatch");
}

TEST(ResultTest, FailedResultHoldsNoValueAndThrowsOnAccess) {
    const Result<FlashBlob> result(Status(ErrorCode::CrcMismatch, "crc32 mismatch"));
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.has_value());
    EXPECT_EQ(static_cast<int>(result.status().code()), 11);
    try {
        (void)result.value();
        FAIL() << "value() of a failed result must throw";
    } catch (const std::bad_optional_access& error) {
        EXPECT_STREQ(error.what(), "Bad optional access");
    }
}

TEST(ResultTest, SuccessfulResultLetsTheValueBeMovedOut) {
    Result<std::string> result(std::string("payload"));
    ASSERT_TRUE(result.ok());
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(result.status().message().empty());
    const std::string taken = std::move(result.value());
    EXPECT_EQ(taken, "payload");
}

}  // namespace
}  // namespace velmora::uvc_stereo
