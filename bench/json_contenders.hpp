// The JSON minifier's contenders that both benchmark programs run: the
// SDK's minifier through its public interface and simdjson's validating
// parse (with the kernel it picks, and held to AVX2 or SSE4.2) and minify,
// when the build found simdjson; and their registration under names
// "<document>/<contender>", which bench/json_table.py reads.
#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace velmora::bench {

using ContenderFunction = void (*)(benchmark::State&, const std::string&);

struct Contender {
    const char* name;
    ContenderFunction run;
};

// Counts the document's bytes for every iteration run.
void count_bytes(benchmark::State& state, const std::string& document);

// minify_and_validate_json, including the allocation of its result.
void sdk_minify(benchmark::State& state, const std::string& document);

// simdjson's contenders; empty when the build has no simdjson.
std::vector<Contender> simdjson_contenders();

// Registers every contender on every document of the benchmark set.
void register_contenders(const std::vector<Contender>& contenders);

}  // namespace velmora::bench
