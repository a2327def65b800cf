// The contenders both JSON benchmark programs share.
#include "json_contenders.hpp"

#include <cstdint>
#include <functional>
#include <memory>

#include "json_documents.hpp"
#include "velmora/uvc_stereo/json.hpp"

#ifdef VELMORA_BENCH_HAVE_SIMDJSON
#include <simdjson.h>
#endif

namespace velmora::bench {

void count_bytes(benchmark::State& state, const std::string& document) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(document.size()));
}

void sdk_minify(benchmark::State& state, const std::string& document) {
    if (!velmora::uvc_stereo::minify_and_validate_json(document).ok()) {
        state.SkipWithError("document is not valid JSON");
        return;
    }
    for (auto _ : state) {
        auto result = velmora::uvc_stereo::minify_and_validate_json(document);
        benchmark::DoNotOptimize(result);
    }
    count_bytes(state, document);
}

#ifdef VELMORA_BENCH_HAVE_SIMDJSON
namespace {

// The parser is reused and the input padded once, simdjson's fastest use.
// simdjson picks its kernel for this CPU at run time (AVX-512 where present).
void simdjson_dom_parse(benchmark::State& state, const std::string& document) {
    const simdjson::padded_string padded(document);
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element root;
        if (parser.parse(padded).get(root) != simdjson::SUCCESS) {
            state.SkipWithError("simdjson rejected the document");
            break;
        }
        benchmark::DoNotOptimize(root);
    }
    count_bytes(state, document);
}

// The same parse with simdjson held to one of its kernels: context for the
// comparison, not the reference the goal is measured against. "haswell"
// (AVX2) is the instruction set of the SDK's structural pass, "westmere"
// (SSE4.2) the one nearest to the SSE2 of its fallback.
void simdjson_dom_parse_held_to(benchmark::State& state, const std::string& document, const char* kernel) {
    const simdjson::implementation* chosen = simdjson::get_available_implementations()[kernel];
    if (chosen == nullptr || !chosen->supported_by_runtime_system()) {
        state.SkipWithError("simdjson has no such kernel here");
        return;
    }
    const simdjson::implementation* previous = simdjson::get_active_implementation();
    simdjson::get_active_implementation() = chosen;
    simdjson_dom_parse(state, document);
    simdjson::get_active_implementation() = previous;
}

void simdjson_dom_parse_avx2(benchmark::State& state, const std::string& document) {
    simdjson_dom_parse_held_to(state, document, "haswell");
}

void simdjson_dom_parse_sse42(benchmark::State& state, const std::string& document) {
    simdjson_dom_parse_held_to(state, document, "westmere");
}

void simdjson_minify(benchmark::State& state, const std::string& document) {
    const simdjson::padded_string padded(document);
    std::unique_ptr<char[]> output(new char[document.size() + simdjson::SIMDJSON_PADDING]);
    for (auto _ : state) {
        std::size_t length = 0;
        if (simdjson::minify(padded.data(), padded.size(), output.get(), length) != simdjson::SUCCESS) {
            state.SkipWithError("simdjson could not minify the document");
            break;
        }
        benchmark::DoNotOptimize(output.get());
        benchmark::DoNotOptimize(length);
    }
    count_bytes(state, document);
}
}  // namespace
#endif

std::vector<Contender> simdjson_contenders() {
#ifdef VELMORA_BENCH_HAVE_SIMDJSON
    return {{"simdjson_dom_parse", simdjson_dom_parse},
            {"simdjson_dom_parse_avx2", simdjson_dom_parse_avx2},
            {"simdjson_dom_parse_sse42", simdjson_dom_parse_sse42},
            {"simdjson_minify", simdjson_minify}};
#else
    return {};
#endif
}

void register_contenders(const std::vector<Contender>& contenders) {
    static const std::vector<NamedDocument> documents = benchmark_documents();
    for (const NamedDocument& document : documents) {
        for (const Contender& contender : contenders) {
            benchmark::RegisterBenchmark((document.name + "/" + contender.name).c_str(), contender.run,
                                         std::cref(document.text));
        }
    }
}

}  // namespace velmora::bench
