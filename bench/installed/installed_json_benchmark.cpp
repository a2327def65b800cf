// minify_and_validate_json from an installed SDK, as an application links
// it, beside simdjson on the documents json_minify_benchmark uses: how the
// minifier fares in the build type the SDK was installed from.
#include "json_contenders.hpp"

namespace {

const bool kRegistered = [] {
    std::vector<velmora::bench::Contender> contenders = {{"sdk_minify", velmora::bench::sdk_minify}};
    for (const auto& contender : velmora::bench::simdjson_contenders()) contenders.push_back(contender);
    velmora::bench::register_contenders(contenders);
    return true;
}();

}  // namespace
