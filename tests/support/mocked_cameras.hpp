// The control socket of the mocked cameras (tests/mocked_cameras/testbed.py):
// a test running against them unplugs and replugs cameras, makes the chip
// fail its next queries and reads what the chip was asked.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace velmora::uvc_stereo::test_support {

class MockedCameras {
public:
    // True when this process runs under the testbed driver.
    static bool available();

    // Connects on first use; every command throws std::runtime_error when the
    // driver answers with an error.
    static MockedCameras& instance();

    void unplug(const std::string& serial);
    // Plugs the camera in again, its nodes renumbered from first_node (-1:
    // the lowest number not used before; a node cannot be made twice).
    // Returns the number of its capture node.
    int replug(const std::string& serial, int first_node = -1);
    // The number N of the camera's capture node /dev/videoN now.
    int capture_node(const std::string& serial);
    // The chip's next `count` queries fail with this errno ("ETIMEDOUT", ...).
    void fail_next(const std::string& serial, const std::string& errno_name, int count = 1);
    // Queries asked so far, by "GET_CUR:3:11" (kind, unit, selector).
    std::map<std::string, int> counts(const std::string& serial);
    void reset_counts(const std::string& serial);
    // The chip's capability report and the IMU payload it answered last.
    std::vector<unsigned char> report(const std::string& serial);
    std::vector<unsigned char> last_imu(const std::string& serial);

    MockedCameras(const MockedCameras&) = delete;
    MockedCameras& operator=(const MockedCameras&) = delete;

private:
    MockedCameras() = default;
    std::string command(const std::string& line);

    int fd_ = -1;
};

// The number of queries of one kind on one control, 0 when never asked.
int query_count(const std::map<std::string, int>& counts, const std::string& key);

}  // namespace velmora::uvc_stereo::test_support
