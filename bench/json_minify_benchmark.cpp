// Throughput of the JSON minifier side by side with other validating parsers,
// on the same documents in one run: the SDK's minifier, the straightforward
// reference it is checked against, RapidJSON's Reader feeding its Writer, and
// simdjson's DOM parse (validates and builds a tree, writes no text) and its
// minify (writes text, does not validate). The other libraries are measured
// only when the build found them.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "formats/json_structural.hpp"
#include "json_contenders.hpp"
#include "reference_json_minifier.hpp"

#ifdef VELMORA_BENCH_HAVE_RAPIDJSON
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#endif

namespace {

using velmora::bench::Contender;
using velmora::bench::count_bytes;

// The path of CPUs without AVX2: the exact parser alone, on SSE2.
void sdk_minify_sse2(benchmark::State& state, const std::string& document) {
    for (auto _ : state) {
        auto result = velmora::uvc_stereo::detail::minify_json_with(document, nullptr);
        benchmark::DoNotOptimize(result);
    }
    count_bytes(state, document);
}

void reference_minify(benchmark::State& state, const std::string& document) {
    for (auto _ : state) {
        auto result = velmora::uvc_stereo::reference::minify_and_validate_json(document);
        benchmark::DoNotOptimize(result);
    }
    count_bytes(state, document);
}

#ifdef VELMORA_BENCH_HAVE_RAPIDJSON
void rapidjson_reader_writer(benchmark::State& state, const std::string& document) {
    rapidjson::StringBuffer buffer;
    for (auto _ : state) {
        buffer.Clear();
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        rapidjson::Reader reader;
        rapidjson::StringStream input(document.c_str());
        if (reader.Parse(input, writer).IsError()) {
            state.SkipWithError("RapidJSON rejected the document");
            break;
        }
        benchmark::DoNotOptimize(buffer.GetString());
    }
    count_bytes(state, document);
}
#endif

// Registered before main() runs.
const bool kRegistered = [] {
    std::vector<Contender> contenders = {
        {"sdk_minify", velmora::bench::sdk_minify},
        {"sdk_minify_sse2", sdk_minify_sse2},
        {"reference_minify", reference_minify},
#ifdef VELMORA_BENCH_HAVE_RAPIDJSON
        {"rapidjson_reader_writer", rapidjson_reader_writer},
#endif
    };
    for (const Contender& contender : velmora::bench::simdjson_contenders()) contenders.push_back(contender);
    velmora::bench::register_contenders(contenders);
    return true;
}();

}  // namespace
