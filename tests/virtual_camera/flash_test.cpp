// The serial flash through the vendor calls: NOR rules, write protection, range checks, faulty cells, records.
#include "support/vendor_calls.hpp"

namespace vcam_test {
namespace {

using sonix_virtual::flash_bytes;

class FlashTest : public VirtualCameraTest {
protected:
    void SetUp() override {
        VirtualCameraTest::SetUp();
        records_ = enumerate();
        ASSERT_EQ(records_.size(), 2u);
        ASSERT_TRUE(SonixCam_Init());
    }
    void TearDown() override {
        SonixCam_UnInit();
        VirtualCameraTest::TearDown();
    }
    bool release_protection() {
        return SonixCam_SetStatusRegBitWP(&cam0(), 2, 5, 1, 6, 2, 3) && SonixCam_SetWriteProtectedSF(&cam0(), 1, 1);
    }
    scDevice_t& cam0() { return records_[0]; }

    std::vector<scDevice_t> records_;
};

TEST_F(FlashTest, ProgrammingOnlyClearsBitsAndAnEraseSetsTheWholeSector) {
    ASSERT_TRUE(release_protection());
    struct Row {
        std::uint8_t stored, written, expected;
    };
    for (const Row& row : {Row{0xFF, 0x3A, 0x3A}, Row{0x3A, 0xC5, 0x00}, Row{0xF0, 0x3C, 0x30}, Row{0x00, 0xFF, 0x00}}) {
        SCOPED_TRACE(int(row.stored));
        ASSERT_EQ(vcam_flash_poke("cam0", 0x51010, &row.stored, 1), 0);
        ASSERT_TRUE(SonixCam_WriteToSF(&cam0(), 0x51010, &row.written, 1));
        std::uint8_t read = 0;
        ASSERT_TRUE(SonixCam_CstmReadFromSF(&cam0(), 0x51010, &read, 1));
        EXPECT_EQ(read, row.expected);
    }
    const std::uint8_t zeros[2] = {0, 0};
    ASSERT_EQ(vcam_flash_poke("cam0", 0x50FFF, zeros, 2), 0);
    ASSERT_EQ(vcam_flash_poke("cam0", 0x52000, zeros, 1), 0);
    ASSERT_TRUE(SonixCam_SectorEraseSF(&cam0(), 0x51234, 0x20)) << "the address is rounded down to its sector";
    EXPECT_EQ(flash_bytes("cam0", 0x51000, 0x1000), std::vector<std::uint8_t>(0x1000, 0xFF));
    EXPECT_EQ(flash_bytes("cam0", 0x50FFF, 1), bytes_of({0x00}));
    EXPECT_EQ(flash_bytes("cam0", 0x52000, 1), bytes_of({0x00}));
}

TEST_F(FlashTest, ProtectionIsReleasedOnlyByTheStatusRegisterThenTheProtectCall) {
    struct Row {
        const char* what;
        std::vector<std::uint8_t> status_args;  // empty: not called
        std::uint8_t protect_a, protect_b;      // 0, 0: not called
        bool released;
    };
    const Row rows[] = {
        {"both calls as the SDK makes them", {2, 5, 1, 6, 2, 3}, 1, 1, true},
        {"protect call alone", {}, 1, 1, false},
        {"other status-register bytes", {2, 5, 1, 6, 2, 4}, 1, 1, false},
        {"other protect bytes", {2, 5, 1, 6, 2, 3}, 1, 0, false},
        {"status register alone", {2, 5, 1, 6, 2, 3}, 0, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_EQ(vcam_flash_set_write_protected("cam0", 1), 0);
        if (!row.status_args.empty()) {
            const auto& a = row.status_args;
            const bool ok = SonixCam_SetStatusRegBitWP(&cam0(), a[0], a[1], a[2], a[3], a[4], a[5]);
            EXPECT_EQ(ok, a[5] == 3);
        }
        if (row.protect_a != 0) SonixCam_SetWriteProtectedSF(&cam0(), row.protect_a, row.protect_b);
        EXPECT_EQ(vcam_flash_write_protected("cam0"), row.released ? 0 : 1);
        const std::uint8_t data = 0x00;
        EXPECT_EQ(SonixCam_SectorEraseSF(&cam0(), 0x51000, 0x20), row.released);
        if (!row.released) {
            EXPECT_EQ(error_code(&cam0()), SonixLib::ecSectorEraseFail);
        }
        EXPECT_EQ(SonixCam_WriteToSF(&cam0(), 0x51000, &data, 1), row.released);
        if (!row.released) {
            EXPECT_EQ(error_code(&cam0()), SonixLib::ecWriteFlashFail);
        }
    }
}

TEST_F(FlashTest, TransfersOutsideTheFlashFail) {
    ASSERT_TRUE(release_protection());
    std::uint8_t buffer[4] = {};
    const std::uint32_t end = 0x100000;  // the default scenario's 1 MiB flash
    struct Row {
        const char* what;
        bool ok;
        int code;
        bool (*call)(scDevice_t*, std::uint8_t*, std::uint32_t);
    };
    const Row rows[] = {
        {"read of the last two bytes", true, 0, [](scDevice_t* d, std::uint8_t* b, std::uint32_t e) { return SonixCam_CstmReadFromSF(d, e - 2, b, 2); }},
        {"read across the end", false, SonixLib::ecGetKsControlFail, [](scDevice_t* d, std::uint8_t* b, std::uint32_t e) { return SonixCam_CstmReadFromSF(d, e - 1, b, 2); }},
        {"read at a huge address", false, SonixLib::ecGetKsControlFail, [](scDevice_t* d, std::uint8_t* b, std::uint32_t) { return SonixCam_CstmReadFromSF(d, 0xFFFFFFFF, b, 4); }},
        {"write across the end", false, SonixLib::ecWriteFlashFail, [](scDevice_t* d, std::uint8_t* b, std::uint32_t e) { return SonixCam_WriteToSF(d, e - 1, b, 2); }},
        {"erase past the end", false, SonixLib::ecSectorEraseFail, [](scDevice_t* d, std::uint8_t*, std::uint32_t e) { return SonixCam_SectorEraseSF(d, e, 0x20); }},
        {"block erase command", false, SonixLib::ecSectorEraseFail, [](scDevice_t* d, std::uint8_t*, std::uint32_t) { return SonixCam_SectorEraseSF(d, 0x51000, 0xD8); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.call(&cam0(), buffer, end), row.ok);
        if (!row.ok) {
            EXPECT_EQ(error_code(&cam0()), row.code);
        }
    }
}

TEST_F(FlashTest, AStuckCellMakesTheReadBackDiffer) {
    ASSERT_TRUE(release_protection());
    ASSERT_TRUE(SonixCam_SectorEraseSF(&cam0(), 0x51000, 0x20));
    ASSERT_EQ(vcam_flash_set_stuck_byte("cam0", 0x51005, 0xFF), 0);
    const std::vector<std::uint8_t> record = bytes_of({0x4B, 0x56, 0x4F, 0x5A, 0x00, 0x3A, 0x10, 0x00});
    ASSERT_TRUE(SonixCam_WriteToSF(&cam0(), 0x51000, record.data(), 8));
    std::vector<std::uint8_t> read(8);
    ASSERT_TRUE(SonixCam_CstmReadFromSF(&cam0(), 0x51000, read.data(), 8));
    EXPECT_EQ(read[5], 0xFF);
    EXPECT_EQ(flash_bytes("cam0", 0x51005, 1), bytes_of({0x3A})) << "the stored byte is programmed all the same";
    ASSERT_EQ(vcam_flash_clear_stuck_bytes("cam0"), 0);
    ASSERT_TRUE(SonixCam_CstmReadFromSF(&cam0(), 0x51000, read.data(), 8));
    EXPECT_EQ(read, record);
}

TEST(FlashScenarioTest, BlocksWriteRecordsHexAndStuckCells) {
    ASSERT_EQ(load(R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "flash": {"size": 8192, "blocks": [
        {"address": "0x1000", "json_text": "{}", "record_version": 7},
        {"address": 16, "hex": "de ad be ef"}],
        "stuck_bytes": [{"address": 17, "value": "0x00"}]}}]})"),
              "");
    // "{}" has the CRC-32 0xA3A6BF43.
    EXPECT_EQ(flash_bytes("a", 0x1000, 19), bytes_of({0x4B, 0x56, 0x4F, 0x5A, 0x07, 0x00, 0x10, 0x00, 0x02, 0x00, 0x00,
                                                      0x00, 0x43, 0xBF, 0xA6, 0xA3, '{', '}', 0xFF}));
    std::vector<scDevice_t> records = enumerate();
    InitGuard init;
    std::uint8_t read[4] = {};
    ASSERT_TRUE(SonixCam_CstmReadFromSF(&records.at(0), 16, read, 4));
    EXPECT_EQ(std::vector<std::uint8_t>(read, read + 4), bytes_of({0xDE, 0x00, 0xBE, 0xEF}));
    vcam_load_default_scenario();
}

TEST(FlashScenarioTest, DefaultCamerasHoldJsonRecordsInsideTheirUserSpaces) {
    vcam_load_default_scenario();
    struct Row {
        const char* device;
        std::uint32_t user_space_size;
    };
    for (const Row& row : {Row{"cam0", 0x10000}, Row{"cam1", 0x1000}}) {
        SCOPED_TRACE(row.device);
        const std::vector<std::uint8_t> header = flash_bytes(row.device, 0x51000, 16);
        ASSERT_EQ(header.size(), 16u);
        EXPECT_EQ(std::vector<std::uint8_t>(header.begin(), header.begin() + 4), bytes_of({0x4B, 0x56, 0x4F, 0x5A}));
        EXPECT_EQ(header[6] | (header[7] << 8), 16);
        const std::uint32_t length = header[8] | (header[9] << 8) | (header[10] << 16) | (header[11] << 24);
        EXPECT_LE(16u + length, row.user_space_size);
        const std::vector<std::uint8_t> payload = flash_bytes(row.device, 0x51010, length);
        ASSERT_FALSE(payload.empty());
        EXPECT_EQ(payload.front(), '{');
        EXPECT_EQ(payload.back(), '}');
    }
}

}  // namespace
}  // namespace vcam_test
