#!/usr/bin/env python3
"""Reads a Google Benchmark JSON report (repetitions without aggregates) on
standard input and prints, for each benchmark, the median, fastest and
slowest real time of its repetitions."""
import json, statistics, sys

runs = {}
for b in json.load(sys.stdin)["benchmarks"]:
    if b.get("run_type") == "iteration" and not b.get("error_occurred"):
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        runs.setdefault(b["run_name"], []).append(b["real_time"] * scale)
for name, times in runs.items():
    print(f"{name}: médiane {statistics.median(times):.2f} ms "
          f"(de {min(times):.2f} à {max(times):.2f} ms, {len(times)} répétitions)")
