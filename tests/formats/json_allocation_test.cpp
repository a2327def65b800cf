// The minifier allocates exactly once: the output, reserved to the input's
// length, is never grown. This program replaces the global allocation
// functions to count what a call allocates.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "allocation/replaced_allocation.hpp"
#include "velmora/uvc_stereo/json.hpp"

namespace {

std::atomic<bool> g_counting{false};
std::atomic<int> g_allocations{0};

}  // namespace

void* test_allocation(std::size_t size) noexcept {
    if (g_counting.load()) g_allocations.fetch_add(1);
    return std::malloc(size == 0 ? 1 : size);
}

namespace velmora::uvc_stereo {
namespace {

int allocations_of_minify(const std::string& input, std::string& output) {
    g_allocations.store(0);
    g_counting.store(true);
    Result<std::string> result = minify_and_validate_json(input);
    g_counting.store(false);
    EXPECT_TRUE(result.ok()) << result.status().message();
    if (result.ok()) output = std::move(result).value();
    return g_allocations.load();
}

TEST(MinifyJsonAllocationTest, OneAllocationWhateverTheOutputSize) {
    std::string spaced = "{\n";
    std::string compact = "{";
    for (int i = 0; i < 400; ++i) {
        const std::string key = "\"key_" + std::to_string(i) + "\"";
        spaced += "  " + key + " : [ 1.5 , -2e3 , \"a \\u00e9 b\" , true ],\n";
        compact += key + ":[1.5,-2e3,\"a \\u00e9 b\",true],";
    }
    spaced += "  \"end\" : null\n}\n";
    compact += "\"end\":null}";

    const struct {
        const char* name;
        const std::string& input;
    } rows[] = {
        {"whitespace removed", spaced},
        {"already minified, output as long as the input", compact},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string output;
        EXPECT_EQ(allocations_of_minify(row.input, output), 1);
        EXPECT_EQ(output, compact);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo
