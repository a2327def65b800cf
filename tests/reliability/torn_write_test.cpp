// A camera unplugged while the flash is being programmed keeps only the first
// bytes of the new record over the erased sector. The vendor library writes a
// record in one call, so the unplug sweep never sees this; the flash may.
// Whatever prefix survived, a read must fail with a clear error on both
// interfaces, never hand the remains out as a document.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "reliability_test.hpp"
#include "sdk_client.hpp"
#include "support/virtual_camera.hpp"
#include "support/virtual_flash.hpp"

namespace velmora::uvc_stereo::reliability {
namespace {

constexpr const char* kCamera = "cam";
constexpr std::uint32_t kUserSpace = 0x51000;
constexpr std::uint32_t kSectorSize = 4096;

using TornWriteTest = ReliabilityTest;

bool is_clear_record_error(ErrorCode code) {
    return code == ErrorCode::BadMagic || code == ErrorCode::InvalidHeader || code == ErrorCode::InvalidLength ||
           code == ErrorCode::CrcMismatch;
}

TEST_F(TornWriteTest, EveryPrefixOfTheNewRecordReadsAsAClearError) {
    const std::string document = "{\"cal\":2,\"note\":\"rewritten\"}";
    const std::vector<std::uint8_t> record = test_support::flash_record(document, 0);
    ASSERT_EQ(record.size(), 16 + document.size());
    test_support::VirtualCamera camera(kCamera);

    for (const auto make_client : {&make_cpp_client, &make_c_client}) {
        const std::unique_ptr<SdkClient> client = make_client();
        SCOPED_TRACE(client->interface_name());
        // Every length short of the whole record: inside the magic, the
        // header fields, and the payload.
        for (std::size_t kept = 0; kept < record.size(); ++kept) {
            SCOPED_TRACE(::testing::Message() << kept << " of " << record.size() << " bytes programmed");
            test_support::load_cameras({camera});
            test_support::poke_flash(kCamera, kUserSpace, std::vector<std::uint8_t>(kSectorSize, 0xFF));
            test_support::poke_flash(kCamera, kUserSpace, std::vector<std::uint8_t>(record.begin(), record.begin() + kept));
            ASSERT_TRUE(client->scan().status.ok());
            ASSERT_TRUE(client->open(client->listed_path(kCamera), 0u).status.ok());

            const Outcome read = client->read_json();
            EXPECT_TRUE(is_clear_record_error(read.status.code())) << read.status.message() << " " << read.value;
            EXPECT_FALSE(read.status.message().empty());
            // The write that was cut short, repeated once the camera is back, restores the document.
            EXPECT_TRUE(client->write_json(document).status.ok());
            EXPECT_EQ(client->read_json().value, document);
            client->close();
        }
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo::reliability
