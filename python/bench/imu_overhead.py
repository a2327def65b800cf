"""Per-sample cost of the IMU paths against the bare ctypes call, for this
package and, side by side in the same run, for another copy of it.

    python python/bench/imu_overhead.py [--baseline DIR] [--samples N] [--rounds R]

DIR holds an earlier velmora_uvc_stereo package folder (for example one taken
with `git archive`). Each variant runs in its own interpreter, the variants
taking turns round by round (and the cases taking turns inside a round); every
figure is the best time per sample in microseconds of the measuring thread's
CPU time, since other work on the machine can only make a turn slower. The virtual camera answers (the built-in scenario's cam0), so
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

CASES = ["bare ctypes call", "ImuSession.read", "samples()", "read_array per sample", "read + convert",
         "read_converted()"]


def _timed(samples: int, run: Callable[[int], None]) -> float:
    # CPU time of this thread: everything here runs on it (the virtual camera
    # never waits), and time spent waiting for a core on a busy machine does not count.
    start = time.thread_time_ns()
    run(samples)
    return (time.thread_time_ns() - start) / samples / 1000.0


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

        def fused(n: int) -> None:
            for _ in range(n):
                imu.read_converted()

        functions = [bare, read, batch, array, convert]
        if hasattr(imu, "read_converted"):  # not in earlier releases
            functions.append(fused)
        runs = list(zip(CASES, functions))
        for _ in range(3):  # the cases take turns; each keeps its best turn
            for name, run in runs:
                uvc.virtual.clear_call_log()  # the log grows by one entry a call
                run(min(samples, 1000))  # warm up
                results[name] = min(_timed(samples, run), results.get(name, float("inf")))
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
    header += " before / after |" if "before" in best else ""
    print(header)
    print("|" + "---|" * (header.count("|") - 1))
    bare = best["after"][CASES[0]]
    for case in CASES:
        figures = [best[name].get(case) for name in names]  # None: the variant lacks the case
        row = f"| {case} | " + " | ".join("-" if f is None else f"{f:.2f}" for f in figures)
        row += f" | {best['after'][case] / bare:.2f}x |"
        if "before" in best:
            before = best["before"].get(case)
            row += " - |" if before is None else f" {before / best['after'][case]:.2f}x |"
        print(row)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
