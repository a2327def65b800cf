// The shipped udev rule grants access to exactly the cameras the scan lists.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <utility>

#include "discovery/scan_whitelist.hpp"

namespace velmora::uvc_stereo {
namespace {

using IdPair = std::pair<std::uint16_t, std::uint16_t>;

std::set<IdPair> rule_pairs() {
    std::ifstream rules(VELMORA_UDEV_RULE_FILE);
    EXPECT_TRUE(rules) << VELMORA_UDEV_RULE_FILE;
    const std::regex line_pattern(
        R"re(^ATTRS\{idVendor\}=="([0-9a-f]{4})", ATTRS\{idProduct\}=="([0-9a-f]{4})", TAG\+="uaccess"$)re");
    std::set<IdPair> pairs;
    std::string line;
    while (std::getline(rules, line)) {
        std::smatch match;
        if (line.find("idVendor") == std::string::npos) continue;
        EXPECT_TRUE(std::regex_match(line, match, line_pattern)) << "unexpected rule: " << line;
        if (match.size() == 3) {
            pairs.emplace(static_cast<std::uint16_t>(std::stoul(match[1], nullptr, 16)),
                          static_cast<std::uint16_t>(std::stoul(match[2], nullptr, 16)));
        }
    }
    return pairs;
}

TEST(UdevRuleTest, GrantsTheWhitelistedCamerasAndNoOthers) {
    const std::set<IdPair> granted = rule_pairs();
    std::set<std::uint16_t> vendors;
    for (const IdPair& pair : granted) {
        EXPECT_TRUE(detail::is_whitelisted(pair.first, pair.second))
            << std::hex << pair.first << ":" << pair.second << " is not a supported camera";
        vendors.insert(pair.first);
    }
    vendors.insert(0x0C45);
    for (const std::uint16_t vid : vendors) {
        for (std::uint32_t pid = 0; pid <= 0xFFFF; ++pid) {
            const IdPair pair(vid, static_cast<std::uint16_t>(pid));
            if (detail::is_whitelisted(pair.first, pair.second)) {
                EXPECT_EQ(granted.count(pair), 1u) << std::hex << vid << ":" << pid << " has no rule";
            }
        }
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo
