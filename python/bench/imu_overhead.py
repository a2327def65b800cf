"""Per-sample cost of the IMU paths against the bare ctypes call, for this
package and, side by side in the same run, for another copy of it.

    python python/bench/imu_overhead.py [--baseline DIR] [--samples N] [--rounds R]

DIR holds an earlier velmora_uvc_stereo package folder (for example one taken
with `git archive`). Each variant runs in its own interpreter, the variants
taking turns round by round; every figure is the best round's time per sample
in microseconds. The virtual camera answers (the built-in scenario's cam0), so
the figures are the package's and the SDK's own cost, not a USB transfer's.
"""
from __future__ import annotations

import argparse
import ctypes
import json
import os
import subprocess
import sys
import time
from typing import Callable, Dict, List

CASES = ["bare ctypes call", "ImuSession.read", "samples()", "read_array per sample", "read + convert"]


def _timed(samples: int, run: Callable[[int], None]) -> float:
    start = time.perf_counter_ns()
    run(samples)
    return (time.perf_counter_ns() - start) / samples / 1000.0


def measure(samples: int) -> Dict[str, float]:
    """One round of every case in this interpreter."""
    import velmora_uvc_stereo as uvc
    from velmora_uvc_stereo import _library, _structures

    uvc.virtual.load_default()
    info = uvc.scan()[0]
    results: Dict[str, float] = {}
    with uvc.open_device(info) as cam:
        imu = cam.imu()
        # The C function as the package declares it, called with the fastest
        # arguments plain ctypes has: ints (a byref() object converts slower).
        read_imu = _library.api().device_read_imu
        handle = cam._handle
        buffer = _structures.CReadImuResult()
        address = ctypes.addressof(buffer)

        def bare(n: int) -> None:
            for _ in range(n):
                read_imu(handle, address)

        def read(n: int) -> None:
            for _ in range(n):
                imu.read()

        def batch(n: int) -> None:
            for _ in imu.samples(count=n):
                pass

        def array(n: int) -> None:
            imu.read_array(n)

        def convert(n: int) -> None:
            for _ in range(n):
                cam.convert_imu(imu.read())

        for name, run in zip(CASES, (bare, read, batch, array, convert)):
            uvc.virtual.clear_call_log()  # the log grows by one entry a call
            run(min(samples, 1000))  # warm up
            results[name] = _timed(samples, run)
        imu.close()
    return results


def _run_variant(package_dir: str, samples: int) -> Dict[str, float]:
    command = [sys.executable, os.path.abspath(__file__), "--measure", "--samples", str(samples)]
    environ = dict(os.environ, PYTHONPATH=package_dir + os.pathsep + os.environ.get("PYTHONPATH", ""))
    output = subprocess.run(command, env=environ, check=True, capture_output=True, text=True).stdout
    result: Dict[str, float] = json.loads(output)
    return result


def main(argv: List[str]) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--baseline", help="folder holding an earlier velmora_uvc_stereo package")
    parser.add_argument("--samples", type=int, default=20000)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--measure", action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args(argv)
    if args.measure:
        print(json.dumps(measure(args.samples)))
        return 0

    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    variants = {"after": here}
    if args.baseline:
        variants = {"before": os.path.abspath(args.baseline), **variants}
    best: Dict[str, Dict[str, float]] = {name: {} for name in variants}
    for _ in range(args.rounds):
        for name, folder in variants.items():
            for case, value in _run_variant(folder, args.samples).items():
                best[name][case] = min(value, best[name].get(case, float("inf")))

    names = list(variants)
    header = "| per sample, us | " + " | ".join(names) + " | after / bare call |"
    if "before" in best:
        header += " before / after |"
    print(header)
    print("|" + "---|" * (header.count("|") - 1))
    for case in CASES:
        row = f"| {case} | " + " | ".join(f"{best[name][case]:.2f}" for name in names)
        row += f" | {best['after'][case] / best['after'][CASES[0]]:.2f}x |"
        if "before" in best:
            row += f" {best['before'][case] / best['after'][case]:.2f}x |"
        print(row)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
