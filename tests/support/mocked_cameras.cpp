// A line-based client of the mocked cameras' control socket.
#include "support/mocked_cameras.hpp"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace velmora::uvc_stereo::test_support {
namespace {

const char* const kControlVariable = "VELMORA_MOCK_CONTROL";

std::vector<unsigned char> from_hex(const std::string& text) {
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        bytes.push_back(static_cast<unsigned char>(std::stoul(text.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

// "video9 video10" gives 9: the fixtures list the capture node first.
int first_node_number(const std::string& nodes) {
    const std::size_t digits = nodes.find_first_of("0123456789");
    if (digits == std::string::npos) throw std::runtime_error("no node in '" + nodes + "'");
    return std::stoi(nodes.substr(digits));
}

}  // namespace

bool MockedCameras::available() {
    const char* path = std::getenv(kControlVariable);
    return path != nullptr && *path != '\0';
}

MockedCameras& MockedCameras::instance() {
    static MockedCameras cameras;
    return cameras;
}

std::string MockedCameras::command(const std::string& line) {
    if (fd_ < 0) {
        if (!available()) throw std::runtime_error("not running against mocked cameras");
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, std::getenv(kControlVariable), sizeof(address.sun_path) - 1);
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0 || ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
            throw std::runtime_error("cannot reach the mocked cameras' control socket");
        }
    }
    const std::string request = line + "\n";
    if (::write(fd_, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        throw std::runtime_error("cannot send to the mocked cameras: " + line);
    }
    std::string answer;
    char c = 0;
    while (::read(fd_, &c, 1) == 1 && c != '\n') answer += c;
    if (answer.compare(0, 3, "ok ") != 0) throw std::runtime_error(line + ": " + answer);
    return answer.substr(3);
}

void MockedCameras::unplug(const std::string& serial) { command("unplug " + serial); }

int MockedCameras::replug(const std::string& serial, int first_node) {
    return first_node_number(
        command("replug " + serial + (first_node >= 0 ? " " + std::to_string(first_node) : std::string())));
}

int MockedCameras::capture_node(const std::string& serial) { return first_node_number(command("nodes " + serial)); }

void MockedCameras::fail_next(const std::string& serial, const std::string& errno_name, int count) {
    command("fail " + serial + " " + errno_name + " " + std::to_string(count));
}

std::map<std::string, int> MockedCameras::counts(const std::string& serial) {
    std::map<std::string, int> counts;
    std::istringstream words(command("counts " + serial));
    std::string word;
    while (words >> word) {
        const std::size_t equals = word.find('=');
        if (equals != std::string::npos) counts[word.substr(0, equals)] = std::stoi(word.substr(equals + 1));
    }
    return counts;
}

void MockedCameras::reset_counts(const std::string& serial) { command("reset-counts " + serial); }

std::vector<unsigned char> MockedCameras::report(const std::string& serial) {
    return from_hex(command("report " + serial));
}

std::vector<unsigned char> MockedCameras::last_imu(const std::string& serial) {
    return from_hex(command("last-imu " + serial));
}

int query_count(const std::map<std::string, int>& counts, const std::string& key) {
    const auto found = counts.find(key);
    return found == counts.end() ? 0 : found->second;
}

}  // namespace velmora::uvc_stereo::test_support
