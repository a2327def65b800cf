#!/usr/bin/env python3
"""Turns the JSON output of json_minify_benchmark into the Markdown table of
docs/performance.md: median throughput per document and contender, and the
SDK's ratios to simdjson's DOM parse: with the kernel simdjson chooses, held
to AVX2 (the SDK's structural pass), and the SDK's SSE2 path held against
simdjson's SSE4.2 kernel.

    build/release/bin/json_minify_benchmark --benchmark_repetitions=9 \\
        --benchmark_report_aggregates_only=true --benchmark_format=json > out.json
    bench/json_table.py out.json
"""
import json
import sys

CONTENDERS = [
    ("sdk_minify", "SDK minify"),
    ("sdk_minify_sse2", "SDK minify, SSE2 path"),
    ("reference_minify", "reference minifier"),
    ("rapidjson_reader_writer", "RapidJSON Reader+Writer"),
    ("simdjson_dom_parse", "simdjson DOM parse"),
    ("simdjson_dom_parse_avx2", "simdjson DOM parse (AVX2)"),
    ("simdjson_dom_parse_sse42", "simdjson DOM parse (SSE4.2)"),
    ("simdjson_minify", "simdjson minify"),
]

RATIOS = [
    ("sdk_minify", "simdjson_dom_parse", "SDK / simdjson"),
    ("sdk_minify", "simdjson_dom_parse_avx2", "SDK / simdjson AVX2"),
    ("sdk_minify_sse2", "simdjson_dom_parse_sse42", "SDK SSE2 / simdjson SSE4.2"),
]


def medians(report):
    """{(document, contender): bytes per second} from the median rows."""
    rates = {}
    for row in report["benchmarks"]:
        if row.get("aggregate_name") != "median":
            continue
        document, contender = row["run_name"].split("/", 1)
        rates[(document, contender)] = row["bytes_per_second"]
    return rates


def main(path):
    with open(path) as file:
        rates = medians(json.load(file))
    documents = list(dict.fromkeys(document for document, _ in rates))
    present = [(key, title) for key, title in CONTENDERS if any((d, key) in rates for d in documents)]
    print("| document | " + " | ".join(title + " (GB/s)" for _, title in present) +
          " | " + " | ".join(title for _, _, title in RATIOS) + " |")
    print("|---" * (len(present) + len(RATIOS) + 1) + "|")
    for document in documents:
        cells = ["%.2f" % (rates[(document, key)] / 1e9) if (document, key) in rates else "-" for key, _ in present]
        ratios = []
        for ours, reference, _ in RATIOS:
            mine, other = rates.get((document, ours)), rates.get((document, reference))
            ratios.append("%.2f" % (mine / other) if mine and other else "-")
        print("| " + document + " | " + " | ".join(cells) + " | " + " | ".join(ratios) + " |")


if __name__ == "__main__":
    main(sys.argv[1])
