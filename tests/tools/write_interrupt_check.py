#!/usr/bin/env python3
"""SIGTERM and Ctrl-C sent to `velmora-stereo write-json` while its flash write
is slowed by the scenario's latency: the tool says at once that it finishes
the write, finishes it, prints its summary and exits 143 (130 for Ctrl-C); the
backup it named before writing exists.

  write_interrupt_check.py TOOL SCENARIO WORKDIR
"""
import os
import signal
import subprocess
import sys
import threading
import time

DOCUMENT = b'{"baseline_mm": 64.5}'


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def interrupted_write(tool, scenario, workdir, signal_number, expected_status):
    backups = os.path.join(workdir, "backups-%d" % signal_number)
    process = subprocess.Popen([tool, "--scenario", scenario, "write-json", "--backup-dir", backups, "-"],
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    process.stdin.write(DOCUMENT)
    process.stdin.close()
    watchdog = threading.Timer(60, process.kill)
    watchdog.start()
    try:
        # The tool names the backup before the write begins: then the signal goes out.
        first = process.stderr.readline().decode()
        if not first.startswith("Saved what the camera holds to "):
            fail("no backup named before the write: %r %s" % (first, process.stderr.read().decode()))
        # The write starts right after that line and its first erase alone is
        # slowed by 0.4 s: a signal 0.2 s later lands inside the write.
        time.sleep(0.2)
        process.send_signal(signal_number)
        output = process.stdout.read().decode()
        errors = first + process.stderr.read().decode()
        process.wait()
    finally:
        watchdog.cancel()
    if process.returncode != expected_status:
        fail("exit status %d, not %d: %s" % (process.returncode, expected_status, errors))
    if "finishing the flash write first" not in errors or "the write was finished first" not in errors:
        fail("the tool did not say it finished the write: " + errors)
    if "verified: yes (read back and compared)" not in output:
        fail("no summary of a verified write: " + output)
    backup = first[len("Saved what the camera holds to "):].strip().rstrip(".")
    if not os.path.isfile(backup) or not os.path.isfile(os.path.splitext(backup)[0] + ".json"):
        fail("the backup %s or its sidecar is missing" % backup)
    return backup


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    tool, scenario, workdir = sys.argv[1:]
    os.makedirs(workdir, exist_ok=True)
    interrupted_write(tool, scenario, workdir, signal.SIGTERM, 143)
    interrupted_write(tool, scenario, workdir, signal.SIGINT, 130)
    print("ok: SIGTERM and Ctrl-C both let the write finish (143, 130)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
